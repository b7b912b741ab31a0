#!/usr/bin/env bash
# End-to-end test of the window's chrome under Wine and Xvfb: the dark and light themes from the
# Settings Center, the tray icon (after start and after "TaskbarCreated") and the program's icon in
# the tray and on the window, the search box's rounded corners in both themes, closing to the
# tray and back, the show/hide hotkey, the icon view with thumbnails, a hotkey.ini combination and
# the fonts at 144 DPI after a restart, and a combination held by another program.
# Usage: chrome_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test, TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"

tw_e2e_begin chrome-e2e

CONFIG="$(tw_config_dir)"
rm -f "$CONFIG/window.ini" "$CONFIG/hotkey.ini" "$CONFIG/ui_colors.ini"
# The handle log (in the prefix's temporary folder) names what the program did at start-up.
gdi_log() { find "$WINEPREFIX/drive_c" -name Tarnwick_gdi.log 2>/dev/null | head -n 1; }
LOG="$(gdi_log)"
[ -n "$LOG" ] && : > "$LOG"

# Fixture: 60 small images of distinct colours and 60 videos that give no thumbnail.
T="$TARNWICK_TEST_DRIVES/u"
rm -rf "$T/chrome"
mkdir -p "$T/chrome/img" "$T/chrome/vid"
for i in $(seq 10 69); do
  printf -v colour '#%02X%02X%02X' $(( (i * 37) % 256 )) $(( (i * 91) % 256 )) $(( (i * 53) % 256 ))
  convert -size 48x48 "xc:$colour" "$T/chrome/img/qzchromeimg_$i.png"
done
for i in $(seq 10 69); do printf 'not a video' > "$T/chrome/vid/qzchromevid_$i.mp4"; done

# The exit path that does not depend on the close button: the tray menu's Exit, posted.
exit_program() {
  local pid="$1"
  tw_command 20002
  tw_wait_exit "$pid" 30 || { fail "program did not exit"; kill "$pid" 2>/dev/null; }
}

# Switches the theme where the user does: the Settings Center, opened by the results menu's last
# item, its theme list moved with KEY (Down: Dark, Up: Light), then closed.
choose_theme_in_settings() {
  local w="$1" key="$2" sx
  xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus --sync "$w" 2>/dev/null
  xdotool mousemove --window "$w" "$LIST_X" 240 click 3
  tw_wait_dialog '#32768' 10 || true
  xdotool key --clearmodifiers Up Return
  tw_wait_dialog " $TW_SETTINGS_CLASS " 10 || { fail "no Settings Center from the results menu"; return 1; }
  sx="$(tw_settings_xwindow "$PID")"
  tw_settings_choose "$sx" 40020 "$key" || fail "no theme list"
  tw_settings_click "$sx" 40015 || fail "no Close button"
  # The pointer away from the list, so no hover look covers the point.
  xdotool mousemove --window "$w" 5 5
}

wait_pixel() { tw_wait_pixel "$LIST_X" "$LIST_Y" "$1" "$2"; }

# The search box's four corner pixels lie outside its rounded frame: they show the band around
# the box, not the box's own colour. Prints what it read.
search_box_corners_ok() {
  local x y w h band well corners
  IFS=, read -r x y w h <<<"$(tw_controls | sed -n 's/.* id=101 class=Edit visible=1 rect=\([0-9,-]*\) .*/\1/p')"
  [ -n "$h" ] || { echo "no search box"; return 1; }
  read -r band well corners <<<"$(tw_probe pixel $((x - 3)) $((y + h / 2)) $((x + w / 2)) $((y + h / 2)) \
    "$x" "$y" $((x + w - 1)) "$y" "$x" $((y + h - 1)) $((x + w - 1)) $((y + h - 1)) | tr '\n' ' ')"
  echo "band $band, box $well, corners $corners"
  [ "$band" != "$well" ] && [ "$corners" = "$band $band $band $band" ]
}

# ---------------------------------------------------------------------------------------------
tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || fail "no main window"
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"

if tw_wait_probe 'tray=1' 10 tray; then pass "tray icon after start"; else fail "no tray icon after start"; fi
if got=$(tw_tray_icon_is_ours); then pass "the tray shows the program's icon ($got)"; else fail "tray icon is not ours: $got"; fi
if got=$(tw_window_icon_is_ours "$W"); then pass "the main window shows the program's icon"; else fail "main window icon: $got"; fi
tw_post reg:TaskbarCreated
sleep 1
if tw_wait_probe 'tray=1' 10 tray; then pass "tray icon after TaskbarCreated"; else fail "no tray icon after TaskbarCreated"; fi
if got=$(tw_tray_icon_is_ours); then pass "the tray shows the program's icon again"; else fail "tray icon after TaskbarCreated: $got"; fi

if got=$(wait_pixel "$LIGHT_SURFACE" 20); then pass "light list surface"; else fail "list surface $got, want $LIGHT_SURFACE"; fi
if got=$(search_box_corners_ok); then pass "light search box has no square corners ($got)"; else fail "light search box corners: $got"; fi
choose_theme_in_settings "$W" Down
if got=$(wait_pixel "$DARK_SURFACE" 20); then pass "dark theme from the Settings Center"; else fail "list surface after the dark theme $got"; fi
if got=$(search_box_corners_ok); then pass "dark search box has no square corners ($got)"; else fail "dark search box corners: $got"; fi
import -window root "$ARTIFACTS/theme-dark.png" 2>/dev/null || true
if grep -q "themeMode=dark" "$CONFIG/window.ini" 2>/dev/null; then pass "dark theme saved"; else fail "window.ini has no themeMode=dark"; fi
choose_theme_in_settings "$W" Up
if got=$(wait_pixel "$LIGHT_SURFACE" 20); then pass "light theme back"; else fail "list surface after switching back $got"; fi
import -window root "$ARTIFACTS/theme-light.png" 2>/dev/null || true

# Closing hides to the tray; the tray's Show brings the window back.
tw_close "$W"
if tw_wait_hidden "$PID" 15 && kill -0 "$PID" 2>/dev/null; then pass "close hides to the tray"; else fail "close did not hide to the tray"; fi
tw_post WM_APP+1 0 0x203   # the icon's double click
if tw_wait_window "$PID" 15 >/dev/null; then pass "tray brings the window back"; else fail "window not shown from the tray"; fi

# The show/hide hotkey hides and shows the window.
W=$(tw_wait_window "$PID" 10)
xdotool key --clearmodifiers alt+z
if tw_wait_hidden "$PID" 15; then pass "hotkey hides the window"; else fail "hotkey did not hide the window"; fi
xdotool key --clearmodifiers alt+z
if W=$(tw_wait_window "$PID" 15); then pass "hotkey shows the window"; else fail "hotkey did not show the window"; fi

exit_program "$PID"
if [ -n "$(tw_probe window 2>/dev/null)" ]; then fail "a main window is left"; else pass "tray Exit ends the program"; fi

# ---------------------------------------------------------------------------------------------
# Restart at 144 DPI with another show/hide combination (Ctrl+Alt+K).
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
printf 'modifiers=3\r\nkey=75\r\nfg_modifiers=6\r\nfg_key=79\r\n' > "$CONFIG/hotkey.ini"
tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || fail "no main window at 144 DPI"
tw_wait_ready "$W" 120 || true
LOG="$(gdi_log)"
font="$(grep -a 'WM_CREATE end' "$LOG" 2>/dev/null | tail -n 1)"
if grep -q 'dpi=144 search_font=18' <<<"$font"; then pass "search box font 18 px at 144 DPI"; else fail "search box font at 144 DPI: '$font'"; fi
box="$(tw_controls | grep 'id=101 ')"
if grep -q 'rect=[0-9-]*,[0-9-]*,[0-9]*,57 ' <<<"$box"; then pass "search box 57 px high at 144 DPI"; else fail "search box at 144 DPI: $box"; fi
xdotool key --clearmodifiers ctrl+alt+k
if tw_wait_hidden "$PID" 15; then pass "hotkey.ini combination honoured after restart"; else fail "Ctrl+Alt+K did not hide the window"; fi
xdotool key --clearmodifiers ctrl+alt+k
tw_wait_window "$PID" 15 >/dev/null || fail "Ctrl+Alt+K did not show the window"
exit_program "$PID"
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1

# A combination another program holds: the old hotkey (Alt+Z) stays and the status line says so.
printf 'modifiers=3\r\nkey=76\r\n' > "$CONFIG/hotkey.ini"
WINEDEBUG=-all wine "$(tw_probe_path)" hold-hotkey 3 76 60 >"$ARTIFACTS/hold-hotkey.txt" 2>/dev/null &
HOLDER=$!
for _ in $(seq 1 100); do grep -q . "$ARTIFACTS/hold-hotkey.txt" && break; sleep 0.1; done
if grep -q held "$ARTIFACTS/hold-hotkey.txt"; then pass "another program holds Ctrl+Alt+L"; else fail "holder: $(cat "$ARTIFACTS/hold-hotkey.txt")"; fi
tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || fail "no main window with a held hotkey"
tw_wait_ready "$W" 120 || true
notice="$(grep -a 'is used by another program' "$(gdi_log)" 2>/dev/null | tail -n 1)"
if grep -q 'Ctrl+Alt+L is used by another program; active hotkey: Alt+Z' <<<"$notice"; then pass "held combination reported"; else fail "no notice of the held combination: '$notice'"; fi
xdotool key --clearmodifiers alt+z
if tw_wait_hidden "$PID" 15; then pass "the old hotkey still works"; else fail "Alt+Z did not hide the window"; fi
xdotool key --clearmodifiers alt+z
tw_wait_window "$PID" 15 >/dev/null || fail "Alt+Z did not show the window"
exit_program "$PID"
kill "$HOLDER" 2>/dev/null
wait "$HOLDER" 2>/dev/null
rm -f "$CONFIG/hotkey.ini"

tw_e2e_end
