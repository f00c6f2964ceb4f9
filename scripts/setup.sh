#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine (skips what is present).
set -euo pipefail

packages=(build-essential cmake tcl-dev libpugixml-dev libgtest-dev libgmock-dev libbenchmark-dev
          libfftw3-dev octave octave-signal liboctave-dev gnuplot-nox fonts-freefont-otf fonts-dejavu-core
          ccache valgrind clang libclang-rt-14-dev
          verilator iverilog yosys nextpnr-ice40 fpga-icestorm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
