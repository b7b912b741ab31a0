#!/usr/bin/env bash
# Enumeration of the 1M tree of real names (bench/corpus.py), what a user waits for before the
# first search can find every file, side by side with its peers over the same tree:
#   enum_floor_s_1m      a minimal lister of ours under Wine (bench_enum_floor.exe): the listing
#                        I/O alone, the fastest of its in-process variants
#   tarnwick_enum_s_1m   the volume layer's enumeration under Wine (bench_standin.exe: every
#                        FSCTL_ENUM_USN_DATA call of a build, on a drive mapped to the tree; its
#                        first and only run), and tarnwick_enum_over_floor_1m
#   standin_bytes_per_entry_1m  the layer's memory after that enumeration, per entry
#   standin_change_seen_ms_1m   then, with the volume index built on the drive as the program
#                        builds it, files created in five random deep folders: the median time
#                        until the index holds each
#   standin_whole_sweep_s_1m    then one change scan with every folder's time and every file's
#                        size and time checked (a round of what runs in slices where the change
#                        notification does not cover every folder); its files found changed on
#                        the unchanged tree (standin_whole_sweep_files_changed_1m) must be 0
#   updatedb_s_1m        updatedb.plocate writing a fresh database of the tree
#   find_s_1m, bfs_s_1m  find and bfs listing the tree into a file
# Caches are warm for all (the tree is listed once first); the peers take the median of three
# runs. Each tool's count of entries is checked against the tree's (exit code 1 on a mismatch).
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
: "${WINEPREFIX:?run through scripts/bench}"
EXE="$BUILD/bench/bench_standin.exe"
FLOOR="$BUILD/bench/bench_enum_floor.exe"
[ -f "$EXE" ] && [ -f "$FLOOR" ] || { log "bench_standin.exe or bench_enum_floor.exe not built"; exit 1; }
make_corpus
DATA="$CORPUS"
TREE="$DATA/tree-1m"
WANT=$(wc -l < "$DATA/names-1m.txt")  # entries below the tree's root folder
failed=0

seconds() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
check() {  # check WHAT GOT
  if [ "$2" != "$WANT" ]; then
    log "MISMATCH: $1 found $2 entries, the tree has $WANT"
    failed=1
  fi
}

find "$TREE" > /dev/null
db="$DATA/updatedb.db"
list="$DATA/enum.list"
declare -a up fi bf
for _ in 1 2 3; do
  # A fresh database each time: given its old one, updatedb rereads only the changed folders.
  rm -f "$db"
  s=$EPOCHREALTIME
  updatedb.plocate -U "$TREE" -o "$db" -l 0 --prunepaths '' --prunenames '' --prunefs ''
  up+=("$(seconds "$s")")
  s=$EPOCHREALTIME
  find "$TREE" > "$list"
  fi+=("$(seconds "$s")")
  check find "$(( $(wc -l < "$list") - 1 ))"
  s=$EPOCHREALTIME
  bfs "$TREE" > "$list"
  bf+=("$(seconds "$s")")
  check bfs "$(( $(wc -l < "$list") - 1 ))"
done
check updatedb "$(plocate -d "$db" -c / || true)"
rm -f "$db" "$list"

LETTER=r
ln -sfn "$TREE" "$WINEPREFIX/dosdevices/$LETTER:"
# A running Wine server does not know a drive letter mapped after it started.
stop_wineserver
start_wineserver
trap 'rm -f "$WINEPREFIX/dosdevices/$LETTER:"; stop_wineserver; start_wineserver' EXIT
echo "machine_load_before_1m=$(cut -d' ' -f1-3 /proc/loadavg)"
# The floor's variants (two interfaces, two and three threads) run half before and half after
# the layer's enumeration, so that a machine that gets busier or quieter meanwhile weighs on both
# sides alike.
floor=$("$ROOT/scripts/wine-run" --prefix "$WINEPREFIX" "$FLOOR" "${LETTER^^}:" nt2,nt3 | tr -d '\r') || {
  log "bench_enum_floor.exe failed: $floor"
  failed=1
}
out=$("$ROOT/scripts/wine-run" --prefix "$WINEPREFIX" "$EXE" "${LETTER^^}:" --change-seen | tr -d '\r') || {
  log "bench_standin.exe failed: $out"
  failed=1
}
floor+=$'\n'$("$ROOT/scripts/wine-run" --prefix "$WINEPREFIX" "$FLOOR" "${LETTER^^}:" api3,api2 | tr -d '\r') || {
  log "bench_enum_floor.exe failed: $floor"
  failed=1
}
grep '^enum_floor_\(nt\|api\)' <<< "$floor" | sed 's/=/_1m=/'
best=$(grep '^enum_floor_\(nt\|api\)[0-9]*_s=' <<< "$floor" | sort -t= -k2 -g | head -n 1)
floor_s=${best#*=}
echo "enum_floor_variant_1m=$(sed 's/^enum_floor_\(.*\)_s=.*/\1/' <<< "$best")"
echo "enum_floor_s_1m=$floor_s"
for n in $(sed -n 's/^enum_floor_\(nt\|api\)[0-9]*_entries=//p' <<< "$floor"); do check floor "$n"; done
enum_s=$(sed -n 's/^standin_enum_s=//p' <<< "$out")
echo "tarnwick_enum_s_1m=$enum_s"
check Tarnwick "$(sed -n 's/^standin_enum_entries=//p' <<< "$out")"
if [ -n "$enum_s" ] && [ -n "$floor_s" ]; then
  echo "tarnwick_enum_over_floor_1m=$(awk -v a="$enum_s" -v b="$floor_s" 'BEGIN { printf "%.2f", a / b }')"
fi
echo "standin_bytes_per_entry_1m=$(sed -n 's/^standin_bytes_per_entry=//p' <<< "$out")"
echo "standin_change_seen_ms_1m=$(sed -n 's/^standin_change_seen_ms=//p' <<< "$out")"
sed -n 's/^\(standin_change_seen_depth[0-9]*_ms\|standin_change_seed\|standin_index_build_s\)=/\1_1m=/p' <<< "$out"
sed -n 's/^\(standin_whole_sweep_[a-z_]*\)=/\1_1m=/p' <<< "$out"
echo "machine_load_after_1m=$(cut -d' ' -f1-3 /proc/loadavg)"
echo "updatedb_s_1m=$(printf '%s\n' "${up[@]}" | median)"
echo "find_s_1m=$(printf '%s\n' "${fi[@]}" | median)"
echo "bfs_s_1m=$(printf '%s\n' "${bf[@]}" | median)"
# The tree must be as it was: the files made for the change figure are gone again.
check "the tree after the run" "$(( $(find "$TREE" | wc -l) - 1 ))"
exit $failed
