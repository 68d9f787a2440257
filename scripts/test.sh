#!/usr/bin/env bash
# Builds everything and runs every test: the suite, the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer with the fuzz targets'
# corpora replayed, the Windows build cross-compiled and played from its ZIP
# under Wine, the web page built with emscripten and played from its ZIP in
# chromium, Firefox and WebKit, and the README's commands for players: the
# packages made by package.sh, play.sh's window and play-web.sh's page.
#
# The native build comes first: the others use its tools. Then four lanes
# run side by side, each logging to build-logs/, as the X, Wine and browser
# rounds spend much of their time waiting on a pace.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
logs="$root/build-logs"

stage() { echo "== $* ($(date +%T))"; }

native_build() {
  stage "build"
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFW_WERROR=ON
  cmake --build "$root/build" -j"$jobs"
}

native() {
  stage "test"
  ctest --test-dir "$root/build" --output-on-failure -j"$jobs"
}

sanitizers() {
  stage "build and test under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz corpora replayed"
  # Asserts kept, at -O1: the sanitizers' own advice, and five times faster than -O0.
  cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DFW_SANITIZE=ON -DFW_BENCH=OFF -DFW_WERROR=ON
  cmake --build "$root/build-asan" -j"$jobs"
  # Mesa draws on the calling thread and keeps no shader cache: at exit,
  # LeakSanitizer's scan then meets the one thread the test ran on.
  local env=(LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true ASAN_OPTIONS=detect_leaks=1
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
  env "${env[@]}" ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs" && return 0
  # LeakSanitizer's own tracer has crashed now and then at exit, after a
  # test had passed ("Tracer caught signal 11"): a fault of the tool, not a
  # leak. Tests that failed only so run once more, leak check and all.
  only_leak_checker_crashed "$root/build-asan/Testing/Temporary/LastTest.log" || return 1
  stage "LeakSanitizer crashed in a test that had passed: that test once more"
  env "${env[@]}" ctest --test-dir "$root/build-asan" --output-on-failure --rerun-failed
}

# only_leak_checker_crashed LOG: every failed test in ctest's LOG failed
# with LeakSanitizer's fatal error and with no fault of its own reported.
only_leak_checker_crashed() {
  awk '
    / Testing: /                                   { crashed = 0; faulty = 0 }
    /LeakSanitizer has encountered a fatal error/  { crashed = 1 }
    /detected memory leaks|ERROR: AddressSanitizer|runtime error:|\[  FAILED  \]/ { faulty = 1 }
    /^Test Failed\./                               { failed++; if (crashed && !faulty) crashes++ }
    END { exit !(failed > 0 && crashes == failed) }
  ' "$1"
}

windows() {
  stage "cross-compile the Windows shell, and play it from its ZIP under Wine"
  cmake -S "$root" -B "$root/build-win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DFW_WERROR=ON -DFW_XWD_CHECK="$root/build/tests/e2e/xwd_check" \
    -DFW_REPLAY="$root/build/tools/fusewalker-replay"
  cmake --build "$root/build-win" -j"$jobs"
  ctest --test-dir "$root/build-win" --output-on-failure -j"$jobs"
}

web() {
  stage "the web page, built with emscripten, played from its ZIP in chromium, Firefox and WebKit"
  emcmake cmake -S "$root" -B "$root/build-web" -DCMAKE_BUILD_TYPE=Release \
    -DFW_WERROR=ON -DFW_NATIVE_BUILD="$root/build"
  cmake --build "$root/build-web" -j"$jobs"
  ctest --test-dir "$root/build-web" --output-on-failure -j"$jobs"
}

# The README's other commands as a player gives them: package.sh makes the
# four packages from Release builds of its own, which play.sh and
# play-web.sh then reuse to show the window and serve the page. After the
# Windows tests, as package.sh takes the same Windows build.
readme() {
  stage "the README's commands: package.sh, play.sh, play-web.sh"
  "$root/scripts/package.sh"
  bash "$root/tests/e2e/readme_commands.sh" "$root/build/tests/e2e/xwd_check" "$root/build/readme_commands"
}

# lane NAME STEP...: the steps one after another, stopping at the first
# that fails; the output goes to build-logs/NAME.log.
lane() {
  local name="$1"
  shift
  (
    set -e
    for step in "$@"; do "$step"; done
  ) >"$logs/$name.log" 2>&1
}

"$root/scripts/install-deps.sh" test
native_build
mkdir -p "$logs"
stage "four lanes side by side: the native tests, the sanitizers, Windows, the web"
declare -A lanes
lane native native &
lanes[native]=$!
lane sanitizers sanitizers &
lanes[sanitizers]=$!
lane windows windows readme &
lanes[windows]=$!
lane web web &
lanes[web]=$!
failed=""
for name in native sanitizers windows web; do
  wait "${lanes[$name]}" || failed="$failed $name"
  echo "==== build-logs/$name.log"
  cat "$logs/$name.log"
done
[ -z "$failed" ] || {
  # The logs are long: each failure's own words again, last, where a reader of the end finds them.
  for name in $failed; do
    echo "== $name: the failures' words"
    grep -a -E -B2 '^(FAILED|.*(Error|ERROR|Assertion|Failure)\b)' "$logs/$name.log" | tail -n 60
  done
  echo "== FAILED in:$failed"
  exit 1
}
stage "every test passed"
