#!/usr/bin/env bash
# Every option and command that an installed program's --help lists appears in
# its manual page. Options are the words starting with "-"; commands (and the
# like, such as vostel-sim's steps) are the first words of lines indented by
# two blanks. Every command of vostel-tool answers --help with its usage.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
install_into "" "$TMP/prefix"
prefix=$TMP/prefix
checked=0
for program in "$prefix"/bin/*; do
  name=${program##*/}
  page=$prefix/share/man/man1/$name.1.gz
  [ -f "$page" ] || { fail "$name has no manual page $name.1"; continue; }
  help=$("$program" --help) || { fail "$name --help failed"; continue; }
  # Rendered as plain text, without hyphenation or line breaks inside words.
  text=$(zcat "$page" | groff -t -man -Tascii -rLL=300n -rHY=0 -P-cbou 2>/dev/null)
  words=$(
    grep -oE '(^|[[:space:][(|])--?[A-Za-z][A-Za-z0-9-]*' <<<"$help" | sed 's/^[[:space:][(|]*//'
    sed -n 's/^  \([a-z][a-z0-9-]*\)\( .*\)\{0,1\}$/\1/p' <<<"$help"
  )
  for word in $(sort -u <<<"$words"); do
    checked=$((checked + 1))
    grep -qwF -e "$word" <<<"$text" || fail "$name.1 lacks '$word', which '$name --help' lists"
  done
done
[ "$checked" -gt 20 ] || fail "only $checked words found in the --help texts"
# Every command's own --help prints its usage and succeeds.
for command in $("$prefix/bin/vostel-tool" --help | awk '/^commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }'); do
  out=$("$prefix/bin/vostel-tool" "$command" --help 2>&1) || fail "vostel-tool $command --help fails: $out"
  grep -q "^usage: vostel-tool $command" <<<"$out" || fail "vostel-tool $command --help prints: $out"
done
finish
