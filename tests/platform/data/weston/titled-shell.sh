#!/bin/sh
# The "shell" of a test terminal: sets the window title to $TITLE_FIRST, and to $TITLE_SECOND once
# the file $TITLE_FLAG appears; then idles.
printf '\033]0;%s\007' "$TITLE_FIRST"
while [ ! -e "$TITLE_FLAG" ]; do
    sleep 0.1
done
printf '\033]0;%s\007' "$TITLE_SECOND"
exec sleep 100000
