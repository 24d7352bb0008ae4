#!/bin/bash
# Runs `arcinfo -v` over every archive of the corpus natively and under Wine
# (the windows preset's arcinfo.exe) and compares standard output, standard
# error (line ends folded) and the exit status. Prints one line per archive
# that differs and a count at the end. Both presets must be built first:
#   cmake --build --preset native && cmake --build --preset windows
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
corpus="${VOK_CORPUS_DIR:-$root/../shared/corpus}"
native="$root/build/native/engine/arcinfo"
windows="$root/build/windows"
[ -x "$native" ] && [ -f "$windows/engine/arcinfo.exe" ] || { echo "build the native and windows presets first" >&2; exit 2; }
[ -d "$corpus" ] || { echo "no corpus at $corpus" >&2; exit 2; }
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cd "$corpus" || exit 2
same=0 differ=0
while IFS= read -r f; do
  "$native" -v "$f" >"$tmp/n.out" 2>"$tmp/n.err"; rn=$?
  "$windows/wine-run.sh" "$windows/engine/arcinfo.exe" -v "$f" >"$tmp/w.out" 2>"$tmp/w.err"; rw=$?
  tr -d '\r' <"$tmp/w.out" >"$tmp/w2.out"
  tr -d '\r' <"$tmp/w.err" >"$tmp/w2.err"
  what=""
  cmp -s "$tmp/n.out" "$tmp/w2.out" || what="$what stdout"
  cmp -s "$tmp/n.err" "$tmp/w2.err" || what="$what stderr"
  [ "$rn" = "$rw" ] || what="$what status($rn/$rw)"
  if [ -z "$what" ]; then same=$((same + 1)); else differ=$((differ + 1)); echo "differs:$what  $f"; fi
done < <(find legacy deflate edge -type f | sort)
echo "arcinfo -v native vs Wine: $same archives identical, $differ differ"
[ "$differ" = 0 ]
