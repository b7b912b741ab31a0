# Shared set-up for the project's scripts: packages, build, Wine prefix, display.
# Sourced, not run.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${TARNWICK_BUILD_DIR:-$ROOT/build}"
JOBS="${TARNWICK_JOBS:-$(nproc 2>/dev/null || echo 2)}"

# Compiler cache: checkouts side by side share hits (paths taken relative to their parent folder).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$ROOT")}" CCACHE_NOHASHDIR=1

log() { printf '[tarnwick] %s\n' "$*" >&2; }

PACKAGES=(cmake make g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
          binutils-mingw-w64-x86-64 wine wine64 xvfb xauth xdotool openbox x11-utils imagemagick
          googletest libz-mingw-w64-dev ccache fonts-wqy-microhei fonts-wine fonts-dejavu-core
          ripgrep python3 plocate bfs jdupes gdu)

ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq "${missing[@]}" >/dev/null
}

configure_and_build() {
  local type="${1:-RelWithDebInfo}"
  if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    local launcher=()
    command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw64.cmake" \
          -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" >/dev/null
  fi
  cmake --build "$BUILD" -j "$JOBS" "${@:2}"
}

# Fonts of the prefix. A prefix has none of the faces the program and Windows ask for ("Segoe UI",
# "Microsoft YaHei UI", and "MS Shell Dlg" = "Tahoma" for menus, message boxes, tooltips and the
# stock GUI font; Wine's own Tahoma is not found either), and Wine falls back on a font per face
# only through a system font link:
# - a face that no font has but that has a link is drawn with its link's first font as the base;
#   Arabic is drawn only from the base font (with WenQuanYi as the base it is missing), so the base is
#   DejaVu Sans (Latin, Greek, Cyrillic, Hebrew, Arabic);
# - the letters the base lacks come from the links of the base face's own full name ("DejaVu
#   Sans", and "DejaVu Sans Bold" for weights from 600 up), here WenQuanYi Micro Hei (Chinese,
#   Japanese kana, Hangul).
# The "Microsoft YaHei UI" replacement of earlier prefixes made WenQuanYi its base (Arabic blank):
# it is removed.
PREFIX_UI_FACES=("Segoe UI" "Microsoft YaHei UI" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2")
PREFIX_FONT_BASE=("DejaVuSans.ttf,DejaVu Sans" "wqy-microhei.ttc,WenQuanYi Micro Hei")
PREFIX_FONT_FALLBACK=("wqy-microhei.ttc,WenQuanYi Micro Hei")
# Raised whenever the prefix settings below change: a prefix whose marker holds another version
# gets them again (its drives, files and the program's settings are kept).
PREFIX_SETUP_VERSION=2

# A REG_MULTI_SZ value of a .reg file: reg_multi_sz NAME STRING...
reg_multi_sz() {
  python3 - "$@" <<'PY'
import sys
name, values = sys.argv[1], sys.argv[2:]
data = ("\0".join(values) + "\0\0").encode("utf-16-le")
print('"%s"=hex(7):%s' % (name, ",".join("%02x" % b for b in data)))
PY
}

# The prefix settings as one .reg file: no crash dialog, and the fonts above.
prefix_settings_reg() {
  local link='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  printf 'Windows Registry Editor Version 5.00\n\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n"Microsoft YaHei UI"=-\n\n'
  printf '[%s]\n' "$link"
  local face
  for face in "${PREFIX_UI_FACES[@]}"; do reg_multi_sz "$face" "${PREFIX_FONT_BASE[@]}"; done
  reg_multi_sz "DejaVu Sans" "${PREFIX_FONT_FALLBACK[@]}"
  reg_multi_sz "DejaVu Sans Bold" "${PREFIX_FONT_FALLBACK[@]}"
  printf '\n'
}

# A Wine prefix of our own: HOME points at a scratch folder before the prefix is made, so the
# prefix's Documents/Desktop links land there; the z: link to / is removed. A prefix made by an
# earlier version of this function is brought up to date in place.
# Usage: setup_prefix PREFIX HOME_DIR
setup_prefix() {
  local prefix="$1" home="$2"
  mkdir -p "$home"
  export WINEPREFIX="$prefix" HOME="$home" WINEDEBUG="${WINEDEBUG:--all}" WINEARCH=win64
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  local marker="$prefix/.tarnwick-ready"
  if [ ! -f "$marker" ]; then
    log "creating Wine prefix $prefix"
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    rm -f "$prefix/dosdevices/z:"
  fi
  if [ "$(cat "$marker" 2>/dev/null)" != "$PREFIX_SETUP_VERSION" ]; then
    log "applying the settings of Wine prefix $prefix (version $PREFIX_SETUP_VERSION)"
    local reg="$prefix/drive_c/windows/temp/tarnwick-settings.reg"
    mkdir -p "$(dirname "$reg")"
    # Version 5 .reg files are UTF-16 (an 8-bit one has its hex(7) strings read as 8-bit text).
    prefix_settings_reg | python3 -c 'import sys; sys.stdout.buffer.write(b"\xff\xfe" + sys.stdin.read().replace("\n", "\r\n").encode("utf-16-le"))' >"$reg"
    wine reg import 'C:\windows\temp\tarnwick-settings.reg' >/dev/null 2>&1 || { log "reg import failed"; return 1; }
    wineserver -w || true
    rm -f "$reg"
    echo "$PREFIX_SETUP_VERSION" >"$marker"
  fi
  rm -f "$prefix/dosdevices/z:"
}

# The benchmarks' corpus of real names (bench/corpus.py), made on first use: sets CORPUS to its
# folder.
make_corpus() {
  CORPUS="${TARNWICK_BENCH_DIR:-$BUILD/bench-data}/corpus"
  python3 "$ROOT/bench/corpus.py" "$CORPUS"
}

# Maps a drive letter of the prefix to a folder: map_drive PREFIX LETTER FOLDER
map_drive() {
  mkdir -p "$3"
  ln -sfn "$(cd "$3" && pwd)" "$1/dosdevices/${2,,}:"
}

# The first program of a new server starts the desktop process (explorer.exe /desktop), which
# keeps the DISPLAY of that moment: primed without a display, the desktop has no graphics driver,
# and a program that joins it before it ends (about a second later) cannot create any window.
# Programs with windows need start_display before start_wineserver.
start_wineserver() {
  wineserver -p >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wineserver() { wineserver -k >/dev/null 2>&1 || true; }

# Starts Xvfb and a window manager on a free display unless a display is already usable.
XVFB_PID=""
WM_PID=""
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  # Runs started at the same moment must not pick the same display: choose and start under a lock.
  local n=90 lock
  exec {lock}>/tmp/.tarnwick-display.lock
  flock "$lock"
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  flock -u "$lock"
  exec {lock}>&-
  openbox >/dev/null 2>&1 &
  WM_PID=$!
}

stop_display() {
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
