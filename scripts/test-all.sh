#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test: the plain build (warnings as errors) and
# the sanitizer build. Each stage uses its own build folder under build/.
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

stage "all tests passed"
