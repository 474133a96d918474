#!/usr/bin/env bash
# Builds Pyrelle and runs its tests. With --sanitize, under AddressSanitizer
# and UndefinedBehaviorSanitizer, in a build folder of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

dir=build
flags=(-DCMAKE_BUILD_TYPE=Release -DPYRELLE_TESTS=ON)
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    flags=(-DCMAKE_BUILD_TYPE=Debug -DPYRELLE_TESTS=ON -DPYRELLE_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" -j2
ctest --test-dir "$dir" --output-on-failure --no-tests=error
