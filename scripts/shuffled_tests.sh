#!/usr/bin/env bash
# Runs every test binary of a build whole in one process, shuffled and repeated under
# a few seeds, from the folder and with the environment ctest gives it: a test that
# relies on another's leftovers fails here even when ctest's one-test-a-process run passes.
#   scripts/shuffled_tests.sh [build folder] [seed...]    (default: build/debug 7 11 23)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/debug}"
shift || true
seeds=("$@")
[[ ${#seeds[@]} -gt 0 ]] || seeds=(7 11 23)

# One line per binary: folder, environment (comma-joined), then the command, split by
# the unit separator (a tab would fold an empty environment away).
list_binaries() {
  ctest --test-dir "$build" --show-only=json-v1 | python3 -c '
import json, os, sys
runs = {}
for test in json.load(sys.stdin)["tests"]:
    command = [a for a in test.get("command", [])
               if not a.startswith("--gtest_filter") and a != "--gtest_also_run_disabled_tests"]
    if not command or command[0].endswith(".sh"):
        continue  # scripts, not test binaries
    if not os.path.basename(command[-1]).endswith("_test"):
        continue
    props = {p["name"]: p["value"] for p in test.get("properties", [])}
    key = tuple(command)
    runs.setdefault(key, (props.get("WORKING_DIRECTORY", "."), props.get("ENVIRONMENT", [])))
for command, (folder, env) in runs.items():
    print("\x1f".join([folder, ",".join(env)] + list(command)))
'
}

# The binary once, shuffled and repeated under the seed; its output into the log.
run_shuffled() {
  local seed="$1" folder="$2" log="$3" vars=()
  IFS=',' read -r -a vars <<<"$4"
  shift 4
  (cd "$folder" && env ${vars[@]+"${vars[@]}"} "$@" --gtest_shuffle --gtest_repeat=2 \
      --gtest_random_seed="$seed" </dev/null >"$log" 2>&1)
}

# One run: the binary under one seed; says how it went and leaves a mark when it failed.
# A run on an X server of its own goes one at a time (two xvfb-run -a starting together
# may pick the same display) and gets a second try when the server could not be reached
# (another program's server took its display): an order fault fails again with the seed.
run_one() {
  local seed="$1" folder="$2" env="$3" command=("${@:4}") log start=$SECONDS passed=0 own_x=0
  log="$(mktemp)"
  [[ "$(basename "${command[0]}")" == xvfb-run ]] && own_x=1 && command=(flock "$xlock" "${command[@]}")
  run_shuffled "$seed" "$folder" "$log" "$env" "${command[@]}" && passed=1
  if [[ $passed == 0 && $own_x == 1 ]] && grep -q 'x11 not available' "$log"; then
    echo "retried seed $seed: the X server could not be reached  ${command[*]}"
    run_shuffled "$seed" "$folder" "$log" "$env" "${command[@]}" && passed=1
  fi
  if [[ $passed == 1 ]]; then
    echo "passed  seed $seed  $((SECONDS - start))s  ${command[*]}"
  else
    echo "FAILED  seed $seed  ${command[*]}"
    grep -A2 -E 'Failure' "$log" | head -20 || true
    echo "$seed ${command[*]}" >>"$failures"
  fi
  rm -f "$log"
}

# Two runs at a time, as ctest -j2 does.
failures="$(mktemp)" xlock="$(mktemp)"
trap 'rm -f "$failures" "$xlock"' EXIT
while IFS=$'\x1f' read -r -a run; do
  for seed in "${seeds[@]}"; do
    while [[ $(jobs -rp | wc -l) -ge 2 ]]; do wait -n || true; done
    run_one "$seed" "${run[@]}" &
  done
done < <(list_binaries)
wait

if [[ -s "$failures" ]]; then
  echo "shuffled runs that failed:"; sed 's/^/  /' "$failures"
  exit 1
fi
echo "every test binary passed shuffled and repeated (seeds ${seeds[*]})"
