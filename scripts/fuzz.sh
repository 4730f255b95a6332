#!/bin/sh
# Builds the fuzz targets (fuzz/, clang with libFuzzer, ASan and UBSan) into ${FUZZ_BUILD_DIR:-build-fuzz}
# and runs each for ${FUZZ_SECONDS:-20} seconds, seeded from tests/data. Any finding fails the run; its
# input is kept in the build folder.
set -eu
cd "$(dirname "$0")/.."
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-20}
CXX=clang++-14 cmake -S fuzz -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$BUILD" -j "$(nproc)"

run() {
    target=$1
    shift
    corpus="$BUILD/corpus/$target"
    mkdir -p "$corpus" "$BUILD/findings"
    for seed in "$@"; do
        if [ -d "$seed" ]; then cp "$seed"/* "$corpus"/; else cp "$seed" "$corpus"/; fi
    done
    log="$BUILD/$target.log"
    if ! UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$BUILD/$target" -max_total_time="$SECONDS_EACH" \
        -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$BUILD/findings/$target-" "$corpus" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "$target: FINDING (see $log and $BUILD/findings)"
        return 1
    fi
    echo "$target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions, no findings"
}

run fuzz_apireply tests/data/login-ok.xml tests/data/error-reply.xml tests/data/projects.xml \
    tests/data/linking-catalogue.xml
run fuzz_appcast tests/data/appcast
run fuzz_desktopentry tests/data/applications
run fuzz_journal tests/data/journal
run fuzz_dragpayload tests/data/dragpayload
run fuzz_httprequest tests/data/http
run fuzz_swayipc tests/data/ipc/sway
run fuzz_hyprlandipc tests/data/ipc/hyprland
