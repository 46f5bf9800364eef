#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs:
# every file in place, a valid desktop entry, the launcher starting the
# program in the user's data folder, and a help file holding the manual.
#   install_test.sh BUILD_DIR
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAILED: cmake --install"; exit 1; }

for f in bin/lexiphon bin/lexiphon-launch bin/lexiphon-pageserver share/lexiphon/cedict.lxd \
         share/lexiphon/corona.smf share/lexiphon/lexiphon.chm \
         share/applications/lexiphon.desktop share/icons/hicolor/scalable/apps/lexiphon.svg; do
  check "installed $f" test -s "$prefix/$f"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/lexiphon.png
  check "icon ${size}x${size}" test -s "$png"
  check "icon ${size}x${size} is ${size} pixels" grep -q "${size} x ${size}" <(file "$png")
done
check "executable launcher" test -x "$prefix/bin/lexiphon-launch"
check "desktop entry validates" desktop-file-validate "$prefix/share/applications/lexiphon.desktop"
check "desktop entry names" grep -q '^Name\[zh_CN\]=' "$prefix/share/applications/lexiphon.desktop"
check "desktop entry categories" grep -q '^Categories=Education;Languages;' "$prefix/share/applications/lexiphon.desktop"

# The installed page server uses the installed dictionary and translates.
"$prefix/bin/lexiphon-pageserver" --port 0 >"$work/pageserver.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do grep -q listening "$work/pageserver.log" && break; sleep 0.1; done
check "page server uses the installed dictionary" grep -q "dictionary $prefix/share/lexiphon/cedict.lxd ready" \
  "$work/pageserver.log"
url=$(sed -n 's/.*listening on //p' "$work/pageserver.log")
if [ -n "$url" ]; then
  curl -s -0 --data-binary 'hl=zh-CN&ie=GB2312&text=apple&langpair=en|zh-CN' "$url?langpair=en|zh-CN" \
    | iconv -f gb18030 -t utf-8 >"$work/page.html" 2>/dev/null
fi
check "page server translates apple" grep -q "苹果" "$work/page.html"
kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null

# The launcher, with a stand-in program that records where it ran.
cat >"$work/fake" <<'FAKE'
#!/bin/sh
{ pwd; for a in "$@"; do echo "arg:$a"; done; } >"$FAKE_LOG"
FAKE
chmod +x "$work/fake"
mkdir -p "$work/caller"
echo text >"$work/caller/doc.txt"
(cd "$work/caller" && FAKE_LOG=$work/log LEXIPHON_PROGRAM=$work/fake XDG_DATA_HOME=$work/data \
  "$prefix/bin/lexiphon-launch" doc.txt)
check "launcher runs in the data folder" test "$(head -n 1 "$work/log")" = "$work/data/lexiphon"
check "launcher passes the file by full path" grep -qx "arg:$work/caller/doc.txt" "$work/log"
check "data folder seeded with the skin" cmp "$prefix/share/lexiphon/corona.smf" "$work/data/lexiphon/corona.smf"
check "data folder seeded with the help" cmp "$prefix/share/lexiphon/lexiphon.chm" "$work/data/lexiphon/lexiphon.chm"
# A skin the user changed is never overwritten.
echo mine >"$work/data/lexiphon/corona.smf"
(FAKE_LOG=$work/log LEXIPHON_PROGRAM=$work/fake XDG_DATA_HOME=$work/data "$prefix/bin/lexiphon-launch")
check "user's skin kept" grep -qx mine "$work/data/lexiphon/corona.smf"

# The help file holds the manual's pages.
listing=$(enum_chmLib "$prefix/share/lexiphon/lexiphon.chm" 2>/dev/null)
for page in index commands speech translate files; do
  check "manual page $page" grep -q "/$page.html" <<<"$listing"
done
mkdir -p "$work/chm"
extract_chmLib "$prefix/share/lexiphon/lexiphon.chm" "$work/chm" >/dev/null 2>&1
check "manual text" grep -q "使用手册" "$work/chm/index.html"

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
