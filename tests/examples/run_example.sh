#!/usr/bin/env bash
# Runs one example headless in a folder of its own (the program, the media beside it
# in the build, the text files of the examples' sources) with Escape scripted down
# from frame 20 and --frames 100 as a backstop, then checks: exit code 0; the
# last SHOWSCREEN traced is that of frame 20, which saw Escape; every pattern
# of the expected file matches a trace line; the error log ends the program.
# Expected file, one item a line ('#' comments):
#   keys LINE          a line added to the key script
#   seed N             the random seed (else 1)
#   file NAME TEXT     afterwards NAME holds TEXT (printf escapes)
#   anything else      an extended regular expression a trace line must match
# Usage: run_example.sh EXAMPLE EXPECTED-FILE EXAMPLES-SOURCE-FOLDER
set -euo pipefail
example="$1" expected="$2" sources="$3"
name=$(basename "$example")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $name: $*" >&2; exit 1; }
[[ -f "$expected" ]] || fail "no expected trace $expected: a new example needs one, with a pattern
for each trace line that shows what it does (see docs/getting-started.md, 'An example in this
tree'); \`$example --headless --trace - --frames 20\` prints the lines to choose from"

mkdir "$work/run"
cp "$example" "$work/run/"
shopt -s nullglob
for media in "$(dirname "$example")"/*.{bmp,wav,pak} "$sources"/*.txt; do cp "$media" "$work/run/"; done
echo "20 down 1" >"$work/escape.keys"
seed=1
patterns=() files=()
while IFS= read -r line; do
  case "$line" in
    ''|\#*) ;;
    'keys '*) echo "${line#keys }" >>"$work/escape.keys" ;;
    'seed '*) seed="${line#seed }" ;;
    'file '*) files+=("${line#file }") ;;
    *) patterns+=("$line") ;;
  esac
done <"$expected"

status=0
TMPDIR="$work" "$work/run/$name" --headless --unpaced --no-warning --seed "$seed" --frames 100 \
  --keys "$work/escape.keys" --trace "$work/trace.txt" >"$work/out.txt" 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "exit code $status: $(cat "$work/out.txt")"
last=$(grep ' SHOWSCREEN$' "$work/trace.txt" | tail -n 1)
[[ "$last" == "20 SHOWSCREEN" ]] || fail "the last frame is '$last', not the one that saw Escape at frame 20"
! grep -q '^2[1-9] ' "$work/trace.txt" || fail "the program went on after Escape"
for pattern in "${patterns[@]}"; do
  grep -Eq -- "$pattern" "$work/trace.txt" || fail "no trace line matches: $pattern"
done
for item in "${files[@]}"; do
  file="${item%% *}" text="${item#* }"
  printf "$text" | cmp -s - "$work/run/$file" || fail "$file holds: $(od -c "$work/run/$file" | head -5)"
done
grep -aq "^-End On Line" "$work/ErrorLog.txt" || fail "the error log does not end the program"
echo "$name: ran 21 frames, ended on Escape"
