#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and UBSan) in
# build-fuzz and runs each for SECONDS (default 30) from its seeds in
# fuzz/corpus/<target>. Inputs the fuzzer finds go to build-fuzz/corpus, never
# into the repository; a crash is saved as build-fuzz/artifacts/<target>-*.
#   usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(readout form script replay)

bash scripts/deps.sh clang-14 libclang-rt-14-dev

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPYRELLE_FUZZ=ON -DPYRELLE_TESTS=OFF >/dev/null
cmake --build build-fuzz -j2 --target fuzzers

export ASAN_OPTIONS=abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
mkdir -p build-fuzz/artifacts
failed=()
for t in "${targets[@]}"; do
    work="build-fuzz/corpus/$t"
    mkdir -p "$work"
    flags=(-max_total_time="$seconds" -timeout=20 -print_final_stats=1
           -artifact_prefix="build-fuzz/artifacts/$t-")
    [ -f "fuzz/$t.dict" ] && flags+=(-dict="fuzz/$t.dict")
    case "$t" in
        readout) flags+=(-max_len=8192) ;;
        # Each input opens a window: per-input leak checks would run the
        # window system's caches through the leak checker. Leaks are still
        # checked when the run ends.
        form) flags+=(-max_len=2048 -detect_leaks=0) ;;
        *) flags+=(-max_len=4096) ;;
    esac
    echo "== fuzz_$t for ${seconds}s"
    if build-fuzz/fuzz/"fuzz_$t" "${flags[@]}" "$work" "fuzz/corpus/$t" >"build-fuzz/fuzz_$t.log" 2>&1; then
        grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)" \
            "build-fuzz/fuzz_$t.log" | sed 's/^/   /'
    else
        failed+=("$t")
        tail -n 60 "build-fuzz/fuzz_$t.log"
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: FAILED: ${failed[*]} (inputs in build-fuzz/artifacts)"
    exit 1
fi
echo "fuzz: ${#targets[@]} targets ran clean for ${seconds}s each"
