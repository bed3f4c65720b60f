#!/usr/bin/env bash
# Sets everything up and runs every test: the layout check of the C++ files, a normal build
# with the checks of its installed files and package, a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short bounded run of each fuzzer under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=$(nproc)
# Most tests wait on simulated serial lines rather than compute, so twice as many run at once.
test_jobs=$((jobs * 2))
fuzz_seconds=${VADDEX_FUZZ_SECONDS:-20}
# Paths relative to the checkout, so that a clone in another folder hits the same cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

echo "== format"
# Every C++ file as .clang-format lays it out; clang-format -i on a reported file fixes it.
find src tests bench tools -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
    xargs -0 clang-format --dry-run -Werror

echo "== normal build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$test_jobs"

echo "== installed files and the Debian package"
./scripts/check-install.sh build/release

echo "== sanitizer build"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVADDEX_SANITIZE=ON -DVADDEX_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/asan --output-on-failure -j "$test_jobs"

echo "== fuzzers (${fuzz_seconds} s each)"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVADDEX_FUZZ=ON
cmake --build build/fuzz -j "$jobs"
shopt -s nullglob
for fuzzer in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds="tests/fuzz/seeds/${name#fuzz_}"
    [ -d "$seeds" ] || seeds=""
    echo "-- $name"
    "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" $seeds
done

echo "== all tests passed"
