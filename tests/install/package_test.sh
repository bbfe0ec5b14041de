#!/usr/bin/env bash
# Builds the Debian package from this build tree the way scripts/package does (CPack) and
# inspects it: the file name carries name, version and architecture; the control fields name
# the section, the maintainer, a description and Qt 6 libraries among the dependencies worked
# out from the binaries; the programs, the desktop data, the manual pages and the documentation
# are in it; lintian, where installed, finds no error.
#
# Usage: package_test.sh CPACK BUILD_DIR VERSION PACKAGE_NAME APP_ID
set -euo pipefail

cpack=$1
build=$2
version=$3
name=$4
app_id=$5

if ! command -v dpkg-deb >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
  echo "dpkg-deb or dpkg-shlibdeps not found (dpkg-dev): no package built"
  exit 0
fi

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }

arch=$(dpkg --print-architecture)
deb=$tmp/${name}_${version}_${arch}.deb
if [ ! -f "$deb" ]; then
  echo "FAIL: no ${name}_${version}_${arch}.deb; cpack made: $(ls "$tmp")" >&2
  exit 1
fi

# --- Control fields ---------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$name" ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Section)" ] || fail "no Section"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] ||
  fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
depends=$(field Depends)
# libqt6svg6 also holds Qt's SVG icon plugin, which draws the application icon.
depends_names=" $(sed 's/ ([^)]*)//g; s/,/ /g' <<<"$depends") "
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libc6 libstdc++6; do
  [[ "$depends_names" == *" $library "* ]] || fail "Depends does not name $library: $depends"
done
description=$(field Description)
grep -q 'incomplete preference' <<<"$description" || fail "Description says nothing useful: $description"
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "Description has no long part"

# --- Contents -----------------------------------------------------------------------------
dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' >"$tmp/contents.txt"
mime_icon=application-x-velor-model
for path in \
  ./usr/bin/velor ./usr/bin/velor-cli \
  "./usr/share/applications/$app_id.desktop" \
  "./usr/share/metainfo/$app_id.metainfo.xml" \
  "./usr/share/mime/packages/$app_id.xml" \
  "./usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
  "./usr/share/icons/hicolor/48x48/apps/$app_id.png" \
  "./usr/share/icons/hicolor/scalable/mimetypes/$mime_icon.svg" \
  ./usr/share/man/man1/velor.1.gz ./usr/share/man/man1/velor-cli.1.gz \
  "./usr/share/doc/$name/copyright" "./usr/share/doc/$name/changelog.gz" \
  "./usr/share/doc/$name/README.md" "./usr/share/doc/$name/LICENSE"; do
  grep -q " $path\$" "$tmp/contents.txt" || fail "the package lacks $path"
done
grep -q " ./usr/share/doc/$name/examples/.*\.vlr\$" "$tmp/contents.txt" ||
  fail "the package holds no example model"
# Everything belongs to root, programs are executable by all, data files are not executable.
awk '$2 != "root/root" {print}' "$tmp/contents.txt" | grep -q . &&
  fail "files not owned by root: $(awk '$2 != "root/root"' "$tmp/contents.txt" | head -3)"
for program in ./usr/bin/velor ./usr/bin/velor-cli; do
  grep -q "^-rwxr-xr-x root/root $program\$" "$tmp/contents.txt" ||
    fail "$program is not -rwxr-xr-x"
done
awk '$1 ~ /^-/ && $3 !~ /^\.\/usr\/bin\// && $1 ~ /x/' "$tmp/contents.txt" | grep -q . &&
  fail "executable data files: $(awk '$1 ~ /^-/ && $3 !~ /^\.\/usr\/bin\// && $1 ~ /x/' "$tmp/contents.txt" | head -3)"

# --- The installed programs are stripped --------------------------------------------------
mkdir "$tmp/root"
dpkg-deb -x "$deb" "$tmp/root"
if command -v readelf >/dev/null; then
  for program in velor velor-cli; do
    readelf -S "$tmp/root/usr/bin/$program" | grep -q '\.symtab' && fail "$program is not stripped"
  done
fi
out=$("$tmp/root/usr/bin/velor-cli" --version) || fail "the packaged velor-cli does not run"
[ "$out" = "velor-cli $version" ] || fail "the packaged velor-cli --version printed '$out'"

# --- lintian ------------------------------------------------------------------------------
if command -v lintian >/dev/null; then
  # Errors fail the test; warnings are shown for the packager.
  lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1 || true
  cat "$tmp/lintian.log"
  grep -q '^E: ' "$tmp/lintian.log" && fail "lintian reports errors"
else
  echo "lintian not found: the package was not linted"
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package $(basename "$deb") checked"
