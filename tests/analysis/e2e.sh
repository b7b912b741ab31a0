#!/usr/bin/env bash
# End-to-end test of the disk-analysis mode under Wine and Xvfb: switch to the mode, choose the
# fixture drive and scan it; the totals the program logs for the drive equal du on the host; the
# ring is drawn (a screenshot is kept); a click on the largest folder opens it (the breadcrumbs
# and the Up button follow) and Back returns; three files change and a rescan reads only their
# records again and follows the new totals; the panel's context menu copies a path and moves a
# file to the trash only while it is still the file the scan saw.
# Usage: e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
tw_e2e_begin analysis-e2e

# Fixture on T: files of several sizes in three levels; "qzan" is by far the largest folder.
T="$TARNWICK_TEST_DRIVES/t"
rm -rf "$T/qzan" "$T/qzsmall" "$T"/qzanchange*
mkdir -p "$T/qzan/docs/deep" "$T/qzan/media" "$T/qzsmall"
head -c 3000000 /dev/urandom > "$T/qzan/media/film.mp4"
head -c 1048576 /dev/zero > "$T/qzan/media/song.mp3"
printf '@echo off\r\necho ran> T:\\qzsmall\\marker.txt\r\n' > "$T/qzan/media/run.bat"
head -c 70000 /dev/zero > "$T/qzan/docs/report.docx"
head -c 481 /dev/zero > "$T/qzan/docs/note.txt"
head -c 0 /dev/zero > "$T/qzan/docs/empty.txt"
head -c 123457 /dev/zero > "$T/qzan/docs/deep/data.bin"
head -c 5 /dev/zero > "$T/qzan/docs/deep/tiny.dat"
head -c 4096 /dev/zero > "$T/qzsmall/page.htm"
# Three files in the drive's root that change later (changes in the root reach the journal at once).
for i in 1 2 3; do head -c $(( i * 1000 )) /dev/zero > "$T/qzanchange$i.bin"; done
# Bytes du counts for the files under a host folder (apparent sizes, files only).
du_files() { find "$1" -type f -print0 | du -cb --files0-from=- | tail -1 | cut -f1; }

CONFIG="$(tw_config_dir)"
PERF="$CONFIG/perf_metrics.log"
rm -f "$CONFIG"/mftsizes/* 2>/dev/null
# The lines the program logs for analysed drives (UTF-8 or UTF-16, CR LF).
analysis_lines() {
  [ -f "$PERF" ] || return 0
  if head -c 2 "$PERF" | od -An -tx1 | grep -q 'ff fe'; then iconv -f UTF-16LE -t UTF-8 "$PERF"; else cat "$PERF"; fi |
    tr -d '\r' | grep -a 'analysis drive=' || true
}
field() { sed -n "s/.* $1=\([0-9]*\).*/\1/p" <<<"$2"; }
wait_scan_line() {  # waits for a new line for drive T beyond the count given; prints it
  local before="$1" limit="$2" end=$(( $(date +%s) + $2 )) lines
  while [ "$(date +%s)" -lt "$end" ]; do
    lines="$(analysis_lines | grep 'drive=T ')"
    if [ "$(grep -c . <<<"$lines")" -gt "$before" ] && [ -n "$lines" ]; then tail -n 1 <<<"$lines"; return 0; fi
    sleep 0.3
  done
  return 1
}
t_lines() { analysis_lines | grep -c 'drive=T ' || true; }

tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"
xdotool windowactivate --sync "$W" 2>/dev/null || xdotool windowfocus --sync "$W" 2>/dev/null
eval "$(xdotool getwindowgeometry --shell "$W")"
CW=$WIDTH
CH=$HEIGHT

# Panel geometry at 96 DPI (client pixels), as the panel lays itself out.
SPLIT=$(( CW * 62 / 100 ))
RING_L=10; RING_R=$(( SPLIT - 5 )); RING_T=143; RING_B=$(( CH - 10 ))
RING_CX=$(( (RING_L + RING_R) / 2 )); RING_CY=$(( (RING_T + RING_B) / 2 ))
RW=$(( RING_R - RING_L )); RH=$(( RING_B - RING_T )); RMIN=$(( RW < RH ? RW : RH ))
# Middle of the ring (0.76 x 0.34 x the smaller side), 80 degrees (just right of twelve o'clock).
RMID=$(( RMIN * 34 * 76 / 10000 ))
RING_X=$(( RING_CX + RMID * 17 / 100 )); RING_Y=$(( RING_CY - RMID * 98 / 100 ))
ROW0_X=$(( SPLIT + 120 )); ROW0_Y=191
CRUMB_X=58; CRUMB_Y=118
UP_X=$(( CW - 50 )); UP_Y=118

# Into the analysis mode (the results menu's "Switch to Analysis" command), then drive T:.
tw_command 10030
if tw_wait_probe 'id=122 .*visible=1' 10 controls; then pass "analysis controls shown"; else fail "no analysis controls: $(tw_controls | grep 'id=12[234]')"; fi
BEFORE=$(t_lines)
found=""
for i in 1 2 3 4 5 6 7 8; do
  tw_probe post-child 123 0x014E "$i" >/dev/null   # CB_SETCURSEL
  sleep 0.1
  case "$(tw_probe text 123)" in T:*) found=$i; break ;; esac
done
[ -n "$found" ] || fail "no T: in the drive combo"
COMBO=$(tw_controls | sed -n 's/^\(0x[0-9a-f]*\) id=123 .*/\1/p')
tw_post WM_COMMAND $(( (1 << 16) | 123 )) "$((COMBO))"   # CBN_SELCHANGE
LINE=$(wait_scan_line "$BEFORE" 120) || fail "no scan line for T: ($(analysis_lines | tail -n 3))"
echo "scan: $LINE"
WANT=$(du_files "$T")
if [ "$(field bytes "$LINE")" = "$WANT" ]; then pass "T: total $WANT bytes as du counts"; else fail "T: total '$(field bytes "$LINE")', du $WANT"; fi
if [ "$(field table "$LINE")" = 1 ]; then pass "sizes from the MFT path"; else fail "sizes not from the table: $LINE"; fi
WANT_FILES=$(find "$T" -type f | wc -l)
if [ "$(field files "$LINE")" = "$WANT_FILES" ]; then pass "file count $WANT_FILES"; else fail "files '$(field files "$LINE")', host $WANT_FILES"; fi

sleep 1.5
xdotool mousemove --window "$W" 5 5
sleep 0.5
import -window root "$ARTIFACTS/analysis-e2e-ring.png" 2>/dev/null || true
SURFACE=$(tw_probe pixel 3 "$(( CH / 2 ))")
RING=$(tw_probe pixel "$RING_X" "$RING_Y")
HOLE=$(tw_probe pixel "$RING_CX" "$RING_CY")
if [ -n "$RING" ] && [ "$RING" != "$SURFACE" ] && [ "$RING" != "$HOLE" ]; then pass "ring drawn ($RING, hole $HOLE)"; else fail "ring pixel $RING (surface $SURFACE, hole $HOLE)"; fi

# The largest folder is the first row: a click opens it.
CRUMB0=$(tw_probe pixel $CRUMB_X $CRUMB_Y)
UP0=$(tw_probe pixel $UP_X $UP_Y)
xdotool mousemove --window "$W" "$ROW0_X" "$ROW0_Y" click 1
sleep 0.6
xdotool mousemove --window "$W" 5 5
sleep 0.4
CRUMB1=$(tw_probe pixel $CRUMB_X $CRUMB_Y)
UP1=$(tw_probe pixel $UP_X $UP_Y)
if [ "$CRUMB1" != "$CRUMB0" ] && [ "$UP1" != "$UP0" ]; then pass "folder opened: breadcrumbs and Up follow"; else fail "after the click crumb $CRUMB0->$CRUMB1, up $UP0->$UP1"; fi
import -window root "$ARTIFACTS/analysis-e2e-folder.png" 2>/dev/null || true

# Back (the mouse's X button 1) returns to the drive's root.
tw_post 0x020C $(( 1 << 16 )) 0   # WM_XBUTTONUP, XBUTTON1
sleep 0.6
CRUMB2=$(tw_probe pixel $CRUMB_X $CRUMB_Y)
UP2=$(tw_probe pixel $UP_X $UP_Y)
if [ "$CRUMB2" = "$CRUMB0" ] && [ "$UP2" = "$UP0" ]; then pass "Back returned to the root"; else fail "after Back crumb $CRUMB2 (root $CRUMB0), up $UP2 (root $UP0)"; fi

# Nothing changed since: a rescan keeps the analysis (the journal shows it is still current).
SCAN_BUTTON=$(( $(tw_controls | sed -n 's/^\(0x[0-9a-f]*\) id=122 .*/\1/p') ))
BEFORE=$(t_lines)
tw_post WM_COMMAND 122 "$SCAN_BUTTON"
LINE=$(wait_scan_line "$BEFORE" 60) || fail "no line for the rescan without changes"
echo "unchanged rescan: $LINE"
if [ "$(field kept "$LINE")" = 1 ] && [ "$(field bytes "$LINE")" = "$WANT" ]; then
  pass "a rescan without changes keeps the analysis ($WANT bytes)"
else
  fail "rescan without changes not kept: $LINE"
fi

# Three files change (replaced, as editors save); a rescan reads only their records again.
for f in qzanchange1.bin qzanchange2.bin qzanchange3.bin; do
  head -c 77777 /dev/zero > "$T/$f.new" && mv -f "$T/$f.new" "$T/$f"
done
WANT=$(du_files "$T")
ok=""
for attempt in 1 2 3 4 5 6 7 8 9 10 11 12; do
  sleep 3
  BEFORE=$(t_lines)
  tw_post WM_COMMAND 122 "$SCAN_BUTTON"
  LINE=$(wait_scan_line "$BEFORE" 60) || { fail "no rescan line"; break; }
  if [ "$(field bytes "$LINE")" = "$WANT" ]; then ok=1; break; fi
done
echo "rescan: $LINE"
if [ -n "$ok" ]; then pass "rescan total $WANT follows the changes"; else fail "rescan total '$(field bytes "$LINE")', du $WANT"; fi
REREAD=$(field reread "$LINE")
if [ "$(field cached "$LINE")" = 1 ] && [ -n "$REREAD" ] && [ "$REREAD" -ge 3 ] && [ "$REREAD" -le 12 ]; then
  pass "rescan from the cache, $REREAD records read again"
else
  fail "rescan not caught up from the journal: $LINE"
fi

# The panel's context menu, on the files of qzan\media (film.mp4, song.mp3, run.bat): a right click
# on a row opens the menu; Copy Full Path puts the row's path on the clipboard; Open runs the
# row's file; Move to Recycle
# Bin first checks that the path still names the file the panel shows: a file changed since
# the scan stays (and the user is told), an unchanged one goes to the host trash.
menu_pick() {  # right-clicks row N (0-based) and chooses the menu's Kth command (Kth from the end with Up)
  local row="$1" k="$2" key="${3:-Down}"
  # Keys go to the window that has the focus: the program's, not a console another step opened.
  xdotool windowactivate --sync "$W" 2>/dev/null || xdotool windowfocus --sync "$W" 2>/dev/null
  xdotool mousemove --window "$W" "$ROW0_X" "$(( ROW0_Y + row * 40 ))" click 3
  tw_wait_dialog '#32768' 15 || { fail "no context menu on row $row: $(tw_windows | tr '\n' ' ')"; return 1; }
  for _ in $(seq 1 "$k"); do xdotool key "$key"; done
  xdotool key Return
  tw_wait_no_dialog '#32768' 15 || { fail "the menu stayed open"; xdotool key Escape; }
}
TRASH="$HOME/.local/share/Trash/files"
rm -rf "$HOME/.local/share/Trash"
for _ in 1 2; do   # qzan, then media: the largest folder is the first row
  xdotool mousemove --window "$W" "$ROW0_X" "$ROW0_Y" click 1
  sleep 0.8
done
xdotool mousemove --window "$W" 5 5
tw_clip_clear
xdotool mousemove --window "$W" "$ROW0_X" "$(( ROW0_Y + 40 ))" click 3
if tw_wait_dialog '#32768' 15; then pass "a right click on a row opens the context menu"; else fail "no context menu: $(tw_windows | tr '\n' ' ')"; fi
for _ in 1 2 3; do xdotool key Down; done
xdotool key Return
tw_wait_no_dialog '#32768' 15 || { fail "the menu stayed open"; xdotool key Escape; }
GOT=$(tw_wait_output 10 clip-text)
if [ "$GOT" = 'T:\qzan\media\song.mp3' ]; then pass "Copy Full Path copied the row's path"; else fail "clipboard after Copy Full Path: '$GOT'"; fi

# Open runs the row's file (a batch file that leaves a marker).
menu_pick 2 1
for _ in $(seq 1 100); do [ -f "$T/qzsmall/marker.txt" ] && break; sleep 0.2; done
if [ -f "$T/qzsmall/marker.txt" ]; then pass "Open ran the row's file"; else fail "no marker after Open"; fi
sleep 1   # the batch file's console closes

head -c 1000 /dev/zero >> "$T/qzan/media/film.mp4"   # no longer the file the scan saw
menu_pick 0 6
if tw_wait_dialog '#32770' 15; then pass "deleting a changed file says so"; else fail "no notice for the changed file: $(tw_windows | tr '\n' ' ')"; fi
xdotool key Return
tw_wait_no_dialog '#32770' 15 || { fail "the notice stayed open"; xdotool key Return; }
sleep 1
if [ -f "$T/qzan/media/film.mp4" ] && [ ! -e "$TRASH/film.mp4" ]; then pass "a file changed since the scan is not deleted"; else fail "changed file deleted: $(ls "$TRASH" 2>&1 | tr '\n' ' ')"; fi

menu_pick 1 6
for _ in $(seq 1 50); do [ -f "$TRASH/song.mp3" ] && break; sleep 0.2; done
if [ -f "$TRASH/song.mp3" ] && [ ! -e "$T/qzan/media/song.mp3" ]; then pass "Move to Recycle Bin moved the file to the trash"; else fail "after Move to Recycle Bin: trash '$(ls "$TRASH" 2>&1 | tr '\n' ' ')'"; fi
import -window root "$ARTIFACTS/analysis-e2e-deleted.png" 2>/dev/null || true
# A right click on empty space of the folder offers the folder itself (not the deleted file).
tw_clip_clear
menu_pick 2 3
GOT=$(tw_wait_output 10 clip-text)
if [ "$GOT" = 'T:\qzan\media' ]; then pass "on empty space Copy Full Path copies the folder's path"; else fail "clipboard after Copy Full Path on empty space: '$GOT'"; fi

# The menu's last command switches to the duplicate mode: its controls replace the panel's.
menu_pick 2 1 Up
if tw_wait_probe 'id=126 .*visible=1' 10 controls && tw_wait_probe 'id=122 .*visible=0' 5 controls; then
  pass "Switch to Duplicate Files shows the duplicate mode"
else
  fail "after Switch to Duplicate Files: $(tw_controls | grep -E 'id=12[2-9]' | tr '\n' ' ')"
fi

tw_command 20002
tw_wait_exit "$PID" 30 || { fail "program did not exit"; kill "$PID" 2>/dev/null; }
tw_e2e_end
