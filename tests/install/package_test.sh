#!/usr/bin/env bash
# The Debian package made from the build folder: named vostel_<version>_<arch>.deb
# with the programs' version, holding exactly the expected files under /usr, its
# menu entry starting the packaged launcher, and depending on the runtime
# libraries the programs link (found by dpkg-shlibdeps), never on a -dev package.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=${VOSTEL_BUILD_DIR:?}
(cd "$build" && cpack -G DEB -B "$TMP/out" >"$TMP/cpack.log" 2>&1) || { cat "$TMP/cpack.log" >&2; exit 1; }
version=$("$build/tools/vostel-tool/vostel-tool" --version | awk '{ print $2 }')
deb=$TMP/out/vostel_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { fail "no $(basename "$deb"); cpack made: $(cd "$TMP/out" && ls -- *.deb)"; finish; }

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | LC_ALL=C sort >"$TMP/files"
diff -u <(expected_files usr) "$TMP/files" >"$TMP/diff" ||
  fail "the package's files differ from expected-files.txt (-: expected, +: packaged):
$(tail -n +3 "$TMP/diff" | grep '^[-+]')"

mkdir "$TMP/root"
dpkg-deb -x "$deb" "$TMP/root"
launcher=$(sed -n 's/^Exec=//p' "$TMP/root/usr/share/applications/org.vostel.Vostel.desktop")
[ -x "$TMP/root$launcher" ] || fail "the menu entry starts '$launcher', which the package lacks"
grep -qx 'exec "/usr/bin/vostel"' "$TMP/root$launcher" || fail "the launcher does not start /usr/bin/vostel"

depends=$(dpkg-deb -f "$deb" Depends)
grep -qE -- '-dev\b' <<<"$depends" && fail "a -dev package among the dependencies: $depends"
# Every library the programs need, by soname, comes from a package it depends on.
owner_of() {
  local file
  for file in "$(readlink -f "$1")" "$1"; do  # dpkg may know either name (merged /usr)
    dpkg -S "$file" 2>/dev/null | head -n 1 | cut -d: -f1 && return
  done
  return 0
}
for program in "$TMP"/root/usr/bin/*; do
  for lib in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
    owner=$(owner_of "$(ldconfig -p | awk -v l="$lib" '$1 == l { print $NF; exit }')")
    [ -n "$owner" ] || { fail "no package provides $lib (needed by ${program##*/})"; continue; }
    tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }' | grep -qxF "$owner" ||
      fail "${program##*/} needs $lib from $owner, which is not among the dependencies: $depends"
  done
done
finish
