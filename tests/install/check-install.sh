#!/usr/bin/env bash
# Installs the built project as a user would and checks what lands: every
# file of a desktop program and nothing else, a valid desktop entry and
# AppStream file that agree with the MIME package, man pages that tell of
# every option the programs' help lists, and programs that answer without a
# display.
#   check-install.sh install BUILD VERSION   cmake --install into a temporary prefix
#   check-install.sh package BUILD VERSION   cpack -G DEB, the package unpacked
set -euo pipefail

mode="${1:?install or package}"
build="$(cd "${2:?build folder}" && pwd)"
version="${3:?project version}"
app_id=io.github.paginette.Paginette
sizes=(16 22 24 32 48 64 128 256)

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Runs a program as on a machine with no display.
headless() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"
}

expected_files() {
    printf '%s\n' bin/paginette bin/paginette-print \
        share/applications/paginette.desktop \
        share/icons/hicolor/scalable/apps/paginette.svg \
        share/mime/packages/paginette.xml \
        "share/metainfo/$app_id.metainfo.xml" \
        share/man/man1/paginette.1.gz share/man/man1/paginette-print.1.gz \
        share/paginette/paginette_readme/pgt_readme.htm \
        share/doc/paginette/copyright share/doc/paginette/changelog.gz
    for size in "${sizes[@]}"; do
        echo "share/icons/hicolor/${size}x${size}/apps/paginette.png"
    done
}

# check_prefix PREFIX UNLISTED: the expected files and no others, but those
# matching the pattern UNLISTED; then each file's content.
check_prefix() {
    local prefix="$1" unlisted="$2"
    local found missing extra
    found="$(cd "$prefix" && find . -type f -printf '%P\n' | sort)"
    missing="$(comm -23 <(expected_files | sort) <(echo "$found"))"
    extra="$(comm -13 <(expected_files | sort) <(echo "$found") | grep -Ev "$unlisted" || true)"
    [ -z "$missing" ] || fail "not installed: $missing"
    [ -z "$extra" ] || fail "installed but not expected: $extra"

    for size in "${sizes[@]}"; do
        file -b "$prefix/share/icons/hicolor/${size}x${size}/apps/paginette.png" |
            grep -q "^PNG image data, $size x $size," || fail "the ${size}x$size icon is not $size pixels"
    done

    local desktop="$prefix/share/applications/paginette.desktop"
    local metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
    local mime="$prefix/share/mime/packages/paginette.xml"
    desktop-file-validate "$desktop" || fail "desktop-file-validate: paginette.desktop"
    appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
        fail "appstreamcli validate: $(cat "$work/appstream.log")"
    xmllint --noout "$mime" || fail "xmllint: paginette.xml"

    # The entry starts an installed program, shows an installed icon and
    # opens the type the MIME package defines, which AppStream names too.
    local type program icon launchable
    type="$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime")"
    program="$(sed -n 's/^Exec=\([^ ]*\) %f$/\1/p' "$desktop")"
    icon="$(sed -n 's/^Icon=//p' "$desktop")"
    launchable="$(sed -n 's/.*<launchable type="desktop-id">\(.*\)<\/launchable>.*/\1/p' "$metainfo")"
    [ "$type" = application/x-paginette ] || fail "the MIME package defines '$type'"
    grep -qx "MimeType=$type;" "$desktop" || fail "paginette.desktop does not open $type"
    grep -q "<mediatype>$type</mediatype>" "$metainfo" || fail "the metainfo does not name $type"
    { [ -n "$program" ] && [ -x "$prefix/bin/$program" ]; } || fail "Exec names no installed program"
    [ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon '$icon' is not installed"
    [ "$launchable" = paginette.desktop ] || fail "the metainfo launches '$launchable'"

    local name page options option
    for name in paginette paginette-print; do
        page="$prefix/share/man/man1/$name.1.gz"
        zcat "$page" | groff -man -ww -z -Tascii 2>"$work/groff.log" || true
        [ ! -s "$work/groff.log" ] || fail "groff on $name.1: $(cat "$work/groff.log")"
        zcat "$page" | groff -man -Tascii -rLL=250n -rHY=0 -P-cbou >"$work/$name.txt" 2>/dev/null
        headless "$prefix/bin/$name" --help >"$work/help.txt" || fail "$name --help failed"
        options="$(grep -E '^ +-' "$work/help.txt" | grep -oE '(^|[ ,])--?[A-Za-z][-A-Za-z]*' |
            tr -d ' ,' | sort -u)"
        [ -n "$options" ] || fail "$name --help lists no options"
        for option in $options; do
            grep -qE -- "(^|[^-A-Za-z])$option([^-A-Za-z]|$)" "$work/$name.txt" ||
                fail "the man page of $name does not tell of $option"
        done
    done
}

# check_version PROGRAM: the program's --version, with no display.
check_version() {
    local out
    out="$(headless "$1" --version)" || fail "$(basename "$1") --version failed"
    [ "$out" = "$(basename "$1") $version" ] || fail "$(basename "$1") --version printed '$out'"
}

case "$mode" in
install)
    # A prefix the desktop reads, as /usr/local is: the install rebuilds the
    # MIME caches there.
    prefix="$work/prefix"
    XDG_DATA_DIRS="$prefix/share" cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
        { cat "$work/install.log"; exit 1; }
    check_prefix "$prefix" '^share/mime/|^share/applications/mimeinfo\.cache$'
    [ -f "$prefix/share/mime/application/x-paginette.xml" ] ||
        fail "the MIME database was not rebuilt"
    grep -qx 'application/x-paginette=paginette.desktop;' "$prefix/share/applications/mimeinfo.cache" ||
        fail "the desktop entries' MIME cache does not name paginette.desktop"
    check_version "$prefix/bin/paginette"
    ;;
package)
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log"; exit 1; }
    debs=("$work"/package/*.deb)
    [ ${#debs[@]} -eq 1 ] || { echo "cpack made ${#debs[@]} packages" >&2; exit 1; }
    deb="${debs[0]}"
    dpkg-deb -x "$deb" "$work/root"
    # Nothing beyond the list: the caches belong to the system's triggers.
    check_prefix "$work/root/usr" '^$'
    [ -z "$(cd "$work/root" && find . -mindepth 1 -maxdepth 1 ! -name usr)" ] ||
        fail "the package installs outside /usr"
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package) $(field Version) $(field Section)" = "paginette $version graphics" ] ||
        fail "package, version and section: $(field Package) $(field Version) $(field Section)"
    [ "$(field Recommends)" = "fonts-liberation2, cups-client, qt6-gtk-platformtheme, glabels-data" ] ||
        fail "Recommends: $(field Recommends)"
    for library in libqt6widgets6 libqt6printsupport6 libcups2 libc6; do
        field Depends | grep -qE "(^|, )$library( |,|$)" || fail "Depends lacks $library: $(field Depends)"
    done
    { [ -n "$(field Maintainer)" ] && [ "$(field Description | wc -l)" -gt 3 ]; } ||
        fail "no maintainer or no long description"
    check_version "$work/root/usr/bin/paginette-print"
    ;;
*)
    echo "usage: $0 install|package BUILD VERSION" >&2
    exit 2
    ;;
esac

if [ "$failures" -gt 0 ]; then
    echo "$failures failed checks" >&2
    exit 1
fi
echo "All checks passed ($mode)"
