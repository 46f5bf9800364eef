#!/usr/bin/env bash
# Fails when a file in src/ includes a header of a higher layer, or of a
# sibling on the same layer: the arrows point down only.
#   text -> framework, platform, pageservice -> res
#        -> panes, speech, translate, about -> frame -> app -> main.cpp
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# --selftest: the check must fail on an upward and a sibling include, and
# pass on a downward one.
if [ "${1:-}" = --selftest ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  mkdir -p "$tmp/text" "$tmp/framework" "$tmp/platform" "$tmp/frame"
  echo '#include "text/codepage.h"' >"$tmp/framework/a.cpp"
  echo '#include "framework/a.h"' >"$tmp/frame/b.cpp"
  "$here/layers_check.sh" "$tmp" >/dev/null || { echo "layers selftest: a clean tree failed"; exit 1; }
  echo '#include "frame/mainframe.h"' >"$tmp/framework/c.cpp"
  if "$here/layers_check.sh" "$tmp" >/dev/null; then echo "layers selftest: an upward include passed"; exit 1; fi
  rm "$tmp/framework/c.cpp"
  echo '#include "framework/a.h"' >"$tmp/platform/d.cpp"
  if "$here/layers_check.sh" "$tmp" >/dev/null; then echo "layers selftest: a sibling include passed"; exit 1; fi
  echo "layers selftest: upward and sibling includes are caught"
  exit 0
fi
src=${1:-$(cd "$here/../../src" && pwd)}

rank() {
  case $1 in
    text) echo 0 ;;
    framework | platform | pageservice) echo 1 ;;
    res) echo 2 ;;
    panes | speech | translate | about) echo 3 ;;
    frame) echo 4 ;;
    app) echo 5 ;;
    main.cpp) echo 6 ;;
    *) echo -1 ;;
  esac
}

bad=0
checked=0
while IFS= read -r file; do
  rel=${file#"$src"/}
  from=${rel%%/*}
  from_rank=$(rank "$from")
  if [ "$from_rank" -lt 0 ]; then
    echo "layers: $rel is in no known layer"
    bad=1
    continue
  fi
  while IFS= read -r line; do
    inc=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
    checked=$((checked + 1))
    to=${inc%%/*}
    [ "$to" = "$inc" ] && {
      # Only generated headers are included by bare name.
      [ "$inc" = version.h ] && continue
      echo "layers: $rel includes \"$inc\" by bare name"
      bad=1
      continue
    }
    [ "$to" = "$from" ] && continue
    to_rank=$(rank "$to")
    if [ "$to_rank" -lt 0 ]; then
      echo "layers: $rel includes \"$inc\", which is in no known layer"
      bad=1
    elif [ "$to_rank" -ge "$from_rank" ]; then
      echo "layers: $rel ($from) includes \"$inc\" ($to): not a lower layer"
      bad=1
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find "$src" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)

[ "$checked" -gt 0 ] || { echo "layers: no includes found under $src"; exit 1; }
if [ "$bad" -ne 0 ]; then
  exit 1
fi
echo "layers: $checked includes, each to its own or a lower layer"
