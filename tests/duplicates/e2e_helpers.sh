# Helpers of the duplicate mode's end-to-end scripts (sourced after scripts/lib/program.sh).

# Position of a drive letter in the duplicate drive combo: "All Drives" first, then the fixed
# drives in letter order (every drive of the test prefix is fixed).
drive_index() {
  local i=0 d
  for d in $(ls "$WINEPREFIX/dosdevices" | grep -E '^[a-z]:$' | sort); do
    i=$((i + 1))
    [ "$d" = "$1:" ] && { echo "$i"; return; }
  done
  echo 0
}

# Starts the program and waits until its index is ready; sets PID, W (the window) and CW (its
# width).
start_program() {
  tw_start_ready "$EXE"
  CW=$(xdotool getwindowgeometry "$W" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
  CW=${CW:-1100}
}

# Switches to the duplicate mode and waits for its controls.
enter_duplicates() {
  tw_command 10036
  tw_wait_probe 'id=125 class=Button visible=1' 10 controls || fail "duplicate controls not shown: $(tw_controls | grep -E 'id=12[5-9]')"
}

# Picks an item of a combo box as the user would: choose COMBO_ID INDEX.
choose() {
  tw_probe post-child "$1" 0x014E "$2" >/dev/null
  tw_post WM_COMMAND $(( 65536 + $1 )) 0
  sleep 0.3
}

# The text of the Scan / Rescan / Cancel button.
scan_text() { tw_probe text 125; }

# Layout of the view at 96 DPI while nothing runs: group rows from y 192 (52 high) in the left
# half, file rows from y 192 (30 high) in the right half. A point on file row N, and clicks on
# group and file rows.
file_x() { echo $(( 16 + (CW - 32) / 2 + 12 + 120 )); }
file_y() { echo $(( 192 + 15 + 30 * $1 )); }
click_group() { xdotool mousemove --window "$W" 100 $(( 192 + 26 + 52 * $1 )) click 1; sleep 0.3; }
click_file() { xdotool mousemove --window "$W" "$(file_x)" "$(file_y "$1")" click 1; sleep 0.3; }

# Waits for the view's refusal and closes it; fails when a question or nothing came instead.
expect_refusal() {
  if tw_wait_dialog '#32770 "Duplicate Files"' 20; then
    pass "$1: refused with a message"
    xdotool key Return
    sleep 0.5
  else
    fail "$1: no refusal, windows: $(tw_windows | tr '\n' ' ')"
  fi
}
