#!/usr/bin/env bash
# Duplicate finder against jdupes over the same folder of TARNWICK_DUP_FILES files (default
# 20,000 in 1,000 folders; about 1.2 GB; one file in six is a copy of another, many share sizes):
#   dup_scan_s_<N>    first Exact scan (walk, hashes, groups, both caches written)
#   dup_rescan_s_<N>  the same scan with both caches warm
#   jdupes_s_<N>      jdupes -r over the folder, its output to a file
# Run by scripts/bench (Wine prefix set).
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/common.sh"
: "${WINEPREFIX:?run through scripts/bench}"
EXE="$BUILD/bench/bench_dup_scan.exe"
[ -f "$EXE" ] || { echo "bench_dup_scan.exe not built" >&2; exit 0; }
command -v jdupes >/dev/null || { log "dup bench: jdupes missing"; exit 0; }
FILES="${TARNWICK_DUP_FILES:-20000}"
DATA="${TARNWICK_BENCH_DIR:-$BUILD/bench-data}/dups-$FILES"
if [ ! -f "$DATA.ready" ]; then
  rm -rf "$DATA"
  python3 - "$DATA" "$FILES" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(20261210)
pool = rng.randbytes(8 << 20)
made = []  # (path, size, seed) of files with their own content
for i in range(count):
    folder = os.path.join(root, "d%02d" % (i % 50), "f%03d" % ((i // 50) % 20))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "file%05d.%s" % (i, ("jpg", "txt", "dat", "pdf")[i % 4]))
    if made and rng.random() < 1 / 6:
        src = rng.choice(made)
        with open(src, "rb") as f:
            data = f.read()
    else:
        r = rng.random()
        if r < 0.80:
            size = rng.choice((4096, 8192, 16384, 32768)) if rng.random() < 0.3 else rng.randint(1024, 32768)
        elif r < 0.98:
            size = rng.randint(32768, 262144)
        else:
            size = rng.randint(262145, 2 << 20)
        off = rng.randint(0, len(pool) - size)
        data = i.to_bytes(8, "little") + pool[off + 8:off + size]
        made.append(path)
    with open(path, "wb") as f:
        f.write(data)
PY
  touch "$DATA.ready"
fi
LETTER=q
ln -sfn "$DATA" "$WINEPREFIX/dosdevices/$LETTER:"
trap 'rm -f "$WINEPREFIX/dosdevices/$LETTER:"' EXIT
label=$(( FILES / 1000 ))k
find "$DATA" -type f -exec cat {} + > /dev/null 2>&1 || true   # the same warm page cache for both
OUT="$(dirname "$DATA")/jdupes-$FILES.txt"
t0=$(date +%s.%N)
jdupes -r "$DATA" > "$OUT" 2>/dev/null
t1=$(date +%s.%N)
out=$("$ROOT/scripts/wine-run" --prefix "$WINEPREFIX" "$EXE" "${LETTER^^}:" "$label" | tr -d '\r') ||
  log "bench_dup_scan.exe failed: $out"
echo "$out"
jd=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
printf 'jdupes_s_%s=%s\n' "$label" "$jd"
# The result checked: the same groups as the peer (count of sets and of files in them), and the
# targets: a first scan within 1.5 times the peer's time, a warm rescan within a quarter of it.
value() { printf '%s\n' "$out" | sed -n "s/^$1_$label=//p"; }
peer_groups=$(awk 'BEGIN { n = 0; open = 0 } NF { if (!open) n++; open = 1; next } { open = 0 } END { print n }' "$OUT")
peer_files=$(grep -c . "$OUT" || true)
if [ "$(value dup_groups)" != "$peer_groups" ] || [ "$(value dup_files)" != "$peer_files" ]; then
  log "dup bench: groups differ from jdupes ($(value dup_groups)/$(value dup_files) against $peer_groups/$peer_files)"
  exit 1
fi
printf 'jdupes_groups_%s=%s\n' "$label" "$peer_groups"
awk -v s="$(value dup_scan_s)" -v r="$(value dup_rescan_s)" -v j="$jd" -v l="$label" 'BEGIN {
  printf "dup_scan_vs_jdupes_%s=%.2f\n", l, (j > 0 ? s / j : 0)
  printf "dup_rescan_vs_scan_%s=%.2f\n", l, (s > 0 ? r / s : 0)
  printf "dup_targets_%s=%s\n", l, (s <= 1.5 * j && r <= 0.25 * s) ? "met" : "missed"
}'
