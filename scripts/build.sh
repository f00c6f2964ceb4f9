#!/usr/bin/env bash
# Configures and builds into build/ (or $KW_BUILD_DIR); extra arguments go to CMake.
# $KW_BUILD_TARGETS (space-separated) builds only those targets and what they need.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Compiler cache keyed on paths relative to the checkout, so another clone reuses it.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
build=${KW_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
targets=()
for target in ${KW_BUILD_TARGETS:-}; do
  targets+=(--target "$target")
done
cmake --build "$build" -j2 "${targets[@]}"
