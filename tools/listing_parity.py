#!/usr/bin/env python3
"""Runs `unpak` listings over generated archives and compares them with the
expected text in tests/listing/.

The same expected files serve the native build and the Windows build (run
under Wine), so both must print the same listings, diagnostics and results.
Windows text-mode line ends are folded to "\\n" before comparing.

usage: listing_parity.py --unpak PROGRAM [--emulator RUNNER] [--update]
  --update rewrites the expected files from this run (check them by eye).
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "..", "tests", "listing")


def dos_date(y, m, d):
    return ((y - 1980) << 9) | (m << 5) | d


def dos_time(h, mi, s):
    return (h << 11) | (mi << 5) | (s // 2)


class Member:
    def __init__(self, name, data=b"", method=0, packed=None, flags=0, host=0, date=dos_date(1997, 3, 15),
                 time=dos_time(12, 0, 0), ext_attr=0x20, comment=b"", extra=b""):
        self.name = name
        self.data = data
        self.method = method
        self.packed = data if packed is None else packed
        self.flags = flags
        self.host = host
        self.date = date
        self.time = time
        self.ext_attr = ext_attr
        self.comment = comment
        self.extra = extra


def build(members, comment=b"", prefix=b"", this_disk=0, dir_disk=0, entries=None):
    out = bytearray(prefix)
    offsets = []
    for m in members:
        offsets.append(len(out) - len(prefix))
        crc = zlib.crc32(m.data) & 0xFFFFFFFF
        out += struct.pack("<4sBBHHHHIIIHH", b"PK\x03\x04", 20, 0, m.flags, m.method, m.time, m.date, crc,
                           len(m.packed), len(m.data), len(m.name), 0)
        out += m.name + m.packed
    dir_start = len(out)
    for m, off in zip(members, offsets):
        crc = zlib.crc32(m.data) & 0xFFFFFFFF
        out += struct.pack("<4sBBBBHHHHIIIHHHHHII", b"PK\x01\x02", 20, m.host, 20, 0, m.flags, m.method, m.time,
                           m.date, crc, len(m.packed), len(m.data), len(m.name), len(m.extra), len(m.comment), 0, 0,
                           m.ext_attr, off)
        out += m.name + m.extra + m.comment
    dir_size = len(out) - dir_start
    n = len(members) if entries is None else entries
    out += struct.pack("<4sHHHHIIH", b"PK\x05\x06", this_disk, dir_disk, n, n, dir_size, dir_start - len(prefix),
                       len(comment))
    out += comment
    return bytes(out)


def fixtures():
    """(file name, bytes) pairs, and the runs: (case name, arguments)."""
    text = b"VOK terminal\r\n" * 40
    many = [
        Member(b"README.TXT", text, 8, zlib.compress(text)[2:-4]),
        Member(b"OPTIONS/STANDARD.VPA", b"[Paths]\r\n", 0),
        Member(b"unix/Mixed Case.txt", b"x" * 1000, 8, b"p" * 465, flags=2, host=3),
        Member(b"fast.bin", b"f" * 100, 8, b"q" * 101, flags=4, host=3),
        Member(b"super.bin", b"s" * 3, 8, b"s", flags=6, host=3),
        Member(b"SECRET.DAT", b"z" * 50, 8, b"e" * 40, flags=1),
        Member(b"SHRUNK.DAT", b"a" * 70, 1, b"b" * 30),
        Member(b"REDUCED.DAT", b"a" * 70, 4, b"b" * 35),
        Member(b"IMPLODED.DAT", b"a" * 70, 6, b"b" * 20),
        Member(b"odd.method", b"a" * 70, 12, b"b" * 20, host=3),
        Member(b"Y2K.TXT", b"2000", 0, date=dos_date(2000, 1, 1), time=dos_time(0, 0, 0)),
        Member(b"OLD.TXT", b"1980", 0, date=dos_date(1980, 1, 1), time=dos_time(23, 59, 58)),
        Member(b"NTFS NAME.TXT", b"n", 0, host=11, comment=b"a member comment"),
        Member(b"MYVOLUME.LAB", b"", 0, ext_attr=0x08),
        Member(b"tab\there\x01", b"c", 0, host=3),
        Member(b"long/" + b"n" * 290, b"l", 0, host=3, extra=b"UT\x05\x00\x01\x00\x00\x00\x00"),
        Member(b"after-long.txt", b"after", 0, host=3),
    ]
    files = {
        "many.zip": build(many, comment=b"VOK sample\r\nwith ESC \x1b[1m here\r\n"),
        "prefix.zip": build(many[:3], prefix=b"MZ" + b"\0" * 98),
        "empty.zip": build([]),
        "retry.zip": build(many[:2]),
        "notzip.txt": b"plain text, no archive here\n" * 10,
        "disk2.zip": build(many[:1], this_disk=2),
        "twopart.zip": build(many[:1], this_disk=1, dir_disk=1),
        "countlow.zip": build(many[:3], entries=2),
    }
    runs = [
        ("many-v", ["-v", "many.zip"]),
        ("many-l", ["-l", "many.zip"]),
        ("many-vqq-patterns", ["-vqq", "many.zip", "*.txt", "-x", "y2k*"]),
        ("many-vU", ["-vU", "many.zip", "*.DAT"]),
        ("many-z", ["-z", "many.zip"]),
        ("prefix-v", ["-v", "prefix.zip"]),
        ("empty-v", ["-v", "empty.zip"]),
        ("retry-v", ["-v", "retry"]),
        ("missing-v", ["-v", "missing"]),
        ("notzip-v", ["-v", "notzip.txt"]),
        ("disk2-v", ["-v", "disk2.zip"]),
        ("twopart-v", ["-v", "twopart.zip"]),
        ("countlow-v", ["-v", "countlow.zip"]),
        ("usage", []),
        ("bad-option", ["-k", "many.zip"]),
    ]
    return files, runs


def fold(data):
    return data.replace(b"\r\n", b"\n")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--unpak", required=True)
    ap.add_argument("--emulator", default="")
    ap.add_argument("--update", action="store_true")
    args = ap.parse_args()

    files, runs = fixtures()
    failures = 0
    with tempfile.TemporaryDirectory(prefix="vok_listing_") as work:
        for name, data in files.items():
            with open(os.path.join(work, name), "wb") as f:
                f.write(data)
        for case, argv in runs:
            command = ([args.emulator] if args.emulator else []) + [args.unpak] + argv
            p = subprocess.run(command, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
            got = (b"$ unpak " + " ".join(argv).encode() + b"\n" + fold(p.stdout) + b"--- stderr\n" +
                   fold(p.stderr) + b"--- result %d\n" % p.returncode)
            path = os.path.join(EXPECTED, case + ".txt")
            if args.update:
                os.makedirs(EXPECTED, exist_ok=True)
                with open(path, "wb") as f:
                    f.write(got)
                continue
            try:
                with open(path, "rb") as f:
                    want = f.read()
            except OSError:
                want = b"(missing expected file)\n"
            if got != want:
                failures += 1
                sys.stdout.write("MISMATCH %s\n--- expected\n%s--- got\n%s\n" % (
                    case, want.decode("latin-1"), got.decode("latin-1")))
            else:
                sys.stdout.write("ok %s\n" % case)
    if failures:
        sys.stdout.write("%d of %d listings differ\n" % (failures, len(runs)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
