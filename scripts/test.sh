#!/bin/sh
# Sets up a fresh Debian 12 machine, builds TavroDesk, runs every test, then builds, installs and
# checks the Debian package.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
ctest --test-dir "$BUILD_DIR" -j "$(nproc)" --output-on-failure
scripts/package-test.sh
# Every parser of untrusted input under ASan/UBSan for a short fixed time; any finding fails.
scripts/fuzz.sh
