#!/bin/sh
# Sets up a fresh Debian 12 machine, builds TavroDesk and runs every test.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
ctest --test-dir "$BUILD_DIR" -j "$(nproc)" --output-on-failure
# Every parser of untrusted input under ASan/UBSan for a short fixed time; any finding fails.
scripts/fuzz.sh
