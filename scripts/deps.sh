# Sourced by the scripts here: installs the Debian packages a step needs and
# that the machine lacks (with sudo when not root).

# Packages that build the programs (and the font their windows are laid out for).
build_packages=(cmake make g++ qt6-base-dev fonts-liberation2)
# Packages that the tests need besides: GoogleTest, and a real Samba receiver
# in a network namespace of the tests' own.
test_packages=(libgtest-dev googletest samba smbclient iproute2)

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
