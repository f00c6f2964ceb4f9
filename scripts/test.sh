#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite (unit, host, CLI and Octave tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
cd "${KW_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j2
