#!/usr/bin/env bash
# An install into a temporary DESTDIR holds exactly the expected files; the
# desktop entry and the AppStream metadata validate and name the installed
# launcher, icon and entry; every icon has its folder's size; the copyright
# file carries LICENSE's terms; the manual pages
# render without warnings; the programs, the metadata and the manual pages give
# one version.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
install_into "$TMP/root" /usr
root=$TMP/root
usr=$root/usr
diff -u <(expected_files usr) <(files_under "$root") >"$TMP/diff" ||
  fail "the installed files differ from expected-files.txt (-: expected, +: installed):
$(tail -n +3 "$TMP/diff" | grep '^[-+]')"

id=org.vostel.Vostel
desktop=$usr/share/applications/$id.desktop
metainfo=$usr/share/metainfo/$id.metainfo.xml
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net --strict "$metainfo" 2>&1) || fail "appstreamcli validate: $out"

launcher=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$root$launcher" ] || fail "Exec=$launcher is not an installed program"
program=$(sed -n 's/^exec "\(.*\)"$/\1/p' "$root$launcher" 2>/dev/null)
[ "$program" = /usr/bin/vostel ] || fail "the launcher starts '$program', not /usr/bin/vostel"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon has no scalable icon"
for png in "$usr"/share/icons/hicolor/*x*/apps/*.png; do
  folder=${png%/apps/*}
  size=$(identify -format '%wx%h' "$png")
  [ "$size" = "${folder##*/}" ] && [ "$(basename "$png")" = "$icon.png" ] ||
    fail "${png#"$root"} is a $size picture"
done
# KDE's fake input: a hidden entry that names the installed program itself.
keys_entry=$usr/share/applications/$id.keys.desktop
out=$(desktop-file-validate "$keys_entry" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
[ "$(sed -n 's/^Exec=//p' "$keys_entry")" = /usr/bin/vostel ] && [ -x "$usr/bin/vostel" ] ||
  fail "the KDE entry does not name the installed /usr/bin/vostel"
grep -qx 'X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input' "$keys_entry" && grep -qx 'NoDisplay=true' "$keys_entry" ||
  fail "the KDE entry does not ask for org_kde_kwin_fake_input, hidden from menus"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metadata does not name the desktop entry $id.desktop"
grep -qx '  <project_license>MIT</project_license>' "$metainfo" || fail "the metadata names no MIT licence"

# The licence: LICENSE's terms in Debian's machine-readable copyright format.
copyright=$usr/share/doc/vostel/copyright
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" &&
  grep -qx 'License: Expat' "$copyright" || fail "the copyright file is not in the machine-readable format"
diff <(sed '1,/^License:/d; s/^ //; s/^\.$//' "$copyright") <(sed -n '/^Permission/,$p' "$INSTALL_TESTS/../../LICENSE") \
  >"$TMP/diff" || fail "the copyright file's terms differ from LICENSE: $(cat "$TMP/diff")"

for page in "$usr"/share/man/man1/*; do
  out=$(zcat "$page" | groff -ww -z -t -man 2>&1)
  [ -z "$out" ] || fail "${page##*/}: groff warns: $out"
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "${page##*/}: man warns: $out"
done

version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo")
[ -n "$version" ] || fail "the metadata names no release"
for program in vostel vostel-tool vostel-sim; do
  out=$("$usr/bin/$program" --version) || fail "$program --version failed"
  [ "$out" = "$program $version" ] || fail "$program --version says '$out'; the metadata's release is $version"
done
for page in "$usr"/share/man/man1/*; do
  zcat "$page" | grep -q "^\.TH .*\"Vostel $version\"" || fail "${page##*/} does not name version $version"
done
finish
