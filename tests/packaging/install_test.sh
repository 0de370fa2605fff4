#!/usr/bin/env bash
# Installs the system-wide component into a staging folder and checks the
# tree a desktop and a software centre expect: the program, its launcher
# entry, metadata, manual page and icons. The README's list of keys and the
# manual page's must say the same. (The icons' sizes, and the tree as a
# package, are lintian's check in tests/packaging/deb_test.sh.)
# Usage: install_test.sh BUILD-DIR SOURCE-DIR APP-ID
set -euo pipefail
build=$1 source=$2 id=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$stage cmake --install "$build" --component system --prefix /usr >/dev/null

expected=(
  usr/bin/huvenor
  "usr/share/applications/$id.desktop"
  "usr/share/metainfo/$id.metainfo.xml"
  usr/share/man/man1/huvenor.1
  usr/share/icons/hicolor/16x16/apps/huvenor.png
  usr/share/icons/hicolor/32x32/apps/huvenor.png
  usr/share/icons/hicolor/48x48/apps/huvenor.png
  usr/share/icons/hicolor/scalable/apps/huvenor.svg
)
got=$(cd "$stage" && find . -type f | sed 's|^\./||' | sort)
[[ $got == "$(printf '%s\n' "${expected[@]}" | sort)" ]] || fail "installed: $got"

desktop-file-validate "$stage/usr/share/applications/$id.desktop"
# The metadata against the tree: its launchable names the installed entry.
appstreamcli validate-tree --pedantic --no-net "$stage" >"$stage/appstream.log" ||
  fail "appstreamcli: $(cat "$stage/appstream.log")"
warnings=$(MANWIDTH=80 man --warnings -l "$stage/usr/share/man/man1/huvenor.1" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "man: $warnings"

readme_keys() { sed -n '/^| Keys | What they do |$/,/^$/s/^| \(.*\) | \(.*\) |$/\1: \2/p' "$1" | tail -n +2; }
man_keys() { sed -n '/^\.SH KEYS$/,/^\.SH [^K]/{/^\.TP$/{n;s/^\.B //;N;s/\n/: /p}}' "$1"; }
diff <(readme_keys "$source/README.md") <(man_keys "$source/packaging/huvenor.1") ||
  fail "the README's keys (<) and the manual page's (>) differ"
echo "PASS: install tree"
