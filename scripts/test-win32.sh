#!/usr/bin/env bash
# The Windows stage: cross-compiles Quillpost.exe and Crier.exe (the Win32
# toolkit, the platform layer, the INI rules) and their tests with MinGW-w64
# and runs the tests under Wine in a throw-away prefix with Wine's null
# graphics driver, so that windows work without an X server.  Run from the
# repository root:
#   scripts/test-win32.sh
# QUILLON_WIN32_BUILD_DIR overrides the build folder (default build-win32),
# QUILLON_WIN32_JOBS the number of tests run at once (default 4).
set -eu

# The full-disk tests mount a small tmpfs from inside Wine: as root, the
# whole stage, its Wine server included, runs in a mount namespace of its
# own, so that nothing outside sees the mount.
if [ "$(id -u)" -eq 0 ] && [ -z "${QUILLON_WINE_PRIVATE_MOUNTS:-}" ] \
    && command -v unshare >/dev/null 2>&1; then
    QUILLON_WINE_PRIVATE_MOUNTS=1 exec unshare --mount --propagation private -- "$0" "$@"
fi

cd "$(dirname "$0")/.."
build=${QUILLON_WIN32_BUILD_DIR:-build-win32}

step() { printf '\n== %s\n' "$*"; }

# ---- packages ---------------------------------------------------------------
source scripts/deps.sh
ensure_packages "${win32_packages[@]}"

# ---- Wine -------------------------------------------------------------------
# A prefix of our own, removed afterwards; no display, no debugger, no noise.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quillon-wine.XXXXXX")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quillon-win32.XXXXXX")
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES='netapi32=n;winedbg.exe=d'
unset DISPLAY WAYLAND_DISPLAY

cleanup() {
    status=$?
    wineserver -k 2>/dev/null || true
    # The server may take a moment to let go of the prefix.
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$scratch"
    exit $status
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

started=$(date +%s)

# Windows and message boxes need a graphics driver; the null driver needs no
# display.  Without Wine's fonts in the prefix the controls draw the wrong
# glyphs.  Both go in before the first boot, which then builds the font
# cache once (a cache built later costs the first GUI test ~7 s).
step "preparing Wine ($WINEPREFIX)"
printf 'WINE REGISTRY Version 2\n\n#arch=win64\n\n[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n' \
    >"$WINEPREFIX/user.reg"
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
# A server started inside a test would hold ctest's output pipe open: start
# it here, before the prefix boots, and keep it running until the end.
wineserver -p
wineboot -i </dev/null >"$scratch/wineboot.log" 2>&1
# The desktop process that the boot started ends a while after its last
# window; the first window after that starts a new one, which here waits 10 s
# for a service that does not answer.  A window kept open for the whole stage
# keeps the desktop up.
wine notepad </dev/null >/dev/null 2>&1 &

# ---- build and test ---------------------------------------------------------
step "configuring $build"
# shellcheck disable=SC2046
cmake -S . -B "$build" $(generator "$build") -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DQUILLON_WERROR=ON

step "building"
cmake --build "$build" --parallel

step "testing under Wine"
(cd "$build" && ctest --output-on-failure --timeout 60 -j"${QUILLON_WIN32_JOBS:-4}")

step "Windows stage passed in $(($(date +%s) - started)) s"
