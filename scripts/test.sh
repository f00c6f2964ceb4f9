#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite in three stages, ending in the main suite:
#  1. the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/ or
#     $KW_ASAN_BUILD_DIR), every finding fatal, leaks included; the Octave tests (generated MATLAB,
#     not our C++) and the valgrind test (not under ASan) are left out there;
#  2. when clang is installed, each fuzz target for $KW_FUZZ_SECONDS seconds (default 5: a smoke
#     run; a longer run is "scripts/fuzz.sh 300") in build-fuzz/ or $KW_FUZZ_BUILD_DIR;
#  3. the normal build (build/ or $KW_BUILD_DIR): unit, host, CLI, fuzz-regression, valgrind and
#     Octave tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Compiler cache keyed on paths relative to the checkout, so another clone reuses it.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
build=${KW_BUILD_DIR:-$root/build}
asan=${KW_ASAN_BUILD_DIR:-$root/build-asan}

"$root/scripts/setup.sh"

echo "== sanitizer build and suite"
cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKW_SANITIZE=ON -DKW_BUILD_BENCH=OFF >/dev/null
cmake --build "$asan" -j2
(
  export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
  export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
  cd "$asan" && ctest --output-on-failure -j2 -LE 'octave|valgrind'
)

if command -v clang++ >/dev/null 2>&1; then
  echo "== fuzz smoke run"
  "$root/scripts/fuzz.sh" "${KW_FUZZ_SECONDS:-5}"
else
  echo "clang++ is not installed: the fuzz targets were not run (their regressions run below)."
fi

echo "== normal build and suite"
KW_BUILD_DIR=$build "$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure -j2
