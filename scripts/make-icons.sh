#!/bin/sh
# Draws the program icons with ImageMagick.
#   linux/icons/kvoll.png         48 x 48, a speech bubble with an envelope flap
# Quillpost's is a closed envelope:
#   onetoone/icons/quillpost.ico  32 x 32, 16 colours (the Windows program icon)
#   onetoone/icons/quillpost.png  48 x 48 (the Linux desktop entry)
# Crier's is a loud-hailer calling out, its file picker's a folder:
#   broadcast/icons/crier.ico     32 x 32, 16 colours
#   broadcast/icons/crier.png     48 x 48
#   broadcast/icons/frmfile.ico   16 x 16, 16 colours (the file picker's window)
#   broadcast/icons/frmfile.png   16 x 16
# The generated files are kept in the repository; run this again only to
# change the picture.
set -eu

out="$(cd "$(dirname "$0")/.." && pwd)/onetoone/icons"
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# The picture on a 32-pixel grid; "scale" stretches it to other sizes.
envelope() {
    echo "
        stroke '#000080' stroke-width 1
        fill '#FFFFFF' rectangle 2,7 29,24
        fill none polyline 2,7 15.5,17 29,7
        line 2,24 12,15
        line 29,24 19,15
        stroke '#800000' fill '#FF0000' rectangle 23,9 26,12"
}

# The icon is drawn without anti-aliasing so that it fits a 16-colour
# palette with crisp edges.  Going through GIF hands the ICO writer a
# palette image with transparency: it then writes a 4-bit bitmap plus the
# transparency mask instead of a 32-bit image.
convert -size 32x32 xc:none +antialias -draw "$(envelope)" -colors 16 "$tmp/quillpost32.gif"
convert "$tmp/quillpost32.gif" "$out/quillpost.ico"

convert -size 48x48 xc:none -draw "scale 1.5,1.5 $(envelope)" \
    -depth 8 -strip -define png:exclude-chunks=date,time "$out/quillpost.png"

# Crier: a loud-hailer (mouthpiece, cone, rim) and three waves of sound.
broadcast="$out/../../broadcast/icons"
mkdir -p "$broadcast"
hailer() {
    echo "
        stroke '#000000' stroke-width 1
        fill '#808080' rectangle 2,13 6,18
        fill '#FFFF00' polygon 6,13 18,6 18,25 6,18
        fill '#808000' rectangle 18,5 20,26
        fill none stroke '#000080'
        arc 16,12 24,19 -60,60
        arc 16,9 27,22 -60,60
        arc 16,6 30,25 -60,60"
}
convert -size 32x32 xc:none +antialias -draw "$(hailer)" -colors 16 "$tmp/crier32.gif"
convert "$tmp/crier32.gif" "$broadcast/crier.ico"
convert -size 48x48 xc:none -draw "scale 1.5,1.5 $(hailer)" \
    -depth 8 -strip -define png:exclude-chunks=date,time "$broadcast/crier.png"

# The file picker: an open folder on a 16-pixel grid.
folder() {
    echo "
        stroke '#000000' stroke-width 1
        fill '#808000' polygon 1,3 6,3 7,4 13,4 13,13 1,13
        fill '#FFFF00' polygon 3,7 15,7 13,13 1,13"
}
convert -size 16x16 xc:none +antialias -draw "$(folder)" -colors 16 "$tmp/frmfile16.gif"
convert "$tmp/frmfile16.gif" "$broadcast/frmfile.ico"
convert "$tmp/frmfile16.gif" -depth 8 -strip -define png:exclude-chunks=date,time \
    "$broadcast/frmfile.png"

# kvoll
convert -size 48x48 xc:none -fill '#2d6cdf' -draw 'roundrectangle 3,9 44,38 5,5' \
    -fill white -draw 'polygon 6,13 24,27 42,13 42,16 24,30 6,16' \
    -fill '#2d6cdf' -draw 'polygon 14,38 14,46 24,38' \
    -strip -define png:exclude-chunks=date,time "$out/../../linux/icons/kvoll.png"

# Quillbox: a letter dropping into an inbox tray.
#   inbox/icons/quillbox.png      48 x 48
inbox_tray() {
    echo "
        stroke '#000080' stroke-width 1
        fill '#FFFFFF' rectangle 9,2 23,15
        fill none polyline 9,2 16,8 23,2
        stroke '#10306F' fill '#2D6CDF'
        polygon 2,14 9,14 11,19 21,19 23,14 30,14 30,28 2,28
        stroke '#BFD3F7' line 4,24 28,24"
}
mkdir -p "$out/../../inbox/icons"
convert -size 48x48 xc:none -draw "scale 1.5,1.5 $(inbox_tray)" \
    -depth 8 -strip -define png:exclude-chunks=date,time "$out/../../inbox/icons/quillbox.png"
