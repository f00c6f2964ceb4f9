#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan on) into build-fuzz/ (or
# $KW_FUZZ_BUILD_DIR) and runs each for SECONDS (default 10: the smoke run of the test command).
# A longer run, e.g. 5 minutes per target:   scripts/fuzz.sh 300
# Only some targets:                          scripts/fuzz.sh 60 generate file_path
# Each target starts from fuzz/corpus/<target>/ and fuzz/regressions/<target>/; inputs it finds
# go to <build>/corpus/<target>/ (fuzz/corpus stays as committed), a crashing input to
# <build>/artifacts/<target>/. Exits non-zero when a target crashes; prints runs per target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Compiler cache keyed on paths relative to the checkout, so another clone reuses it.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
build=${KW_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-10}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(quantizer_host_value argument_parser file_path matlab_indenter generate model_commands
                                project_reader)

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is not installed" >&2; exit 1; }
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKW_BUILD_FUZZ=ON -DKW_BUILD_TESTS=OFF -DKW_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -j2

# Every sanitizer finding is fatal, leaks included.
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:abort_on_error=1:print_stacktrace=1}

status=0
summary=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  artifacts=$build/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  log=$build/$target.log
  seeds=()
  for dir in "$root/fuzz/corpus/$target" "$root/fuzz/regressions/$target"; do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  echo "== fuzz_$target for ${seconds}s"
  # Output of the host (messages on stdout/stderr) is dropped; sanitizer and libFuzzer reports stay.
  # A unit may take tens of seconds under the sanitizers (the adder-graph search of a 16-bit
  # shift-add core); 90 s still tells a hang from slow work.
  if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=90 -rss_limit_mb=2048 \
       -max_len=4096 -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$artifacts/" \
       "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    result=ok
  else
    result=CRASH
    status=1
    tail -n 60 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  summary+=("$(printf '%-22s %-6s %10s runs in %ss' "$target" "$result" "${runs:-?}" "$seconds")")
done
printf '%s\n' "fuzz summary:" "${summary[@]}"
exit $status
