#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it as a user would receive it:
#   - unpacked into a temporary root, brodix-chart started through its bin/ link charts the
#     installed sample picture with the installed symbol sheet (and, with that sheet taken
#     away, reports it missing and charts differently, so the sheet beside the real program
#     was the one read);
#   - both programs answer --version with the package's version;
#   - the desktop entry and the AppStream metadata validate;
#   - lintian: errors fail, other tags are shown.
# Usage: scripts/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() {
  echo "package: $*" >&2
  exit 1
}

rm -f "$build"/brodix_*.deb
(cd "$build" && cpack -G DEB >"$root/cpack.log" 2>&1) || fail "cpack failed: $(cat "$root/cpack.log")"
debs=("$build"/brodix_*_amd64.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "cpack made no brodix_*_amd64.deb"
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "brodix_${version}_amd64.deb" ] || fail "unexpected name $deb"
dpkg-deb -x "$deb" "$root"

bin=$root/usr/bin
private=$root/usr/lib/brodix
for program in brodix-chart brodix; do
  [ -L "$bin/$program" ] || fail "bin/$program is not a link"
  [ "$("$bin/$program" --version)" = "$program $version" ] || fail "$program --version"
done

# Charting through the link, with the sheet installed and without it.
mkdir "$root/out"
chart() {
  (cd "$root/out" && "$bin/brodix-chart" "$root/usr/share/brodix/examples/flower.bmp" "$1" \
    >/dev/null 2>"$1.err")
}
chart with || fail "brodix-chart failed: $(cat "$root/out/with.err")"
[ ! -s "$root/out/with.err" ] || fail "brodix-chart complained: $(cat "$root/out/with.err")"
mv "$private/Brodix.bmp" "$root/sheet.bmp"
chart without || fail "brodix-chart without its sheet failed"
[ -s "$root/out/without.err" ] || fail "a missing sheet went unreported"
cmp -s "$root/out/with_CS.bmp" "$root/out/without_CS.bmp" &&
  fail "the chart does not depend on the installed sheet"
mv "$root/sheet.bmp" "$private/Brodix.bmp"

desktop-file-validate "$root/usr/share/applications/brodix.desktop"
appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null ||
  fail "AppStream metadata: $(appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml)"

# Tags are printed on standard output; the note that lintian runs as root is not one.
lintian --fail-on error --info "$deb" 2> >(grep -v 'root privileges' >&2) ||
  fail "lintian found errors"
echo "package: $deb checked" >&2
