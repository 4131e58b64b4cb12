# The description both end-to-end key tests type, under sway and under Xvfb,
# and what the key target then holds. As the library holds it the ID is
# Windows-1252 (ä is E4, € is 80); vostel-tool import takes it as UTF-8.
# ^a selects the x, Shift types the capital, {LEFT 2} moves back over "lo".
KEYS_ID='sendkeys:x^a+hello{LEFT 2}ä€{VOLUME_UP}{END}W{ENTER}'
KEYS_TEXT='Helä€loW'
KEYS_ENTERS=1
KEYS_VOLUME_UP=0x1008ff13  # the keysym XF86AudioRaiseVolume, as the key target notes it

# Waits until the key target writing to FILE holds the text, has seen Enter
# once and the media key.
keys_arrived() {
  local file=$1
  e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(e2e_typed "$file")" = "$KEYS_TEXT" ]' ||
    e2e_fail "the key target holds '$(e2e_typed "$file")', expected '$KEYS_TEXT'" || return 1
  e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(head -n 1 "$file" | cut -d" " -f2)" = "$KEYS_ENTERS" ]' ||
    e2e_fail "Enter was not pressed $KEYS_ENTERS time(s): $(head -n 1 "$file")" || return 1
  grep -qx "$KEYS_VOLUME_UP" "$file.keys" 2>/dev/null ||
    e2e_fail "the key target never saw XF86AudioRaiseVolume: $(tr '\n' ' ' <"$file.keys" 2>/dev/null)"
}
