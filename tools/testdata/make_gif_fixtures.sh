#!/bin/sh
# Makes the GIF fixtures of the tests in tests/gif/ with two other encoders
# (ImageMagick and gifsicle), and beside each GIF the frames a viewer shows for it
# (ImageMagick's coalesced frames, raw RGBA, all frames one after the other).
#
# Run from anywhere; needs `convert` (ImageMagick 6) and `gifsicle`. The results are
# committed, so the tests never run this.
set -eu
mkdir -p "$(dirname "$0")/../../tests/gif/data/fixtures"
cd "$(dirname "$0")/../../tests/gif/data/fixtures"
rm -f ./*.gif ./*.rgba
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Source pictures: one full 8 x 8 frame and two 4 x 4 patches placed on the screen.
convert -size 8x8 xc:'#2040c0' -fill '#f0d020' -draw 'rectangle 0,0 3,7' "$work/base.gif"
convert -size 4x4 xc:'#e02020' -fill '#20c040' -draw 'point 0,0' -draw 'point 3,3' \
    -page 8x8+1+1 "$work/patch1.gif"
convert -size 4x4 xc:'#20c040' -fill '#ffffff' -draw 'rectangle 1,1 2,2' \
    -page 8x8+3+3 "$work/patch2.gif"

# Every disposal method, the same on all three frames (gifsicle names 0 "none", 1 "asis",
# 2 "background", 3 "previous").
for method in none asis background previous; do
    gifsicle --no-warnings --disposal "$method" --delay 20 --loopcount=3 \
        "$work/base.gif" "$work/patch1.gif" "$work/patch2.gif" > "gs-disposal-$method.gif"
done

# Transparency with gifsicle: a full frame with transparent corners, then a patch whose
# transparent pixels let the first frame show through. gifsicle gives the patch another
# transparent colour than the first frame.
convert -size 8x8 xc:'#3060a0' -fill '#c0c0c0' -draw 'rectangle 2,2 5,5' \
    -fill '#ff00ff' -draw 'point 0,0' -draw 'point 7,7' "$work/tbase.gif"
convert -size 4x4 xc:'#ff00ff' -fill '#e06000' -draw 'rectangle 1,0 2,3' \
    -page 8x8+2+2 "$work/tpatch.gif"
gifsicle --no-warnings --transparent '#ff00ff' --disposal asis --delay 15 \
    "$work/tbase.gif" "$work/tpatch.gif" > gs-transparent.gif

# A comment in front of the first frame. (gifsicle 1.93 crashes when given a second one.)
gifsicle --no-warnings --comment 'made with gifsicle' "$work/base.gif" "$work/patch1.gif" \
    > gs-comment.gif

# ImageMagick: the same transparent frames (the patch gets a local colour table, in which
# its transparent index names the first frame's transparent colour), frames with colour
# tables of their own, an interlaced picture, a GIF87a file and zero delays.
convert "$work/tbase.gif" -transparent '#ff00ff' "$work/tbase-clear.gif"
convert "$work/tpatch.gif" -transparent '#ff00ff' "$work/tpatch-clear.gif"
convert -dispose none -delay 15 "$work/tbase-clear.gif" "$work/tpatch-clear.gif" \
    im-transparent.gif
convert -size 6x4 xc:'#800000' -fill '#008080' -draw 'rectangle 3,0 5,3' "$work/warm.gif"
convert -size 6x4 xc:'#40ff40' -fill '#ff40ff' -draw 'rectangle 0,2 5,3' "$work/cool.gif"
convert -delay 7 "$work/warm.gif" "$work/cool.gif" im-local-colors.gif
convert -size 16x16 gradient:'#ff0000-#0000ff' -fill '#00ff00' -draw 'line 0,0 15,15' \
    -colors 16 -interlace GIF im-interlaced.gif
convert -size 5x3 xc:'#204080' -fill '#ffff00' -draw 'point 2,1' GIF87:im-gif87a.gif
convert -delay 0 -size 4x4 xc:'#ff0000' xc:'#00ff00' xc:'#0000ff' -loop 0 \
    im-zero-delays.gif

for gif in *.gif; do
    convert "$gif" -coalesce -depth 8 "rgba:${gif%.gif}.frames.rgba"
done
