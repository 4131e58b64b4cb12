#!/usr/bin/env bash
# The installed bash completions: vostel-tool's commands as --help lists them,
# file names where its usage says FILE, the ports folder's numbers for --port,
# and vostel-sim's buttons (of the library given with --library) and steps
# inside a --play schedule.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
install_into "" "$TMP/prefix"
export PATH=$TMP/prefix/bin:$PATH
export XDG_CONFIG_HOME=$TMP/config
mkdir -p "$XDG_CONFIG_HOME/vostel/ports" "$TMP/work"
ln -s /dev/null "$XDG_CONFIG_HOME/vostel/ports/com3"
ln -s /dev/null "$XDG_CONFIG_HOME/vostel/ports/com12"
touch "$TMP/work/irdata.txt" "$TMP/work/lib.json"
cd "$TMP/work"
echo '{"records": [{"id": "alpha", "packet": [9, 9, 9]}, {"id": "beta", "packet": [9, 99, 9]}]}' |
  vostel-tool import - "$TMP/own.bin" >/dev/null

source /usr/share/bash-completion/bash_completion
completions=$TMP/prefix/share/bash-completion/completions
source "$completions/vostel-tool"
source "$completions/vostel-sim"

# What completing LINE (the cursor at its end) offers, sorted, on one line.
offers() {
  local line=$1
  COMP_LINE=$line
  COMP_POINT=${#line}
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  local function
  function=$(complete -p "${COMP_WORDS[0]}" | sed 's/.*-F \([^ ]*\) .*/\1/')
  "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]:-}"
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
  local got
  got=$(offers "$1" 2>"$TMP/stderr")
  [ "$got" = "$2" ] || fail "completing '$1' offers '$got', expected '$2'"
  [ ! -s "$TMP/stderr" ] || fail "completing '$1' prints $(cat "$TMP/stderr")"
}

commands=$(vostel-tool --help | awk '/^commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
expect "vostel-tool " "$(printf '%s\n' $commands --help --version | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
expect "vostel-tool ren" "rename"
expect "vostel-tool list " "irdata.txt lib.json"
expect "vostel-tool import lib.json i" "irdata.txt"
expect "vostel-tool match --" "--explain --help --library"
expect "vostel-tool import lib.json --" "--append --help --replace"
expect "vostel-tool ports " ""
expect "vostel-tool link --" "--force --help"
expect "vostel-tool check " "irdata.txt lib.json"
expect "vostel-tool check --" "--help --json"
expect "vostel-tool monitor --" "--help --ids --library --port"
expect "vostel-tool monitor --port " "12 3"
expect "vostel-tool learn --" "--force --help --library --packets --port --replace --timeout"
expect "vostel-tool learn --port " "12 3"
expect "vostel-tool learn --library " "irdata.txt lib.json"
expect "vostel-tool learn --packets " ""
expect "vostel-tool match --library " "irdata.txt lib.json"
expect "vostel-tool decode --chunk " ""
expect "vostel-sim --port " "12 3"
expect "vostel-sim --ji" "--jitter"
expect "vostel-sim --jitter 6 --se" "--seed"
expect "vostel-sim --raw " "irdata.txt lib.json"
expect "vostel-sim --play init,vo" "init,vol+ init,vol-"
expect "vostel-sim --play un" "unplug"
expect "vostel-sim --library $TMP/own.bin --play init,a" "init,all init,alpha"
finish
