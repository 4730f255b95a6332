#!/bin/sh
# Sets up a fresh Debian 12 machine, builds TavroDesk and starts it.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
exec "$BUILD_DIR/src/tavrodesk" "$@"
