#!/usr/bin/env bash
# Disk analysis against du and gdu over the same folder of TARNWICK_ANALYSIS_FILES files
# (default 50,000 in 2,500 folders of three levels, sizes from 0 bytes to 2 MB), all in one run:
#   analysis_scan_s_<N>    first analysis of the drive (the whole table read, the model built)
#   analysis_rescan_s_<N>  the same analysis again, nothing changed (the analysis is kept)
#   analysis_rescan_changed_s_<N>  again after three files grew (the size cache caught up from
#                          the journal, the model built again); the files get their sizes back
#   analysis_files_asked_by_path_<N>  files the first analysis asked the file system about by
#                          path: names the size table does not know whose reference is no record
#                          of the file table (further names of a file); none on this folder,
#                          which has no file with several names (its empty files are records)
#   du_s_<N>               du -sb over the folder
#   gdu_s_<N>              gdu non-interactive, apparent sizes, over the folder
# The results are checked: the analysis total equals du's sum over the files, gdu's total
# equals du -sb's, and no file was asked by path. Run by scripts/bench (Wine prefix set).
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
: "${WINEPREFIX:?run through scripts/bench}"
EXE="$BUILD/bench/bench_analysis_scan.exe"
[ -f "$EXE" ] || { echo "bench_analysis_scan.exe not built" >&2; exit 0; }
FILES="${TARNWICK_ANALYSIS_FILES:-50000}"
DATA="${TARNWICK_BENCH_DIR:-$BUILD/bench-data}/analysis-$FILES"
if [ ! -f "$DATA.ready" ]; then
  rm -rf "$DATA"
  python3 - "$DATA" "$FILES" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(20261211)
for i in range(count):
    folder = os.path.join(root, "a%02d" % (i % 25), "b%02d" % ((i // 25) % 10), "c%d" % ((i // 250) % 10))
    os.makedirs(folder, exist_ok=True)
    r = rng.random()
    size = 0 if r < 0.03 else rng.randint(1, 900) if r < 0.5 else rng.randint(901, 65536) if r < 0.97 else rng.randint(65537, 2 << 20)
    with open(os.path.join(folder, "f%06d.%s" % (i, ("txt", "jpg", "bin", "doc", "")[i % 5])), "wb") as f:
        f.truncate(size)
PY
  touch "$DATA.ready"
fi
LETTER=r
ln -sfn "$DATA" "$WINEPREFIX/dosdevices/$LETTER:"
trap 'rm -f "$WINEPREFIX/dosdevices/$LETTER:"' EXIT
# A running server does not see a letter mapped after it started.
stop_wineserver
start_wineserver
label=$(( FILES / 1000 ))k
find "$DATA" -type f -printf '' 2>/dev/null   # the same warm metadata cache for all three
status=0
t0=$(date +%s.%N)
du_total=$(du -sb "$DATA" | cut -f1)
t1=$(date +%s.%N)
gdu_total=$(gdu -n -p -s -a --no-prefix "$DATA" 2>/dev/null | awk '{print $1}')
t2=$(date +%s.%N)
files_total=$(find "$DATA" -type f -print0 | du -cb --files0-from=- | tail -1 | cut -f1)
out=$("$ROOT/scripts/wine-run" --prefix "$WINEPREFIX" "$EXE" "${LETTER^^}:" "$label" | tr -d '\r') || {
  log "bench_analysis_scan.exe failed: $out"; status=1; }
echo "$out"
printf 'du_s_%s=%.3f\n' "$label" "$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')"
if command -v gdu >/dev/null; then
  printf 'gdu_s_%s=%.3f\n' "$label" "$(awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }')"
  [ "$gdu_total" = "$du_total" ] || { log "analysis bench: gdu total $gdu_total, du -sb $du_total"; status=1; }
else
  log "analysis bench: gdu missing"
fi
got=$(sed -n "s/^analysis_bytes_$label=//p" <<<"$out")
if [ "$got" != "$files_total" ]; then log "analysis bench: analysis total '$got', du over the files $files_total"; status=1; fi
asked=$(sed -n "s/^analysis_files_asked_by_path_$label=//p" <<<"$out")
if [ "$asked" != 0 ]; then log "analysis bench: '$asked' files asked by path on a folder without hard links"; status=1; fi
exit $status
