#!/usr/bin/env bash
# Builds everything and runs every test: the suite, the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz corpora through
# their targets, the Windows build cross-compiled and played from its ZIP
# under Wine, the web page built with emscripten and played from its ZIP in
# chromium, and the packages.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$root/scripts/install-deps.sh" test

echo "== build and test ($(date +%T))"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFW_WERROR=ON
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer ($(date +%T))"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DFW_SANITIZE=ON -DFW_BENCH=OFF -DFW_WERROR=ON
cmake --build "$root/build-asan" -j"$jobs"
ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs"

echo "== replay the fuzz corpora, built with clang, libFuzzer and the same sanitizers ($(date +%T))"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFW_FUZZ=ON \
  -DFW_TESTS=OFF -DFW_BENCH=OFF -DFW_WERROR=ON
cmake --build "$root/build-fuzz" -j"$jobs" --target fuzz_bitmap fuzz_ragdoll fuzz_script
ctest --test-dir "$root/build-fuzz" --output-on-failure -j"$jobs"

echo "== cross-compile the Windows shell ($(date +%T))"
cmake -S "$root" -B "$root/build-win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DFW_WERROR=ON -DFW_XWD_CHECK="$root/build/tests/e2e/xwd_check" \
  -DFW_REPLAY="$root/build/tools/fusewalker-replay"
cmake --build "$root/build-win" -j"$jobs"

echo "== the Windows build under Wine, played from its ZIP ($(date +%T))"
ctest --test-dir "$root/build-win" --output-on-failure

echo "== the web page, built with emscripten, played from its ZIP in chromium ($(date +%T))"
# Debian's emcc runs its JavaScript tools with Debian's node modules.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S "$root" -B "$root/build-web" -DCMAKE_BUILD_TYPE=Release -DFW_WERROR=ON \
  -DFW_NATIVE_BUILD="$root/build"
cmake --build "$root/build-web" -j"$jobs"
ctest --test-dir "$root/build-web" --output-on-failure -j"$jobs"

echo "== the packages ($(date +%T))"
"$root/scripts/package.sh"
