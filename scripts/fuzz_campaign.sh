#!/usr/bin/env bash
# Runs the fuzz targets one after the other, each from its committed seed corpus, at the
# lowest priority, and prints the executions and rate each reached.
#   scripts/fuzz_campaign.sh [SECONDS-PER-TARGET] [TARGET...]
# Needs the fuzz build (see README.md). Corpora grow in build/fuzz/corpus/<target>; a
# crashing input lands in build/fuzz/findings/ and should become a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
shift || true
# target, seed folder under tests/fuzz, longest input worth trying
all=(
  "gfx/fuzz_bitmap bitmap 4096"
  "sound/fuzz_wav wav 4096"
  "media/fuzz_pack_directory pack_directory 4096"
  "media/fuzz_unpack unpack 4096"
  "input/fuzz_keyscript keyscript 1024"
  "files/fuzz_line_cache line_cache 4096"
)
mkdir -p build/fuzz/findings
for entry in "${all[@]}"; do
  read -r binary seeds maxlen <<<"$entry"
  name="$(basename "$binary")"
  if [[ $# -gt 0 && ! " $* " =~ " $name " ]]; then continue; fi
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  log="build/fuzz/$name.log"
  # The processor time it got, apart from the wall time: the machine may be shared.
  TIMEFORMAT="%R %U %S"
  { time nice -n 19 "build/fuzz/fuzz/$binary" "$corpus" "tests/fuzz/$seeds" -runs=10000000 \
      -max_total_time="$seconds" -max_len="$maxlen" -print_final_stats=1 \
      -artifact_prefix="build/fuzz/findings/$name-" >"$log" 2>&1 || true; } 2>"$log.time"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  read -r wall user system <"$log.time"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.1f", u + s }')
  rate=$(awk -v n="${runs:-0}" -v u="$user" -v s="$system" \
    'BEGIN { printf "%.0f", (u + s > 0 ? n / (u + s) : 0) }')
  status=$(grep -q -E '^==[0-9]+==ERROR|^SUMMARY|deadly signal' "$log" && echo FINDING || echo clean)
  echo "$name: ${runs:-?} executions in ${cpu} s of processor time (${wall} s wall)," \
    "${rate} per processor second, $status"
done
