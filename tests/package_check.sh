#!/usr/bin/env bash
# The Debian package as built by scripts/make-deb, checked without running it:
#   package_check.sh SCENARIO SOURCE_DIR BUILD_DIR VERSION
# Scenarios:
#   contents    its file list, control fields and dependencies (runtime
#               libraries only), and two builds byte-identical
#   lint        lintian (no error or warning; every override explained),
#               desktop-file-validate, appstreamcli validate, man -l
set -u
scenario="$1"
source_dir="$(cd "$2" && pwd)"
build_dir="$(cd "$3" && pwd)"
version="$4"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
report="package $scenario"
source "$(dirname "${BASH_SOURCE[0]}")/script_checks.sh"

deb=$("$source_dir/scripts/make-deb" "$build_dir" "$work/first" 2>"$work/make-deb.err")
check "make-deb builds the package: $(cat "$work/make-deb.err")" [ -f "$deb" ]
[ -f "$deb" ] || finish
check "named for the project's version $version" [ "$(basename "$deb")" = "periodica_${version}_amd64.deb" ]
dpkg-deb -x "$deb" "$work/root"

case "$scenario" in
contents)
  field() { dpkg-deb -f "$deb" "$1"; }
  check "Package periodica" [ "$(field Package)" = periodica ]
  check "Version is periodica --version's ($(field Version))" [ "$(field Version)" = "$version" ]
  check "Architecture amd64" [ "$(field Architecture)" = amd64 ]
  check "Section games" [ "$(field Section)" = games ]
  check "a Maintainer and a Description" [ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ]
  depends=$(field Depends)
  echo "Depends: $depends"
  for library in libsdl1.2 libopengl0 libgl1 libjpeg62-turbo libc6; do
    check "depends on $library" grep -q "\(^\|, \|| \)$library" <<<"$depends"
  done
  check "no development package, compiler or build tool in Depends" \
    bash -c '! grep -qE "(-dev\b|\bgcc|\bg\+\+|\bclang|\bcpp\b|\bcmake|\bmake\b|\bpkg-config)" <<<"$1"' - "$depends"
  check "nothing recommended or suggested beyond Depends" \
    [ -z "$(field Recommends)$(field Suggests)$(field Pre-Depends)" ]

  (cd "$work/root" && find . -type f | sed 's|^\./|/|' | LC_ALL=C sort) >"$work/files.txt"
  {
    echo /usr/games/periodica
    echo /usr/share/applications/periodica.desktop
    echo /usr/share/doc/periodica/changelog.gz
    echo /usr/share/doc/periodica/copyright
    for file in brasko.jpg dorrin.jpg orvane.jpg pimsel.jpg quillet.jpg tandro.jpg velmor.jpg zentaro.mod; do
      echo "/usr/share/games/periodica/$file"
    done
    for size in 128 16 22 24 256 32 48 64; do echo "/usr/share/icons/hicolor/${size}x${size}/apps/periodica.png"; done
    echo /usr/share/icons/hicolor/scalable/apps/periodica.svg
    echo /usr/share/man/man6/periodica.6.gz
    echo /usr/share/metainfo/example.periodica.periodica.metainfo.xml
  } | LC_ALL=C sort >"$work/expected.txt"
  check "the file list is the program, its data, menu entry, icons, manual, metainfo and docs: $(diff "$work/expected.txt" "$work/files.txt" | grep '^[<>]' | tr '\n' ' ')" \
    cmp -s "$work/expected.txt" "$work/files.txt"
  check "the program is executable and stripped" \
    bash -c '[ -x "$1" ] && ! readelf -S "$1" | grep -q "\.debug_info\|\.symtab"' - "$work/root/usr/games/periodica"
  for file in "$build_dir"/data/*.jpg "$build_dir/data/zentaro.mod"; do
    check "$(basename "$file") is the build's" cmp -s "$file" "$work/root/usr/share/games/periodica/$(basename "$file")"
  done
  check "no file writable by group or others, none owned by anyone but root" \
    bash -c '! dpkg-deb -c "$1" | awk "{ print \$1, \$2 }" | grep -v "^[-dl]rw[-x]r-[-x]r-[-x] root/root$"' - "$deb"
  changelog_version=$(zcat "$work/root/usr/share/doc/periodica/changelog.gz" | sed -n '1s/^periodica (\([^)]*\)).*/\1/p')
  check "the changelog's newest entry is version $version ($changelog_version)" [ "$changelog_version" = "$version" ]

  # A second build, a second later and under another umask, must give the
  # same bytes.
  sleep 1
  second=$(umask 077 && "$source_dir/scripts/make-deb" "$build_dir" "$work/second" 2>&1)
  check "built twice, the package is byte-identical" cmp "$deb" "$second"
  epoch=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null)
  dates=$(dpkg-deb --fsys-tarfile "$deb" | tar -tv --full-time | awk '{ print $4 " " $5 }' | sort -u)
  check "every file dated by the last commit ($(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S'), found: $dates)" \
    [ "$dates" = "$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')" ]
  other=$(SOURCE_DATE_EPOCH=1000000000 "$source_dir/scripts/make-deb" "$build_dir" "$work/other" 2>&1)
  check "SOURCE_DATE_EPOCH when set dates the files" \
    bash -c 'dpkg-deb --fsys-tarfile "$1" | tar -tv --full-time | grep -q " 2001-09-09 01:46:40 "' - "$other"
  ;;
lint)
  for tool in lintian desktop-file-validate appstreamcli man; do
    check "$tool is installed (scripts/install-deps package)" command -v "$tool" >/dev/null
  done
  # lintian warns when run as root, which CI is; only tags count.
  lintian --pedantic -I -E "$deb" >"$work/lintian.txt" 2>"$work/lintian.err"
  cat "$work/lintian.txt"
  check "lintian ran ($(head -c 300 "$work/lintian.err"))" \
    bash -c '! grep -v "running with root privileges" "$1" | grep -q .' - "$work/lintian.err"
  check "lintian: no error or warning" bash -c '! grep -q "^[EW]: " "$1"' - "$work/lintian.txt"
  overrides="$work/root/usr/share/lintian/overrides/periodica"
  if [ -f "$overrides" ]; then
    check "every lintian override follows a comment giving its reason" awk '
      /^#/ { explained = 1; next }
      /^[[:space:]]*$/ { explained = 0; next }
      { if (!explained) { print "unexplained: " $0; bad = 1 } }
      END { exit bad }' "$overrides"
  fi
  desktop="$work/root/usr/share/applications/periodica.desktop"
  check "desktop-file-validate passes: $(desktop-file-validate "$desktop" 2>&1)" \
    bash -c '[ -z "$(desktop-file-validate "$1" 2>&1)" ]' - "$desktop"
  check "the menu entry starts periodica full screen, its action windowed" \
    bash -c 'grep -qx "Exec=periodica" "$1" && grep -qx "Exec=periodica -w" "$1" && grep -qx "Icon=periodica" "$1"' - "$desktop"
  metainfo="$work/root/usr/share/metainfo/example.periodica.periodica.metainfo.xml"
  appstreamcli validate --no-net --explain "$metainfo" >"$work/appstream.txt" 2>&1
  status=$?
  check "appstreamcli validate passes with no warning: $(grep -E '^[EW]:' "$work/appstream.txt")" \
    bash -c '[ "$1" -eq 0 ] && ! grep -qE "^[EW]:" "$2"' - "$status" "$work/appstream.txt"
  check "the metainfo names this release ($version)" grep -q "<release version=\"$version\"" "$metainfo"
  check "the metainfo launches the desktop entry" grep -q '>periodica.desktop</launchable>' "$metainfo"
  # As lintian's own check renders manual pages.
  manual="$work/root/usr/share/man/man6/periodica.6.gz"
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" >/dev/null 2>"$work/man.err"
  check "man -l renders the page without warnings: $(head -c 400 "$work/man.err")" [ ! -s "$work/man.err" ]
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$manual" >"$work/man.txt" 2>/dev/null
  for part in "periodica $version" "EXIT STATUS" "CONTROLS" "/usr/share/games/periodica" "Select your sound device" " -w "; do
    check "the manual page has '$part'" grep -qF -- "$part" "$work/man.txt"
  done
  ;;
*)
  echo "unknown scenario $scenario"
  exit 2
  ;;
esac
finish
