#!/bin/bash
# Inflate benchmark: the engine's inflate in memory against zlib (and
# libdeflate for reference), then whole-process test and extraction with
# `unpak` against 7z and bsdtar on a 100 MiB deflated member and on an
# archive of 5000 small deflated files: median wall times (hyperfine), the
# ratios, and peak RSS (/usr/bin/time). All data is made deterministically.
#
# Usage: tools/bench_inflate.sh [MiB] [runs]   (defaults 100 and 5)
# Builds the native preset's unpak and bench_inflate first. Work files go to
# /dev/shm/vok_bench (removed at the end). Compare figures only within a run.
set -euo pipefail
cd "$(dirname "$0")/.."
mib=${1:-100}
runs=${2:-5}
build=build/native
cmake --preset native >/dev/null
cmake --build --preset native -j2 --target unpak bench_inflate >/dev/null
unpak=$PWD/$build/engine/unpak
bench=$PWD/$build/tools/bench/bench_inflate
work=/dev/shm/vok_bench
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

echo "=== inflate in memory (processor time)"
"$bench" "$mib" "$runs"

echo
echo "=== making the archives"
"$bench" --write-data "$work/mixed.bin" "$mib"
python3 - "$work" <<'PY'
import os, random, sys, zipfile
work = sys.argv[1]
with zipfile.ZipFile(os.path.join(work, "big.zip"), "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
    info = zipfile.ZipInfo("mixed.bin", date_time=(2020, 1, 2, 3, 4, 6))
    info.compress_type = zipfile.ZIP_DEFLATED
    with open(os.path.join(work, "mixed.bin"), "rb") as f, z.open(info, "w", force_zip64=False) as out:
        while True:
            chunk = f.read(1 << 20)
            if not chunk:
                break
            out.write(chunk)
os.remove(os.path.join(work, "mixed.bin"))
rng = random.Random(4)
words = [b"the ", b"window ", b"inflate ", b"of ", b"a ", b"zip ", b"member\n", b"data, ", b"VOK ", b"Setup "]
with zipfile.ZipFile(os.path.join(work, "small.zip"), "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
    for i in range(5000):
        size = rng.randrange(200, 12000)
        data = b"".join(rng.choice(words) for _ in range(size // 5))[:size]
        info = zipfile.ZipInfo(f"d{i // 100:02d}/f{i:04d}.txt", date_time=(2020, 1, 2, 3, 4, 6))
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, data)
PY
ls -l "$work"/*.zip | awk '{print $5, $9}'

# measure NAME PREPARE LABEL CMD [LABEL CMD...]: hyperfine medians and the
# ratio of the first command's time to each command's (above 1: unpak is faster).
measure() {
  local name=$1 prepare=$2
  shift 2
  local args=()
  while [ $# -gt 0 ]; do
    eval "$prepare"
    if ! bash -c "$2" >/dev/null 2>&1; then echo "  ($1 fails: $2)"; fi
    args+=(-n "$1" "$2")
    shift 2
  done
  hyperfine -N -i --style none --warmup 1 --runs "$runs" --prepare "$prepare" --export-json "$work/$name.json" \
    "${args[@]}" >/dev/null 2>&1 || { echo "  hyperfine failed"; return 0; }
  python3 - "$work/$name.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
base = results[0]["median"]
for r in results:
    failed = any(code != 0 for code in r.get("exit_codes", []))
    note = "   (failed)" if failed else ""
    print(f"  {r['command']:22s} {r['median']:8.3f} s   ratio {r['median'] / base:5.2f}{note}")
PY
}
rss() {  # peak resident set size of one run, in KiB
  /usr/bin/time -f %M "$@" >/dev/null 2>"$work/rss" || true
  tail -n 1 "$work/rss"
}

for archive in big small; do
  zip=$work/$archive.zip
  out=$work/out
  echo
  echo "=== $archive.zip: test, median wall time of $runs runs (ratio: time / unpak's time)"
  measure "${archive}_test" "true" "unpak -t" "$unpak -t -qq $zip" "7z t" "7z t $zip"
  echo "=== $archive.zip: extraction to /dev/shm"
  measure "${archive}_x" "bash -c 'rm -rf $out && mkdir -p $out'" "unpak -qq -o -d" "$unpak -qq -o $zip -d $out" \
    "7z x" "7z x -y -o$out $zip" "bsdtar -xf" "bsdtar -xf $zip -C $out"
  echo "  peak RSS (KiB): unpak -t $(rss "$unpak" -t -qq "$zip")," \
    "unpak -d $(rm -rf "$out"; mkdir -p "$out"; rss "$unpak" -qq -o "$zip" -d "$out")," \
    "7z t $(rss 7z t "$zip"), 7z x $(rm -rf "$out"; mkdir -p "$out"; rss 7z x -y -o"$out" "$zip")," \
    "bsdtar $(rm -rf "$out"; mkdir -p "$out"; rss bsdtar -xf "$zip" -C "$out")"
  rm -rf "$out"
done
