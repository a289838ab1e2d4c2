#!/bin/sh
# Copies the two public GIF test suites that tests/gif/reader_files.cpp reads into
# data/pygif and data/peterdn, with their licence notices, and converts the expected
# frames that come as PNG to raw RGBA with ImageMagick, so the tests need no PNG decoder.
#
# Usage: reader_import_suites.sh SUITES
#   SUITES holds pygif-test-suite/ (robert-ancell/pygif, test-suite/) and
#   peterdn-gif-test-suite/ (peterdn/gif-test-suite, gifs/).
# The results are committed, so the tests never run this.
set -eu
[ $# -eq 1 ] || { echo "usage: $0 SUITES" >&2; exit 2; }
src=$1
data=$(dirname "$0")/../../tests/gif/data

# pygif: every GIF with its .conf, and the raw frames the .conf files name. The two
# frames of 65535 x 1 white pixels (256 KiB each) stay out; their files are still opened.
rm -rf "$data/pygif"
mkdir -p "$data/pygif"
cp "$src/pygif-test-suite/README.md" "$src/pygif-test-suite/TESTS" "$data/pygif/"
cp "$src/pygif-test-suite/"*.gif "$src/pygif-test-suite/"*.conf "$data/pygif/"
sed -n 's/^pixels = //p' "$src/pygif-test-suite/"*.conf | sort -u | while read -r frame; do
    case $frame in max-width.rgba | max-height.rgba) continue ;; esac
    cp "$src/pygif-test-suite/$frame" "$data/pygif/"
done

# peterdn: every GIF, and its frames as raw RGBA. Files that show the same frame share one
# copy; frames.txt lists, for each GIF, its frame files in order.
rm -rf "$data/peterdn"
mkdir -p "$data/peterdn/frames"
cp "$src/peterdn-gif-test-suite/LICENSE" "$src/peterdn-gif-test-suite/"*.gif "$data/peterdn/"
manifest="$data/peterdn/frames.txt"
: > "$manifest"
for gif in "$src/peterdn-gif-test-suite/"*.gif; do
    name=$(basename "$gif" .gif)
    line=$name
    for png in "$src/peterdn-gif-test-suite/frames/$name.png" \
               "$src/peterdn-gif-test-suite/frames/$name"-[0-9]*.png; do
        [ -e "$png" ] || continue
        convert "$png" -depth 8 rgba:"$data/peterdn/frames/new.rgba"
        sum=$(md5sum < "$data/peterdn/frames/new.rgba" | cut -c1-12)
        frame=$(basename "$png" .png).rgba
        same=$(printf '%s\n' "$line" | cat "$manifest" - | grep -o "[^ ]*#$sum" | head -n 1 || true)
        if [ -n "$same" ]; then
            frame=${same%#*}
            rm "$data/peterdn/frames/new.rgba"
        else
            mv "$data/peterdn/frames/new.rgba" "$data/peterdn/frames/$frame"
        fi
        line="$line $frame#$sum"
    done
    echo "$line" >> "$manifest"
done
# The checksums only served to find equal frames.
sed -i 's/#[0-9a-f]*//g' "$manifest"
