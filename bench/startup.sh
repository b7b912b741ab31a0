#!/usr/bin/env bash
# startup_first_results_ms_100k: from starting the program on a drive of 100,000 files to the
# first results of a query typed as soon as the search box is ready, as shown in the title.
# Run by scripts/bench (which builds the program and prepares the Wine prefix).
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
source "$ROOT/scripts/lib/program.sh"
PREFIX="$BUILD/wineprefix"
export WINEPREFIX="$PREFIX"
export HOME="${TARNWICK_TEST_HOME:-$BUILD/test-home}"
DATA="${TARNWICK_BENCH_DIR:-$BUILD/bench-data}/startup100k"
EXE="$BUILD/Tarnwick.exe"
[ -f "$EXE" ] || { log "startup bench: $EXE missing"; exit 0; }

# 100 folders of 1,000 files; 250 of them carry the query's token.
if [ "$(cat "$DATA/.complete" 2>/dev/null)" != "100000" ]; then
  rm -rf "$DATA"
  for d in $(seq -w 0 99); do
    mkdir -p "$DATA/folder_$d"
    (cd "$DATA/folder_$d" && seq -f "file_%04g.dat" 0 999 | xargs touch)
  done
  for d in $(seq -w 0 9); do d="0$d"
    for i in $(seq -w 0 24); do mv "$DATA/folder_$d/file_00$i.dat" "$DATA/folder_$d/benchneedle_$i.dat"; done
  done
  echo 100000 > "$DATA/.complete"
fi

# Only the bench drive is mapped besides the prefix's own C:.
for d in t u v w; do rm -f "$PREFIX/dosdevices/$d:"; done
map_drive "$PREFIX" t "$DATA"
stop_wineserver
start_wineserver
trap 'stop_wineserver; stop_display; for d in t u v w; do rm -f "$PREFIX/dosdevices/$d:"; done' EXIT
start_display

start_ms=$(date +%s%3N)
tw_start "$EXE"
W=$(tw_wait_window "$TW_PID" 120) || { log "startup bench: no window"; kill "$TW_PID"; exit 0; }
tw_wait_ready "$W" 600 || { log "startup bench: index not ready"; kill "$TW_PID"; exit 0; }
ready_ms=$(date +%s%3N)
tw_type_query "$W" "benchneedle"
if tw_wait_count "$W" 250 120; then
  end_ms=$(date +%s%3N)
  echo "startup_first_results_ms_100k=$((end_ms - start_ms))"
  echo "startup_index_ready_ms_100k=$((ready_ms - start_ms))"
else
  log "startup bench: title '$(tw_title "$W")'"
fi
tw_close "$W"
tw_wait_exit "$TW_PID" 30 || kill "$TW_PID" 2>/dev/null
exit 0
