#!/bin/bash
# Extracts stored archives made by Python's zipfile, 7z and bsdtar with unpak
# and with `7z x`, and compares the two trees: file bytes, modification times
# and the write permission (a member with the MS-DOS read-only attribute).
#
#   tools/compare_with_7z.sh [unpak]      default build/native/engine/unpak
#   tools/compare_with_7z.sh build/windows/engine/unpak.exe   (runs under wine)
#
# Prints one line per archive and exits nonzero on any difference.
set -euo pipefail
cd "$(dirname "$0")/.."
unpak=${1:-build/native/engine/unpak}
run_unpak() {
  if [[ $unpak == *.exe ]]; then WINEDEBUG=-all wine "$unpak" "$@"; else "$unpak" "$@"; fi
}
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import os, sys, time, zipfile
work = sys.argv[1]
src = os.path.join(work, "src")
files = {
    "readme.txt": b"hello\r\nworld\r\n",
    "empty.dat": b"",
    "dir/sub/data.bin": bytes(range(256)) * 300,
    "dir/notes.txt": b"notes\n",
    "deep/a/b/c/d.txt": b"deep",
    "space name.txt": b"a blank in the name",
    "big.bin": bytes((i * 7 + i // 251) % 256 for i in range(200000)),
}
# Even seconds: MS-DOS times have two-second steps.
stamps = [(2001, 2, 3, 4, 5, 6), (1999, 12, 31, 23, 59, 58), (2024, 7, 1, 12, 0, 0), (1985, 6, 15, 8, 30, 20)]
for i, (name, data) in enumerate(sorted(files.items())):
    path = os.path.join(src, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    t = time.mktime(stamps[i % len(stamps)] + (0, 0, -1))
    os.utime(path, (t, t))
with zipfile.ZipFile(os.path.join(work, "py.zip"), "w", zipfile.ZIP_STORED) as z:
    for name in sorted(files):
        z.write(os.path.join(src, name), name)
# A member with the MS-DOS read-only attribute (made on a FAT host).
with zipfile.ZipFile(os.path.join(work, "readonly.zip"), "w", zipfile.ZIP_STORED) as z:
    for name, attr in (("ro.txt", 0x21), ("rw.txt", 0x20)):
        info = zipfile.ZipInfo(name, date_time=(2003, 4, 5, 6, 7, 8))
        info.create_system = 0
        info.external_attr = attr
        z.writestr(info, b"attribute " + name.encode())
PY
(cd "$work/src" && 7z a -tzip -mx0 ../7z.zip . >/dev/null)
(cd "$work/src" && bsdtar --format zip --options zip:compression=store -cf ../bsd.zip .)

status=0
for a in py 7z bsd readonly; do
  ref=$work/ref_$a got=$work/got_$a
  7z x -o"$ref" "$work/$a.zip" >/dev/null
  set +e
  run_unpak -qq "$work/$a.zip" -d "$got" >/dev/null 2>"$work/err_$a"
  rc=$?
  set -e
  count=0 bytes_bad=0 time_bad=0 perm_bad=0
  while IFS= read -r f; do
    count=$((count + 1))
    cmp -s "$ref/$f" "$got/$f" || { bytes_bad=$((bytes_bad + 1)); echo "  bytes differ: $f"; }
    [ "$(stat -c %Y "$ref/$f")" = "$(stat -c %Y "$got/$f" 2>/dev/null)" ] ||
      { time_bad=$((time_bad + 1)); echo "  time differs: $f $(stat -c %y "$ref/$f") vs $(stat -c %y "$got/$f" 2>/dev/null)"; }
    # The owner write bit (test -w is always true for root).
    rw_ref=$(( 0$(stat -c %a "$ref/$f") & 0200 ))
    rw_got=$(( 0$(stat -c %a "$got/$f" 2>/dev/null || echo 0) & 0200 ))
    [ $rw_ref = $rw_got ] || { perm_bad=$((perm_bad + 1)); echo "  write permission differs: $f ($rw_ref vs $rw_got)"; }
  done < <(cd "$ref" && find . -type f | sort)
  extra=$(diff <(cd "$ref" && find . | sort) <(cd "$got" && find . | sort) | grep -c '^[<>]' || true)
  echo "$a.zip: result $rc, $count files, bytes differ $bytes_bad, times differ $time_bad, write permission differs $perm_bad, tree entries differ $extra"
  if [ $rc -ne 0 ] || [ $bytes_bad -ne 0 ] || [ $time_bad -ne 0 ] || [ $perm_bad -ne 0 ] || [ "$extra" -ne 0 ]; then
    status=1
    sed 's/^/  unpak: /' "$work/err_$a"
  fi
done
exit $status
