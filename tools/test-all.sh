#!/bin/bash
# Everything on a fresh Debian machine: packages, all three presets built,
# every test run (the Windows tests under Wine, with Xvfb when no display works).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

jobs=$(nproc)
werror=-DVOK_WERROR=${VOK_WERROR:-ON}
status=0
for preset in native native-asan windows; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" "$werror" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
for preset in native native-asan windows; do
  echo "=== $preset: tests"
  ctest --preset "$preset" -j "$jobs" || status=1
done
[ -x build/windows/wine-stop.sh ] && build/windows/wine-stop.sh

# Fuzz smoke: the seeds replayed as tests, then every target mutating for a
# share of about 50 seconds in all (from a scratch copy of its seeds).
echo "=== fuzz: configure, build, seeds and a short run of each target"
cmake --preset fuzz "$werror" >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz || status=1
mapfile -t fuzzers < <(find build/fuzz/tests/fuzz -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
if [ ${#fuzzers[@]} -gt 0 ]; then
  share=$(( 50 / ${#fuzzers[@]} ))
  [ "$share" -lt 5 ] && share=5
  for fuzzer in "${fuzzers[@]}"; do
    name=$(basename "$fuzzer")
    scratch=$(mktemp -d)
    echo "--- $name: ${share}s"
    rc=0
    "$fuzzer" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="build/fuzz/$name-" "$scratch" "build/fuzz/tests/fuzz/seeds/$name" >"$scratch.log" 2>&1 || rc=$?
    grep -E '^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY|Test unit written)' "$scratch.log" || true
    [ "$rc" -eq 0 ] || { tail -n 40 "$scratch.log"; echo "$name: failed (exit $rc)"; status=1; }
    rm -f "$scratch.log"
    rm -rf "$scratch"
  done
fi
exit $status
