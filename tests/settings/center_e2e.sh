#!/usr/bin/env bash
# End-to-end test of the Settings Center under Wine and Xvfb: opened from the results menu and
# again (menu and tray command) it stays one window and shows the program's icon; the grid-lines
# box, the theme combo and a colour preset change the main window at once and land in window.ini
# and ui_colors.ini; the maintenance buttons tell what they did on its status line; the main
# window's Language menu switches to German and back (status line, list header, the Settings
# Center following); its language combo switches the program to Japanese (main title, results
# menu, its own title and pages); after a restart the language, the settings and the boxes are
# still there.
# Usage: center_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
tw_e2e_begin settings-center

SETTINGS_CLASS=$TW_SETTINGS_CLASS
# Where the results menu is opened: high enough that it drops down and right of the pointer.
MENU_Y=240
MIDNIGHT_SURFACE=141518
JA_TITLE='ターンウィック'
JA_SETTINGS='設定センター'

CONFIG="$(tw_config_dir)"
reset_config() { rm -f "$CONFIG/window.ini" "$CONFIG/language.ini" "$CONFIG/ui_colors.ini" "$CONFIG/hotkey.ini"; }
reset_config

sprobe() { tw_probe --class "$SETTINGS_CLASS" "$@"; }
settings_windows() { tw_windows | grep -c " $SETTINGS_CLASS " ; }
control_line() { tw_settings_control "$1"; }
control_hwnd() { control_line "$1" | cut -d' ' -f1; }
# Clicks a Settings Center control and chooses in its drop lists (the X window of the Settings
# Center is $SX).
click_control() { tw_settings_click "$SX" "$1" || { fail "no control $1"; return 1; }; }
choose_in_combo() { tw_settings_choose "$SX" "$@" || { fail "no control $1"; return 1; }; }
# Shows tab N: a click on the first tab (which also gives the tab control the keyboard), Left to
# the first tab whatever the click did, then N presses of Right (the tab control's own keys).
show_tab() {
  local rect tx ty i
  rect="$(control_line 40992 | sed -n 's/.* rect=\([0-9-]*\),\([0-9-]*\),.*/\1 \2/p')"
  read -r tx ty <<<"$rect"
  xdotool windowactivate --sync "$SX" 2>/dev/null || xdotool windowfocus --sync "$SX" 2>/dev/null
  xdotool mousemove --window "$SX" $((tx + 30)) $((ty + 10)) click 1
  sleep 0.3
  for ((i = 0; i < 6; i++)); do xdotool key --clearmodifiers Left; done
  for ((i = 0; i < $1; i++)); do xdotool key --clearmodifiers Right; done
  sleep 0.5
}
check_state() { tw_probe --hwnd "$(control_hwnd "$1")" send 0xF0 2>/dev/null; }  # BM_GETCHECK
combo_sel() { tw_probe --hwnd "$(control_hwnd "$1")" send 0x147 2>/dev/null; }    # CB_GETCURSEL

open_results_menu() {
  xdotool windowactivate --sync "$W" 2>/dev/null || xdotool windowfocus --sync "$W" 2>/dev/null
  xdotool mousemove --window "$W" "$LIST_X" "$MENU_Y" click 3
  tw_wait_dialog '#32768' 10
}
# Opens the results menu, keeps a picture of the area where it drops down (right of and below
# the pointer) and closes it again. The menu is the system's: its items are read from the screen.
menu_shot() {
  open_results_menu || return 1
  sleep 0.5
  local X Y SCREEN WINDOW
  eval "$(xdotool getmouselocation --shell)"
  import -window root -crop "320x560+$X+$Y" +repage "$1" 2>/dev/null
  xdotool key --clearmodifiers Escape
  sleep 0.3
}
# The results menu's last item is the Settings Center.
open_settings_from_menu() {
  open_results_menu || { fail "no results menu"; return 1; }
  xdotool key --clearmodifiers Up Return
  tw_wait_dialog " $SETTINGS_CLASS " 10
}
# The item before it is the Language submenu, whose entries are the language list in its order
# (zh-cn, zh-tw, en-us, ja-jp, ko-kr, de-de, ...): chooses entry N (from 0).
choose_language_from_menu() {
  open_results_menu || { fail "no results menu"; return 1; }
  xdotool key --clearmodifiers Up Up Right
  sleep 0.3
  local i
  for ((i = 0; i < $1; i++)); do xdotool key --clearmodifiers Down; done
  xdotool key --clearmodifiers Return
  sleep 1
  xdotool mousemove --window "$W" 5 5   # no hover look on the list
  sleep 0.3
}
# The list header of the main window (client band below the filter tags, at 96 DPI).
header_shot() { import -window "$W" -crop 1080x36+0+132 +repage "$1" 2>/dev/null; }
pixels_differing() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d. -f1; }

wait_pixel() { tw_wait_pixel "$LIST_X" "$LIST_Y" "$1" "$2"; }
wait_file_line() {
  local file="$1" regex="$2" limit="$3"
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    tr -d '\r' < "$file" 2>/dev/null | grep -Eq -- "$regex" && return 0
    sleep 0.2
  done
  return 1
}
exit_program() {
  tw_command 20002
  tw_wait_exit "$1" 30 || { fail "program did not exit"; kill "$1" 2>/dev/null; }
}

# ---------------------------------------------------------------------------------------------
tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || fail "no main window"
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"

# Opened from the menu, then again from the menu and from the tray's command: one window.
if open_settings_from_menu; then pass "Settings Center opens from the results menu"; else fail "no Settings Center from the menu"; fi
SX=$(tw_settings_xwindow "$PID")
[ -n "$SX" ] || fail "no X window titled Settings Center"
if got=$(tw_window_icon_is_ours "$SX"); then pass "the Settings Center shows the program's icon"; else fail "Settings Center icon: $got"; fi
open_settings_from_menu
tw_command 20025
sleep 1
n=$(settings_windows)
if [ "$n" = 1 ]; then pass "opened three times, one window"; else fail "$n Settings Center windows"; fi
if [ "$(sprobe controls | grep -c ' id=4100[0-6] ')" = 7 ]; then pass "seven pages"; else fail "pages: $(sprobe controls | grep -c ' id=4100')"; fi
# Close hides it; the tray command shows the same window again.
before="$(sprobe window)"
click_control 40015
if [ "$(settings_windows)" = 0 ]; then pass "Close hides the Settings Center"; else fail "Close left it visible"; fi
tw_command 20025
if tw_wait_dialog " $SETTINGS_CLASS " 10 && [ "$(sprobe window)" = "$before" ]; then pass "shown again, the same window"; else fail "not the same window after Close"; fi

# The grid-lines box and the theme combo apply at once and are saved.
if [ "$(check_state 40003)" = 1 ]; then pass "grid lines box ticked"; else fail "grid lines box: $(check_state 40003)"; fi
click_control 40003
if wait_file_line "$CONFIG/window.ini" '^tableGridLines=0$' 10; then pass "grid lines off saved"; else fail "window.ini: $(grep tableGridLines "$CONFIG/window.ini")"; fi
choose_in_combo 40020 Down
if wait_file_line "$CONFIG/window.ini" '^themeMode=dark$' 10; then pass "dark theme from the theme combo saved"; else fail "window.ini has no themeMode=dark"; fi
click_control 40015
if got=$(wait_pixel "$DARK_SURFACE" 10); then pass "main window dark at once"; else fail "list surface $got, want $DARK_SURFACE"; fi

# A colour preset on the last page: every slot customised, the main window re-themed.
tw_command 20025
tw_wait_dialog " $SETTINGS_CLASS " 10 || fail "Settings Center not shown again"
show_tab 6
if control_line 40160 | grep -q 'visible=1'; then pass "colour page shown by the tab keys"; else fail "colour page not shown: $(control_line 41006)"; fi
choose_in_combo 40160 Down Down Down Down
if wait_file_line "$CONFIG/ui_colors.ini" '^border=2A2C34$' 10 && [ "$(tr -d '\r' < "$CONFIG/ui_colors.ini" | grep -c '^[a-zA-Z]*=[0-9A-F]\{6\}$')" = 10 ]; then
  pass "Midnight Slate written to ui_colors.ini"
else
  fail "ui_colors.ini: $(tr -d '\r' < "$CONFIG/ui_colors.ini" 2>/dev/null | tr '\n' ' ')"
fi
if control_line 40100 | grep -q '#141518 \*'; then pass "swatch shows the preset colour with a star"; else fail "swatch: $(control_line 40100)"; fi
click_control 40015
if got=$(wait_pixel "$MIDNIGHT_SURFACE" 10); then pass "main window in the preset's colours"; else fail "list surface $got, want $MIDNIGHT_SURFACE"; fi

# The hotkey page: Set, then a combination; the edit shows it and hotkey.ini keeps it.
tw_command 20025
tw_wait_dialog " $SETTINGS_CLASS " 10 || fail "Settings Center not shown again"
show_tab 3
click_control 40007
if control_line 40017 | grep -q 'text="Waiting..."'; then pass "Set waits for keys"; else fail "hotkey edit: $(control_line 40017)"; fi
xdotool key --clearmodifiers ctrl+alt+j
sleep 0.5
if control_line 40017 | grep -q 'text="Ctrl+Alt+J"'; then pass "captured Ctrl+Alt+J"; else fail "hotkey edit after the keys: $(control_line 40017)"; fi
if wait_file_line "$CONFIG/hotkey.ini" '(^|[^_])modifiers=3$' 5 && wait_file_line "$CONFIG/hotkey.ini" '^key=74$' 5; then pass "hotkey.ini keeps Ctrl+Alt+J"; else fail "hotkey.ini: $(tr -d '\r' < "$CONFIG/hotkey.ini" 2>/dev/null | tr '\n' ' ')"; fi
# The maintenance page: each button acts at once and tells it on the status line.
show_tab 5
click_control 40014
if control_line 40023 | grep -q 'text="Recent opens cleared."'; then pass "Clear Recent Opens tells it"; else fail "status after Clear Recent Opens: $(control_line 40023)"; fi
click_control 40013
if control_line 40023 | grep -q 'text="Settings have been reset."'; then pass "Reset Filter Tags tells it"; else fail "status after Reset Filter Tags: $(control_line 40023)"; fi
import -window root "$ARTIFACTS/settings-maintenance.png" 2>/dev/null || true
show_tab 0
click_control 40015

# German from the main window's Language menu: told on the status line, the list header drawn
# in German, the Settings Center (hidden, still there) in German too; English from the same menu
# brings back the very same header.
header_shot "$ARTIFACTS/settings-header-en.png"
choose_language_from_menu 5
status="$(tw_probe text 103)"
if [ "$status" = "Sprache gewechselt: Deutsch (DE)" ]; then pass "status line: $status"; else fail "status line after German from the menu: '$status'"; fi
header_shot "$ARTIFACTS/settings-header-de.png"
changed="$(pixels_differing "$ARTIFACTS/settings-header-en.png" "$ARTIFACTS/settings-header-de.png")"
if [ "${changed:-0}" -gt 200 ] 2>/dev/null; then pass "list header redrawn in German ($changed pixels differ)"; else fail "list header unchanged ($changed pixels differ)"; fi
if wait_file_line "$CONFIG/language.ini" 'lang=de-de' 5; then pass "German saved"; else fail "language.ini: $(cat "$CONFIG/language.ini" 2>/dev/null)"; fi
tw_command 20025
if tw_wait_dialog "$SETTINGS_CLASS \"Einstellungen\"" 10 && control_line 40019 | grep -q 'text="Deutsch (DE)"'; then
  pass "Settings Center follows the menu's switch"
else
  fail "Settings Center after the menu's switch: $(tw_windows | grep "$SETTINGS_CLASS") $(control_line 40019)"
fi
click_control 40015
choose_language_from_menu 2
status="$(tw_probe text 103)"
if [ "$status" = "Language switched: English (US)" ]; then pass "status line: $status"; else fail "status line after English from the menu: '$status'"; fi
header_shot "$ARTIFACTS/settings-header-en2.png"
changed="$(pixels_differing "$ARTIFACTS/settings-header-en.png" "$ARTIFACTS/settings-header-en2.png")"
if [ "$changed" = 0 ]; then pass "English header back"; else fail "English header differs from the first one ($changed pixels)"; fi

# The language combo on the first page switches the program to Japanese.
menu_shot "$ARTIFACTS/settings-menu-en.png" || fail "no results menu before the switch"
tw_command 20025
tw_wait_dialog " $SETTINGS_CLASS " 10 || fail "Settings Center not shown again"
lang_before="$(control_line 40019)"
choose_in_combo 40019 Down   # the list's order: ..., English (US), 日本語, ...
title=""
for _ in $(seq 1 50); do
  title="$(tw_title "$W")"
  [ "$title" = "$JA_TITLE" ] && break
  sleep 0.2
done
if [ "$title" = "$JA_TITLE" ]; then pass "main title in Japanese"; else fail "main title '$title' after the language switch (combo was: $lang_before)"; fi
if tw_wait_dialog "$SETTINGS_CLASS \"$JA_SETTINGS\"" 10; then pass "Settings Center title in Japanese"; else fail "Settings Center: $(tw_windows | grep "$SETTINGS_CLASS")"; fi
if control_line 40019 | grep -q 'text="日本語"'; then pass "rebuilt language combo shows 日本語"; else fail "language combo: $(control_line 40019)"; fi
if [ "$(settings_windows)" = 1 ]; then pass "still one Settings Center"; else fail "$(settings_windows) Settings Center windows after the switch"; fi
if wait_file_line "$CONFIG/language.ini" 'ja-jp' 5; then pass "language saved"; else fail "language.ini: $(cat "$CONFIG/language.ini" 2>/dev/null)"; fi
click_control 40015
if menu_shot "$ARTIFACTS/settings-menu-ja.png"; then
  changed="$(compare -metric AE "$ARTIFACTS/settings-menu-en.png" "$ARTIFACTS/settings-menu-ja.png" null: 2>&1)"
  if [ "${changed%%.*}" -gt 2000 ] 2>/dev/null; then pass "results menu redrawn in Japanese ($changed pixels differ)"; else fail "results menu unchanged ($changed pixels differ)"; fi
else
  fail "no results menu after the switch"
fi
import -window root "$ARTIFACTS/settings-japanese.png" 2>/dev/null || true

# After a restart: Japanese, dark preset colours, and the boxes as they were left.
exit_program "$PID"
tw_start "$EXE"
PID=$TW_PID
if tw_wait_dialog "MARROWLENS \"$JA_TITLE" 90; then pass "Japanese title after the restart"; else fail "after the restart: $(tw_windows)"; fi
if tr -d '\r' < "$CONFIG/window.ini" | grep -q '^tableGridLines=0$'; then pass "grid lines still off in window.ini"; else fail "window.ini lost tableGridLines=0"; fi
if got=$(wait_pixel "$MIDNIGHT_SURFACE" 20); then pass "preset colours after the restart"; else fail "list surface after the restart $got"; fi
tw_command 20025
if tw_wait_dialog "$SETTINGS_CLASS \"$JA_SETTINGS\"" 10; then pass "Settings Center opens after the restart"; else fail "no Settings Center after the restart: $(tw_windows)"; fi
if [ "$(check_state 40003)" = 0 ]; then pass "grid lines box unticked after the restart"; else fail "grid lines box: $(check_state 40003)"; fi
if [ "$(combo_sel 40020)" = 1 ]; then pass "theme combo shows Dark after the restart"; else fail "theme combo: $(combo_sel 40020)"; fi
if control_line 40017 | grep -q 'text="Ctrl+Alt+J"'; then pass "hotkey shown after the restart"; else fail "hotkey edit after the restart: $(control_line 40017)"; fi
if control_line 40100 | grep -q '#141518 \*'; then pass "swatch keeps the preset colour after the restart"; else fail "swatch after the restart: $(control_line 40100)"; fi
exit_program "$PID"
reset_config

tw_e2e_end
