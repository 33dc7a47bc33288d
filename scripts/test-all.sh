#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test: the plain build (warnings as errors), the
# sanitizer build, the fuzz target, and the cross builds for 32-bit ARM Linux (under qemu-arm) and
# for Windows (under Wine). Each stage uses its own build folder under build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)

stage() { printf '\n==== %s\n' "$*" >&2; }

stage "plain build and tests"
cmake -S . -B build/plain -DCMAKE_BUILD_TYPE=Release -DRASTERO_WERROR=ON
cmake --build build/plain -j "$jobs"
ctest --test-dir build/plain --output-on-failure -j "$jobs"

stage "sanitizer build and tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
CXX=clang++ cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRASTERO_WERROR=ON -DRASTERO_SANITIZE=ON
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

stage "32-bit ARM Linux build, unit tests under qemu-arm"
cmake -S . -B build/arm -DCMAKE_BUILD_TYPE=Release -DRASTERO_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabi.cmake
cmake --build build/arm -j "$jobs"
ctest --test-dir build/arm --output-on-failure -j "$jobs"

stage "fuzzing under the sanitizers: replay the suite, then fuzz each target for ${RASTERO_FUZZ_SECONDS:-60} s"
CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRASTERO_WERROR=ON -DRASTERO_SANITIZE=ON \
  -DRASTERO_FUZZ=ON -DRASTERO_BUILD_TESTS=OFF
cmake --build build/fuzz -j "$jobs" --target rastero_fuzz_load_save rastero_fuzz_mosaic
# libFuzzer runs every seed first, then mutates; its log is long, so it is shown only on failure.
for target in rastero_fuzz_load_save rastero_fuzz_mosaic; do
  mkdir -p "build/fuzz/corpus-$target"
  if ! ASAN_OPTIONS=detect_leaks=1 "build/fuzz/fuzz/$target" -max_total_time="${RASTERO_FUZZ_SECONDS:-60}" \
      -rss_limit_mb=2048 -timeout=25 "build/fuzz/corpus-$target" tests/data/bmpsuite/g tests/data/bmpsuite/q \
      tests/data/bmpsuite/b 2> "build/fuzz/$target.log"; then
    tail -n 60 "build/fuzz/$target.log" >&2
    exit 1
  fi
  tail -n 1 "build/fuzz/$target.log" >&2
done

stage "64-bit Windows build (MinGW-w64): the DLL, its host program and the unit tests under Wine"
cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release -DRASTERO_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake
cmake --build build/windows -j "$jobs"
ctest --test-dir build/windows --output-on-failure -j "$jobs"

stage "all tests passed"
