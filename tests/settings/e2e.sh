#!/usr/bin/env bash
# End-to-end test of the settings tools under Wine and Xvfb: autostart switched on and off (the
# schtasks.exe command lines as a recording stand-in receives them), the Run value, a failed
# creation's error box, the configuration files opened in the editor (a recording stand-in
# notepad.exe), and the live colour picker (a drag repaints the main window, Cancel restores it,
# OK writes ui_colors.ini, the end of the program closes it as Cancel).
# Usage: e2e.sh PATH/TO/Tarnwick.exe PATH/TO/settings_stand_in.exe   (environment of scripts/test)
set -uo pipefail
EXE="$1"
STAND_IN="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
tw_e2e_begin settings

CONFIG="$(tw_config_dir)"
mkdir -p "$CONFIG"
rm -f "$CONFIG/window.ini" "$CONFIG/ui_colors.ini" "$CONFIG"/filters*.ini
RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
wine reg delete "$RUN_KEY" /v Tarnwick /f >/dev/null 2>&1

# The stand-ins take the place of schtasks.exe and notepad.exe in this prefix only while the test
# runs; the originals come back at the end.
RECORD="$WINEPREFIX/drive_c/tw-record"
rm -rf "$RECORD"
mkdir -p "$RECORD"
export TARNWICK_RECORD_DIR='C:\tw-record'
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};schtasks.exe=n;notepad.exe=n"
REPLACED=("$WINEPREFIX/drive_c/windows/system32/schtasks.exe" "$WINEPREFIX/drive_c/windows/system32/notepad.exe"
          "$WINEPREFIX/drive_c/windows/notepad.exe")
for f in "${REPLACED[@]}"; do
  [ -e "$f" ] && [ ! -e "$f.tw-orig" ] && cp -p "$f" "$f.tw-orig"
  cp "$STAND_IN" "$f"
done
restore() {
  for f in "${REPLACED[@]}"; do
    if [ -e "$f.tw-orig" ]; then mv -f "$f.tw-orig" "$f"; else rm -f "$f"; fi
  done
  [ -n "${PID:-}" ] && kill "$PID" 2>/dev/null
  wine reg delete "$RUN_KEY" /v Tarnwick /f >/dev/null 2>&1
}
trap restore EXIT

SCHTASKS_LOG="$RECORD/schtasks.log"
NOTEPAD_LOG="$RECORD/notepad.log"
# Waits until a recorded log has at least N lines matching an extended regular expression.
wait_lines() {
  local log="$1" regex="$2" want="$3" limit="$4"
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    local n
    n="$(grep -Ec -- "$regex" "$log" 2>/dev/null || true)"
    [ "${n:-0}" -ge "$want" ] && return 0
    sleep 0.2
  done
  return 1
}
count_lines() { grep -Ec -- "$2" "$1" 2>/dev/null || true; }

exit_program() {
  tw_command 20002
  tw_wait_exit "$PID" 30 || { fail "program did not exit"; kill "$PID" 2>/dev/null; }
  PID=""
}

QUERY='/Query /TN Tarnwick_AutoStart$'
CREATE='/Create /F /TN Tarnwick_AutoStart /SC ONLOGON /DELAY 0000:15 /RL HIGHEST /TR "\\"[^"]*Tarnwick\.exe\\" -hidden"$'
DELETE='/Delete /TN Tarnwick_AutoStart /F$'

# ---------------------------------------------------------------------------------------------
tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || fail "no main window"
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"

# Autostart: the state is asked for once at start-up, off the window's thread.
if wait_lines "$SCHTASKS_LOG" "$QUERY" 1 30; then pass "autostart state queried at start-up"; else fail "no start-up query: $(cat "$SCHTASKS_LOG" 2>/dev/null)"; fi
if grep -q '^"C:\\windows\\system32\\schtasks.exe" /Query' "$SCHTASKS_LOG" 2>/dev/null ||
   grep -qi '^C:\\windows\\system32\\schtasks.exe /Query' "$SCHTASKS_LOG" 2>/dev/null; then
  pass "schtasks.exe from the system folder"
else
  fail "schtasks.exe started as: $(head -n 1 "$SCHTASKS_LOG" 2>/dev/null)"
fi

tw_command 20005
if wait_lines "$SCHTASKS_LOG" "$CREATE" 1 30; then pass "switching on creates the logon task"; else fail "no create line: $(cat "$SCHTASKS_LOG")"; fi
# The creation is checked by a query that finds the task.
if wait_lines "$SCHTASKS_LOG" "$QUERY" 3 30; then pass "creation checked by a query"; else fail "no query after the creation"; fi
sleep 1
if [ -z "$(tw_windows | grep '#32770')" ]; then pass "no error box after a creation"; else fail "error box: $(tw_windows)"; fi

tw_command 20005
if wait_lines "$SCHTASKS_LOG" "$DELETE" 1 30; then pass "switching off deletes the task"; else fail "no delete line: $(cat "$SCHTASKS_LOG")"; fi

# Only a Run value: switching off removes it and runs no delete.
wine reg add "$RUN_KEY" /v Tarnwick /t REG_SZ /d 'C:\old\Tarnwick.exe' /f >/dev/null 2>&1
queries=$(count_lines "$SCHTASKS_LOG" "$QUERY")
tw_command 20005
wait_lines "$SCHTASKS_LOG" "$QUERY" $((queries + 1)) 30
gone=0
for _ in $(seq 1 50); do
  wine reg query "$RUN_KEY" /v Tarnwick >/dev/null 2>&1 || { gone=1; break; }
  sleep 0.2
done
if [ "$gone" = 1 ] && [ "$(count_lines "$SCHTASKS_LOG" "$DELETE")" = 1 ] && [ "$(count_lines "$SCHTASKS_LOG" "$CREATE")" = 1 ]; then
  pass "a Run value alone is removed without a task delete"
else
  fail "Run value gone=$gone; log: $(cat "$SCHTASKS_LOG")"
fi

# Configuration files open in the editor; a missing filters file is written first.
rm -f "$CONFIG"/filters*.ini
tw_command 40009
if wait_lines "$NOTEPAD_LOG" 'filters\.[a-z-]+\.ini' 1 30; then pass "filters file opened in the editor"; else fail "editor not started for filters: $(cat "$NOTEPAD_LOG" 2>/dev/null)"; fi
made=$(ls "$CONFIG" | grep -E '^filters\.[a-z-]+\.ini$' | head -n 1)
if [ -n "$made" ] && [ -s "$CONFIG/$made" ] && grep -q "$made" "$NOTEPAD_LOG"; then
  pass "missing $made written before it is opened"
else
  fail "no language filters file written (config: $(ls "$CONFIG"))"
fi
tw_command 40010
if wait_lines "$NOTEPAD_LOG" 'lang\\[a-z-]+\.ini' 1 30; then pass "language file opened in the editor"; else fail "editor not started for the language file: $(cat "$NOTEPAD_LOG" 2>/dev/null)"; fi
lang_file=$(grep -Eo 'lang\\[a-z-]+\.ini' "$NOTEPAD_LOG" | head -n 1 | sed 's/^lang\\//')
if [ -n "$lang_file" ] && [ -s "$CONFIG/lang/$lang_file" ]; then pass "language file $lang_file exists"; else fail "language file '$lang_file' missing"; fi

# ---------------------------------------------------------------------------------------------
# The live colour picker on the window background slot.
xdotool mousemove --window "$W" 5 5 2>/dev/null
wait_pixel() {  # wait_pixel REGEX LIMIT: waits until the list point's colour matches
  local want="$1" limit="$2" got=""
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    got="$(tw_probe pixel "$LIST_X" "$LIST_Y")"
    [[ "$got" =~ ^($want)$ ]] && { echo "$got"; return 0; }
    sleep 0.2
  done
  echo "$got"
  return 1
}
wait_pixel_other() {  # wait_pixel_other COLOUR LIMIT: waits until the list point shows another colour
  local old="$1" limit="$2" got=""
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    got="$(tw_probe pixel "$LIST_X" "$LIST_Y")"
    [[ "$got" =~ ^[0-9A-F]{6}$ ]] && [ "$got" != "$old" ] && { echo "$got"; return 0; }
    sleep 0.2
  done
  echo "$got"
  return 1
}
open_picker() {
  tw_command 40100
  PICKER_HWND=""
  local end=$(( $(date +%s) + 15 ))
  while [ "$(date +%s)" -lt "$end" ]; do
    PICKER_HWND=$(tw_windows | awk '/TarnwickLiveColorPickerV1/ {print $1; exit}')
    [ -n "$PICKER_HWND" ] && break
    sleep 0.2
  done
  PICKER_X=$(xdotool search --onlyvisible --name '^Live color - ' 2>/dev/null | head -n 1)
  [ -n "$PICKER_HWND" ] && [ -n "$PICKER_X" ]
}
drag_in_square() {  # client points of the square (left 112, top 16, 220 x 180 at 96 DPI)
  xdotool mousemove --window "$PICKER_X" 200 150 mousedown 1 2>/dev/null
  sleep 0.2
  xdotool mousemove --window "$PICKER_X" 260 100 2>/dev/null
  sleep 0.2
  xdotool mousemove --window "$PICKER_X" 320 40 2>/dev/null
  sleep 0.2
  xdotool mouseup 1 2>/dev/null
}

if got=$(wait_pixel "$LIGHT_SURFACE" 10); then pass "light surface before the picker"; else fail "surface before the picker $got"; fi
if open_picker; then pass "picker opened"; else fail "no picker window: $(tw_windows)"; fi
drag_in_square
# Any colour but the light surface: the drag repainted the window (waited for under load).
if got=$(wait_pixel_other "$LIGHT_SURFACE" 10); then
  pass "a drag repaints the main window live ($got)"
else
  fail "main window still $got during the drag"
fi
import -window root "$ARTIFACTS/settings-picker.png" 2>/dev/null || true
tw_probe --hwnd "$PICKER_HWND" post WM_COMMAND 2 >/dev/null
if got=$(wait_pixel "$LIGHT_SURFACE" 10); then pass "Cancel restores the colour"; else fail "after Cancel $got"; fi
if [ ! -s "$CONFIG/ui_colors.ini" ] || ! grep -q '^surface=' "$CONFIG/ui_colors.ini"; then pass "Cancel writes no colour"; else fail "Cancel wrote $(cat "$CONFIG/ui_colors.ini")"; fi

if open_picker; then pass "picker opened again"; else fail "no picker window the second time"; fi
drag_in_square
sleep 0.5
live=$(tw_probe pixel "$LIST_X" "$LIST_Y")
tw_probe --hwnd "$PICKER_HWND" post WM_COMMAND 1 >/dev/null
saved=""
for _ in $(seq 1 50); do
  saved=$(tr -d '\r' < "$CONFIG/ui_colors.ini" 2>/dev/null | sed -n 's/^surface=\([0-9A-F]\{6\}\)$/\1/p')
  [ -n "$saved" ] && break
  sleep 0.2
done
if [ -n "$saved" ] && [ "$saved" = "$live" ] && [ "$saved" != "$LIGHT_SURFACE" ]; then
  pass "OK writes surface=$saved to ui_colors.ini"
else
  fail "ui_colors.ini surface='$saved', live colour $live"
fi
if got=$(wait_pixel "$saved" 10); then pass "the kept colour stays on the window"; else fail "after OK $got"; fi

# The end of the program while the picker is open: it closes as Cancel and the program ends.
before=$(cat "$CONFIG/ui_colors.ini")
if open_picker; then
  drag_in_square
  exit_program
  after=$(cat "$CONFIG/ui_colors.ini")
  if [ -z "$PID" ] && [ "$before" = "$after" ]; then pass "exit with the picker open cancels it and ends"; else fail "ui_colors.ini changed at exit"; fi
else
  fail "no picker for the exit check"
  exit_program
fi
[ -n "${PID:-}" ] && exit_program

# ---------------------------------------------------------------------------------------------
# A creation that schtasks.exe refuses shows the error box with its exit code.
: > "$SCHTASKS_LOG"
rm -f "$RECORD/task.exists"
TARNWICK_FAKE_CREATE_EXIT=1 tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || fail "no main window (second start)"
tw_wait_ready "$W" 120 || true
wait_lines "$SCHTASKS_LOG" "$QUERY" 1 30
tw_command 20005
if tw_wait_dialog '#32770 "Error"' 30; then pass "a refused creation shows the error box"; else fail "no error box: $(tw_windows)"; fi
box=$(tw_windows | awk '/#32770/ {print $1; exit}')
box_text=$(tw_probe --hwnd "$box" controls 2>/dev/null)
if grep -q 'Failed to create startup task.*Task exit code: 1' <<<"$box_text"; then pass "the box names exit code 1"; else fail "box text: $box_text"; fi
import -window root "$ARTIFACTS/settings-autostart-error.png" 2>/dev/null || true
[ -n "$box" ] && tw_probe --hwnd "$box" post WM_COMMAND 1 >/dev/null
sleep 0.5
exit_program

tw_e2e_end
