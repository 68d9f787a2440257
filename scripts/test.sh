#!/usr/bin/env bash
# Builds everything and runs every test: the suite, the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz corpora through
# their targets, the packages, and the Windows build cross-compiled and
# played from its ZIP under Wine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$root/scripts/install-deps.sh" test

echo "== build and test"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFW_WERROR=ON
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DFW_SANITIZE=ON -DFW_BENCH=OFF -DFW_WERROR=ON
cmake --build "$root/build-asan" -j"$jobs"
ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs"

echo "== replay the fuzz corpora, built with clang, libFuzzer and the same sanitizers"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFW_FUZZ=ON \
  -DFW_TESTS=OFF -DFW_BENCH=OFF -DFW_WERROR=ON
cmake --build "$root/build-fuzz" -j"$jobs" --target fuzz_bitmap fuzz_ragdoll fuzz_script
ctest --test-dir "$root/build-fuzz" --output-on-failure -j"$jobs"

echo "== cross-compile the Windows shell"
cmake -S "$root" -B "$root/build-win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DFW_WERROR=ON -DFW_XWD_CHECK="$root/build/tests/e2e/xwd_check" \
  -DFW_REPLAY="$root/build/tools/fusewalker-replay"
cmake --build "$root/build-win" -j"$jobs"

echo "== the packages"
"$root/scripts/package.sh"

echo "== the Windows build under Wine, played from its ZIP"
ctest --test-dir "$root/build-win" --output-on-failure
