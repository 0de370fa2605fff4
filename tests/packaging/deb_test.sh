#!/usr/bin/env bash
# The Debian package as a distribution builds it and a user installs it:
# built by dpkg-buildpackage in a clean copy of the tree (no build folder of
# another stage), checked by lintian, installed with apt-get, started from
# /usr/bin as root and as an ordinary user on a virtual X server of their
# own (tests/e2e/e2e_test.sh, case installed), and purged. It installs a
# package, so it runs as root or through sudo, and refuses to replace a
# huvenor the machine already has.
# Usage: deb_test.sh XCLOSE
set -euo pipefail
cd "$(dirname "$0")/../.."
xclose=$1
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
fail() { echo "FAIL: $*" >&2; exit 1; }
! dpkg-query -W huvenor >/dev/null 2>&1 || fail "huvenor is installed here already"

work=$(mktemp -d)
installed=""
trap 'rm -rf "$work"; [[ -z $installed ]] || "${sudo[@]}" apt-get purge -y -qq huvenor >/dev/null' EXIT
chmod 755 "$work" # apt's own user reads the package from here
mkdir "$work/huvenor" "$work/bin"
git ls-files -z --cached --others --exclude-standard |
  tar -c --null -T - --ignore-failed-read 2>/dev/null | tar -x -C "$work/huvenor"
(cd "$work/huvenor" && DEB_BUILD_OPTIONS="parallel=$(nproc) terse" dpkg-buildpackage -us -uc -b) \
  >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; fail "dpkg-buildpackage"; }
name=huvenor_$(dpkg-parsechangelog -l debian/changelog -S Version)_$(dpkg --print-architecture)
[[ -f $work/${name/_/-dbgsym_}.deb ]] || fail "no -dbgsym package"
ls -s --block-size=K "$work"/*.deb

# The .changes and each .deb it lists: every tag not overridden fails,
# pedantic and informational ones too.
lintian --pedantic --info --fail-on error,warning,info,pedantic "$work/$name.changes"

# Without the desktop portal it recommends: no Wayland desktop runs here.
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "$work/$name.deb" >/dev/null
installed=yes
cp scripts/with-xvfb.sh tests/e2e/e2e_test.sh "$xclose" "$work/bin"
for user in root nobody; do
  "${sudo[@]}" runuser -u "$user" -- env -i PATH=/usr/bin:/bin LANG=C.UTF-8 \
    "$work/bin/with-xvfb.sh" "$work/bin/e2e_test.sh" /usr/bin/huvenor "$work/bin/xclose" \
    installed /usr/bin || fail "the installed program, run by $user"
done
"${sudo[@]}" apt-get purge -y -qq huvenor >/dev/null
installed=""
[[ ! -e /usr/bin/huvenor ]] || fail "purged, /usr/bin/huvenor is still there"
echo "PASS: $name.deb"
