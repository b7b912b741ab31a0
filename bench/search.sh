#!/usr/bin/env bash
# Name search on real names (bench/corpus.py: the names of this machine's files, 1M and 10M),
# side by side with its peers over the same names in the same run, every row count checked:
#   search_KEY_first_ms_SIZE, search_KEY_ms_SIZE   Tarnwick (bench_search_bench.exe): first search, median
#   search_first_ms_SIZE                         the first search after a fresh build
#   plocate_KEY_ms_SIZE                          plocate -i -c (median of 5 processes)
#   grep_KEY_ms_SIZE                             grep -F -i -c over the names list (median of 5)
#   index_build_ms_SIZE, index_build_unsigned_ms_SIZE  the build, and the same build without name signatures
#   index_bytes_per_name_10m                     (and the other lines of bench_search_bench.exe)
# KEY is one of the queries below, SIZE 1m or 10m. A count that differs from the reference count
# (awk over the names list) fails the benchmark (exit code 1) after every figure is printed.
#
# What each tool matches: Tarnwick matches a query against file names, plocate against whole
# paths. So that both do the same work, plocate's database is built from the names list itself
# (plocate-build --plaintext, one name per line, in the list's order): plocate then looks up its
# trigrams and checks its candidates over exactly the names Tarnwick scans, and both must count
# the same rows. grep runs over the same list with the C locale, whose case folding is ASCII, as
# Tarnwick's is; its count goes to a file (with its output on /dev/null GNU grep stops at the
# first match). AND is given to plocate as two patterns (it keeps the paths that match all of
# them), OR as one extended regular expression, which plocate cannot narrow by trigrams.
# plocate and grep times include their process start, which a user of them waits for too.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
: "${WINEPREFIX:?run through scripts/bench}"
EXE="$BUILD/bench/bench_search_bench.exe"
[ -f "$EXE" ] || { log "bench_search_bench.exe not built"; exit 1; }
make_corpus
DATA="$CORPUS"
SIZES=(1m 10m)
# The queries: a rare real term, a common one, two letters, AND, OR. Terms are lower-case ASCII.
KEYS=(rare common two and or)
declare -A QUERY=([rare]="mongo" [common]="python" [two]="ab" [and]="python and test" [or]="png or svg")
RUNS=5
failed=0

for size in "${SIZES[@]}"; do
  db="$DATA/plocate-$size.db"
  if [ ! -s "$db" ] || [ "$DATA/names-$size.txt" -nt "$db" ]; then
    plocate-build -p "$DATA/names-$size.txt" "$db.tmp" && mv "$db.tmp" "$db"
  fi
done

# Milliseconds since an $EPOCHREALTIME value.
ms_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", (b - a) * 1000 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
check() {  # check WHAT GOT WANTED
  if [ "$2" != "$3" ]; then
    log "MISMATCH: $1 counted $2 rows, the reference count is $3"
    failed=1
  fi
}

# The query's groups (" or ") of terms (" and ") as an awk condition over l, the lower-case name.
awk_condition() {
  local q="$1" cond="" group term part
  while :; do
    group="${q%% or *}"
    part=""
    while :; do
      term="${group%% and *}"
      part+="${part:+ && }index(l, \"$term\")"
      [ "$term" = "$group" ] && break
      group="${group#* and }"
    done
    cond+="${cond:+ || }($part)"
    [ "${q%% or *}" = "$q" ] && break
    q="${q#* or }"
  done
  printf '%s' "$cond"
}

# Runs one peer query and prints its count; sets PEER_MS.
peer_run() {  # peer_run TOOL KEY SIZE
  local tool="$1" key="$2" size="$3" q="${QUERY[$2]}" names="$DATA/names-$3.txt" out="$DATA/peer.out" start
  local -a terms=()
  start=$EPOCHREALTIME
  case "$tool:$q" in
    plocate:*" or "*) plocate -d "$DATA/plocate-$size.db" -i -c --regex "${q// or /|}" > "$out" ;;
    plocate:*) read -r -a terms <<< "${q// and / }"; plocate -d "$DATA/plocate-$size.db" -i -c "${terms[@]}" > "$out" ;;
    grep:*" or "*) read -r -a terms <<< "${q// or / -e }"; LC_ALL=C grep -F -i -c -e "${terms[@]}" "$names" > "$out" ;;
    grep:*" and "*) LC_ALL=C grep -F -i "${q%% and *}" "$names" | LC_ALL=C grep -F -i -c "${q#* and }" > "$out" ;;
    grep:*) LC_ALL=C grep -F -i -c "$q" "$names" > "$out" ;;
  esac || true  # grep and plocate exit with 1 when they count no row
  PEER_MS=$(ms_since "$start")
  cat "$out"
}

declare -A REF FIG
for size in "${SIZES[@]}"; do
  prog='{ l = tolower($0) }'
  for key in "${KEYS[@]}"; do prog+=" $(awk_condition "${QUERY[$key]}") { n_$key++ }"; done
  prog+=" END { printf \"%d"
  for key in "${KEYS[@]:1}"; do prog+=" %d"; done
  prog+="\\n\""
  for key in "${KEYS[@]}"; do prog+=", n_$key"; done
  prog+=" }"
  read -r -a counts < <(LC_ALL=C awk "$prog" "$DATA/names-$size.txt")
  for i in "${!KEYS[@]}"; do REF[${KEYS[$i]}:$size]=${counts[$i]}; done
done

for size in "${SIZES[@]}"; do
  for tool in plocate grep; do
    for key in "${KEYS[@]}"; do
      count=$(peer_run "$tool" "$key" "$size")  # warms the page cache
      check "$tool $key $size" "$count" "${REF[$key:$size]}"
      times=()
      for _ in $(seq 1 $RUNS); do peer_run "$tool" "$key" "$size" > /dev/null; times+=("$PEER_MS"); done
      FIG[${tool}_${key}_ms_${size}]=$(printf '%s\n' "${times[@]}" | median)
      echo "${tool}_${key}_ms_${size}=${FIG[${tool}_${key}_ms_${size}]}"
    done
  done
done
rm -f "$DATA/peer.out"

args=()
for size in "${SIZES[@]}"; do args+=(--names "$size" "$(winepath -w "$DATA/names-$size.txt" 2>/dev/null)"); done
for key in "${KEYS[@]}"; do args+=(--query "$key" "${QUERY[$key]}"); done
out=$("$ROOT/scripts/wine-run" --prefix "$WINEPREFIX" "$EXE" "${args[@]}" | tr -d '\r') || {
  log "bench_search_bench.exe failed"
  failed=1
}
echo "$out"
for size in "${SIZES[@]}"; do
  for key in "${KEYS[@]}"; do
    check "Tarnwick $key $size" "$(sed -n "s/^search_${key}_rows_${size}=//p" <<< "$out")" "${REF[$key:$size]}"
  done
done
first=$(sed -n 's/^search_first_ms_10m=//p' <<< "$out")
log "first search after a build over 10M names: ${first:-?} ms; plocate's query over the same names: ${FIG[plocate_rare_ms_10m]} ms"
exit $failed
