# Helpers that drive the real program under Wine and X (sourced by scripts/run, the end-to-end
# tests and the start-up benchmark). Every helper works on processes the caller started itself.

# Host path of the program's configuration folder (Documents\Tarnwick\config of the prefix).
tw_config_dir() {
  local user
  user="$(whoami)"
  echo "$WINEPREFIX/drive_c/users/$user/Documents/Tarnwick/config"
}

# Starts the program in the background; sets TW_PID.
tw_start() {
  local exe="$1"
  shift
  TW_EXE="$exe"
  WINEDEBUG="${WINEDEBUG:--all}" wine "$exe" "$@" >/dev/null 2>&1 &
  TW_PID=$!
}

# Runs the program in the foreground with a time limit; sets TW_RC.
tw_run_wait() {
  local exe="$1" limit="$2"
  shift 2
  TW_RC=0
  WINEDEBUG="${WINEDEBUG:--all}" timeout "$limit" wine "$exe" "$@" >/dev/null 2>&1 || TW_RC=$?
}

# The visible top-level window of a process whose title is the program's.
tw_window_of() {
  xdotool search --onlyvisible --pid "$1" --name '^(Tarnwick|Initializing|正在)' 2>/dev/null | head -n 1
}

tw_visible() { [ -n "$(tw_window_of "$1")" ]; }

# Waits until the process shows no main window (hidden to the tray, minimised); fails when it
# still shows one after LIMIT seconds.
tw_wait_hidden() {
  local pid="$1" limit="$2"
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    tw_visible "$pid" || return 0
    sleep 0.1
  done
  return 1
}

# Waits for the main window of a process; prints its id.
tw_wait_window() {
  local pid="$1" limit="$2" w=""
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    w="$(tw_window_of "$pid")"
    if [ -n "$w" ]; then echo "$w"; return 0; fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

tw_title() { xdotool getwindowname "$1" 2>/dev/null; }

# Starts the program, waits for its window and its index, and activates the window; sets PID and
# W (the window). Ends the script when no window shows; a title that stays at the index build is
# a failure (the caller's fail).
tw_start_ready() {
  tw_start "$@"
  PID=$TW_PID
  W=$(tw_wait_window "$PID" 60) || { echo "FAIL: no main window"; exit 1; }
  tw_wait_ready "$W" 120 || fail "title stayed '$(tw_title "$W")'"
  xdotool windowactivate --sync "$W" 2>/dev/null || xdotool windowfocus --sync "$W" 2>/dev/null
}

# Waits until the title no longer says that the index is being built.
tw_wait_ready() {
  local w="$1" limit="$2" title
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    title="$(tw_title "$w")"
    case "$title" in
      ""|Initializing*|正在*) sleep 0.02 ;;
      *) return 0 ;;
    esac
  done
  return 1
}

# The result count in the title: "Tarnwick - N results ..." when a search ends, then
# "Tarnwick - Filter: <category> | Hits: N" once the filter buttons are recounted. Empty when the
# title shows no count.
tw_count() {
  tw_title "$1" | sed -n -e 's/^Tarnwick - \([0-9][0-9]*\) results.*/\1/p' \
                        -e 's/^Tarnwick - .* | Hits: \([0-9][0-9]*\)$/\1/p'
}

tw_wait_count() {
  local w="$1" want="$2" limit="$3"
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    [ "$(tw_count "$w")" = "$want" ] && return 0
    sleep 0.02
  done
  return 1
}

# Clicks into the search box (X focus is not Wine's child focus) and types.
tw_type_query() {
  local w="$1" text="$2"
  xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus --sync "$w" 2>/dev/null
  xdotool mousemove --window "$w" 320 36 click 1
  sleep 0.2
  xdotool key --clearmodifiers End
  xdotool type --delay 30 "$text"
}

# Asks the window to close as its caption button would.
tw_close() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key --clearmodifiers alt+F4
}

tw_wait_exit() {
  local pid="$1" limit="$2"
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.2
  done
  return 1
}

# The probe (tests/probe/probe.cpp, built with the tests as probe.exe) looks at the running
# program from outside: clipboard, child controls, messages, tray icon. Its path comes from
# TARNWICK_PROBE, else it is looked for beside the program last started by tw_start.
tw_probe_path() {
  if [ -n "${TARNWICK_PROBE:-}" ]; then echo "$TARNWICK_PROBE"; return; fi
  echo "$(dirname "${TW_EXE:-build/Tarnwick.exe}")/tests/probe.exe"
}

# Runs the probe with its arguments; prints its output without carriage returns.
tw_probe() {
  local out rc try
  for try in 1 2 3; do
    rc=0
    out="$(WINEDEBUG=-all wine "$(tw_probe_path)" "$@" 2>/dev/null)" || rc=$?
    # A pixel read that gave nothing (the probe missed the window for a moment) is tried again.
    [ "$1" = pixel ] && [ -z "$out" ] || break
    sleep 0.3
  done
  printf '%s' "$out" | tr -d '\r'
  [ -n "$out" ] && echo
  return $rc
}

tw_clip_text() { tw_probe clip-text; }
tw_clip_files() { tw_probe clip-files; }
tw_clip_effect() { tw_probe clip-effect; }
tw_clip_clear() { tw_probe clip-clear >/dev/null; }
tw_controls() { tw_probe controls; }
# The visible top-level windows of the program (message boxes, menus): hwnd class "title".
tw_windows() { tw_probe windows; }
# Posts WM_COMMAND with a command id to the main window.
tw_command() { tw_probe command "$1" >/dev/null; }
# Posts a message to the main window: tw_post MSG [WPARAM [LPARAM]] (see probe.cpp for MSG forms).
tw_post() { tw_probe post "$@" >/dev/null; }
# Replaces the search box text as a paste would (the clipboard then holds the text).
tw_search() { tw_probe search-text "$1" >/dev/null; }
# Succeeds when the program's notification icon exists.
tw_tray_present() { [ "$(tw_probe tray)" = "tray=1" ]; }

# The program's own icon on the screen (tests/shell/icon_check.py compares with the images that
# src/shell/app_icon.py draws; what it compared goes to stdout). tw_window_icon_is_ours X_WINDOW:
# the icon a top-level window shows (its _NET_WM_ICON). tw_tray_icon_is_ours: the notification
# icon, read from Wine's stand-alone tray window (the test display has no other tray).
tw_window_icon_is_ours() {
  local file
  file="$(mktemp)"
  xprop -id "$1" -notype -f _NET_WM_ICON 32c _NET_WM_ICON >"$file" 2>/dev/null
  python3 "$(dirname "${BASH_SOURCE[0]}")/../../tests/shell/icon_check.py" netwm "$file"
  local rc=$?
  rm -f "$file"
  return $rc
}
tw_tray_icon_is_ours() {
  local file
  file="$(mktemp)"
  tw_probe --class __winex11_standalone_tray window-pixels __winex11_tray_icon >"$file"
  python3 "$(dirname "${BASH_SOURCE[0]}")/../../tests/shell/icon_check.py" screen "$file"
  local rc=$?
  rm -f "$file"
  return $rc
}

# Waits until a probe command's output matches an extended regular expression:
# tw_wait_probe REGEX LIMIT_SECONDS COMMAND [ARGS...]
tw_wait_probe() {
  local regex="$1" limit="$2"
  shift 2
  local end=$(( $(date +%s) + limit )) out
  while [ "$(date +%s)" -lt "$end" ]; do
    out="$(tw_probe "$@" 2>/dev/null)"
    grep -Eq -- "$regex" <<<"$out" && return 0
    sleep 0.1
  done
  return 1
}

# Waits until a probe command prints something (a clipboard that was cleared, say); prints it:
# tw_wait_output LIMIT_SECONDS COMMAND [ARGS...]
tw_wait_output() {
  local limit="$1"
  shift
  local end=$(( $(date +%s) + limit )) out
  while [ "$(date +%s)" -lt "$end" ]; do
    out="$(tw_probe "$@" 2>/dev/null)"
    if [ -n "$out" ]; then echo "$out"; return 0; fi
    sleep 0.1
  done
  return 1
}

# Runs a name query and waits until its search has ended with WANT results:
# tw_search_count WINDOW QUERY WANT LIMIT_SECONDS. The title is first replaced by a mark, so that
# the title of an earlier query with as many results is not taken for this one's, and the count is
# read from the title the search ends with ("... | Hits: N", once the filter buttons are counted).
tw_search_count() {
  local w="$1" query="$2" want="$3" limit="$4"
  tw_probe set-title "Tarnwick - waiting for a search" >/dev/null
  tw_search "$query"
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    case "$(tw_title "$w")" in *" | Hits: $want") return 0 ;; esac
    sleep 0.05
  done
  return 1
}

# Waits for a top-level window of the program whose line from tw_windows matches REGEX.
tw_wait_dialog() { tw_wait_probe "$1" "$2" windows; }

# Waits until the main window's client point X,Y shows the colour WANT ("RRGGBB"); on a time-out
# prints the colour last read: tw_wait_pixel X Y WANT LIMIT_SECONDS
tw_wait_pixel() {
  local x="$1" y="$2" want="$3" limit="$4" got=""
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    got="$(tw_probe pixel "$x" "$y")"
    [ "$got" = "$want" ] && return 0
    sleep 0.2
  done
  echo "$got"
  return 1
}

# Host path of the program's handle log (Tarnwick_gdi.log in the prefix's temporary folder);
# empty before the program first wrote it.
tw_gdi_log() { find "$WINEPREFIX/drive_c" -name Tarnwick_gdi.log 2>/dev/null | head -n 1; }

# The window surface colours of the light and dark themes (hex, as ImageMagick prints them), and a
# point of the main window's list area below the header, right of every row text (client
# coordinates at 96 DPI in the default window size).
LIGHT_SURFACE=F1F4F8
DARK_SURFACE=12141C
LIST_X=1000
LIST_Y=520

# The start of an end-to-end script run by scripts/test with the program as $EXE: checks the
# environment, sets ARTIFACTS (beside the program) and FAILURES, and defines pass and fail (a
# failure also keeps a screenshot NAME-fail-N.png). tw_e2e_end reports and exits.
tw_e2e_begin() {
  : "${WINEPREFIX:?run through scripts/test}"
  : "${DISPLAY:?run through scripts/test}"
  : "${TARNWICK_TEST_DRIVES:?run through scripts/test}"
  TW_E2E_NAME="$1"
  ARTIFACTS="$(dirname "$EXE")/artifacts"
  mkdir -p "$ARTIFACTS"
  FAILURES=0
  fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
    import -window root "$ARTIFACTS/$TW_E2E_NAME-fail-$FAILURES.png" 2>/dev/null || true
  }
  pass() { echo "ok: $*"; }
}

tw_e2e_end() {
  if [ "$FAILURES" -ne 0 ]; then
    echo "$FAILURES check(s) failed"
    exit 1
  fi
  echo "all $TW_E2E_NAME checks passed"
  exit 0
}

# The Settings Center: a top-level window of the program (class TarnwickSettingsTabsV2).
TW_SETTINGS_CLASS=TarnwickSettingsTabsV2
# A line of its controls: hwnd id=N class=... visible=0|1 rect=x,y,w,h text="..."
tw_settings_control() { tw_probe --class "$TW_SETTINGS_CLASS" controls | grep " id=$1 " | head -n 1; }
# The X window of the Settings Center that process PID shows (found by its title as it is now).
tw_settings_xwindow() {
  local title
  title="$(tw_probe --class "$TW_SETTINGS_CLASS" windows | sed -n "s/^0x[0-9a-f]* $TW_SETTINGS_CLASS \"\(.*\)\"$/\1/p" | head -n 1)"
  [ -n "$title" ] || return 1
  xdotool search --all --onlyvisible --pid "$1" --name "^$title\$" 2>/dev/null | head -n 1
}
# Clicks the centre of a Settings Center control as a user does: tw_settings_click XWINDOW ID
tw_settings_click() {
  local sx="$1" rect x y w h
  rect="$(tw_settings_control "$2" | sed -n 's/.* rect=\([0-9-]*,[0-9-]*,[0-9]*,[0-9]*\) .*/\1/p')"
  IFS=, read -r x y w h <<<"$rect"
  [ -n "$x" ] || return 1
  xdotool windowactivate --sync "$sx" 2>/dev/null || xdotool windowfocus --sync "$sx" 2>/dev/null
  xdotool mousemove --window "$sx" $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.3
}
# Opens a Settings Center drop list by a click and moves its selection with keys, then Return:
# tw_settings_choose XWINDOW ID KEY...
tw_settings_choose() {
  local sx="$1" id="$2"
  shift 2
  tw_settings_click "$sx" "$id" || return 1
  xdotool key --clearmodifiers "$@" Return
  sleep 0.5
}

# Waits until no top-level window of the program matches REGEX (a message box has closed).
tw_wait_no_dialog() {
  local regex="$1" limit="$2"
  local end=$(( $(date +%s) + limit ))
  while [ "$(date +%s)" -lt "$end" ]; do
    grep -Eq -- "$regex" <<<"$(tw_windows 2>/dev/null)" || return 0
    sleep 0.1
  done
  return 1
}
