#!/usr/bin/env bash
# End-to-end test of acting on results, under Wine and Xvfb with one program start: sizes and
# dates of a fresh row appear without any cache, a wide tip stays on the screen and is hidden by a
# mode switch, a click and Ctrl+C put the file on the
# clipboard, Shift-click selects a range, double-click and Enter run a batch file, a header
# click reverses the order, the Explorer menu's Copy puts a file list on the clipboard, F2
# renames on disk and in the index, Delete moves to the host trash and the count drops,
# Shift+Delete asks first.
# Usage: e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"

tw_e2e_begin results-e2e

# List geometry at 96 DPI in the top-bar layout (client coordinates of the main window): the
# header band and the centre of row N.
HEADER_Y=148
row_y() { echo $(( 192 + 44 * ($1 - 1) )); }
NAME_X=140
SIZE_X=390

T="$TARNWICK_TEST_DRIVES/t"
rm -rf "$T/rs"
mkdir -p "$T/rs"
for i in 1 2 3 4 5; do echo "row $i" > "$T/rs/qzxrow_$i.txt"; done
head -c 95000 /dev/zero > "$T/rs/qzxbig.h"
LONG_FOLDER="$T/rs/a_folder_whose_name_is_long_enough_to_make_the_path_tip_wider_than_the_room_right_of_the_pointer"
mkdir -p "$LONG_FOLDER/and_one_more_level_of_folders_below_it"
: > "$LONG_FOLDER/and_one_more_level_of_folders_below_it/qzxlongtip.txt"
printf '@echo off\r\necho ran> T:\\rs\\marker.txt\r\n' > "$T/rs/qzxrun.bat"
TRASH="$HOME/.local/share/Trash/files"
rm -rf "$HOME/.local/share/Trash"

CONFIG="$(tw_config_dir)"
rm -f "$CONFIG"/attrcache* "$CONFIG/recent.ini"

tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"
xdotool windowactivate --sync "$W" 2>/dev/null || xdotool windowfocus --sync "$W" 2>/dev/null

# Every wait below is for a state the program shows (title, clipboard, windows, files, its
# performance log), with generous limits: under a loaded machine each step can take seconds.
click_row() { xdotool mousemove --window "$W" "${2:-$NAME_X}" "$(row_y "$1")" click 1; sleep 0.2; }
search() {
  tw_search_count "$W" "$1" "$2" 30 || fail "title '$(tw_title "$W")' for $1 (want $2)"
}
# Ctrl+C on the selection; prints the files it put on the (emptied) clipboard.
copied_files() {
  tw_clip_clear
  xdotool key --clearmodifiers ctrl+c
  tw_wait_output 15 clip-files
}
# The inline rename box (a child Edit holding the file's name) is open, or has closed.
RENAME_BOX='class=Edit visible=1 rect=[^ ]* text="[^"]*\.[a-z]+"'
wait_rename_box() { tw_wait_probe "$RENAME_BOX" 15 controls; }
wait_no_rename_box() {
  local end=$(( $(date +%s) + 15 ))
  while [ "$(date +%s)" -lt "$end" ]; do
    grep -Eq -- "$RENAME_BOX" <<<"$(tw_controls)" || return 0
    sleep 0.1
  done
  return 1
}
tooltip_text() { tw_windows | sed -n 's/^0x[0-9a-f]* tooltips_class32 "\(.*\)"$/\1/p'; }

# A row's size and date appear in its tips, with no attribute cache.
search qzxbig 1
sleep 1
xdotool mousemove --window "$W" "$SIZE_X" "$(row_y 1)"
sleep 0.2
xdotool mousemove --window "$W" "$((SIZE_X + 2))" "$(row_y 1)"
if tw_wait_probe '"92 KB"' 15 windows; then pass "size shown: 92 KB"; else fail "size tip '$(tooltip_text)'"; fi
xdotool mousemove --window "$W" 520 "$(row_y 1)"
if tw_wait_probe '"[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}"' 15 windows; then pass "date shown: $(tooltip_text)"; else fail "date tip '$(tooltip_text)'"; fi
import -window root "$ARTIFACTS/results-e2e-hydrated.png" 2>/dev/null || true

# A tip stays on the screen: the long path of a row hovered near the window's right edge (the tip
# is wider than the room right of the pointer) is pulled back inside the work area. A tip still
# shown when the mode changes is hidden with the list.
inside_work_area() {
  local r x y w h left top right bottom
  r="$(tw_probe window-rect tooltips_class32)" || return 1
  IFS=', ' read -r x y w h left top right bottom <<<"$(sed 's/rect=//; s/work=//' <<<"$r")"
  echo "$r"
  [ "$x" -ge "$left" ] && [ "$y" -ge "$top" ] && [ $((x + w)) -le "$right" ] && [ $((y + h)) -le "$bottom" ]
}
search qzxlongtip 1
xdotool mousemove --window "$W" 1000 "$(row_y 1)"
sleep 0.2
xdotool mousemove --window "$W" 1002 "$(row_y 1)"
if tw_wait_probe 'tooltips_class32 "T:.*qzxlongtip.txt"' 15 windows; then
  if got="$(inside_work_area)"; then pass "a wide tip stays inside the work area ($got)"; else fail "tip leaves the work area: $got"; fi
  tw_command 10036
  if tw_wait_no_dialog tooltips_class32 10; then pass "the tip is hidden when the mode changes"; else fail "tip still shown in the duplicate view: $(tooltip_text)"; fi
  xdotool mousemove --window "$W" 60 33 click 1  # the duplicate view's Back button
  tw_wait_probe 'id=101 class=Edit visible=1' 15 controls || fail "Back did not return to the search"
else
  fail "no path tip: '$(tooltip_text)'"
fi

# Header clicks on Name sort by name and reverse it. A click is refused while the cache is
# prewarmed, and the index's own order may already be by name: a click counts once the sort it
# started has written its line to the performance log (after the sorted rows were handed to the
# window), and clicks go on until two such clicks in a row give the two orders.
search qzxrow 5
PERF_LOG="$CONFIG/perf_metrics.log"
name_sorts() { local n; n="$(grep -ac 'sort col=1 ' "$PERF_LOG" 2>/dev/null)"; echo "${n:-0}"; }
# Clicks the Name header; succeeds once the sort it started has ended.
sort_by_header() {
  local before end
  before="$(name_sorts)"
  xdotool mousemove --window "$W" 300 "$HEADER_Y" click 1
  end=$(( $(date +%s) + 10 ))
  while [ "$(date +%s)" -lt "$end" ]; do
    [ "$(name_sorts)" -gt "$before" ] && return 0
    sleep 0.1
  done
  return 1
}
first_row() { click_row 1; copied_files; }
toggled=""
previous=""
current=""
for _ in $(seq 1 12); do
  sort_by_header || continue
  previous="$(first_row)"
  sort_by_header || continue
  current="$(first_row)"
  case "$previous $current" in
    'T:\rs\qzxrow_1.txt T:\rs\qzxrow_5.txt'|'T:\rs\qzxrow_5.txt T:\rs\qzxrow_1.txt') toggled=1; break ;;
  esac
done
if [ -n "$toggled" ] && [ "$current" = 'T:\rs\qzxrow_1.txt' ]; then
  sort_by_header && current="$(first_row)"
fi
if [ -n "$toggled" ] && [ "$current" = 'T:\rs\qzxrow_5.txt' ]; then pass "header clicks sort and reverse the order"; else fail "first rows after header clicks: '$previous' then '$current'"; fi

# Click and Ctrl+C; Shift-click and Ctrl+C (rows now 5, 4, 3, 2, 1).
click_row 2
got="$(copied_files)"
if [ "$got" = 'T:\rs\qzxrow_4.txt' ] && [ "$(tw_clip_effect)" = 1 ]; then pass "click + Ctrl+C copies the row's file"; else fail "clipboard after Ctrl+C: '$got' effect $(tw_clip_effect)"; fi
xdotool keydown shift; click_row 4; xdotool keyup shift
got="$(copied_files | tr '\n' ' ')"
if [ "$got" = 'T:\rs\qzxrow_4.txt T:\rs\qzxrow_3.txt T:\rs\qzxrow_2.txt ' ]; then pass "Shift-click selects a range"; else fail "range copied: '$got'"; fi

# The Explorer context menu's Copy (our menu's tenth command, then the shell's "Copy"). Keys go
# to a menu only once its window shows; the shell's menu is a second menu window.
menus() { tw_windows | grep '#32768'; }
click_row 1
tw_clip_clear
xdotool mousemove --window "$W" "$NAME_X" "$(row_y 1)" click 3
tw_wait_dialog '#32768' 15 || fail "no context menu: $(tw_windows | tr '\n' ' ')"
ours="$(menus | head -n 1 | cut -d' ' -f1)"
for _ in $(seq 1 10); do xdotool key Down; done
xdotool key Return
shell_menu=""
closed=""
end=$(( $(date +%s) + 15 ))
while [ "$(date +%s)" -lt "$end" ]; do
  open="$(menus | cut -d' ' -f1)"
  [ -z "$open" ] && closed=1
  if [ -n "$open" ] && { [ -n "$closed" ] || ! grep -qx -- "$ours" <<<"$open"; }; then shell_menu=1; break; fi
  sleep 0.1
done
[ -n "$shell_menu" ] || fail "no shell context menu after our menu's tenth command"
xdotool key c
if tw_wait_probe 'qzxrow_5\.txt' 15 clip-files; then pass "Explorer menu Copy put a file list on the clipboard"; else fail "clipboard after Explorer Copy: '$(tw_clip_files)'"; xdotool key Escape; fi
tw_wait_no_dialog '#32768' 15 || { fail "a menu stayed open"; xdotool key Escape; }

# Double-click and Enter run a batch file.
search qzxrun 1
xdotool mousemove --window "$W" "$NAME_X" "$(row_y 1)" click --repeat 2 --delay 80 1
for _ in $(seq 1 150); do [ -f "$T/rs/marker.txt" ] && break; sleep 0.2; done
if [ -f "$T/rs/marker.txt" ]; then pass "double-click ran the batch file"; else fail "no marker after double-click"; fi
rm -f "$T/rs/marker.txt"
sleep 1.5  # past the double-click time
click_row 1
xdotool key --clearmodifiers Return
for _ in $(seq 1 150); do [ -f "$T/rs/marker.txt" ] && break; sleep 0.2; done
if [ -f "$T/rs/marker.txt" ]; then pass "Enter ran the batch file"; else fail "no marker after Enter"; fi

# An invalid name shows one error box and leaves the edit open (no second commit when the box
# takes the focus); Esc then cancels.
search qzxrow_5 1
click_row 1
xdotool key --clearmodifiers F2
wait_rename_box || fail "F2 opened no rename box: $(tw_controls | grep Edit | tr '\n' ' ')"
xdotool type --delay 30 "bad:name"
xdotool key --clearmodifiers Return
if tw_wait_dialog '#32770 "Error"' 15; then pass "an invalid name is refused with a message"; else fail "no error box: $(tw_windows | tr '\n' ' ')"; fi
xdotool key Return
tw_wait_no_dialog '#32770' 15
sleep 1
boxes=$(tw_windows | grep -c '#32770')
if [ "$boxes" = 0 ]; then pass "one error box per commit"; else fail "$boxes more box(es) after the first"; xdotool key Return; fi
xdotool key --clearmodifiers Escape
wait_no_rename_box || fail "Esc left the rename box open"
if [ -f "$T/rs/qzxrow_5.txt" ]; then pass "cancelled rename left the file"; else fail "file renamed after cancel"; fi

# F2, a new name and Enter rename the file; a query for the new name finds it.
click_row 1
xdotool key --clearmodifiers F2
wait_rename_box || fail "F2 opened no rename box: $(tw_controls | grep Edit | tr '\n' ' ')"
xdotool type --delay 30 "qzxrenamed"
xdotool key --clearmodifiers Return
for _ in $(seq 1 100); do [ -f "$T/rs/qzxrenamed.txt" ] && break; sleep 0.1; done
if [ -f "$T/rs/qzxrenamed.txt" ] && [ ! -e "$T/rs/qzxrow_5.txt" ]; then pass "F2 renamed the file on disk"; else fail "after rename: $(ls "$T/rs" | tr '\n' ' ')"; fi
search qzxrenamed 1

# Shift+Delete asks first; No keeps the file.
search qzxrow 4
click_row 1
victim="$(copied_files | sed 's/.*\\//')"
xdotool key --clearmodifiers shift+Delete
if tw_wait_dialog '#32770 "Confirm Delete"' 15; then pass "Shift+Delete asks first"; else fail "no confirmation: $(tw_windows | tr '\n' ' ')"; fi
xdotool key n
tw_wait_no_dialog '#32770' 15 || fail "the confirmation stayed after No"
if [ -n "$victim" ] && [ -f "$T/rs/$victim" ]; then pass "answering No keeps the file"; else fail "file gone after No"; fi

# Delete moves the file to the host trash and the count drops.
# The click may land while the window is still taking back the activation from the closed box
# (which puts the focus in the search box): the key is sent again until the list had it. The
# clicks go to the Size column: a second click on the name of the selected row opens the rename
# box, which would take the Delete key.
deleted=""
for attempt in 1 2 3; do
  click_row 1 "$SIZE_X"
  sleep 0.3
  xdotool key --clearmodifiers Delete
  if tw_wait_count "$W" 3 15; then deleted=1; break; fi
done
if [ -n "$deleted" ]; then pass "count dropped to 3 after Delete"; else fail "title after Delete: '$(tw_title "$W")'"; fi
if [ -f "$TRASH/$victim" ] && [ ! -e "$T/rs/$victim" ]; then pass "Delete moved the file to the trash"; else fail "trash: $(ls "$TRASH" 2>&1 | tr '\n' ' ')"; fi

# Closing hides to the tray; the tray menu's Exit ends the program.
tw_command 20002
tw_wait_exit "$PID" 30 || { fail "program still runs after Exit"; kill "$PID" 2>/dev/null; }
# The files opened here must not show up as recent opens in later tests.
rm -f "$CONFIG/recent.ini"

tw_e2e_end
