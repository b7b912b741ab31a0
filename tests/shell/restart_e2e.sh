#!/usr/bin/env bash
# End-to-end test of what survives a restart, under Wine and Xvfb: sizes kept in the attribute
# cache are not shown for a file that grew while the program was closed (a size filter counts the
# file only with its new size), a start and an exit that change no setting leave window.ini as it
# was, and a settings file that cannot be written is told to the user once, not at every save.
# Usage: restart_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
tw_e2e_begin restart-e2e

CONFIG="$(tw_config_dir)"
mkdir -p "$CONFIG"
rm -rf "$CONFIG"/attrcache* "$CONFIG/recent.ini" "$CONFIG/window.ini" "$CONFIG/window.ini.tmp"

# Two files of 5 MB and one of 10 bytes; the size filter "1~100MB" is on from the start.
T="$TARNWICK_TEST_DRIVES/t"
rm -rf "$T/rst"
mkdir -p "$T/rst"
head -c 5000000 /dev/zero > "$T/rst/qzxstale_big1.bin"
head -c 5000000 /dev/zero > "$T/rst/qzxstale_big2.bin"
head -c 10 /dev/zero > "$T/rst/qzxstale_small.bin"
printf 'sizePreset=2\n' > "$CONFIG/window.ini"

filtered_hits() {
  local w="$1" want="$2" what="$3"
  tw_search "qzxstale"
  sleep 0.8
  if tw_wait_count "$w" "$want" 30; then pass "$what: $want hits"; else fail "$what: title '$(tw_title "$w")' (want $want)"; fi
}

exit_program() {
  local pid="$1"
  tw_command 20002
  tw_wait_exit "$pid" 30 || { fail "program did not exit"; kill -9 "$pid" 2>/dev/null; }
}

tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"
filtered_hits "$W" 2 "first run"
sleep 2  # the sizes of the rows are in the attribute cache now; the exit saves it
exit_program "$PID"
if [ -s "$CONFIG/attrcache.v1.bin" ]; then pass "attribute cache saved at exit"; else fail "no attribute cache after the first run"; fi

# While the program is closed the small file grows into the filter's range.
head -c 5000000 /dev/zero > "$T/rst/qzxstale_small.bin"
# What the exit wrote is what the next start restores: a run that changes no setting (a search
# is no setting) leaves window.ini as it was, byte for byte (the window keeps its size).
cp "$CONFIG/window.ini" "$ARTIFACTS/restart-e2e-window.ini"

tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"
filtered_hits "$W" 3 "after a restart with a grown file"
exit_program "$PID"
if cmp -s "$ARTIFACTS/restart-e2e-window.ini" "$CONFIG/window.ini"; then
  pass "window.ini unchanged by a start and an exit"
else
  fail "window.ini changed: $(diff <(tr -d '\r' < "$ARTIFACTS/restart-e2e-window.ini") <(tr -d '\r' < "$CONFIG/window.ini") | tr '\n' ' ')"
fi

# A folder where window.ini belongs: every resize and the exit try to save it; the user is told
# once.
rm -f "$CONFIG/window.ini"
mkdir -p "$CONFIG/window.ini"
tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
if tw_wait_dialog '"Error"' 30; then pass "the unsaved settings are told"; else fail "no message about window.ini: $(tw_windows)"; fi
import -window root "$ARTIFACTS/restart-e2e-settings-not-saved.png" 2>/dev/null || true
BOX=$(tw_windows | sed -n 's/^\(0x[0-9a-f]*\) #32770 "Error"$/\1/p' | head -n 1)
if [ -n "$BOX" ]; then
  text="$(tw_probe --hwnd "$BOX" controls)"
  if grep -q 'window.ini' <<<"$text"; then pass "the message names window.ini"; else fail "message text: $text"; fi
  xdotool windowactivate --sync "$BOX" 2>/dev/null
  xdotool key --clearmodifiers Return
fi
sleep 1
xdotool windowsize "$W" 900 650 2>/dev/null
sleep 1
xdotool windowsize "$W" 950 700 2>/dev/null
sleep 2
if tw_windows | grep -q '#32770'; then fail "told again: $(tw_windows)"; else pass "told only once"; fi
exit_program "$PID"
if [ -d "$CONFIG/window.ini" ]; then pass "the folder in the file's place is left alone"; else fail "window.ini folder gone"; fi
rmdir "$CONFIG/window.ini" 2>/dev/null
rm -rf "$T/rst"

tw_e2e_end
