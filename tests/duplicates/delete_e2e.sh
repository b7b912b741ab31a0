#!/usr/bin/env bash
# End-to-end test of deleting in the duplicate mode under Wine and Xvfb: the delete reads the
# copies as they are at that moment. On drive U: three pairs of copies are scanned in Exact mode.
# A kept copy rewritten in place after that fresh scan, and one rewritten with its time put back
# (the rescan takes its old hash from the hash cache and still shows the pair), are refused with
# the message of the view, and both files stay out of the trash. An allowed delete puts the file
# in the trash. On drive V: two large sparse copies, grouped by a Fast scan: their check reads
# them whole in the background, the status text shows the bytes read while the window answers,
# Esc cancels it and nothing is deleted, also with the focus in the compare-mode drop-down;
# closing the program during a check deletes nothing.
# Usage: delete_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
source "$(dirname "${BASH_SOURCE[0]}")/e2e_helpers.sh"
tw_e2e_begin dup-delete-e2e

U="$TARNWICK_TEST_DRIVES/u"
V="$TARNWICK_TEST_DRIVES/v"
rm -rf "${U:?}"/* "${V:?}"/*
python3 - "$U" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(21)
for name, size in (("keep/a", 300000), ("tag/b", 250000), ("ok/c", 200000)):
    data = rng.randbytes(size)
    os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
    for n in ("1", "2"):
        with open(os.path.join(root, name + n + ".bin"), "wb") as f:
            f.write(data)
PY
# Two equal files of 2 GiB that take no room: reading one whole takes seconds (SHA-256 runs at
# about 260 MB/s under Wine).
mkdir -p "$V/big"
truncate -s 2G "$V/big/z1.img" "$V/big/z2.img"

CONFIG="$(tw_config_dir)"
rm -rf "$CONFIG/dupcache"
TRASH="$HOME/.local/share/Trash/files"
rm -rf "$HOME/.local/share/Trash"

U_INDEX=$(drive_index u)
V_INDEX=$(drive_index v)

status_text() { tw_probe text 103; }
trash_list() { ls "$TRASH" 2>/dev/null | tr '\n' ' '; }
both_stay() {  # both_stay PATH1 PATH2: both on disk, neither in the trash
  [ -f "$1" ] && [ -f "$2" ] && [ -z "$(trash_list | grep -F -e "$(basename "$1")" -e "$(basename "$2")")" ]
}

start_program
enter_duplicates
choose 126 "$U_INDEX"
choose 128 2
tw_command 125
tw_wait_probe '^Rescan$' 60 text 125 || fail "the Exact scan did not end: '$(scan_text)'"
DUP="$CONFIG/dupcache/U.dup"
if [ "$(grep -c '^size=' "$DUP" 2>/dev/null)" = 3 ]; then pass "three pairs found"; else fail "U.dup: $(tr '\n' ' ' <"$DUP" 2>/dev/null)"; fi

# After the scan: a1 rewritten in place at its size; b2 rewritten with its times put back.
python3 - "$U" <<'PY'
import os, sys
root = sys.argv[1]
with open(os.path.join(root, "keep", "a1.bin"), "r+b") as f:
    f.seek(1000)
    f.write(b"rewritten after the scan")
p = os.path.join(root, "tag", "b2.bin")
st = os.stat(p)
with open(p, "r+b") as f:
    f.seek(5000)
    f.write(b"a new tag")
os.utime(p, ns=(st.st_atime_ns, st.st_mtime_ns))
PY

# 1. The largest pair (a) from the fresh scan: deleting a2 would leave only the changed a1.
click_group 0
click_file 1
xdotool key --clearmodifiers Delete
expect_refusal "kept copy changed after a fresh Exact scan"
if both_stay "$U/keep/a1.bin" "$U/keep/a2.bin"; then pass "a1 and a2 stay, the trash holds neither"; else fail "a: $(ls "$U/keep") trash: $(trash_list)"; fi

# 2. Rescan: b2's hash comes from the hash cache (same path, size and time), so b stays a pair.
tw_command 125
for _ in $(seq 1 300); do
  [ -f "$DUP" ] && ! grep -q 'keep\\a1.bin' "$DUP" && [ "$(scan_text)" = Rescan ] && break
  sleep 0.1
done
if grep -q 'tag\\b2.bin' "$DUP"; then pass "the rescan still groups b1 and b2 (cached hash)"; else fail "b is no group after the rescan: $(tr '\n' ' ' <"$DUP")"; fi
sleep 0.5
click_group 0
click_file 0
xdotool key --clearmodifiers shift+Delete
expect_refusal "Shift+Delete with a cached hash that no longer holds"
if both_stay "$U/tag/b1.bin" "$U/tag/b2.bin"; then pass "b1 and b2 stay, the trash holds neither"; else fail "b: $(ls "$U/tag") trash: $(trash_list)"; fi

# 3. An allowed delete: c2 goes to the trash, c1 stays.
click_group 1
click_file 1
xdotool key --clearmodifiers Delete
for _ in $(seq 1 50); do [ -f "$TRASH/c2.bin" ] && break; sleep 0.2; done
if [ -f "$TRASH/c2.bin" ] && [ ! -e "$U/ok/c2.bin" ] && [ -f "$U/ok/c1.bin" ]; then
  pass "c2 is in the trash, c1 stays"
else
  fail "c: $(ls "$U/ok") trash: $(trash_list)"
fi

# 4. The large pair on V:, grouped by a Fast scan (samples only).
choose 126 "$V_INDEX"
choose 128 1
tw_command 125
tw_wait_probe '^Rescan$' 60 text 125 || fail "the Fast scan of V: did not end: '$(scan_text)'"
click_group 0
click_file 1
xdotool key --clearmodifiers Delete
if tw_wait_probe '^Checking the copies' 10 text 103; then pass "the check runs: '$(status_text)'"; else fail "no check in the status: '$(status_text)'"; fi
first="$(status_text)"
sleep 1.5
import -window root "$ARTIFACTS/dup-delete-e2e-checking.png" 2>/dev/null || true
second="$(status_text)"
t0=$(date +%s%N)
answer="$(tw_probe send WM_NULL)"
ms=$(( ($(date +%s%N) - t0) / 1000000 ))
if [ -n "$second" ] && [ "$first" != "$second" ] && [ "$answer" = 0 ]; then
  pass "the window answers during the check ($ms ms), progress moved: '$first' -> '$second'"
else
  fail "window during the check: '$first' -> '$second', WM_NULL '$answer' in $ms ms"
fi
xdotool key --clearmodifiers Delete  # a second delete while the check runs starts nothing
xdotool key --clearmodifiers Escape
if tw_wait_probe '^Delete cancelled' 5 text 103; then pass "Esc cancels the check"; else fail "after Esc the status reads '$(status_text)'"; fi
sleep 1
if both_stay "$V/big/z1.img" "$V/big/z2.img" && [ "$(trash_list)" = "c2.bin " ]; then
  pass "nothing deleted after Esc"
else
  fail "after Esc: $(ls "$V/big") trash: $(trash_list)"
fi

# 4b. Esc with the compare-mode drop-down focused (opened and closed by two clicks during the
# check) cancels the check too; without a check, Esc in an open drop-down only closes the list.
mode_combo_click() {
  local rect x y w h
  rect="$(tw_controls | grep -E ' id=128 ' | sed -n 's/.* rect=\([0-9-]*,[0-9-]*,[0-9]*,[0-9]*\).*/\1/p')"
  IFS=, read -r x y w h <<<"$rect"
  xdotool mousemove --window "$W" $(( x + w / 2 )) $(( y + h / 2 )) click 1
  sleep 0.4
}
list_open() { tw_windows | grep -q ' ComboLBox '; }
wait_list() {  # wait_list open|closed: waits up to 3 s for the drop-down list to be so
  local _
  for _ in $(seq 1 15); do
    if list_open; then [ "$1" = open ] && return 0; else [ "$1" = closed ] && return 0; fi
    sleep 0.2
  done
  return 1
}
click_file 1
xdotool key --clearmodifiers Delete
tw_wait_probe '^Checking the copies' 10 text 103 || fail "the check did not start again: '$(status_text)'"
mode_combo_click
wait_list open || fail "the first click opened no drop-down list"
mode_combo_click
wait_list closed || fail "the second click left the drop-down list open"
if tw_wait_probe '^Checking the copies' 2 text 103; then :; else fail "the check ended before Esc: '$(status_text)'"; fi
xdotool key --clearmodifiers Escape
if tw_wait_probe '^Delete cancelled' 5 text 103; then
  pass "Esc in the compare-mode drop-down cancels the check"
else
  fail "after Esc in the drop-down the status reads '$(status_text)'"
  tw_command 125  # stops the check before it deletes
fi
sleep 1
if both_stay "$V/big/z1.img" "$V/big/z2.img" && [ "$(trash_list)" = "c2.bin " ]; then
  pass "nothing deleted after Esc in the drop-down"
else
  fail "after Esc in the drop-down: $(ls "$V/big") trash: $(trash_list)"
fi
mode_combo_click
if wait_list open; then
  xdotool key --clearmodifiers Escape
  if wait_list closed; then pass "without a check Esc closes the drop-down list"; else fail "Esc did not close the drop-down list"; fi
else
  fail "a click on the compare-mode drop-down opened no list: $(tw_windows | tr '\n' ' ')"
fi
[ "$(tw_probe text 128)" = "Fast (sample hash)" ] || fail "the compare mode changed: '$(tw_probe text 128)'"

# 5. Closing the program during a check: the check stops and nothing is deleted.
click_file 1
xdotool key --clearmodifiers Delete
tw_wait_probe '^Checking the copies' 10 text 103 || fail "the second check did not start: '$(status_text)'"
tw_command 20002
if tw_wait_exit "$PID" 20; then pass "the program closes during a check"; else fail "the program still runs"; kill "$PID" 2>/dev/null; fi
if both_stay "$V/big/z1.img" "$V/big/z2.img" && [ "$(trash_list)" = "c2.bin " ]; then
  pass "nothing deleted by closing"
else
  fail "after closing: $(ls "$V/big") trash: $(trash_list)"
fi
rm -rf "${V:?}"/*

tw_e2e_end
