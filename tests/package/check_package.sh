#!/usr/bin/env bash
# Checks a built Varnok package: every file in its place and nothing else, the
# desktop entry, metainfo and manual page valid, the dependencies computed,
# the packaged program answering --version and --help without a display, and
# lintian without errors or warnings.
# Usage: tests/package/check_package.sh build-pkg/varnok_1.4_amd64.deb
set -uo pipefail

deb="${1:?usage: check_package.sh PACKAGE.deb}"
id=org.varnok.Varnok
passed=0
failed=0
check() {
  local what="$1"
  shift
  local out
  if out="$("$@" 2>&1)"; then
    passed=$((passed + 1))
    echo "ok      $what"
  else
    failed=$((failed + 1))
    echo "FAILED  $what"
    [ -n "$out" ] && printf '%s\n' "$out" | sed 's/^/        /'
  fi
}

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/root" || { echo "check_package: cannot unpack $deb" >&2; exit 1; }
field() { dpkg-deb -f "$deb" "$1"; }
version="$(field Version)"

expected_files() {
  echo ./usr/bin/varnok
  echo ./usr/share/applications/$id.desktop
  echo ./usr/share/doc/varnok/changelog.gz
  echo ./usr/share/doc/varnok/copyright
  for n in 16 24 32 48 64 128 256; do echo ./usr/share/icons/hicolor/${n}x${n}/apps/$id.png; done
  echo ./usr/share/icons/hicolor/scalable/apps/$id.svg
  echo ./usr/share/man/man1/varnok.1.gz
  echo ./usr/share/metainfo/$id.metainfo.xml
  echo ./usr/share/varnok/QZHelp.rtf
  echo ./usr/share/varnok/lies.txt
}
packaged_files() { dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort; }
check "files and their places" diff <(expected_files | sort) <(packaged_files)
check "the program is executable" test -x "$tmp/root/usr/bin/varnok"

check "package name" test "$(field Package)" = varnok
check "version from the project (1.4 or later)" grep -Eq '^[0-9]+\.[0-9]+' <<<"$version"
depends="$(field Depends)"
echo "        Depends: $depends"
depends_on() { tr ',|' '\n' <<<"$depends" | sed 's/^ *//; s/[ :].*//' | grep -qxF "$1"; }
for lib in libqt6widgets6 libqt6charts6 libqt6gui6 libqt6core6 libstdc++6 libc6; do
  check "Depends names $lib" depends_on "$lib"
done
check "maintainer, section and description" bash -c \
  "[ -n \"\$(dpkg-deb -f '$deb' Maintainer)\" ] && [ \"\$(dpkg-deb -f '$deb' Section)\" = utils ] \
   && dpkg-deb -f '$deb' Description | grep -q '^ Varnok keeps'"

check "desktop entry is valid" desktop-file-validate "$tmp/root/usr/share/applications/$id.desktop"
desktop_key() { sed -n "s/^$1=//p" "$tmp/root/usr/share/applications/$id.desktop"; }
check "desktop entry starts varnok with its icon" bash -c \
  "[ '$(desktop_key Exec)' = varnok ] && [ '$(desktop_key Icon)' = $id ] && [ '$(desktop_key Terminal)' = false ]"
check "metainfo is valid" appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/$id.metainfo.xml"
check "metainfo names the desktop entry and this release" bash -c \
  "grep -q '<launchable type=\"desktop-id\">$id.desktop</launchable>' '$tmp/root/usr/share/metainfo/$id.metainfo.xml' \
   && grep -q '<release version=\"$version\"' '$tmp/root/usr/share/metainfo/$id.metainfo.xml'"

png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'; }
for n in 16 24 32 48 64 128 256; do
  check "icon ${n}x${n} has that size" test "$(png_size "$tmp/root/usr/share/icons/hicolor/${n}x${n}/apps/$id.png")" = "${n}x${n}"
done

check "manual page renders without warnings" bash -c "[ -z \"\$(zcat '$tmp/root/usr/share/man/man1/varnok.1.gz' | groff -man -Tutf8 -ww -z 2>&1)\" ]"
check "manual page is of this version" bash -c "zcat '$tmp/root/usr/share/man/man1/varnok.1.gz' | grep -q '^\.TH VARNOK 1 .*\"Varnok $version\"'"

# The packaged program itself, without a display: the options are answered
# before any window system is needed.
run_packaged() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tmp/root/usr/bin/varnok" "$@"; }
check "packaged libraries all found" bash -c "! ldd '$tmp/root/usr/bin/varnok' | grep -q 'not found'"
check "varnok --version prints Varnok $version" test "$(run_packaged --version)" = "Varnok $version"
check "varnok --help prints the usage line first" test "$(run_packaged --help | head -n 1)" = "Usage: varnok [LIE-FOLDER]"
check "desktop entry names one main category" test "$(desktop_key Categories)" = "Utility;"
check "metainfo has a homepage and a screenshot" bash -c \
  "grep -q '<url type=\"homepage\">https://' '$tmp/root/usr/share/metainfo/$id.metainfo.xml' \
   && grep -q '<screenshot type=\"default\">' '$tmp/root/usr/share/metainfo/$id.metainfo.xml'"
check "changelog is of this version" bash -c "zcat '$tmp/root/usr/share/doc/varnok/changelog.gz' | head -n 1 | grep -q '^varnok ($version) '"
check "sample statements are the project's" cmp "$tmp/root/usr/share/varnok/lies.txt" "$(dirname "$0")/../../lies.txt"
check "help file is the project's" cmp "$tmp/root/usr/share/varnok/QZHelp.rtf" "$(dirname "$0")/../../data/QZHelp.rtf"

# Debian's own checker: errors and warnings fail, information tags do not.
if command -v lintian >/dev/null; then
  check "lintian: no errors or warnings" lintian --fail-on error,warning "$deb"
else
  check "lintian is installed (Debian package lintian)" false
fi

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
