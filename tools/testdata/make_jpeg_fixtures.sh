#!/bin/sh
# Rebuilds the JPEG pictures that tests/imaging/jpeg.cpp decodes. Needs ImageMagick
# (convert), and cc with libjpeg for the two kinds ImageMagick cannot write. The outputs are
# committed; run this only to change them.
#
# colour pictures, 37 x 21 (sizes that are not whole 8 x 8 blocks):
#   x 0..15,  y 0..15  red
#   x 16..31, y 0..15  green
#   the rest           blue
# grey.jpg, 24 x 16: columns 0..7 black, 8..15 grey 128, 16..23 white.
set -eu
cd "$(dirname "$0")/../../tests/imaging/data"

colour() {
    convert -size 37x21 xc:blue -fill red -draw "rectangle 0,0 15,15" \
        -fill lime -draw "rectangle 16,0 31,15" "$@"
}

colour -strip -quality 92 -sampling-factor 2x2 colour.jpg
colour -strip -quality 92 -interlace JPEG progressive.jpg
colour -strip -quality 92 -colorspace CMYK cmyk.jpg
# Two kinds straight from libjpeg, with the colour layout above in ink values:
#   ycck.jpg:       YCCK (CMYK with its colour part stored as luminance and chroma),
#                   inverted and with an Adobe marker, as Adobe's own writers store it;
#   cmyk_plain.jpg: CMYK as plain ink amounts, with no Adobe marker.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/inks.c" <<'C'
#include <stdio.h>
#include <string.h>
#include <jpeglib.h>
int main(int argc, char** argv) {
    struct jpeg_compress_struct info;
    struct jpeg_error_mgr errors;
    unsigned char row[37 * 4];
    JSAMPROW rows[1] = {row};
    int ycck = argc > 1 && strcmp(argv[1], "ycck") == 0;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, stdout);
    info.image_width = 37;
    info.image_height = 21;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, ycck ? JCS_YCCK : JCS_CMYK);
    info.write_Adobe_marker = ycck;
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < 37; ++x) {
            int ink[4] = {255, 255, 0, 0}; /* blue */
            if (info.next_scanline < 16 && x < 16) ink[0] = 0, ink[2] = 255;      /* red */
            else if (info.next_scanline < 16 && x < 32) ink[1] = 0, ink[2] = 255; /* green */
            for (int c = 0; c < 4; ++c) row[x * 4 + c] = ycck ? 255 - ink[c] : ink[c];
        }
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return 0;
}
C
cc -o "$work/inks" "$work/inks.c" -ljpeg
"$work/inks" ycck >ycck.jpg
"$work/inks" plain >cmyk_plain.jpg
convert -size 24x16 xc:white -fill black -draw "rectangle 0,0 7,15" \
    -fill "rgb(128,128,128)" -draw "rectangle 8,0 15,15" -strip -quality 92 \
    -colorspace Gray -type Grayscale grey.jpg
# A PNG file that only claims to be a JPEG by its name.
colour -strip png:png_named.jpg
