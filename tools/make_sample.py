#!/usr/bin/env python3
"""Writes a small sample archive (stored and deflated members, a comment)."""
import sys
import zipfile

out = sys.argv[1] if len(sys.argv) > 1 else "sample.zip"
with zipfile.ZipFile(out, "w") as z:
    z.comment = b"VOK sample archive"
    info = zipfile.ZipInfo("README.TXT", date_time=(1997, 3, 15, 14, 7, 32))
    z.writestr(info, b"VOK terminal\r\n" * 40, compress_type=zipfile.ZIP_DEFLATED)
    info = zipfile.ZipInfo("OPTIONS/STANDARD.VPA", date_time=(1997, 3, 15, 14, 8, 0))
    z.writestr(info, b"[Paths]\r\nDownload=C:\\VOK\\DOWNLOAD\r\n", compress_type=zipfile.ZIP_STORED)
    info = zipfile.ZipInfo("SCRIPT/", date_time=(1997, 3, 15, 14, 8, 0))
    z.writestr(info, b"")
print(out)
