#!/usr/bin/env bash
# Enumeration of the 1M tree of real names (bench/corpus.py), what a user waits for before the
# first search can find every file, side by side with its peers over the same tree:
#   tarnwick_enum_s_1m   the volume layer's enumeration under Wine (bench_standin.exe: every
#                        FSCTL_ENUM_USN_DATA call of a build, on a drive mapped to the tree)
#   updatedb_s_1m        updatedb.plocate writing a fresh database of the tree
#   find_s_1m, bfs_s_1m  find and bfs listing the tree into a file
# Caches are warm for all (the tree is listed once first); the peers take the median of three
# runs. Each tool's count of entries is checked against the tree's (exit code 1 on a mismatch).
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
: "${WINEPREFIX:?run through scripts/bench}"
EXE="$BUILD/bench/bench_standin.exe"
[ -f "$EXE" ] || { log "bench_standin.exe not built"; exit 1; }
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
out=$("$ROOT/scripts/wine-run" --prefix "$WINEPREFIX" "$EXE" "${LETTER^^}:" --enum-only | tr -d '\r') || {
  log "bench_standin.exe failed: $out"
  failed=1
}
echo "tarnwick_enum_s_1m=$(sed -n 's/^standin_enum_s=//p' <<< "$out")"
check Tarnwick "$(sed -n 's/^standin_enum_entries=//p' <<< "$out")"
echo "updatedb_s_1m=$(printf '%s\n' "${up[@]}" | median)"
echo "find_s_1m=$(printf '%s\n' "${fi[@]}" | median)"
echo "bfs_s_1m=$(printf '%s\n' "${bf[@]}" | median)"
exit $failed
