#!/usr/bin/env bash
# End-to-end test of content search in the real program under Wine and Xvfb, with one running
# program: Office and OpenDocument files on a fixture drive give the right count in the title
# (damaged archives are no match and no crash); typing "s:" opens the extension picker without
# taking the keyboard; OK puts the chosen extensions into the search box; Esc cancels a running
# content search and the title says so.
# Usage: content_e2e.sh PATH/TO/Tarnwick.exe   (environment of scripts/test plus TARNWICK_PROBE)
set -uo pipefail
EXE="$1"
: "${WINEPREFIX:?run through scripts/test}"
: "${DISPLAY:?run through scripts/test}"
: "${TARNWICK_TEST_DRIVES:?run through scripts/test}"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/program.sh"

FAILURES=0
fail() { echo "FAIL: $*"; FAILURES=$((FAILURES + 1)); }
pass() { echo "ok: $*"; }
SEARCH_BOX=101
PICKER=TarnwickContentExtPickerV4

# Fixture documents, made here from text of our own. The term is split across text runs in the
# Word files; one archive names its part in upper case with backslashes; the damaged ones hold the
# term too but must not count.
T="$TARNWICK_TEST_DRIVES/t"
rm -rf "$T/content_e2e"
mkdir -p "$T/content_e2e/slow"
python3 - "$T/content_e2e" <<'EOF'
import os, sys, zipfile
d = sys.argv[1]
def doc(name, parts, stored=False):
    with zipfile.ZipFile(os.path.join(d, name), "w", zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED) as z:
        for part, text in parts:
            z.writestr(part, text)
def word(*runs):
    body = "".join('<w:r><w:t xml:space="preserve">%s</w:t></w:r>' % r for r in runs)
    return '<?xml version="1.0"?><w:document xmlns:w="urn:x"><w:body><w:p>%s</w:p></w:body></w:document>' % body
ctype = ("[Content_Types].xml", '<Types><Default Extension="xml"/></Types>')
doc("split_runs.docx", [ctype, ("word/document.xml", word("minutes qzx", "glimmer", " end"))])
doc("plain_run.docx", [ctype, ("word/document.xml", word("the qzxglimmer report"))])
doc("footer.docx", [ctype, ("word/document.xml", word("nothing")), ("word/footer1.xml", word("qzxglim", "mer"))])
doc("upper_name.docx", [("Word\\Document.xml", word("QZX", "qzxglimmer"))])
doc("no_term.docx", [ctype, ("word/document.xml", word("qzx", " shimmer apart"))])
doc("sheet1.xlsx", [("xl/sharedStrings.xml", "<sst><si><t>qzxglimmer</t></si></sst>")])
doc("sheet2.xlsx", [("xl/worksheets/sheet1.xml", '<worksheet><c t="inlineStr"><is><t>qzxglimmer</t></is></c></worksheet>')])
doc("sheet3.xlsx", [("xl/sharedStrings.xml", "<sst><si><t>other</t></si></sst>")])
doc("deck1.pptx", [("ppt/slides/slide1.xml", "<p:sld><a:p><a:r><a:t>qzx</a:t></a:r><a:r><a:t>glimmer</a:t></a:r></a:p></p:sld>")])
doc("deck2.pptx", [("ppt/notesSlides/notesSlide1.xml", "<p:notes><a:t>qzxglimmer</a:t></p:notes>")])
odt = '<office:document-content><office:text><text:p>see <text:span>qzxglimmer</text:span></text:p></office:text></office:document-content>'
doc("text1.odt", [("mimetype", "application/vnd.oasis.opendocument.text"), ("content.xml", odt)], stored=True)
doc("text2.odt", [("mimetype", "application/vnd.oasis.opendocument.text"), ("content.xml", odt)])
doc("text3.odt", [("content.xml", odt.replace("qzxglimmer", "qzxshimmer"))])
# Damaged: a CRC that does not fit the stored data, an entry marked encrypted, a cut archive.
doc("bad_crc.docx", [("word/document.xml", word("qzxglimmer"))], stored=True)
b = bytearray(open(os.path.join(d, "bad_crc.docx"), "rb").read()); i = b.find(b"qzxglimmer"); b[i + 12] ^= 1
open(os.path.join(d, "bad_crc.docx"), "wb").write(bytes(b))
doc("encrypted.docx", [("word/document.xml", word("qzxglimmer"))], stored=True)
b = bytearray(open(os.path.join(d, "encrypted.docx"), "rb").read())
for sig, off in ((b"PK\x03\x04", 6), (b"PK\x01\x02", 8)):
    p = b.find(sig); b[p + off] |= 1
open(os.path.join(d, "encrypted.docx"), "wb").write(bytes(b))
doc("truncated.docx", [("word/document.xml", word("qzxglimmer" * 50))])
b = open(os.path.join(d, "truncated.docx"), "rb").read()
open(os.path.join(d, "truncated.docx"), "wb").write(b[: len(b) // 2])
open(os.path.join(d, "not_a_zip.docx"), "w").write("qzxglimmer in a plain file named like a document")
EOF
[ $? -eq 0 ] || fail "fixture documents could not be made"
# A slow scan for the cancel check: large files without the term (sparse, no disk space).
for i in $(seq 1 200); do truncate -s 100M "$T/content_e2e/slow/big_$i.log"; done

CONFIG="$(tw_config_dir)"
mkdir -p "$CONFIG"
rm -f "$CONFIG/content_search_exts.ini"
# One scan thread makes the cancel check's scan last long enough to press Esc in it.
printf '\xef\xbb\xbfcontentSearchThreads=1\r\n' > "$CONFIG/window.ini"

TW_EXE="$EXE"
tw_start "$EXE"
PID=$TW_PID
if W=$(tw_wait_window "$PID" 60); then pass "main window appeared"; else fail "no main window"; fi
tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"

# Runs a content query as the user does: the text in the box, then Enter.
# The title is first replaced by a mark, so that the count of the previous query (as many results
# as this one, say) is not taken for this one's.
content_search() {
  tw_probe set-title "Tarnwick - waiting for a search" >/dev/null
  tw_search "$1"
  xdotool windowactivate --sync "$W" 2>/dev/null
  tw_probe post-child $SEARCH_BOX WM_KEYDOWN 13 >/dev/null
}
for want in ".docx 4" ".xlsx 2" ".pptx 2" ".odt 2"; do
  set -- $want
  content_search "s:qzxglimmer|$1"
  if tw_wait_count "$W" "$2" 30; then pass "$2 results for s:qzxglimmer|$1"; else fail "title '$(tw_title "$W")' for s:qzxglimmer|$1"; fi
done
if kill -0 "$PID" 2>/dev/null; then pass "damaged archives did not end the program"; else fail "program ended"; fi

# Typing "s:" opens the picker; the keyboard stays in the search box.
tw_search ""
tw_type_query "$W" "s:"
if tw_wait_dialog "$PICKER" 10; then pass "typing s: opened the picker"; else fail "no picker after s: ($(tw_windows))"; fi
xdotool type --delay 30 "qzx"
tw_wait_probe '^s:qzx$' 15 text $SEARCH_BOX
box="$(tw_probe text $SEARCH_BOX)"
if [ "$box" = "s:qzx" ]; then pass "keys still reach the search box"; else fail "search box holds '$box' after typing"; fi
if [ "$(tw_windows | grep -c "$PICKER")" = 1 ]; then pass "further keywords did not open a second picker"; else fail "picker windows: $(tw_windows)"; fi

# In the picker (its own keys, sent to the control that has them): uncheck everything, Tab from
# the list into the edit, type "odt" and Enter there (Add), then Enter on a button: OK.
picker() { tw_probe --class $PICKER "$@" >/dev/null; }
picker command 42186   # Invert: all offered types were checked
picker post-child 42170 WM_KEYDOWN 9
for c in 111 100 116; do picker post-child 42184 WM_CHAR $c; done
picker post-child 42184 WM_KEYDOWN 13
sleep 0.5
picker post-child 42181 WM_KEYDOWN 13
if tw_wait_probe '^s:qzx\|\.odt$' 10 text $SEARCH_BOX; then pass "OK put s:qzx|.odt into the search box"; else
  fail "search box holds '$(tw_probe text $SEARCH_BOX)'; windows: $(tw_windows); picker: $(tw_probe --class $PICKER controls)"; fi
if ! tw_windows | grep -q "$PICKER"; then pass "the picker closed on OK"; else fail "picker still open"; fi
# The caret stands after the keywords: typing completes the term.
xdotool windowactivate --sync "$W" 2>/dev/null
xdotool type --delay 30 "glimmer"
xdotool key --clearmodifiers Return
if tw_wait_count "$W" 2 30; then pass "s:qzxglimmer|.odt from the picker finds 2"; else fail "title '$(tw_title "$W")' after the picker"; fi
grep -q "exts=" "$CONFIG/content_search_exts.ini" 2>/dev/null && pass "offer file written" || fail "content_search_exts.ini missing"

# Esc cancels a running content search; the title says so and no result count replaces it.
content_search "s:qzxneverthere|.log"
end=$(( $(date +%s) + 20 ))
while [ "$(date +%s)" -lt "$end" ]; do
  case "$(tw_title "$W")" in *Scanning*|*Filtered*) break ;; esac
  sleep 0.05
done
scanning="$(tw_title "$W")"
tw_probe post-child $SEARCH_BOX WM_KEYDOWN 27 >/dev/null
end=$(( $(date +%s) + 20 ))
while [ "$(date +%s)" -lt "$end" ]; do
  case "$(tw_title "$W")" in *canceled*) break ;; esac
  sleep 0.1
done
sleep 1  # a late result of the cancelled scan would replace the title now
title="$(tw_title "$W")"
case "$scanning" in *Scanning*|*Filtered*) pass "a long scan was running: '$scanning'" ;; *) fail "no running scan seen: '$scanning'" ;; esac
case "$title" in *canceled*) pass "Esc: title '$title'" ;; *) fail "after Esc the title is '$title'" ;; esac

# The tray menu's Exit ends the program (closing only hides it to the tray).
tw_command 20002
tw_wait_exit "$PID" 30 || { fail "program still runs after Exit"; kill "$PID" 2>/dev/null; }
rm -rf "$T/content_e2e"

if [ "$FAILURES" -ne 0 ]; then
  echo "$FAILURES check(s) failed"
  exit 1
fi
echo "all content end-to-end checks passed"
