#!/usr/bin/env bash
# The volume layer's own journal on a generated tree: enumeration time against native find over
# the same tree, and the cost of its change detection. Run by scripts/bench (Wine prefix set).
# TARNWICK_STANDIN_FOLDERS / TARNWICK_STANDIN_FILES_PER_FOLDER change the tree (default 20,000
# folders of 10 files: 200,000 files).
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
: "${WINEPREFIX:?run through scripts/bench}"
EXE="$BUILD/bench/bench_standin.exe"
[ -f "$EXE" ] || { echo "bench_standin.exe not built" >&2; exit 0; }
FOLDERS="${TARNWICK_STANDIN_FOLDERS:-20000}"
PER="${TARNWICK_STANDIN_FILES_PER_FOLDER:-10}"
TOPS=200
SUBS=$(( FOLDERS / TOPS - 1 ))
DATA="${TARNWICK_BENCH_DIR:-$BUILD/bench-data}/standin-tree-$FOLDERS-$PER"
if [ ! -f "$DATA.ready" ]; then
  rm -rf "$DATA"
  mkdir -p "$DATA"
  ( cd "$DATA"
    awk -v t=$TOPS -v s=$SUBS 'BEGIN { for (a = 0; a < t; a++) { printf "top%03d\n", a; for (b = 0; b < s; b++) printf "top%03d/sub%03d\n", a, b } }' > ../dirs.$$
    xargs mkdir -p < ../dirs.$$
    awk -v n=$PER '{ for (f = 0; f < n; f++) printf "%s/file%d.txt\n", $0, f }' ../dirs.$$ | xargs touch
    rm -f ../dirs.$$ )
  touch "$DATA.ready"
fi
LETTER=s
ln -sfn "$DATA" "$WINEPREFIX/dosdevices/$LETTER:"
# A running Wine server does not know a drive letter mapped after it started: the volume device
# \\.\S: is not found (error 2) until the server is restarted.
stop_wineserver
start_wineserver
trap 'rm -f "$WINEPREFIX/dosdevices/$LETTER:"; stop_wineserver; start_wineserver' EXIT
find "$DATA" > /dev/null   # warm the caches for both
t0=$(date +%s.%N)
count=$(find "$DATA" | wc -l)
t1=$(date +%s.%N)
find_s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
out=$("$ROOT/scripts/wine-run" --prefix "$WINEPREFIX" "$EXE" "${LETTER^^}:" | tr -d '\r') ||
  log "bench_standin.exe failed: $out"
echo "$out"
label=$(( FOLDERS * PER / 1000 ))k
printf 'native_find_s_%s=%.3f\n' "$label" "$find_s"
printf 'native_find_entries=%d\n' "$((count - 1))"
enum=$(echo "$out" | sed -n 's/^standin_enum_s=//p')
if [ -n "$enum" ]; then
  printf 'standin_enum_s_%s=%s\n' "$label" "$enum"
  printf 'standin_enum_over_find_%s=%.1f\n' "$label" "$(awk -v a="$enum" -v b="$find_s" 'BEGIN { print a / b }')"
fi
