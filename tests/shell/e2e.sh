#!/usr/bin/env bash
# End-to-end test of the real program under Wine and Xvfb: start on a fixture drive, wait for the
# index, type a query into the search box, read the result count from the title, keep it through
# Esc, start a second instance, start hidden, close to the tray and exit (window.ini written).
# Usage: e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test: WINEPREFIX, DISPLAY,
# TARNWICK_TEST_DRIVES)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"

tw_e2e_begin shell-e2e

# Fixture: 37 files with a token found nowhere else, 23 of them also matching a second term,
# plus unrelated files and folders.
T="$TARNWICK_TEST_DRIVES/t"
rm -rf "$T/e2e"
mkdir -p "$T/e2e/deep/er" "$T/e2e/other"
for i in $(seq 1 23); do : > "$T/e2e/qzxtoken_alpha_$i.txt"; done
for i in $(seq 1 14); do : > "$T/e2e/deep/er/QZXTOKEN_beta_$i.log"; done
for i in $(seq 1 50); do : > "$T/e2e/other/unrelated_$i.dat"; done

CONFIG="$(tw_config_dir)"
rm -f "$CONFIG/window.ini" "$CONFIG/window.ini.tmp" "$CONFIG/recent.ini"

started_ms=$(date +%s%3N)
tw_start "$EXE"
PID1=$TW_PID
if W=$(tw_wait_window "$PID1" 60); then pass "main window appeared"; else fail "no main window"; fi
if tw_wait_ready "$W" 120; then pass "index ready after $(( $(date +%s%3N) - started_ms )) ms: $(tw_title "$W")"; else fail "title stayed '$(tw_title "$W")'"; fi

tw_type_query "$W" "qzxtoken"
if tw_wait_count "$W" 37 30; then pass "37 results for qzxtoken"; else fail "title '$(tw_title "$W")' for qzxtoken"; fi
import -window root "$ARTIFACTS/shell-e2e-results.png" 2>/dev/null || true
if tw_wait_probe 'id=101 class=Edit visible=1 .*text="qzxtoken"' 5 controls; then pass "search box shows the query"; else fail "search box: $(tw_controls | grep 'id=101 ')"; fi

tw_type_query "$W" "_alpha"
if tw_wait_count "$W" 23 30; then pass "23 results for qzxtoken_alpha"; else fail "title '$(tw_title "$W")' for qzxtoken_alpha"; fi

# Esc on a name query goes to the box: the text and its results stay.
xdotool key --clearmodifiers Escape
sleep 1
if tw_wait_probe 'id=101 class=Edit visible=1 .*text="qzxtoken_alpha"' 5 controls; then pass "Esc keeps the query"; else fail "search box after Esc: $(tw_controls | grep 'id=101 ')"; fi
if [ "$(tw_count "$W")" = 23 ]; then pass "Esc keeps the results"; else fail "after Esc the title is '$(tw_title "$W")'"; fi

# The window was written at start-up (every resize saves it); a second instance activates the
# first one and exits at once.
xdotool windowminimize "$W" 2>/dev/null
if tw_wait_hidden "$PID1" 15; then pass "minimize hides the window"; else fail "minimize did not hide the window"; fi
started=$(date +%s)
tw_run_wait "$EXE" 30
rc=$TW_RC
if [ "$rc" = 0 ]; then pass "second instance exited with 0 after $(( $(date +%s) - started )) s"; else fail "second instance exit code $rc"; fi
if tw_wait_window "$PID1" 15 >/dev/null; then pass "second instance showed the first window"; else fail "first window still hidden"; fi
if kill -0 "$PID1" 2>/dev/null; then pass "first instance still runs"; else fail "first instance ended"; fi

# Closing hides the window to the tray; the tray menu's Exit ends the program and writes
# window.ini.
rm -f "$CONFIG/window.ini"
W=$(tw_wait_window "$PID1" 10)
tw_close "$W"
if tw_wait_hidden "$PID1" 15 && kill -0 "$PID1" 2>/dev/null; then pass "close hides to the tray"; else fail "close did not hide the window to the tray"; fi
tw_command 20002
if tw_wait_exit "$PID1" 30; then pass "program ended after Exit"; else fail "program still runs after Exit"; kill "$PID1" 2>/dev/null; fi
if grep -q "width=" "$CONFIG/window.ini" 2>/dev/null; then pass "window.ini written at close"; else fail "window.ini missing after close"; fi
if [ ! -e "$CONFIG/window.ini.tmp" ]; then pass "no temporary file left"; else fail "window.ini.tmp left behind"; fi
if grep -aq "summary hit_ratio=[0-9]*\.[0-9][0-9]% hits=" "$CONFIG/perf_metrics.log" 2>/dev/null; then pass "performance summary written at exit"; else fail "no performance summary line at exit"; fi

# A hidden start shows no window; a second (normal) start shows it.
tw_start "$EXE" -hidden
PID2=$TW_PID
sleep 8
if kill -0 "$PID2" 2>/dev/null; then pass "hidden start runs"; else fail "hidden start ended"; fi
if tw_visible "$PID2"; then fail "hidden start shows a window"; else pass "hidden start shows no window"; fi
tw_run_wait "$EXE" 30
if tw_wait_window "$PID2" 15 >/dev/null; then pass "second start showed the hidden instance"; else fail "hidden instance not shown"; fi
tw_command 20002
tw_wait_exit "$PID2" 30 || { fail "hidden-started instance did not exit"; kill -9 "$PID2" 2>/dev/null; }

tw_e2e_end
