#!/usr/bin/env bash
# End-to-end test of the duplicate mode under Wine and Xvfb: a fixture drive with known duplicate
# sets (copies in several folders, a hard link, same-size files that differ only between the
# samples, empty files, files around the minimum size and the sample threshold). The mode is
# entered, the drive and Exact chosen, Scan pressed; the group cache and the hash cache appear and
# their groups equal those of jdupes run on the host over the same folder. After a restart the
# groups show at once from the cache. A paused and cancelled scan shows no groups and leaves the
# group cache alone. Delete moves one copy to the host trash; deleting every remaining copy is
# refused and both stay on disk.
# Usage: e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
source "$(dirname "${BASH_SOURCE[0]}")/e2e_helpers.sh"
tw_e2e_begin dup-e2e
command -v jdupes >/dev/null || { echo "FAIL: jdupes is not installed"; exit 1; }

# Fixture drive U: (emptied; everything below its root).
U="$TARNWICK_TEST_DRIVES/u"
rm -rf "${U:?}"/*
python3 - "$U" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(15)
def put(rel, data):
    path = os.path.join(root, *rel.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
three = rng.randbytes(200000)
for rel in ("a/x1.bin", "b/copy of x1.bin", "c/deep/er/x1.DAT"):
    put(rel, three)
big = rng.randbytes(600000)
near = bytearray(big)
near[150000] ^= 1  # differs only between the samples
put("big/one.iso", big)
put("big/near.iso", bytes(near))
# Pairs of copies: above, at and below the sample threshold, small, exactly the minimum size,
# below it, and empty.
for name, size in (("lim/m", 262145), ("lim/e", 262144), ("s/p", 5000), ("min/k", 1024),
                   ("min/b", 1023), ("empty/e", 0)):
    data = rng.randbytes(size)
    put(name + "1", data)
    put(name + "2", data)
put("s/other", rng.randbytes(5000))  # same size as s/p1, other content
for i in range(30):
    put("uniq/u%02d" % i, rng.randbytes(2000 + 37 * i))
# Many files of one size with their own content: every one is hashed, which gives the pause and
# cancel checks below time to act.
for i in range(10000):
    put("many/m%02d/f%05d" % (i % 100, i), rng.randbytes(2048))
PY
mkdir -p "$U/hl"
ln "$U/a/x1.bin" "$U/hl/x1-link.bin"

# The peer's groups, as sorted sets of Windows paths (files of at least 1024 bytes; the hard link
# counted as its target).
peer_groups() {
  (cd "$U" && jdupes -r . 2>/dev/null) | python3 -c '
import os, sys
root = sys.argv[1]
groups, cur = [], []
for line in sys.stdin.read().split("\n") + [""]:
    if line.strip():
        cur.append(line)
    elif cur:
        groups.append(cur); cur = []
out = set()
for g in groups:
    s = set()
    for p in g:
        p = p[2:] if p.startswith("./") else p
        if os.path.getsize(os.path.join(root, p)) < 1024: continue
        if p == "hl/x1-link.bin": p = "a/x1.bin"
        s.add("U:\\" + p.replace("/", "\\"))
    if len(s) >= 2: out.add(" | ".join(sorted(s)))
print("\n".join(sorted(out)))
' "$U"
}
# Our groups from the group cache (DUPCACHE1), in the same form.
our_groups() {
  python3 -c '
import sys
groups, cur = [], None
for line in open(sys.argv[1], encoding="utf-8").read().split("\n"):
    if line.startswith("size="): cur = set(); groups.append(cur)
    elif line.startswith("hash=") or line == "---" or cur is None: continue
    elif line: cur.add(line.replace("U:\\hl\\x1-link.bin", "U:\\a\\x1.bin"))
print("\n".join(sorted(" | ".join(sorted(g)) for g in groups if len(g) >= 2)))
' "$1"
}

CONFIG="$(tw_config_dir)"
rm -rf "$CONFIG/dupcache"
TRASH="$HOME/.local/share/Trash/files"
rm -rf "$HOME/.local/share/Trash"

U_INDEX=$(drive_index u)

stop_program() {
  tw_command 20002
  tw_wait_exit "$PID" 30 || { fail "program still runs after Exit"; kill "$PID" 2>/dev/null; }
}
# Layout of the view at 96 DPI: group rows from y 192 (52 high), file rows from 192 (30 high).
# The second group's rank badge (accent-coloured; the first row is selected and may match the
# list's own colour) against an empty part of the list.
GROUP_BADGE_X=29
row1_y=270
group_row_drawn() {
  local badge empty
  badge=$(tw_probe pixel "$GROUP_BADGE_X" "$row1_y")
  empty=$(tw_probe pixel "$GROUP_BADGE_X" 640)
  [ -n "$badge" ] && [ "$badge" != "$empty" ]
}

# --- First visit: scan U: in Exact mode. ---
start_program
enter_duplicates
choose 126 "$U_INDEX"
choose 128 2
tw_command 125
for _ in $(seq 1 600); do
  [ "$(scan_text)" = "Rescan" ] && break
  sleep 0.1
done
if [ "$(scan_text)" = "Rescan" ]; then pass "the scan ended (button reads Rescan)"; else fail "scan button reads '$(scan_text)'"; fi
if [ -f "$CONFIG/dupcache/U.dup" ] && [ -f "$CONFIG/dupcache/files.hash" ]; then
  pass "U.dup and files.hash written"
else
  fail "caches: $(ls "$CONFIG/dupcache" 2>&1 | tr '\n' ' ')"
fi
ours="$(our_groups "$CONFIG/dupcache/U.dup" 2>/dev/null)"
peer="$(peer_groups)"
if [ -n "$peer" ] && [ "$ours" = "$peer" ]; then
  pass "groups equal jdupes': $(wc -l <<<"$ours") sets"
else
  fail "groups differ from jdupes"
  diff <(echo "$peer") <(echo "$ours") | head -20
fi
sleep 0.5
if group_row_drawn; then pass "group rows are drawn"; else fail "no group row at the top of the list"; fi
import -window root "$ARTIFACTS/dup-e2e-groups.png" 2>/dev/null || true

# Rescan without the hash cache, paused at once and cancelled: no groups shown, the group cache
# untouched (the next visit below loads it).
stamp() { stat -c %Y.%s "$CONFIG/dupcache/U.dup" "$CONFIG/dupcache/files.hash" 2>/dev/null | tr '\n' ' '; }
group_cache_before="$(stat -c %Y.%s "$CONFIG/dupcache/U.dup")"
rm -f "$CONFIG/dupcache/files.hash"
tw_command 125
tw_command 129
if tw_wait_probe '^Resume$' 10 text 129 && [ "$(scan_text)" = "Cancel" ]; then pass "a running scan pauses"; else fail "pause: '$(tw_probe text 129)', scan button '$(scan_text)'"; fi
tw_command 125
if tw_wait_probe '^Scan$' 20 text 125; then pass "Cancel ends the scan without results (button reads Scan)"; else fail "after Cancel the button reads '$(scan_text)'"; fi
sleep 0.5
if group_row_drawn; then fail "group rows drawn after Cancel"; else pass "no group rows after Cancel"; fi
if [ "$(stat -c %Y.%s "$CONFIG/dupcache/U.dup")" = "$group_cache_before" ]; then pass "Cancel left the group cache as it was"; else fail "U.dup changed by a cancelled scan"; fi
# The scan again, to its end: the hash cache is back.
tw_command 125
tw_wait_probe '^Rescan$' 60 text 125 || fail "second scan did not end: '$(scan_text)'"
stop_program

# --- Second visit: the groups show from the cache, without hashing. ---
before="$(stamp)"
sleep 1.1
start_program
enter_duplicates
choose 126 "$U_INDEX"
choose 128 2
if tw_wait_probe '^Rescan$' 10 text 125; then pass "cached groups shown on entering (button reads Rescan)"; else fail "after restart the button reads '$(scan_text)'"; fi
sleep 0.5
if group_row_drawn; then pass "cached group rows are drawn"; else fail "no cached group row"; fi
if [ "$(stamp)" = "$before" ]; then pass "nothing was hashed or written again"; else fail "caches changed: $before -> $(stamp)"; fi

# --- Deleting: one copy of the largest group goes to the trash; the last copies stay. ---
# The largest group (200000 bytes: three copies, one of them also reached through a hard link
# and listed once) is first and selected.
COPIES=("$U/a/x1.bin" "$U/hl/x1-link.bin" "$U/b/copy of x1.bin" "$U/c/deep/er/x1.DAT")
copies_left() {
  local n=0 f
  for f in "${COPIES[@]}"; do [ -f "$f" ] && n=$((n + 1)); done
  echo "$n"
}
xdotool mousemove --window "$W" "$(file_x)" "$(file_y 0)" click 1
sleep 0.3
xdotool key --clearmodifiers Delete
deleted=""
for _ in $(seq 1 50); do
  deleted=$(ls "$TRASH" 2>/dev/null | head -n 1)
  [ -n "$deleted" ] && break
  sleep 0.2
done
left=$(copies_left)
if [ -n "$deleted" ] && [ "$left" -eq 3 ]; then pass "Delete moved '$deleted' to the trash, the other paths stay"; else fail "trash '$deleted', paths left $left"; fi
# Every remaining copy selected: refused with a message, nothing deleted.
xdotool mousemove --window "$W" "$(file_x)" "$(file_y 0)" click 1
sleep 0.2
xdotool key --clearmodifiers ctrl+a
sleep 0.2
xdotool key --clearmodifiers Delete
if tw_wait_dialog '#32770' 5; then pass "deleting the last copies is refused with a message"; else fail "no message: $(tw_windows | tr '\n' ' ')"; fi
xdotool key Return
sleep 0.5
left=$(copies_left)
trashed=$(ls "$TRASH" 2>/dev/null | wc -l)
if [ "$left" -eq 3 ] && [ "$trashed" -eq 1 ]; then pass "the last copies stay"; else fail "paths left $left, trash holds $trashed"; fi
# The search mode's filter buttons stay hidden while the index takes the deletion in.
shown=$(tw_controls | grep -cE ' id=([2-9][0-9]{2}|1[01][0-9]{2}) class=Button visible=1')
if [ "$shown" -eq 0 ]; then pass "no search filter button shows in duplicate mode"; else fail "$shown filter buttons shown"; fi
import -window root "$ARTIFACTS/dup-e2e-deleted.png" 2>/dev/null || true
stop_program

tw_e2e_end
