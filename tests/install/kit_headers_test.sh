#!/usr/bin/env bash
# The development kit's headers, installed into a temporary prefix: each one compiles
# on its own (nothing it needs left to the includer), without a warning under
# -Wall -Wextra -Wpedantic, in C++17 and in C++20, with only the kit's own include
# folder and those of the libraries kv.pc requires.
# Usage: kit_headers_test.sh BUILD-DIR C++-COMPILER
set -euo pipefail
build="$1" compiler="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --component dev --prefix "$work/kit" >"$work/install.log" ||
  fail "cmake --install: $(cat "$work/install.log")"
cflags=$(PKG_CONFIG_PATH="$work/kit/lib/pkgconfig" pkg-config --cflags kv) || fail "pkg-config --cflags kv"
cd "$work/kit/include/kv"
mapfile -t headers < <(find . -name '*.h' | sed 's|^\./||' | sort)
[[ ${#headers[@]} -gt 50 ]] || fail "only ${#headers[@]} headers installed"
export compiler cflags
for std in c++17 c++20; do
  printf '%s\n' "${headers[@]}" | xargs -P2 -I{} sh -c \
    'echo "#include \"{}\"" | "$compiler" -std='$std' -Wall -Wextra -Wpedantic -Werror -fsyntax-only $cflags -x c++ - -o /dev/null 2>&1 || echo "FAILED: {}"' \
    >"$work/$std.log"
  ! grep -q . "$work/$std.log" || fail "$std: $(cat "$work/$std.log")"
done
echo "kit headers: ${#headers[@]} headers, each on its own, C++17 and C++20, no warning"
