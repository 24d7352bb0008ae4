#!/usr/bin/env python3
"""Makes the seed inputs of the fuzz targets (tests/fuzz/fuzz_*.cpp).

Usage: make_fuzz_seeds.py OUT_DIR [CORPUS_DIR]

Writes OUT_DIR/<target>/<seed> for every target listed in SEEDS, and
OUT_DIR/.made when done. Everything is deterministic; the real-archive corpus
(if CORPUS_DIR exists) contributes its archives of at most 64 KiB to the
whole-archive target. To seed a new target, add a function to SEEDS.
"""
import io
import os
import struct
import sys
import zipfile
import zlib


def text(n, seed):
    words = [b"the ", b"window ", b"inflate ", b"of ", b"a ", b"zip ", b"member\n", b"data, ",
             b"0123456789", b"decoder ", b"\t", b"VOK "]
    out, x = bytearray(), seed
    while len(out) < n:
        x = (x * 1664525 + 1013904223) & 0xFFFFFFFF
        out += words[(x >> 24) % len(words)]
    return bytes(out[:n])


def noise(n, seed):
    out, x = bytearray(n), seed
    for i in range(n):
        x = (x * 1664525 + 1013904223) & 0xFFFFFFFF
        out[i] = x >> 24
    return bytes(out)


def raw_deflate(data, level, strategy=zlib.Z_DEFAULT_STRATEGY):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, 8, strategy)
    return c.compress(data) + c.flush()


def inflate_seeds():
    seeds = {}
    samples = {"text": text(3000, 1), "noise": noise(600, 2), "runs": b"a" * 700 + b"ab" * 300,
               "long": text(40000, 3)}
    for name, data in samples.items():
        for level in (0, 1, 6, 9):
            if name == "long" and level not in (1, 9):
                continue
            seeds[f"{name}_l{level}"] = raw_deflate(data, level)
        seeds[f"{name}_fixed"] = raw_deflate(data, 6, zlib.Z_FIXED)
        seeds[f"{name}_huffman"] = raw_deflate(data, 6, zlib.Z_HUFFMAN_ONLY)
    seeds["empty_stored"] = bytes([0x01, 0x00, 0x00, 0xFF, 0xFF])
    seeds["empty_fixed"] = bytes([0x03, 0x00])
    seeds["reserved_type"] = bytes([0x07])
    return seeds


def zip_bytes(members, comment=b""):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        for name, data, method in members:
            info = zipfile.ZipInfo(name, date_time=(2001, 2, 3, 4, 5, 6))
            info.compress_type = method
            z.writestr(info, data)
        z.comment = comment
    return buf.getvalue()


def raw_member_zip(name, method, flags, data, stated_size, crc=0):
    """One member of given compressed bytes whose headers state any size."""
    n = name.encode()
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, flags, method, 0, 0x2A21, crc,
                        len(data), stated_size, len(n), 0) + n + data
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 10, 10, flags, method, 0, 0x2A21, crc,
                          len(data), stated_size, len(n), 0, 0, 0, 0, 0x20, 0) + n
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central), len(local), 0)
    return local + central + end


def archive_seeds(corpus_dir):
    seeds = {
        "deflated": zip_bytes([("a.txt", text(2000, 4), zipfile.ZIP_DEFLATED),
                               ("dir/b.bin", noise(300, 5), zipfile.ZIP_DEFLATED)]),
        "stored": zip_bytes([("s.txt", text(500, 6), zipfile.ZIP_STORED), ("empty", b"", zipfile.ZIP_STORED)]),
        "comment": zip_bytes([("c.txt", b"hello\r\n", zipfile.ZIP_DEFLATED)], comment=b"archive comment"),
        "empty": zip_bytes([]),
        # Headers claiming 4 GiB for a few bytes of data: imploded (two trees of
        # 64 six-bit codes, no tokens) and reduced (all follower sets empty).
        "lying_size_imploded": raw_member_zip("i", 6, 0, bytes([3, 0xF5, 0xF5, 0xF5, 0xF5]) * 2, 0xFFFFFFF0),
        "lying_size_reduced": raw_member_zip("r", 3, 0, bytes(192), 0xFFFFFFF0),
    }
    if corpus_dir and os.path.isdir(corpus_dir):
        for sub in ("deflate", "edge", "legacy"):
            folder = os.path.join(corpus_dir, sub)
            if not os.path.isdir(folder):
                continue
            for name in sorted(os.listdir(folder)):
                path = os.path.join(folder, name)
                if os.path.isfile(path) and os.path.getsize(path) <= 65536:
                    with open(path, "rb") as f:
                        seeds[f"corpus_{sub}_{name}"] = f.read()
    return seeds


SEEDS = {
    "fuzz_inflate": lambda corpus: inflate_seeds(),
    "fuzz_archive": archive_seeds,
}


def main():
    out = sys.argv[1]
    corpus = sys.argv[2] if len(sys.argv) > 2 else ""
    for target, make in SEEDS.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in make(corpus).items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
    with open(os.path.join(out, ".made"), "w") as f:
        f.write("seeds made\n")


if __name__ == "__main__":
    main()
