#!/bin/sh
# Sets up a fresh Debian 12 machine, builds TavroDesk and starts it. Without a Tavro account in the
# settings it starts the demo instead: the development service with a demo account and a data folder
# of its own (scripts/run-demo.sh). TAVRO_DEMO=1 always starts the demo, TAVRO_DEMO=0 never does.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
# The settings, or where an earlier version kept them if TavroDesk has not moved them yet.
ini="${XDG_CONFIG_HOME:-$HOME/.config}/TavroDesk/tavrodesk.ini"
earlier_ini="${XDG_DATA_HOME:-$HOME/.local/share}/TavroDesk/tavrodesk.ini"
demo=${TAVRO_DEMO:-auto}
if [ "$demo" = auto ]; then
    demo=1
    if grep -Eqs '^(Username|AuthToken)=.+' "$ini" "$earlier_ini"; then
        demo=0
    fi
fi
if [ "$demo" = 1 ]; then
    exec scripts/run-demo.sh "$BUILD_DIR" "$@"
fi
exec "$BUILD_DIR/src/tavrodesk" "$@"
