#!/bin/sh
# Installs the build into a new prefix, as `cmake --install` does for a user, and checks the
# tree: the programs, every data file, the desktop entry, the metainfo and the icons, each
# valid where its validator is installed; starts the installed editor with a GIF; then runs
# the installed vimbrel-cli on an installed example.
set -eu
build=$1
source=$2
expected_version=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
id=com.ostravale.Vimbrel
share=$prefix/share

[ -x "$prefix/bin/vimbrel-cli" ] || fail "bin/vimbrel-cli missing"
for file in $(cd "$source/data" && find . -type f); do
    cmp -s "$source/data/$file" "$share/vimbrel/$file" || fail "share/vimbrel/$file differs or is missing"
done

if [ -e "$build/vimbrel" ]; then
    [ -x "$prefix/bin/vimbrel" ] || fail "bin/vimbrel missing"
    desktop=$share/applications/$id.desktop
    grep -qx 'Exec=vimbrel %F' "$desktop" || fail "$desktop does not start vimbrel with files"
    grep -qx 'MimeType=image/gif;' "$desktop" || fail "$desktop does not take GIF files"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
    fi
    metainfo=$share/metainfo/$id.metainfo.xml
    [ -f "$metainfo" ] || fail "metainfo missing"
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli refuses $metainfo"
    fi
    for size in 16 32 48 64 128 256; do
        [ -f "$share/icons/hicolor/${size}x${size}/apps/vimbrel.png" ] || fail "${size}px icon missing"
    done
    [ -f "$share/icons/hicolor/scalable/apps/vimbrel.svg" ] || fail "scalable icon missing"

    # The installed editor, started as the desktop entry starts it with a GIF named from
    # another folder, finds its files (without its default palette it would stop at an error
    # box) and opens the GIF, which then heads its recent files. It runs on a home of its own.
    home=$prefix/home
    mkdir -p "$home/work"
    cp "$share/vimbrel/images/bouncing-ball.gif" "$home/work/ball.gif"
    conf="$home/config/Ostra Vale Software/Ostra Vale Vimbrel.conf"
    (
        cd "$home/work" || exit 1
        HOME=$home XDG_CONFIG_HOME=$home/config QT_QPA_PLATFORM=offscreen \
            "$prefix/bin/vimbrel" ball.gif >"$home/log" 2>&1 &
        echo $! >"$home/pid"
    )
    opened=
    for _ in $(seq 150); do
        if grep -q "^File1=$home/work/ball.gif\$" "$conf" 2>/dev/null; then
            opened=yes
            break
        fi
        sleep 0.2
    done
    kill "$(cat "$home/pid")" 2>/dev/null || true
    sleep 0.2
    [ -n "$opened" ] || fail "the installed vimbrel did not open a GIF named on its command line: $(cat "$home/log")"
fi

version=$("$prefix/bin/vimbrel-cli" --version) || fail "installed vimbrel-cli --version fails"
[ "$version" = "vimbrel-cli $expected_version" ] || fail "installed vimbrel-cli says \"$version\""
"$prefix/bin/vimbrel-cli" info "$share/vimbrel/images/bouncing-ball.gif" | grep -qx 'Cels: 10' ||
    fail "installed vimbrel-cli cannot read the installed example"
echo "installed and checked in $prefix"
