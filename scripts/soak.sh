#!/usr/bin/env bash
# Long random play: runs the game headless and unpaced over many seeds, each with a key
# script of random presses of every game key and the stage keys (never Escape), and
# checks every run: exit code 0, no sanitizer report, an error log that ends normally,
# and its resident memory at the start, the middle and the end.
#
#   scripts/soak.sh [--build sanitize|release|debug] [--seeds N] [--frames F] [--first S]
#
# Defaults: the sanitizer build, 200 seeds of 5000 frames (one million frames). CI runs a
# short version. In the release build the memory must stay flat: a run whose resident
# memory grows by more than 8 MiB from its middle to its end fails.
set -euo pipefail
cd "$(dirname "$0")/.."

build=sanitize seeds=200 frames=5000 first=1
while [[ $# -gt 0 ]]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --seeds) seeds="$2"; shift 2 ;;
    --frames) frames="$2"; shift 2 ;;
    --first) first="$2"; shift 2 ;;
    *) echo "usage: $0 [--build sanitize|release|debug] [--seeds N] [--frames F] [--first S]" >&2
       exit 2 ;;
  esac
done
case "$build" in
  sanitize) type=Sanitize ;; release) type=Release ;; debug) type=Debug ;;
  *) echo "$0: unknown build $build" >&2; exit 2 ;;
esac

scripts/setup.sh
cmake -S . -B "build/$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "build/$build" --target kip >/dev/null
kip="$PWD/build/$build/game/kip"
work="$(mktemp -d "${TMPDIR:-/tmp}/kip_soak_XXXXXX")"
trap 'rm -rf "$work"' EXIT
# Mesa and SDL keep some memory until exit on purpose: leak reports would be theirs.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

# The game's keys: cursor keys, Alt (jump), space (fire and the screens), M (music).
game_keys=(203 205 200 208 56 57 50)

# A key script of random events over the frames: presses held for a while, taps, and now
# and then K, I and P with a digit 1 to 8 (the stage keys). Escape (1) and F4 never.
make_key_script() {
  local seed="$1" frame=0 key action
  RANDOM="$seed"
  while (( frame < frames )); do
    frame=$(( frame + RANDOM % 40 + 1 ))
    if (( RANDOM % 60 == 0 )); then
      echo "$frame tap 37 23 25 $(( RANDOM % 8 + 2 ))"
      continue
    fi
    key=${game_keys[RANDOM % ${#game_keys[@]}]}
    case $(( RANDOM % 3 )) in
      0) action=down ;; 1) action=up ;; *) action=tap ;;
    esac
    echo "$frame $action $key"
  done
}

# Resident memory of a process in KiB, or nothing when it is gone.
resident_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true; }

# The five closing lines of a normal end: "-End On Line", code 0 and three numbers.
log_ends_normally() {
  tr -d '\r' <"$1" | tail -n 5 | awk 'NR == 1 && $0 != "-End On Line" { bad = 1 }
    NR == 2 && $0 != "0" { bad = 1 } NR > 2 && $0 !~ /^[0-9]+$/ { bad = 1 }
    END { exit (NR == 5 && !bad) ? 0 : 1 }'
}

failures=0 played=0
echo "soak: $build build, seeds $first to $(( first + seeds - 1 )), $frames frames each"
for (( seed = first; seed < first + seeds; ++seed )); do
  run="$work/$seed"
  mkdir -p "$run"
  make_key_script "$seed" >"$run/keys.txt"
  TMPDIR="$run" "$kip" --headless --unpaced --seed "$seed" --frames "$frames" \
    --keys "$run/keys.txt" >"$run/out.txt" 2>"$run/err.txt" &
  pid=$!
  # Samples every tenth of a second. The start: one second in, once start-up has loaded
  # the level (or the first sample, for a shorter run); the middle; the end: the last
  # sample before it exits.
  samples=()
  while now=$(resident_kib "$pid") && [[ -n "$now" && "$now" != 0 ]]; do
    samples+=("$now")
    sleep 0.1
  done
  count=${#samples[@]}
  start="${samples[count > 10 ? 10 : 0]:-}" middle="${samples[count / 2]:-}"
  end="${samples[count > 0 ? count - 1 : 0]:-}"
  status=0
  wait "$pid" || status=$?
  problems=()
  (( status == 0 )) || problems+=("exit code $status")
  grep -q -E 'ERROR: AddressSanitizer|runtime error:|ERROR: LeakSanitizer' "$run/err.txt" &&
    problems+=("sanitizer report")
  log_ends_normally "$run/ErrorLog.txt" || problems+=("error log does not end normally")
  # The level set-up and the stage keys raise the memory to a plateau early on; what still
  # grows in the second half of a run is a leak.
  if [[ "$build" == release && -n "$middle" && -n "$end" ]] && (( end - middle > 8192 )); then
    problems+=("memory grew from $middle to $end KiB in the second half")
  fi
  played=$(( played + frames ))
  echo "seed $seed: ${frames} frames, memory ${start:-?} -> ${middle:-?} -> ${end:-?} KiB" \
    "(start, middle, end)${problems:+, ${problems[*]}}"
  if (( ${#problems[@]} > 0 )); then
    failures=$(( failures + 1 ))
    sed -n '1,40p' "$run/err.txt" >&2
    cp "$run/keys.txt" "build/soak-failed-seed-$seed.keys"
  fi
  rm -rf "$run"
done
echo "soak: $played frames over $seeds seeds, $failures failed"
(( failures == 0 ))
