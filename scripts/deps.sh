# Sourced by the scripts here: installs the Debian packages a step needs and
# that the machine lacks (with sudo when not root).

# Packages that build the programs (and the font their windows are laid out
# for); GLib splits Crier's program line as a shell would, found through
# pkg-config.
build_packages=(cmake make ninja-build g++ pkgconf qt6-base-dev libglib2.0-dev fonts-liberation2)
# Packages that the tests need besides: GoogleTest, a real Samba receiver in
# a network namespace of the tests' own (nftables makes hosts there drop
# connection attempts), the locale sources that a test builds a
# comma-decimal locale from, and a session bus of a test's own (Quillbox
# started twice).
test_packages=(libgtest-dev googletest samba smbclient iproute2 nftables locales dbus-daemon)
# The Windows stage: MinGW-w64 for the .exe files, Wine to run their tests,
# Wine's fonts for its windows, GoogleTest's sources to build for Windows.
win32_packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 wine fonts-wine googletest)
# The benchmarks: a real X window with a window manager.
bench_packages=(xvfb xauth openbox)
# The fuzz targets: Debian's clang with libFuzzer and the sanitizers.
fuzz_packages=(clang libclang-rt-14-dev)
# Building the .deb, validating it (lintian among others) and seeing its
# programs' windows.
package_packages=(dpkg-dev file lintian desktop-file-utils appstream xvfb xauth x11-utils xdotool)
# The format check of every C++ file.
format_packages=(clang-format)

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing ${missing[*]}" >&2
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The generator option for a new build folder: Ninja when it is there (it
# keeps both cores busy to the last target); a folder made before keeps the
# generator it was made with.
generator() {
    if [ ! -f "$1/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then
        echo "-G Ninja"
    fi
}
