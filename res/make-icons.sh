#!/bin/sh
# Regenerates the icon set. Ordinary icons come from the Tango icon theme (public domain,
# Debian package tango-icon-theme); the tray animation, logo and link icons are drawn here with
# ImageMagick and are ours (CC0). Run from this folder; the PNGs are committed.
set -eu
TANGO=/usr/share/icons/Tango
CONVERT=/usr/bin/convert

# Each at 16 pixels and at 32 pixels for a display scaled twice (Qt picks name@2x.png by itself).
tango() {
    cp "$TANGO/16x16/$1" "$2.png"
    cp "$TANGO/32x32/$1" "$2@2x.png"
}
# draw NAME SIZE ARGS...: an ImageMagick drawing made for SIZE pixels, also drawn at twice the size.
draw() {
    name=$1
    size=$2
    shift 2
    $CONVERT -size "${size}x$size" xc:none "$@" "$name.png"
    $CONVERT -size "$((size * 2))x$((size * 2))" xc:none -affine 2,0,0,2,0,0 "$@" "$name@2x.png"
}
tango actions/go-down.png arrow-down
tango actions/go-up.png arrow-up
tango actions/go-previous.png arrow_left
tango actions/go-next.png arrow_right
tango actions/edit-clear.png clear
tango categories/applications-system.png execute
tango mimetypes/application-x-executable.png app
tango places/folder.png project
tango apps/system-users.png client
tango mimetypes/text-x-generic.png task
tango mimetypes/x-office-document.png tasklist
tango actions/media-record.png record
tango actions/media-playback-pause.png pause
tango apps/preferences-desktop-screensaver.png away
tango status/software-update-available.png sparkle
tango status/network-idle.png online
tango status/network-offline.png offline

# Clock face for the hour level of the entry trees.
draw hour 16 -fill white -stroke '#3465a4' -strokewidth 1.5 -draw 'circle 7.5,7.5 7.5,1' \
    -stroke '#2e3436' -strokewidth 1.2 -draw 'line 7.5,7.5 7.5,3.5' -draw 'line 7.5,7.5 10.5,9'

# Two chain links; the unlink icon has them pulled apart with a red gap.
draw link 16 -fill none -stroke '#3465a4' -strokewidth 2 \
    -draw 'roundrectangle 1,5 9,11 3,3' -draw 'roundrectangle 7,5 15,11 3,3'
draw unlink 16 -fill none -stroke '#3465a4' -strokewidth 2 \
    -draw 'roundrectangle 0,5 6,11 3,3' -draw 'roundrectangle 10,5 16,11 3,3' \
    -stroke '#cc0000' -strokewidth 1.5 -draw 'line 8,2 8,14'

# Tray animation: a red recording dot with a ring that grows and fades over eight frames;
# frame 9, the paused state, is a dark disc with a light rim and two pause bars, so that it stands out
# from the recording dot by shape and reads on light and dark panels alike.
for i in 1 2 3 4 5 6 7 8; do
    radius=$((6 + i))
    alpha=$(echo "scale=2; 1 - ($i - 1) / 8" | bc)
    $CONVERT -size 32x32 xc:none \
        -fill none -stroke "rgba(204,0,0,$alpha)" -strokewidth 2 -draw "circle 16,16 16,$((16 - radius))" \
        -stroke '#a40000' -strokewidth 1 -fill '#ef2929' -draw 'circle 16,16 16,9' frame$i.png
done
$CONVERT -size 32x32 xc:none -stroke '#eeeeec' -strokewidth 2 -fill '#2e3436' -draw 'circle 16,16 16,3' \
    -stroke none -fill '#eeeeec' -draw 'rectangle 11,10 14,22' -draw 'rectangle 18,10 21,22' frame9.png

# Logo: a clock hand sweeping over a blue disc.
draw logo 64 -fill '#3465a4' -stroke '#204a87' -strokewidth 2 -draw 'circle 32,32 32,3' \
    -fill none -stroke white -strokewidth 5 -draw 'line 32,32 32,12' -draw 'line 32,32 46,40' \
    -fill '#ef2929' -stroke none -draw 'circle 32,32 32,28'
$CONVERT logo.png -define icon:auto-resize=64,32,16 tavro.ico
