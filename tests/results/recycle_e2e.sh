#!/usr/bin/env bash
# End-to-end test of Delete (to the Recycle Bin) in the search view when the trash cannot take
# files, under Wine and Xvfb: the prefix user's trash folder is a plain file, so the shell deletes
# for good what it was told to recycle. The file and the folder stay on disk with their content,
# the question follows, No keeps them, Yes deletes them; no second name is left behind. A second
# start with a working trash: Delete puts the file in the trash and asks nothing.
# Usage: recycle_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"

tw_e2e_begin recycle-e2e

# The centre of the first row's Size column at 96 DPI in the top-bar layout (client coordinates):
# a click there selects the row without opening the rename box.
ROW1_Y=192
SIZE_X=390

T="$TARNWICK_TEST_DRIVES/t"
F="$T/rc"
rm -rf "$F"
mkdir -p "$F/qzxkeepdir/inner"
printf 'the only copy' > "$F/qzxkeep.txt"
printf 'deep bytes' > "$F/qzxkeepdir/inner/deep.txt"
printf 'to the trash' > "$F/qzxrecycled.txt"

# The trash folder of the prefix user; the program gets a plain file in its place, and the other
# tests get a trash folder back whatever happens here.
TRASH_DIR="$HOME/.local/share/Trash"
restore_trash() { [ -d "$TRASH_DIR" ] || { rm -f "$TRASH_DIR"; mkdir -p "$TRASH_DIR/files" "$TRASH_DIR/info"; }; }
trap restore_trash EXIT
rm -rf "$TRASH_DIR"
mkdir -p "$(dirname "$TRASH_DIR")"
printf 'not a folder' > "$TRASH_DIR"

CONFIG="$(tw_config_dir)"
rm -f "$CONFIG/recent.ini"

stop_program() {
  tw_command 20002  # the tray menu's Exit
  tw_wait_exit "$PID" 30 || { fail "program still runs after Exit"; kill "$PID" 2>/dev/null; }
}
search() { tw_search_count "$W" "$1" "$2" 30 || fail "title '$(tw_title "$W")' for $1 (want $2)"; }
QUESTION='#32770 "Confirm Delete"'
# The text of the open message box.
box_text() { tw_probe --class '#32770' controls | sed -n 's/.* class=Static visible=1 rect=[^ ]* text="\(..*\)"$/\1/p'; }
# Selects the first row and presses Delete until the question shows (the click may land while
# the window is still taking back the activation, which puts the focus in the search box).
delete_first_row_until_question() {
  local attempt
  for attempt in 1 2 3; do
    xdotool mousemove --window "$W" "$SIZE_X" "$ROW1_Y" click 1
    sleep 0.5
    xdotool key --clearmodifiers Delete
    tw_wait_dialog "$QUESTION" 10 && return 0
  done
  return 1
}
# Answers the open question with a key; fails when it stays open.
answer() {
  xdotool key "$1"
  tw_wait_no_dialog '#32770' 15 || { fail "the question stayed open after '$1'"; xdotool key Escape; }
}
no_guard_names() {
  local left
  left="$(find "$F" -name '.~tw-*' 2>/dev/null)"
  if [ -z "$left" ]; then pass "no second name left behind ($1)"; else fail "left behind ($1): $left"; fi
}

tw_start_ready "$EXE"

# A file: it stays with its content while the question is open; No keeps it; Yes deletes it.
search qzxkeep.txt 1
if delete_first_row_until_question; then
  text="$(box_text)"
  case "$text" in
    *"could not be moved to the Recycle Bin"*) pass "the question follows: $text" ;;
    *) fail "unexpected question: '$text'" ;;
  esac
  if [ "$(cat "$F/qzxkeep.txt" 2>/dev/null)" = 'the only copy' ]; then pass "the file is on disk with its content while asked"; else fail "the file is gone before the user's word: $(ls -A "$F" | tr '\n' ' ')"; fi
  answer n
else
  fail "no question after Delete: $(tw_windows | tr '\n' ' ')"
fi
if [ "$(cat "$F/qzxkeep.txt" 2>/dev/null)" = 'the only copy' ]; then pass "No keeps the file with its content"; else fail "file lost after No: $(ls -A "$F" | tr '\n' ' ')"; fi
no_guard_names "file, No"
search qzxkeep.txt 1
if delete_first_row_until_question; then
  answer y
  for _ in $(seq 1 50); do [ -e "$F/qzxkeep.txt" ] || break; sleep 0.1; done
  if [ ! -e "$F/qzxkeep.txt" ]; then pass "Yes deletes the file"; else fail "the file stayed after Yes"; fi
else
  fail "no question after the second Delete: $(tw_windows | tr '\n' ' ')"
fi
no_guard_names "file, Yes"

# A folder: the same question; No keeps it with what it holds.
search qzxkeepdir 1
if delete_first_row_until_question; then
  pass "a folder the trash cannot take is asked about"
  answer n
else
  fail "no question after Delete of a folder: $(tw_windows | tr '\n' ' ')"
fi
if [ "$(cat "$F/qzxkeepdir/inner/deep.txt" 2>/dev/null)" = 'deep bytes' ]; then pass "No keeps the folder with its content"; else fail "folder content lost after No: $(find "$F" | tr '\n' ' ')"; fi
no_guard_names "folder, No"
stop_program

# A working trash (the shell sets up its trash once per process: a new start): Delete puts the
# file in the trash and asks nothing.
rm -f "$TRASH_DIR"
restore_trash
tw_start_ready "$EXE"
search qzxrecycled 1
deleted=""
for attempt in 1 2 3; do
  xdotool mousemove --window "$W" "$SIZE_X" "$ROW1_Y" click 1
  sleep 0.5
  xdotool key --clearmodifiers Delete
  if tw_wait_count "$W" 0 15; then deleted=1; break; fi
done
if [ -n "$deleted" ]; then pass "count dropped to 0 after Delete"; else fail "title after Delete: '$(tw_title "$W")'"; fi
if [ "$(cat "$TRASH_DIR/files/qzxrecycled.txt" 2>/dev/null)" = 'to the trash' ] && [ ! -e "$F/qzxrecycled.txt" ]; then
  pass "Delete moved the file to the trash"
else
  fail "trash: $(ls -A "$TRASH_DIR/files" 2>&1 | tr '\n' ' ')"
fi
if tw_windows | grep -q '#32770'; then fail "a box showed: $(box_text)"; xdotool key Escape; else pass "a move to the trash asks nothing"; fi
no_guard_names "recycled"
stop_program
rm -f "$CONFIG/recent.ini"

tw_e2e_end
