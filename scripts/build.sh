#!/bin/sh
# Configures and builds TavroDesk into ${BUILD_DIR:-build} (warnings are errors).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRO_WERROR=ON >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
