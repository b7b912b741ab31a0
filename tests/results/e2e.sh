#!/usr/bin/env bash
# End-to-end test of acting on results, under Wine and Xvfb with one program start: sizes and
# dates of a fresh row appear without any cache, a click and Ctrl+C put the file on the
# clipboard, Shift-click selects a range, double-click and Enter run a batch file, a header
# click reverses the order, the Explorer menu's Copy puts a file list on the clipboard, F2
# renames on disk and in the index, Delete moves to the host trash and the count drops,
# Shift+Delete asks first.
# Usage: e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
: "${WINEPREFIX:?run through scripts/test}"
: "${DISPLAY:?run through scripts/test}"
: "${TARNWICK_TEST_DRIVES:?run through scripts/test}"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"

ARTIFACTS="$(dirname "$EXE")/artifacts"
mkdir -p "$ARTIFACTS"
FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); import -window root "$ARTIFACTS/results-e2e-fail-$FAILURES.png" 2>/dev/null || true; }
pass() { echo "ok: $*"; }

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

click_row() { xdotool mousemove --window "$W" "${2:-$NAME_X}" "$(row_y "$1")" click 1; sleep 0.2; }
search() {
  tw_search "$1"
  sleep 0.8  # past the typing pause, so that the title no longer shows the previous query's count
  tw_wait_count "$W" "$2" 20 || fail "title '$(tw_title "$W")' for $1 (want $2)"
}
copied_files() {
  tw_clip_clear
  xdotool key --clearmodifiers ctrl+c
  sleep 0.4
  tw_clip_files
}
tooltip_text() { tw_windows | sed -n 's/^0x[0-9a-f]* tooltips_class32 "\(.*\)"$/\1/p'; }

# A row's size and date appear within a second, with no attribute cache.
search qzxbig 1
sleep 1
xdotool mousemove --window "$W" "$SIZE_X" "$(row_y 1)"
sleep 0.2
xdotool mousemove --window "$W" "$((SIZE_X + 2))" "$(row_y 1)"
if tw_wait_probe '"92 KB"' 2 windows; then pass "size shown: 92 KB"; else fail "size tip '$(tooltip_text)'"; fi
xdotool mousemove --window "$W" 520 "$(row_y 1)"
if tw_wait_probe '"[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}"' 2 windows; then pass "date shown: $(tooltip_text)"; else fail "date tip '$(tooltip_text)'"; fi
import -window root "$ARTIFACTS/results-e2e-hydrated.png" 2>/dev/null || true

# Header clicks on Name sort by name and reverse it. Sorting waits while the cache is prewarmed
# and the index's own order may already be by name, so clicks go on until two clicks in a row
# give the two orders.
search qzxrow 5
header_first_row() {
  xdotool mousemove --window "$W" 300 "$HEADER_Y" click 1
  sleep 0.6
  click_row 1
  copied_files
}
toggled=""
previous="$(header_first_row)"
for _ in $(seq 1 40); do
  current="$(header_first_row)"
  if [ "$previous" != "$current" ] && [ -n "$previous" ] && [ -n "$current" ]; then toggled=1; break; fi
  previous="$current"
done
[ "$current" = 'T:\rs\qzxrow_1.txt' ] && current="$(header_first_row)"
if [ -n "$toggled" ] && [ "$current" = 'T:\rs\qzxrow_5.txt' ]; then pass "header clicks sort and reverse the order"; else fail "first rows after header clicks: '$previous' then '$current'"; fi

# Click and Ctrl+C; Shift-click and Ctrl+C (rows now 5, 4, 3, 2, 1).
click_row 2
got="$(copied_files)"
if [ "$got" = 'T:\rs\qzxrow_4.txt' ] && [ "$(tw_clip_effect)" = 1 ]; then pass "click + Ctrl+C copies the row's file"; else fail "clipboard after Ctrl+C: '$got' effect $(tw_clip_effect)"; fi
xdotool keydown shift; click_row 4; xdotool keyup shift
got="$(copied_files | tr '\n' ' ')"
if [ "$got" = 'T:\rs\qzxrow_4.txt T:\rs\qzxrow_3.txt T:\rs\qzxrow_2.txt ' ]; then pass "Shift-click selects a range"; else fail "range copied: '$got'"; fi

# The Explorer context menu's Copy (our menu's tenth command, then the shell's "Copy").
click_row 1
tw_clip_clear
xdotool mousemove --window "$W" "$NAME_X" "$(row_y 1)" click 3
sleep 0.8
for _ in $(seq 1 10); do xdotool key Down; done
xdotool key Return
sleep 1.5
xdotool key c
if tw_wait_probe 'qzxrow_5\.txt' 5 clip-files; then pass "Explorer menu Copy put a file list on the clipboard"; else fail "clipboard after Explorer Copy: '$(tw_clip_files)'"; xdotool key Escape; fi

# Double-click and Enter run a batch file.
search qzxrun 1
xdotool mousemove --window "$W" "$NAME_X" "$(row_y 1)" click --repeat 2 --delay 80 1
for _ in $(seq 1 50); do [ -f "$T/rs/marker.txt" ] && break; sleep 0.2; done
if [ -f "$T/rs/marker.txt" ]; then pass "double-click ran the batch file"; else fail "no marker after double-click"; fi
rm -f "$T/rs/marker.txt"
sleep 1.5  # past the double-click time
click_row 1
xdotool key --clearmodifiers Return
for _ in $(seq 1 50); do [ -f "$T/rs/marker.txt" ] && break; sleep 0.2; done
if [ -f "$T/rs/marker.txt" ]; then pass "Enter ran the batch file"; else fail "no marker after Enter"; fi

# An invalid name shows one error box and leaves the edit open (no second commit when the box
# takes the focus); Esc then cancels.
search qzxrow_5 1
click_row 1
xdotool key --clearmodifiers F2
sleep 0.5
xdotool type --delay 30 "bad:name"
xdotool key --clearmodifiers Return
if tw_wait_dialog '#32770 "Error"' 5; then pass "an invalid name is refused with a message"; else fail "no error box: $(tw_windows | tr '\n' ' ')"; fi
xdotool key Return
sleep 1
boxes=$(tw_windows | grep -c '#32770')
if [ "$boxes" = 0 ]; then pass "one error box per commit"; else fail "$boxes more box(es) after the first"; xdotool key Return; fi
xdotool key --clearmodifiers Escape
sleep 0.3
if [ -f "$T/rs/qzxrow_5.txt" ]; then pass "cancelled rename left the file"; else fail "file renamed after cancel"; fi

# F2, a new name and Enter rename the file; a query for the new name finds it.
click_row 1
xdotool key --clearmodifiers F2
sleep 0.5
xdotool type --delay 30 "qzxrenamed"
xdotool key --clearmodifiers Return
sleep 0.5
if [ -f "$T/rs/qzxrenamed.txt" ] && [ ! -e "$T/rs/qzxrow_5.txt" ]; then pass "F2 renamed the file on disk"; else fail "after rename: $(ls "$T/rs" | tr '\n' ' ')"; fi
search qzxrenamed 1

# Shift+Delete asks first; No keeps the file.
search qzxrow 4
click_row 1
victim="$(copied_files | sed 's/.*\\//')"
xdotool key --clearmodifiers shift+Delete
if tw_wait_dialog '#32770 "Confirm Delete"' 5; then pass "Shift+Delete asks first"; else fail "no confirmation: $(tw_windows | tr '\n' ' ')"; fi
xdotool key n
sleep 0.5
if [ -n "$victim" ] && [ -f "$T/rs/$victim" ]; then pass "answering No keeps the file"; else fail "file gone after No"; fi

# Delete moves the file to the host trash and the count drops.
click_row 1
xdotool key --clearmodifiers Delete
if tw_wait_count "$W" 3 20; then pass "count dropped to 3 after Delete"; else fail "title after Delete: '$(tw_title "$W")'"; fi
if [ -f "$TRASH/$victim" ] && [ ! -e "$T/rs/$victim" ]; then pass "Delete moved the file to the trash"; else fail "trash: $(ls "$TRASH" 2>&1 | tr '\n' ' ')"; fi

# Closing hides to the tray; the tray menu's Exit ends the program.
tw_command 20002
tw_wait_exit "$PID" 30 || { fail "program still runs after Exit"; kill "$PID" 2>/dev/null; }
# The files opened here must not show up as recent opens in later tests.
rm -f "$CONFIG/recent.ini"

if [ "$FAILURES" -ne 0 ]; then
  echo "$FAILURES check(s) failed"
  exit 1
fi
echo "all result-action checks passed"
