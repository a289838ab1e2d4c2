#pragma once
// Text brushes: a line of text, as the window system rendered it into a one-bit mask,
// becomes an area brush whose ink pixels are one palette entry each and whose background
// is transparent. Plain C++; user-interface thread only (brushes refer to the palette).
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/Color.h"

class TPxBitmap;
class TPxBrush;
class TPxPalette;

// A rendered line of text: Width x Height pixels, row by row, nonzero where a glyph (or
// its underline or strike-out stroke) covers the pixel. Rendered without smoothing.
struct TTextMask {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Ink;

    bool At(int X, int Y) const { return Ink[std::size_t(Y) * std::size_t(Width) + X] != 0; }
};

// The colour the text is drawn on, and so the one the brush leaves transparent: plain
// white, or plain pure red when the text colour is exactly PALETTERGB white, so that white
// text still stamps.
COLORREF TextBackgroundFor(COLORREF TextColor);

// The measured box of the text on its background: Mask's size, filled with Background,
// ink pixels in TextColor, both through the canvas (nearest palette entry).
std::unique_ptr<TPxBitmap> TextPicture(const TTextMask& Mask, COLORREF TextColor,
                                       COLORREF Background, const TPxPalette& Palette);

// The brush of the text in TextColor, enlarged by Zoom: the box less its last column and
// row, with the background chosen by TextBackgroundFor transparent. A brush cut from an
// area: stamped with its top-left corner at the point given.
std::unique_ptr<TPxBrush> CreateTextBrush(const TTextMask& Mask, COLORREF TextColor,
                                          const TPxPalette& Palette, int Zoom);
