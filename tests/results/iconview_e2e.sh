#!/usr/bin/env bash
# End-to-end test of the icon views under Wine and Xvfb: the large icon view shows 60 small
# images as tiles with their own pixels, the small icon view shows no thumbnails, the list view
# comes back, and a large icon view of files that give no thumbnail goes quiet when idle (no
# endless repaint and re-read of its files).
# Usage: iconview_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test, TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
tw_e2e_begin iconview

# View-mode commands of the results menu.
VIEW_LIST=10018
VIEW_SMALL=10019
VIEW_LARGE=10020

# Fixture: 60 small images of distinct colours, and 60 videos that give no thumbnail.
V="$TARNWICK_TEST_DRIVES/v"
rm -rf "$V/iconview"
mkdir -p "$V/iconview/img" "$V/iconview/vid"
declare -A COLOURS=()
for i in $(seq 10 69); do
  printf -v colour '%02X%02X%02X' $(( (i * 37) % 256 )) $(( (i * 91) % 256 )) $(( (i * 53) % 256 ))
  COLOURS[$colour]=1
  convert -size 48x48 "xc:#$colour" "$V/iconview/img/qzicotile_$i.png"
done
for i in $(seq 10 69); do printf 'not a video' > "$V/iconview/vid/qzicoclip_$i.mp4"; done

# A window that holds all 60 cells of the large icon view (ten columns, six lines), list view,
# the filter categories in the top bar.
CONFIG="$(tw_config_dir)"
mkdir -p "$CONFIG"
printf 'width=1560\r\nheight=960\r\nfilterLayout=topbar\r\nviewMode=0\r\n' > "$CONFIG/window.ini"

# The distinct fixture colours seen in the list area: points every 12 px down the middle of
# each possible cell column (icons are 48 px high, so every icon is hit several times).
fixture_colours_seen() {
  local points=() x y
  for x in $(seq 75 150 1500); do
    for y in $(seq 140 12 900); do points+=("$x" "$y"); done
  done
  tw_probe pixel "${points[@]}" | sort -u | while read -r c; do
    [ -n "${COLOURS[$c]:-}" ] && echo "$c"
  done | wc -l
}

wait_colours() {
  local want="$1" limit="$2" got=0
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    got="$(fixture_colours_seen)"
    [ "$got" -eq "$want" ] && return 0
    sleep 0.5
  done
  echo "$got"
  return 1
}

# Thumbnail hydration runs so far, from the handle log.
thumb_runs() {
  local n
  n=$(grep -ac 'thumb_hydration' "$(tw_gdi_log)" 2>/dev/null)
  echo "${n:-0}"
}

tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"
xdotool windowactivate --sync "$W" 2>/dev/null || xdotool windowfocus --sync "$W" 2>/dev/null
xdotool mousemove --window "$W" 5 5

tw_search qzicotile
sleep 0.8
tw_wait_count "$W" 60 20 || fail "title '$(tw_title "$W")' for qzicotile (want 60)"
if got=$(wait_colours 0 5); then pass "list view shows no pictures"; else fail "list view shows $got fixture colours"; fi

# Large icons: every image shows up as its own tile once its thumbnail is loaded.
tw_command "$VIEW_LARGE"
if got=$(wait_colours 60 20); then pass "large icons show all 60 images by their own pixels"; else fail "large icons show $got of 60 image colours"; fi
import -window root "$ARTIFACTS/iconview-large.png" 2>/dev/null || true
if grep -q 'viewMode=2' "$CONFIG/window.ini"; then pass "large icon view saved"; else fail "window.ini: $(grep viewMode "$CONFIG/window.ini")"; fi

# Small icons: tiles with the file type's icon, never a thumbnail.
tw_command "$VIEW_SMALL"
sleep 1.5
if got=$(wait_colours 0 5); then pass "small icons draw no thumbnails"; else fail "small icons show $got image colours"; fi
import -window root "$ARTIFACTS/iconview-small.png" 2>/dev/null || true

# Back to the list.
tw_command "$VIEW_LIST"
sleep 1
if got=$(wait_colours 0 5); then pass "list view back"; else fail "list view shows $got image colours"; fi
if grep -q 'viewMode=0' "$CONFIG/window.ini"; then pass "list view saved"; else fail "window.ini: $(grep viewMode "$CONFIG/window.ini")"; fi

# Files that give no thumbnail in large icons: each is tried, then the view goes quiet.
tw_search qzicoclip
sleep 0.8
tw_wait_count "$W" 60 20 || fail "title '$(tw_title "$W")' for qzicoclip (want 60)"
before=$(thumb_runs)
tw_command "$VIEW_LARGE"
end=$(( $(date +%s) + 30 ))
while [ "$(thumb_runs)" -le "$before" ] && [ "$(date +%s)" -lt "$end" ]; do sleep 0.2; done
sleep 1
settled=$(thumb_runs)
if [ "$settled" -gt "$before" ]; then pass "thumbnails of the videos were tried"; else fail "no thumbnail run for the videos"; fi
sleep 4
idle=$(thumb_runs)
if [ "$idle" -eq "$settled" ]; then pass "idle icon view stays quiet"; else fail "$((idle - settled)) thumbnail runs while idle"; fi
grep -a 'thumb_hydration' "$(tw_gdi_log)" | tail -n 5 > "$ARTIFACTS/iconview-thumb-runs.txt" 2>/dev/null || true
tw_command "$VIEW_LIST"

tw_command 20002
tw_wait_exit "$PID" 30 || { fail "program did not exit"; kill "$PID" 2>/dev/null; }
rm -f "$CONFIG/window.ini"

tw_e2e_end
