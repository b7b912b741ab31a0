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
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
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

# A Wine prefix of our own: HOME points at a scratch folder before the prefix is made, so the
# prefix's Documents/Desktop links land there; the z: link to / is removed.
# Usage: setup_prefix PREFIX HOME_DIR
setup_prefix() {
  local prefix="$1" home="$2"
  mkdir -p "$home"
  export WINEPREFIX="$prefix" HOME="$home" WINEDEBUG="${WINEDEBUG:--all}" WINEARCH=win64
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  if [ ! -f "$prefix/.tarnwick-ready" ]; then
    log "creating Wine prefix $prefix"
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    rm -f "$prefix/dosdevices/z:"
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei UI' /t REG_SZ /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'DejaVu Sans' /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'Tahoma' /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
    wineserver -w || true
    touch "$prefix/.tarnwick-ready"
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
