# Sourced by the tools: installs what is missing and builds a configuration.
#   lex_build DIR BUILD_TYPE [ninja targets...] -- extra cmake arguments after "--"
# Tests and benchmarks are left out unless the extra arguments turn them on.
lex_here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

lex_build() {
  local dir=$1 type=$2
  shift 2
  local targets=() extra=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do targets+=("$1"); shift; done
  [ "${1:-}" = -- ] && shift
  extra=("$@")
  "$lex_here/tools/setup"
  cmake -S "$lex_here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
    -DLEX_BUILD_TESTS=OFF -DLEX_BUILD_BENCH=OFF "${extra[@]}" >/dev/null
  ninja -C "$dir" "${targets[@]}"
}
