#!/usr/bin/env bash
# Builds Quillpost.exe and Crier.exe for 64-bit Windows with MinGW-w64 (each
# one static, stripped .exe with nothing beside it) and packs them with a
# short README.txt into a .zip.  Run from anywhere:
#   scripts/package-win32.sh [OUTPUT.zip]     (default dist/Quillon-win32.zip)
# QUILLON_PACKAGE_BUILD_DIR overrides the build folder (build-win32-release).
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
build=${QUILLON_PACKAGE_BUILD_DIR:-build-win32-release}
output=${1:-dist/Quillon-win32.zip}
case $output in /*) ;; *) output=$root/$output ;; esac

source scripts/deps.sh
ensure_packages g++-mingw-w64-x86-64-posix cmake

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF
cmake --build "$build" --parallel --target Quillpost Crier

stage=$(mktemp -d "${TMPDIR:-/tmp}/quillon-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
cp "$build/bin/Quillpost.exe" "$build/bin/Crier.exe" "$stage/"

# Windows' Notepad of the Messenger years wants CR LF.
sed 's/$/\r/' >"$stage/README.txt" <<'TEXT'
Quillon for Windows
===================

Quillpost.exe  sends one message to one recipient: a user name, a computer
               name or a messaging alias.  A file Quillpost.ini beside the
               program may preset the recipient: its first comma-separated
               field is used (double quotes keep commas).  Quillpost never
               writes it.

Crier.exe      sends one message to every host of an address book, 40 at
               once (Parallel= under [Options] in ZK.INI sets 1 to 256),
               with a status line per host in book order.  An entry may be a
               range of dotted addresses: 192.168.1.20-192.168.1.25 stands
               for six hosts.  "Save settings" writes the book and the
               options to ZK.INI and the message to Message.txt, beside the
               program.  With "Count" checked, a finished broadcast counts
               down and then starts the program named in the field beside it
               and ends Crier.

Both programs hand each message to the Windows Messenger service
(NetMessageBufferSend).  That service exists up to Windows XP and Windows
Server 2003, where it must be running on both sides.  Later Windows has no
Messenger service: there the call answers "not supported", and the programs
report every send as failed.

Each program is a single .exe and needs nothing installed: copy it into a
folder you can write to (the settings files go beside it) and start it.
TEXT

mkdir -p "$(dirname "$output")"
rm -f "$output"
(cd "$stage" && cmake -E tar cf "$output" --format=zip Quillpost.exe Crier.exe README.txt)

for program in Quillpost Crier; do
    size=$(wc -c <"$stage/$program.exe")
    imports=$(x86_64-w64-mingw32-objdump -p "$stage/$program.exe" \
        | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
    echo "$program.exe: $size bytes; imports $imports"
done
echo "wrote $output ($(wc -c <"$output") bytes)"
