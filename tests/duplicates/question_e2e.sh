#!/usr/bin/env bash
# End-to-end test of deleting in the duplicate mode while another program acts during the
# question, then Yes, under Wine and Xvfb. Each case makes one pair of copies on drive U:, scans
# it (Exact) and selects the second copy; while the question is open the probe (a Windows
# program) or a host process (bound by no Windows sharing) acts on a copy:
#   1. Shift+Delete: the probe deletes and renames the copy that stays: both refused; Yes deletes
#      the selected copy and the copy that stays keeps its bytes.
#   2. Delete when the Recycle Bin cannot take the file (the trash folder replaced by a plain
#      file), the question whether to delete for good open:
#      a. the probe writes the copy that stays, deletes it, writes the selected copy: all refused;
#      b. a host process rewrites the selected copy with its size and time put back: the view
#         refuses, the new bytes stay;
#      c. the same for the copy that stays: refused, the selected copy stays.
# Afterwards the bytes that were there exist on disk in every case.
# Usage: question_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
source "$(dirname "${BASH_SOURCE[0]}")/e2e_helpers.sh"
tw_e2e_begin dup-question-e2e

U="$TARNWICK_TEST_DRIVES/u"
rm -rf "${U:?}"/*
CONFIG="$(tw_config_dir)"
rm -rf "$CONFIG/dupcache"
TRASH_DIR="$HOME/.local/share/Trash"
rm -rf "$TRASH_DIR"
trap 'rm -f "$TRASH_DIR"' EXIT

U_INDEX=$(drive_index u)
sum() { sha256sum "$1" 2>/dev/null | cut -c1-64; }
# make_pair NAME SEED: NAME1.bin and NAME2.bin with equal bytes at the root of U: (where the
# index sees changes at once), the pair of the case before gone; sets ORIG to their SHA-256.
make_pair() {
  rm -f "${U:?}"/*.bin
  python3 - "$U" "$1" "$2" <<'PY'
import os, random, sys
root, name, seed = sys.argv[1], sys.argv[2], int(sys.argv[3])
os.makedirs(root, exist_ok=True)
data = random.Random(seed).randbytes(300000)
for n in ("1", "2"):
    with open(os.path.join(root, name + n + ".bin"), "wb") as f:
        f.write(data)
PY
  ORIG="$(sum "$U/${1}1.bin")"
}
# A host process writes new bytes into a file and puts its size and times back.
host_rewrite() {
  python3 - "$1" <<'PY'
import os, sys
p = sys.argv[1]
st = os.stat(p)
with open(p, "r+b") as f:
    f.seek(1000)
    f.write(b"rewritten while the question was open")
os.utime(p, ns=(st.st_atime_ns, st.st_mtime_ns))
PY
}
# Scans U: (Exact) and selects the second copy of its only group (the pair NAME). The index may
# take a moment to see the new files: the scan is repeated until it finds them.
scan_and_select() {
  local _
  for _ in 1 2 3 4 5; do
    tw_command 125
    sleep 1
    tw_wait_probe '^Rescan$' 30 text 125
    grep -q "U:.${1}1.bin" "$CONFIG/dupcache/U.dup" 2>/dev/null && break
  done
  grep -q "U:.${1}1.bin" "$CONFIG/dupcache/U.dup" 2>/dev/null || fail "the scan found no pair $1: '$(scan_text)' status '$(tw_probe text 103)' U.dup: $(tr '\n' ' ' <"$CONFIG/dupcache/U.dup" 2>/dev/null)"
  sleep 0.3
  click_group 0
  click_file 1
}
# Presses KEY (Delete or shift+Delete) and waits for the question; false when none came.
ask() {
  xdotool key --clearmodifiers "$1"
  tw_wait_dialog '#32770 "Confirm Delete"' 30
}
yes_and_wait() {
  xdotool key --clearmodifiers y
  tw_wait_no_dialog '#32770 "Confirm Delete"' 15 || fail "the question stayed after Yes"
  sleep 1
}
# Closes a box a case left open (a refusal after a failed check), so the next case starts clean.
close_boxes() {
  local _
  for _ in 1 2 3; do
    tw_windows | grep -q '#32770' || return 0
    xdotool key --clearmodifiers Return
    sleep 0.5
  done
}
refused() { case "$1" in ok) return 1 ;; *) return 0 ;; esac; }

start_program
enter_duplicates
choose 126 "$U_INDEX"
choose 128 2

# 1. Shift+Delete; the probe acts while the question is open.
make_pair a 1
scan_and_select a
if ask shift+Delete; then
  del="$(tw_probe file-delete 'U:\a1.bin')"
  ren="$(tw_probe file-rename 'U:\a1.bin' 'U:\a1-moved.bin')"
  if refused "$del" && refused "$ren"; then
    pass "Shift+Delete question open: another program can neither delete ($del) nor rename ($ren) the copy that stays"
  else
    fail "Shift+Delete question open: the probe's delete: $del, rename: $ren"
  fi
  yes_and_wait
else
  fail "Shift+Delete asked nothing: $(tw_windows | tr '\n' ' ')"
fi
if [ "$(sum "$U/a1.bin")" = "$ORIG" ] && [ ! -e "$U/a2.bin" ]; then
  pass "after Yes the selected copy is deleted and the copy that stays has its bytes"
else
  fail "after Shift+Delete: $(ls "$U" | tr '\n' ' ') a1 $(sum "$U/a1.bin")"
fi

# 2. The Recycle Bin cannot take files: its folder is a plain file.
echo "not a folder" >"$TRASH_DIR"
no_bin_case() {  # no_bin_case NAME SEED ACT CHECK
  close_boxes
  make_pair "$1" "$2"
  scan_and_select "$1"
  if ask Delete; then
    "$3"
  else
    fail "$1: no question after the Recycle Bin did not take the file: $(tw_windows | tr '\n' ' '), files: $(ls "$U" | tr '\n' ' ')"
  fi
  "$4"
}
act_b() {
  local w d s
  w="$(tw_probe file-write 'U:\b1.bin' 'other bytes')"
  d="$(tw_probe file-delete 'U:\b1.bin')"
  s="$(tw_probe file-write 'U:\b2.bin' 'other bytes')"
  if refused "$w" && refused "$d" && refused "$s"; then
    pass "question after the failed recycle: another program can neither write ($w) nor delete ($d) the copy that stays, nor write the selected one ($s)"
  else
    fail "question after the failed recycle: the probe's write: $w, delete: $d, write of the selected copy: $s"
  fi
  yes_and_wait
}
check_b() {
  if [ "$(sum "$U/b1.bin")" = "$ORIG" ] && [ ! -e "$U/b2.bin" ]; then
    pass "after Yes the selected copy is deleted for good and the copy that stays has its bytes"
  else
    fail "after the failed recycle: $(ls "$U" | tr '\n' ' ') b1 $(sum "$U/b1.bin")"
  fi
}
no_bin_case b 2 act_b check_b

act_c() {
  host_rewrite "$U/c2.bin"
  NEW="$(sum "$U/c2.bin")"
  xdotool key --clearmodifiers y
  expect_refusal "selected copy rewritten by a host process, size and time put back"
}
check_c() {
  if [ "$(sum "$U/c1.bin")" = "$ORIG" ] && [ -n "${NEW:-}" ] && [ "$(sum "$U/c2.bin")" = "$NEW" ]; then
    pass "the rewritten selected copy keeps its new bytes, the other copy its own"
  else
    fail "after the rewrite of the selected copy: $(ls "$U" | tr '\n' ' ')"
  fi
}
no_bin_case c 3 act_c check_c

act_d() {
  host_rewrite "$U/d1.bin"
  xdotool key --clearmodifiers y
  expect_refusal "copy that stays rewritten by a host process, size and time put back"
}
check_d() {
  if [ "$(sum "$U/d2.bin")" = "$ORIG" ]; then
    pass "the selected copy stays, the only one left with the bytes read"
  else
    fail "after the rewrite of the copy that stays: $(ls "$U" | tr '\n' ' ')"
  fi
}
no_bin_case d 4 act_d check_d

rm -f "$TRASH_DIR"
close_boxes
tw_command 20002
tw_wait_exit "$PID" 20 || kill "$PID" 2>/dev/null
rm -rf "${U:?}"/*
tw_e2e_end
