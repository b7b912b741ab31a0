#!/usr/bin/env bash
# End-to-end test of the letters the program draws under Wine and Xvfb, in every face it and
# Windows ask for.
# - Names: a fixture drive holds a Chinese, a Japanese, a Korean, an Arabic and a Russian name,
#   and for each a twin of as many private-use characters (U+E001...), which no installed font
#   has: each name is searched in the running program, started in the Chinese UI ("Microsoft YaHei
#   UI") and in the English UI ("Segoe UI"), and its cell in the result list must show letters and
#   differ from its twin's cell (a name drawn as missing-glyph boxes looks exactly like its twin;
#   one drawn as blanks has no letters).
# - Languages: each of the 13 built-in languages is switched to; the texts the main window and the
#   Settings Center then show are drawn by the probe, letter by letter, in every face the program
#   uses (its UI faces at the weights of rows and buttons, and the faces Windows gives menus,
#   message boxes and tooltips), and none may come out as the missing-glyph box or blank.
# Usage: font_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"
tw_e2e_begin font-e2e

# Names and their twins: a twin keeps the blanks and has one private-use character (its own, so
# that searching it finds it alone) for every other character.
NAMES=("中文名称" "日本語のファイル" "한국어이름" "اسم عربي" "Русское имя")
TWINS=()
for i in "${!NAMES[@]}"; do
  TWINS+=("$(python3 -c 'import sys; print("".join(c if c == " " else chr(0xE001 + int(sys.argv[2])) for c in sys.argv[1]))' "${NAMES[$i]}" "$i")")
done
DIR="$TARNWICK_TEST_DRIVES/t/fontnames"
rm -rf "$DIR"
mkdir -p "$DIR"
# One time for all, so that the rows of a name and its twin differ in the name only.
for n in "${NAMES[@]}" "${TWINS[@]}"; do touch -d '2024-05-06 07:08:09' "$DIR/$n"; done

CONFIG="$(tw_config_dir)"
mkdir -p "$CONFIG"
# The window's settings (size, columns, view, filter layout) are the defaults for this test; the
# files it replaces are put back at the end.
KEEP="$(mktemp -d)"
for f in language.ini window.ini; do
  [ -f "$CONFIG/$f" ] && cp "$CONFIG/$f" "$KEEP/"
done

# Starts the program in a language (its UI face is chosen at start-up); sets PID and W.
start_in() {
  printf 'lang=%s\r\n' "$1" >"$CONFIG/language.ini"
  rm -f "$CONFIG/window.ini"
  tw_start "$EXE"
  PID=$TW_PID
  W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
  tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"
  xdotool mousemove 0 0
}
stop_program() {
  tw_command 20002
  tw_wait_exit "$PID" 30 || { fail "program did not exit"; kill -9 "$PID" 2>/dev/null; }
}

# The name cell of the first result row, client coordinates at 96 DPI in the default window size
# (right of the file icon, inside the Name column).
CELL_X=90 CELL_Y=152 CELL_W=240 CELL_H=38
shot_cell() {
  local out="$1" geometry x y
  geometry="$(xdotool getwindowgeometry --shell "$W")"
  x="$(sed -n 's/^X=//p' <<<"$geometry")"
  y="$(sed -n 's/^Y=//p' <<<"$geometry")"
  import -window root -crop "${CELL_W}x${CELL_H}+$((x + CELL_X))+$((y + CELL_Y))" +repage "$out" 2>/dev/null
}
# The letters' pixels: grey levels far (over 90 of 255) from the cell's most common one, the row's
# background (the match highlight and the row differ less, in the light and the dark theme).
ink_pixels() {
  convert "$1" -colorspace Gray -depth 8 txt:- 2>/dev/null |
    awk -F'[()]' 'NR > 1 { split($2, g, ","); v[NR] = g[1]; n[g[1]]++ }
                  END { for (k in n) if (n[k] > best) { best = n[k]; mode = k }
                        for (i in v) if (v[i] - mode > 90 || mode - v[i] > 90) ink++; print ink + 0 }'
}
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | sed 's/ .*//'; }

# Searches a name, waits for its row to be painted and keeps a picture of its cell.
search_and_shot() {
  local query="$1" out="$2"
  # The title ends with the count once the search has ended ("... | Hits: 1", "... | 命中: 1").
  tw_probe set-title "waiting for a search" >/dev/null
  tw_search "$query"
  local end=$(( $(date +%s) + 15 ))
  until [[ "$(tw_title "$W")" =~ \|.*[^0-9]1$ ]]; do
    [ "$(date +%s)" -lt "$end" ] || { fail "searching '$query' gave '$(tw_title "$W")'"; return 1; }
    sleep 0.05
  done
  sleep 0.4
  shot_cell "$out"
}

check_names() {
  local ui="$1" i shots="$ARTIFACTS/font-e2e-cells/$1"
  rm -rf "$shots"
  mkdir -p "$shots"
  for i in "${!NAMES[@]}"; do
    search_and_shot "${NAMES[$i]}" "$shots/name-$i.png" || continue
    search_and_shot "${TWINS[$i]}" "$shots/twin-$i.png" || continue
    local ink diff
    ink="$(ink_pixels "$shots/name-$i.png")"
    diff="$(differing_pixels "$shots/name-$i.png" "$shots/twin-$i.png")"
    if [ "${ink:-0}" -ge 20 ] && [ "${diff:-0}" -gt 0 ]; then
      pass "$ui UI: '${NAMES[$i]}' drawn in letters ($ink pixels of ink, $diff differ from the missing-glyph twin)"
    else
      fail "$ui UI: '${NAMES[$i]}' not readable: $ink pixels of ink, $diff pixels differ from the missing-glyph twin"
    fi
  done
}

# Switches the UI language (entry N of the language menu: zh-cn, zh-tw, en-us, ja-jp, ko-kr,
# de-de, fr-fr, es-es, pt-br, it-it, ru-ru, no-no, ar-sa) and waits until the filter bar shows it.
LANG_CODES=(zh-cn zh-tw en-us ja-jp ko-kr de-de fr-fr es-es pt-br it-it ru-ru no-no ar-sa)
switch_language() {
  local before
  before="$(tw_controls | grep ' id=200 ')"
  tw_command $((20100 + $1))
  local end=$(( $(date +%s) + 5 ))
  while [ "$(date +%s)" -lt "$end" ]; do
    [ "$(tw_controls | grep ' id=200 ')" != "$before" ] && return 0
    sleep 0.1
  done
  return 1
}

start_in zh-cn
check_names chinese
import -window root "$ARTIFACTS/font-e2e-names.png" 2>/dev/null || true
stop_program
start_in en-us
check_names english

# Each language's texts in the main window and the Settings Center (left open: it follows the
# switches).
tw_command 10029
tw_wait_probe 'id=40019 class=ComboBox visible=1' 10 --class "$TW_SETTINGS_CLASS" controls ||
  fail "the Settings Center did not open"
TEXTS=()
for i in "${!LANG_CODES[@]}"; do
  code="${LANG_CODES[$i]}"
  switch_language "$i" || fail "$code: the filter bar did not change"
  sleep 0.3
  texts="$( { tw_controls | grep -v ' id=101 '; tw_probe --class "$TW_SETTINGS_CLASS" controls; } |
            grep ' visible=1 ' | sed -n 's/.* text="\(.*\)"$/\1/p' | sed 's/\\r\\n/ /g; s/\\"/"/g' | grep -v '^$' |
            sort -u | tr '\n' ' ')"
  TEXTS+=("$texts")
  echo "$code: $texts"
  [ "$code" = ar-sa ] && import -window root "$ARTIFACTS/font-e2e-arabic.png" 2>/dev/null
done
# The letters each language needs, checked in every face: the list and search box face of each
# UI (rows 500, buttons and headers 600) and what Windows gives menus, message boxes, tooltips.
FACES=("Segoe UI:500" "Segoe UI:600" "Microsoft YaHei UI:500" "Microsoft YaHei UI:600")
while IFS='=' read -r role face; do
  [ -n "$face" ] || continue
  FACES+=("$face:400" "$face:700")
done < <(tw_probe ui-faces | sort -t= -k2 -u)
for entry in "${FACES[@]}"; do
  face="${entry%:*}" weight="${entry##*:}"
  out="$(tw_probe glyphs "$face" 13 "$weight" "${TEXTS[@]}")"
  # After the face line, one line per language in the order of LANG_CODES.
  missing="$(tail -n +2 <<<"$out" | paste -d' ' <(printf '%s\n' "${LANG_CODES[@]}") - | grep -v '^[^ ]* ok ' |
             sed 's/ in .*//' | tr '\n' ';')"
  if [ -z "$missing" ] && [ "$(grep -c '^ok' <<<"$out")" = "${#TEXTS[@]}" ]; then
    pass "$face $weight ($(head -n 1 <<<"$out")) draws the letters of all ${#TEXTS[@]} languages"
  else
    fail "$face $weight ($(head -n 1 <<<"$out")): $missing"
  fi
done

switch_language 2
stop_program
for f in language.ini window.ini; do
  rm -f "$CONFIG/$f"
  [ -f "$KEEP/$f" ] && cp "$KEEP/$f" "$CONFIG/"
done
rm -rf "$KEEP" "$DIR"
tw_e2e_end
