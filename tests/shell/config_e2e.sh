#!/usr/bin/env bash
# End-to-end test of hostile or damaged settings files at start-up, under Wine and Xvfb: a
# language.ini whose code climbs out of the configuration folder (towards an existing .ini beside
# it) is ignored, the program starts in the default language and writes nothing outside its
# folder; a filters file of binary junk is not shown as categories, the backup stays as it was and
# the file is restored from it.
# Usage: config_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
tw_e2e_begin config-e2e

CONFIG="$(tw_config_dir)"
DOCS="$(dirname "$(dirname "$CONFIG")")"
mkdir -p "$CONFIG"
# The files this test replaces are put back at the end, for the tests that run after it.
KEEP="$(mktemp -d)"
for f in language.ini filters.ini filters.en-us.ini filters.bak; do
  [ -f "$CONFIG/$f" ] && cp "$CONFIG/$f" "$KEEP/$f"
done
rm -f "$CONFIG"/filters.* "$CONFIG/language.ini"

# "filters." + code + ".ini" with this code is Documents\victim.ini.
printf '[section]\r\nkey=value\r\n' > "$DOCS/victim.ini"
printf 'lang=..\\..\\..\\..\\victim\r\n' > "$CONFIG/language.ini"
# The per-language file is 4 kB of binary bytes holding "=" and line ends; the backup is good.
python3 -c '
import sys
x = 12345
out = bytearray()
for i in range(4096):
    x = (x * 1103515245 + 12345) & 0xFFFFFFFF
    out.append(10 if i % 61 == 60 else 61 if i % 17 == 16 else x >> 24)
sys.stdout.buffer.write(out)' > "$CONFIG/filters.en-us.ini"
cp "$CONFIG/filters.en-us.ini" "$KEEP/junk"
printf 'Kept=\r\nFolders=.dir\r\nPics=.png\r\n' > "$CONFIG/filters.bak"
cp "$CONFIG/filters.bak" "$KEEP/backup"
MARK="$KEEP/mark"
touch "$MARK"
sleep 1

tw_start "$EXE"
PID=$TW_PID
W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"
case "$(tw_title "$W")" in
  Tarnwick*) pass "started in the default language: $(tw_title "$W")" ;;
  *) fail "title '$(tw_title "$W")'" ;;
esac

if grep -q 'lang=en-us' "$CONFIG/language.ini"; then pass "language.ini now names the default language"; else fail "language.ini: $(cat "$CONFIG/language.ini")"; fi
if cmp -s "$DOCS/victim.ini" <(printf '[section]\r\nkey=value\r\n'); then pass "the .ini beside the folder is untouched"; else fail "victim.ini now: $(od -c "$DOCS/victim.ini" | head -3)"; fi
# -L: the prefix's Documents folder (and others) are links, so a file is judged by its real path.
CONFIG_REAL="$(realpath "$CONFIG")"
outside=""
while IFS= read -r f; do
  case "$(realpath "$f")" in "$CONFIG_REAL"/*) ;; *) outside+="$f " ;; esac
done < <(find -L "$WINEPREFIX/drive_c" "$TARNWICK_TEST_DRIVES" -newer "$MARK" -type f \( -name '*.ini' -o -name '*.bak' \) \
           -not -path "$WINEPREFIX/drive_c/windows/*" 2>/dev/null)
if [ -z "$outside" ]; then pass "nothing written outside the configuration folder"; else fail "written outside: $outside"; fi

# The filter bar shows the backup's categories, not the junk.
buttons="$(tw_controls | grep -E ' id=([2-9][0-9]{2}|1[01][0-9]{2}) class=Button visible=1')"
if [ "$(grep -c . <<<"$buttons")" = 3 ] && grep -q 'text="Pics' <<<"$buttons"; then
  pass "the filter bar shows the backup's three categories"
else
  fail "filter buttons: $(tr '\n' ' ' <<<"$buttons")"
fi
import -window root "$ARTIFACTS/config-e2e.png" 2>/dev/null || true
if cmp -s "$CONFIG/filters.bak" "$KEEP/backup"; then pass "filters.bak untouched"; else fail "filters.bak changed: $(od -c "$CONFIG/filters.bak" | head -3)"; fi
if grep -q 'Pics=.png' "$CONFIG/filters.en-us.ini"; then pass "the filters file is restored from the backup"; else fail "filters.en-us.ini: $(od -c "$CONFIG/filters.en-us.ini" | head -3)"; fi
if cmp -s "$CONFIG/filters.en-us.ini.damaged" "$KEEP/junk"; then pass "the damaged file is kept beside it"; else fail "no damaged copy: $(ls "$CONFIG")"; fi

tw_command 20002
tw_wait_exit "$PID" 30 || { fail "program did not exit"; kill -9 "$PID" 2>/dev/null; }

rm -f "$CONFIG"/filters.* "$CONFIG/language.ini" "$DOCS/victim.ini"
for f in language.ini filters.ini filters.en-us.ini filters.bak; do
  [ -f "$KEEP/$f" ] && cp "$KEEP/$f" "$CONFIG/$f"
done
rm -rf "$KEEP"
tw_e2e_end
