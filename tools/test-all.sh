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
exit $status
