#!/usr/bin/env bash
# Start-up of the real program on a drive of 100,000 files, with a fresh configuration folder:
#   startup_index_ready_ms_100k   launch -> the title leaves "Initializing..." (search box usable)
#   startup_first_results_ms_100k launch -> the title shows the result count of a query that is
#                                 typed as soon as the search box is usable
# Median of TARNWICK_STARTUP_RUNS runs (default 3); every run is logged on stderr.
# Runs under scripts/bench or on its own after scripts/build. It uses a Wine prefix of its own
# (build/bench-wineprefix) with the fixture as drive T:, so the test prefix is left alone.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
source "$ROOT/scripts/lib/program.sh"
EXE="$BUILD/Tarnwick.exe"
[ -f "$EXE" ] || { log "startup bench: $EXE missing (run scripts/build)"; exit 0; }
RUNS="${TARNWICK_STARTUP_RUNS:-3}"
DATA="${TARNWICK_BENCH_DIR:-$BUILD/bench-data}/startup100k"
NEEDLE=benchneedle
NEEDLE_COUNT=250

# 1,000 folders of 100 empty files in 10 top folders; 250 files carry the query's token.
if [ "$(cat "$DATA.complete" 2>/dev/null)" != "100000" ]; then
  rm -rf "$DATA" "$DATA.complete"
  python3 - "$DATA" "$NEEDLE" "$NEEDLE_COUNT" <<'EOF'
import os, sys
root, needle, needles = sys.argv[1], sys.argv[2], int(sys.argv[3])
made = 0
for top in range(10):
    for sub in range(100):
        folder = os.path.join(root, "top%02d" % top, "folder%03d" % sub)
        os.makedirs(folder)
        for i in range(100):
            name = "%s_%d_%d_%d.dat" % (needle, top, sub, i) if made < needles and i == 0 and sub % 4 == 0 \
                else "file_%d_%d_%d.txt" % (top, sub, i)
            made += name.startswith(needle)
            open(os.path.join(folder, name), "wb").close()
EOF
  echo 100000 > "$DATA.complete"
fi

# The bench's own prefix: only C: and the fixture drive. The display comes first: the Wine server's
# first program starts the desktop process, which keeps the display of its own environment.
PREFIX="$BUILD/bench-wineprefix"
setup_prefix "$PREFIX" "$BUILD/bench-home"
for d in d e f g s t u v w; do rm -f "$PREFIX/dosdevices/$d:"; done
map_drive "$PREFIX" t "$DATA"
trap 'stop_wineserver; stop_display' EXIT
start_display
stop_wineserver
start_wineserver
CONFIG="$(tw_config_dir)"

now_ms() { date +%s%3N; }

# One run, called in a condition (a failing poll must not end the script). Sets RUN_READY,
# RUN_TYPED (the query has been typed) and RUN_RESULTS, in milliseconds from the launch.
run_once() {
  local start w rc=0
  rm -rf "$CONFIG"
  start=$(now_ms)
  tw_start "$EXE"
  if ! w=$(tw_wait_window "$TW_PID" 120); then
    kill "$TW_PID" 2>/dev/null
    wait "$TW_PID" || rc=$?
    log "startup bench: no main window (exit code $rc; see Tarnwick_gdi.log in the prefix's temporary folder)"
    return 1
  fi
  tw_wait_ready "$w" 600 || { log "startup bench: title '$(tw_title "$w")'"; kill "$TW_PID"; return 1; }
  RUN_READY=$(( $(now_ms) - start ))
  tw_type_query "$w" "$NEEDLE"
  RUN_TYPED=$(( $(now_ms) - start ))
  tw_wait_count "$w" "$NEEDLE_COUNT" 120 || { log "startup bench: title '$(tw_title "$w")'"; kill "$TW_PID"; return 1; }
  RUN_RESULTS=$(( $(now_ms) - start ))
  tw_close "$w"
  tw_wait_exit "$TW_PID" 30 || kill "$TW_PID" 2>/dev/null
  return 0
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }

readies=() results=()
for run in $(seq 1 "$RUNS"); do
  if run_once; then
    log "startup bench run $run: index ready $RUN_READY ms, query typed $RUN_TYPED ms, first results $RUN_RESULTS ms"
    readies+=("$RUN_READY") results+=("$RUN_RESULTS")
  else
    log "startup bench run $run failed"
    tw_wait_exit "$TW_PID" 30 || kill -9 "$TW_PID" 2>/dev/null || true
  fi
done
[ ${#results[@]} -gt 0 ] || exit 0
echo "startup_first_results_ms_100k=$(printf '%s\n' "${results[@]}" | median)"
echo "startup_index_ready_ms_100k=$(printf '%s\n' "${readies[@]}" | median)"
