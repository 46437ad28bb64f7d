#!/usr/bin/env bash
# Builds and runs every test (default preset), then the unit tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer (asan preset), then
# the libFuzzer targets, built with clang under the same sanitizers, each
# for a bounded time from its seed corpus (fuzz preset). Every pass always
# runs; the exit status is non-zero if any failed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/x11-session.sh

scripts/install-deps.sh
# GUI and end-to-end tests need a display with a window manager.
orn_x11_session

# run_pass PRESET: configure, build and test one preset.
run_pass() {
    echo "== $1: configure, build, test"
    cmake --preset "$1" &&
        cmake --build --preset "$1" -j"$(nproc)" &&
        ctest --preset "$1"
}

failed=()
run_pass default || failed+=(default)
run_pass asan || failed+=(asan)
run_pass fuzz || failed+=(fuzz)

if ((${#failed[@]} > 0)); then
    echo "test.sh: FAILED: ${failed[*]}" >&2
    exit 1
fi
echo "test.sh: all passes succeeded"
