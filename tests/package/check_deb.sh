#!/usr/bin/env bash
# Builds the Debian package from a configured and built folder, unpacks it into a
# temporary root and checks what it holds: tests/package/check_deb.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check_deb: $*" >&2
  exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log" >&2
  fail "cpack failed"
}
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, found: ${debs[*]}"
deb="${debs[0]}"
root="$work/root"
dpkg-deb -x "$deb" "$root"

# Exactly these files, nothing of the build or the tests.
expected="usr/bin/mks80-sim
usr/bin/quorlin
usr/bin/quorlin-cli
usr/share/applications/quorlin.desktop
usr/share/doc/quorlin/README.md
usr/share/doc/quorlin/changelog.gz
usr/share/doc/quorlin/copyright
usr/share/doc/quorlin/guide/editing.html
usr/share/doc/quorlin/guide/hearing.html
usr/share/doc/quorlin/guide/hearing.png
usr/share/doc/quorlin/guide/index.html
usr/share/doc/quorlin/guide/new-sounds.html
usr/share/doc/quorlin/guide/parameters-patch.png
usr/share/doc/quorlin/guide/parameters-tone.png
usr/share/doc/quorlin/guide/version.html
usr/share/icons/hicolor/32x32/apps/quorlin.png
usr/share/icons/hicolor/scalable/apps/quorlin.svg
usr/share/man/man1/mks80-sim.1.gz
usr/share/man/man1/quorlin-cli.1.gz
usr/share/man/man1/quorlin.1.gz
usr/share/metainfo/org.velmora.quorlin.metainfo.xml
usr/share/mime/packages/quorlin.xml"
actual="$(cd "$root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)"
if [ "$actual" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "the package's file list differs (< expected, > found)"
fi

# Qt's platform plugins are no library dependency, so they must be named by hand.
depends="$(dpkg-deb -f "$deb" Depends)"
for wanted in libqt6widgets6 librtmidi qt6-qpa-plugins libc6; do
  grep -q "$wanted" <<<"$depends" || fail "Depends lacks $wanted: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = quorlin ] || fail "the package is not named quorlin"
grep -q '^Quorlin developers <[^ ]*@[^ ]*>$' <<<"$(dpkg-deb -f "$deb" Maintainer)" ||
  fail "the Maintainer has no address: $(dpkg-deb -f "$deb" Maintainer)"

# Debian's own checks of a package: an error fails it, a warning is only shown.
if ! lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1; then
  cat "$work/lintian.log" >&2
  fail "lintian found errors"
fi
grep -v 'running with root privileges' "$work/lintian.log" >&2 || true

share="$root/usr/share"
grep -qx 'MimeType=application/x-quorlin-bank;' "$share/applications/quorlin.desktop" ||
  fail "the desktop file does not claim bank files"
desktop-file-validate "$share/applications/quorlin.desktop"
appstreamcli validate --no-net "$share/metainfo/org.velmora.quorlin.metainfo.xml" >"$work/as.log" ||
  { cat "$work/as.log" >&2; fail "the AppStream metadata is not valid"; }

# The type database built from the package alone names bank files by their extension.
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/quorlin.xml" "$work/mime/packages/"
XDG_DATA_DIRS="$work" update-mime-database "$work/mime" >"$work/mime.log" 2>&1 || { cat "$work/mime.log" >&2; fail "update-mime-database"; }
grep -q '^50:application/x-quorlin-bank:\*\.m80$' "$work/mime/globs2" || fail "no glob for *.m80"
grep -q ':application/x-sysex:\*\.syx$' "$work/mime/globs2" || fail "no glob for *.syx"

# Manual pages without formatting warnings, each describing its own program.
for page in quorlin quorlin-cli mks80-sim; do
  warnings="$(MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >"$work/$page.txt")"
  [ -z "$warnings" ] || fail "$page.1: $warnings"
  grep -q "^NAME" "$work/$page.txt" && grep -q "$page" "$work/$page.txt" || fail "$page.1 is empty"
done

# The version page states the version the package carries.
version="$(dpkg-deb -f "$deb" Version)"
grep -q "<strong id=\"version\">$version</strong>" "$share/doc/quorlin/guide/version.html" ||
  fail "the version page does not state $version"

# The changelog's newest entry is this version; the copyright file names the licence.
version_line="$(gzip -dc "$share/doc/quorlin/changelog.gz" | head -n 1)"
[[ "$version_line" == "quorlin ($version) "* ]] ||
  fail "the changelog's newest entry is not $version: $version_line"
grep -q '^License: MIT$' "$share/doc/quorlin/copyright" || fail "the copyright file names no licence"

# The installed programs run from where the package puts them.
"$root/usr/bin/quorlin-cli" new "$work/x.m80"
[ "$("$root/usr/bin/quorlin-cli" list "$work/x.m80" | wc -l)" -eq 64 ] || fail "quorlin-cli list"
"$root/usr/bin/mks80-sim" --help | grep -q 'MKS-80 in' || fail "mks80-sim --help"
echo "check_deb: $(basename "$deb") holds $(wc -l <<<"$actual") files, all as expected"
