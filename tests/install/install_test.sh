#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installation the way the desktop,
# man and the shell see it: the files are where the freedesktop.org and Debian conventions put
# them, the desktop entry, the AppStream data and the MIME package pass their validators, a
# model file maps to the new type, the manual pages render without warnings and describe every
# command and option of velor-cli, and the installed programs run and report this version.
#
# Usage: install_test.sh BUILD_DIR VERSION APP_ID MIME_TYPE WITH_GUI(ON|OFF)
set -euo pipefail

build=$1
version=$2
app_id=$3
mime_type=$4
with_gui=$5

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
skip() { echo "skipped: $*"; }
have() { command -v "$1" >/dev/null 2>&1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/usr
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" ||
  { cat "$tmp/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }

share=$prefix/share
doc=$share/doc/velor-decisions
mime_icon=${mime_type//\//-}

# --- Files --------------------------------------------------------------------------------
expected=(
  bin/velor-cli
  share/man/man1/velor-cli.1.gz
  share/doc/velor-decisions/README.md
  share/doc/velor-decisions/LICENSE
  share/doc/velor-decisions/copyright
  share/doc/velor-decisions/changelog.gz
  share/doc/velor-decisions/velor-cli.schema.json
  share/doc/velor-decisions/examples/README.md
  share/doc/velor-decisions/docs/screenshots/main-window.png
)
if [ "$with_gui" = ON ]; then
  expected+=(
    bin/velor
    share/man/man1/velor.1.gz
    "share/applications/$app_id.desktop"
    "share/metainfo/$app_id.metainfo.xml"
    "share/mime/packages/$app_id.xml"
    "share/icons/hicolor/scalable/apps/$app_id.svg"
    "share/icons/hicolor/scalable/mimetypes/$mime_icon.svg"
  )
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png"
               "share/icons/hicolor/${size}x${size}/mimetypes/$mime_icon.png")
  done
fi
for file in "${expected[@]}"; do
  [ -s "$prefix/$file" ] || fail "not installed: $file"
done
[ -x "$prefix/bin/velor-cli" ] || fail "velor-cli is not executable"
ls "$doc"/examples/*.vlr >/dev/null 2>&1 || fail "no example model in $doc/examples"
# The README's picture resolves from the installed README.
for picture in $(grep -o 'docs/screenshots/[a-z-]*\.png' "$doc/README.md" | sort -u); do
  [ -f "$doc/$picture" ] || fail "the installed README shows $picture, which is not installed"
done

# PNG icons are real PNGs of their nominal size (the PNG header holds width and height).
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
if [ "$with_gui" = ON ]; then
  for png in "$share"/icons/hicolor/*x*/*/*.png; do
    nominal=$(basename "$(dirname "$(dirname "$png")")")
    actual=$(png_size "$png")
    [ "$actual" = "$nominal" ] || fail "$png is $actual, not $nominal"
  done
fi

# --- The installed programs -----------------------------------------------------------------
out=$("$prefix/bin/velor-cli" --version) || fail "velor-cli --version failed"
[ "$out" = "velor-cli $version" ] || fail "velor-cli --version printed '$out', not 'velor-cli $version'"
model=$(ls "$doc"/examples/*.vlr | head -n 1)
"$prefix/bin/velor-cli" summary "$model" >/dev/null || fail "installed velor-cli cannot read $model"
if [ "$with_gui" = ON ]; then
  # Both answer without a display: they print and exit before any window exists.
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/velor" --version) ||
    fail "velor --version failed"
  [ "$out" = "velor $version" ] || fail "velor --version printed '$out', not 'velor $version'"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/velor" --help) || fail "velor --help failed"
  grep -q '^Usage: velor ' <<<"$out" || fail "velor --help printed no usage: $out"
fi

# --- Manual pages ----------------------------------------------------------------------------
render_man() { # renders a compressed page, warnings on stderr
  gzip -dc "$1" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -P-cbou 2>"$tmp/groff.err"
  if [ -s "$tmp/groff.err" ]; then
    fail "$(basename "$1") renders with warnings: $(cat "$tmp/groff.err")"
  fi
}
if have groff; then
  pages=("$share/man/man1/velor-cli.1.gz")
  [ "$with_gui" = ON ] && pages+=("$share/man/man1/velor.1.gz")
  for page in "${pages[@]}"; do
    render_man "$page" >"$tmp/$(basename "$page" .1.gz).txt"
    grep -q "$version" "$tmp/$(basename "$page" .1.gz).txt" ||
      fail "$(basename "$page") does not name version $version"
  done
  # Every command velor-cli's usage lists and every option of its own and of each command's
  # usage is in the manual page.
  "$prefix/bin/velor-cli" --help >"$tmp/usage.txt"
  # The page's text with hyphens back in ASCII and one blank between words.
  sed 's/\xe2\x80\x90/-/g; s/\xe2\x88\x92/-/g' "$tmp/velor-cli.txt" | tr -s ' ' >"$tmp/manual.txt"
  commands=$(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' "$tmp/usage.txt")
  [ -n "$commands" ] || fail "no command found in velor-cli --help"
  cp "$tmp/usage.txt" "$tmp/all-usage.txt"
  for command in $commands; do
    grep -q -- "^ *$command " "$tmp/manual.txt" || fail "velor-cli.1 does not describe the command $command"
    "$prefix/bin/velor-cli" "$command" --help >>"$tmp/all-usage.txt" ||
      fail "velor-cli $command --help failed"
  done
  options=$(grep -oE -- '(^|[][ |(])--?[a-z][a-z-]*' "$tmp/all-usage.txt" | sed 's/^[^-]*//' | sort -u)
  for option in $options; do
    grep -q -- "$option" "$tmp/manual.txt" ||
      fail "velor-cli.1 does not describe the option $option (velor-cli's usage names it)"
  done
  # ... and every exit code the usage lists, in the page's EXIT STATUS section.
  codes=$(sed -n '/^Exit codes:/,$p' "$tmp/usage.txt" | grep -o '\b[0-9] [a-z]' | cut -c1)
  [ -n "$codes" ] || fail "no exit code found in velor-cli --help"
  sed -n '/^EXIT STATUS/,/^[A-Z]/p' "$tmp/manual.txt" >"$tmp/exit-status.txt"
  for code in $codes; do
    grep -Eq "^ +$code( |\$)" "$tmp/exit-status.txt" || fail "velor-cli.1 lists no exit code $code"
  done
else
  skip "groff not found: manual pages not rendered"
fi

if [ "$with_gui" = ON ]; then
  desktop=$share/applications/$app_id.desktop
  metainfo=$share/metainfo/$app_id.metainfo.xml
  mime_xml=$share/mime/packages/$app_id.xml

  # --- Desktop entry -------------------------------------------------------------------------
  if have desktop-file-validate; then
    report=$(desktop-file-validate "$desktop" 2>&1) || true
    [ -z "$report" ] || fail "desktop-file-validate: $report"
  else
    skip "desktop-file-validate not found"
  fi
  entry() { sed -n "s/^$1=//p" "$desktop"; }
  exec_name=$(entry Exec | cut -d' ' -f1)
  [ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
  [ "$(entry Icon)" = "$app_id" ] || fail "Icon=$(entry Icon), not $app_id"
  [ "$(entry MimeType)" = "$mime_type;" ] || fail "MimeType=$(entry MimeType), not $mime_type;"

  # --- AppStream -----------------------------------------------------------------------------
  if have appstreamcli; then
    appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" 2>&1 ||
      fail "appstreamcli validate: $(cat "$tmp/appstream.log")"
  else
    skip "appstreamcli not found"
  fi
  if have xmllint; then
    xpath() { xmllint --xpath "$1" "$metainfo" 2>/dev/null; }
    [ "$(xpath 'string(/component/id)')" = "$app_id" ] || fail "metainfo id is not $app_id"
    [ "$(xpath 'string(/component/launchable)')" = "$app_id.desktop" ] ||
      fail "metainfo launchable is not $app_id.desktop"
    [ "$(xpath 'string(/component/releases/release[1]/@version)')" = "$version" ] ||
      fail "the newest release in the metainfo is not $version"
    [ "$(xpath 'string(/component/project_license)')" = MIT ] || fail "metainfo licence is not MIT"
    [ "$(xpath 'count(/component/screenshots/screenshot)')" -ge 1 ] || fail "metainfo has no screenshot"
    # Every screenshot the metainfo shows is one of docs/screenshots.
    for image in $(xpath '/component/screenshots/screenshot/image/text()'); do
      [ -f "$doc/docs/screenshots/$(basename "$image")" ] ||
        fail "metainfo shows $(basename "$image"), which docs/screenshots lacks"
    done

    # --- MIME package ------------------------------------------------------------------------
    xmllint --noout "$mime_xml" || fail "$mime_xml is not well-formed"
    [ "$(xmllint --xpath 'string(//*[local-name()="mime-type"]/@type)' "$mime_xml")" = "$mime_type" ] ||
      fail "the MIME package does not define $mime_type"
  else
    skip "xmllint not found"
  fi
  if have update-mime-database; then
    update-mime-database "$share/mime" >"$tmp/mime.log" 2>&1 ||
      fail "update-mime-database: $(cat "$tmp/mime.log")"
    grep -q "^[0-9]*:$mime_type:\*\.vlr$" "$share/mime/globs2" ||
      fail "the MIME cache does not map *.vlr to $mime_type"
    sample=$tmp/sample.vlr
    cp "$model" "$sample"
    if have gio; then
      found=$(XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$tmp/none" \
        gio info -a standard::content-type "$sample" | sed -n 's/^ *standard::content-type: //p')
      [ "$found" = "$mime_type" ] || fail "gio sees $sample as '$found', not $mime_type"
    elif have xdg-mime; then
      found=$(XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$tmp/none" xdg-mime query filetype "$sample")
      [ "${found%%;*}" = "$mime_type" ] || fail "xdg-mime sees $sample as '$found', not $mime_type"
    else
      skip "neither gio nor xdg-mime found: only the MIME cache checked"
    fi
  else
    skip "update-mime-database not found"
  fi
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installation checked in $prefix"
