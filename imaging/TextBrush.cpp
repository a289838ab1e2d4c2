#include "imaging/TextBrush.h"

#include <algorithm>

#include "imaging/PxBitmap.h"
#include "imaging/brush.h"

COLORREF TextBackgroundFor(COLORREF TextColor) {
    return TextColor == PALETTERGB(255, 255, 255) ? RGB(255, 0, 0) : RGB(255, 255, 255);
}

std::unique_ptr<TPxBitmap> TextPicture(const TTextMask& Mask, COLORREF TextColor,
                                       COLORREF Background, const TPxPalette& Palette) {
    const int W = std::max(Mask.Width, 0), H = std::max(Mask.Height, 0);
    auto Picture = std::make_unique<TPxBitmap>(8, W, H, Palette);
    TPxCanvas& Canvas = Picture->Canvas();
    Canvas.Pen.Color = Background;
    Canvas.Brush.Color = Background;
    Canvas.Brush.Style = bsSolid;
    Canvas.Rectangle(0, 0, W, H);
    if (Mask.Ink.size() < std::size_t(W) * std::size_t(H)) return Picture;
    const std::uint8_t Ink = Canvas.MatchIndex(TextColor);
    for (int y = 0; y < H; ++y) {
        std::uint8_t* Row = Picture->ScanLine(y);
        for (int x = 0; x < W; ++x)
            if (Mask.At(x, y)) Row[x] = Ink;
    }
    return Picture;
}

std::unique_ptr<TPxBrush> CreateTextBrush(const TTextMask& Mask, COLORREF TextColor,
                                          const TPxPalette& Palette, int Zoom) {
    const COLORREF Background = TextBackgroundFor(TextColor);
    const auto Picture = TextPicture(Mask, TextColor, Background, Palette);
    return TPxBrush::CreateFromArea(*Picture, {0, 0, Mask.Width - 1, Mask.Height - 1}, Background,
                                    Zoom);
}
