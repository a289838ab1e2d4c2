#include "imaging/brush.h"

#include <algorithm>

#include "imaging/Palette.h"
#include "imaging/Report.h"

namespace {
// The colour the brush's unused pixels get, and so the one it leaves transparent: white,
// unless the brush itself paints pure white.
COLORREF BackgroundFor(COLORREF Color) {
    return Color == PALETTERGB(255, 255, 255) ? RGB(255, 0, 0) : RGB(255, 255, 255);
}

void FillWith(TPxBitmap& Bitmap, COLORREF Color) {
    TPxCanvas& Canvas = Bitmap.Canvas();
    Canvas.Pen.Color = Color;
    Canvas.Brush.Color = Color;
    Canvas.Brush.Style = bsSolid;
    Canvas.Rectangle(0, 0, Bitmap.Width(), Bitmap.Height());
}

void DrawShape(TPxCanvas& Canvas, int n, int Shape, COLORREF Color) {
    switch (Shape) {
    case shSquare:
        Canvas.Brush.Color = Color;
        Canvas.FillRect({0, 0, n, n});
        break;
    case shCircle:
        if (n <= 1) {
            Canvas.SetPixel(0, 0, Color);
        } else {
            Canvas.Pen.Color = Color;
            Canvas.Pen.Width = 1;
            Canvas.Brush.Color = Color;
            Canvas.Brush.Style = bsSolid;
            Canvas.Ellipse(0, 0, n, n);
        }
        break;
    case shHorzLine:
        for (int x = 0; x < n; ++x)
            Canvas.SetPixel(x, n / 2, Color);
        break;
    case shVertLine:
        for (int y = 0; y < n; ++y)
            Canvas.SetPixel(n / 2, y, Color);
        break;
    case shBkSlash:
        for (int i = 0; i < n; ++i)
            Canvas.SetPixel(i, i, Color);
        for (int i = 0; i + 1 < n; ++i)
            Canvas.SetPixel(i + 1, i, Color);
        break;
    case shForeSlash:
        // Not the mirror of the back slash: its bottom-left corner stays empty.
        for (int i = 1; i < n; ++i)
            Canvas.SetPixel(n - i, i, Color);
        for (int i = 0; i + 1 < n; ++i)
            Canvas.SetPixel(n - 1 - i, i, Color);
        break;
    default:
        MessageBeep();
        break;
    }
}
} // namespace

TPxBrush::TPxBrush(const TPxPalette& Palette, int Size, TPxBrushShape Shape,
                   std::unique_ptr<TPxBitmap> Bitmap)
    : OwnerPalette(&Palette), SideLength(Size), BrushShape(Shape), StampBitmap(std::move(Bitmap)) {}

std::unique_ptr<TPxBrush> TPxBrush::Create(int Size, int Shape, COLORREF Color,
                                           const TPxPalette& Palette) {
    const bool LineShape = Shape >= shHorzLine && Shape <= shForeSlash;
    const int n = std::max(LineShape ? Size + 2 : Size, 0);
    const COLORREF Background = BackgroundFor(Color);

    auto Bitmap = std::make_unique<TPxBitmap>(8, n, n, Palette);
    FillWith(*Bitmap, Background);
    TPxBitmap Scratch(8, n, n, Palette);
    FillWith(Scratch, Background);
    DrawShape(Scratch.Canvas(), n, Shape, Color);
    Scratch.Draw(Bitmap->Canvas(), 0, 0);
    Bitmap->SetTransparentColor(Background);
    return std::unique_ptr<TPxBrush>(
        new TPxBrush(Palette, n, TPxBrushShape(std::uint8_t(Shape)), std::move(Bitmap)));
}

std::unique_ptr<TPxBrush> TPxBrush::CreateFromArea(const TPxBitmap& Source, const TRect& Rect,
                                                   COLORREF TransparentColor, int Zoom) {
    const TPxPalette& Palette = Source.Palette();
    const int W = std::max(Rect.Right - Rect.Left, 0), H = std::max(Rect.Bottom - Rect.Top, 0);
    Zoom = std::max(Zoom, 1);
    TPxBitmap Area(8, W, H, Palette);
    // The area moves by colour, as a block copy between two surfaces does.
    const auto& Lut = Source.ColorTable().TranslationTo(Area.ColorTable());
    for (int y = 0; y < H; ++y) {
        const int sy = Rect.Top + y;
        if (sy < 0 || sy >= Source.Height()) continue;
        for (int x = 0; x < W; ++x) {
            const int sx = Rect.Left + x;
            if (sx >= 0 && sx < Source.Width()) Area.ScanLine(y)[x] = Lut[Source.IndexAt(sx, sy)];
        }
    }
    auto Bitmap = std::make_unique<TPxBitmap>(8, W * Zoom, H * Zoom, Palette);
    Area.StretchDraw(Bitmap->Canvas(), 0, 0, W * Zoom, H * Zoom);
    Bitmap->SetTransparentColor(TransparentColor);
    return std::unique_ptr<TPxBrush>(new TPxBrush(Palette, 0, shSquare, std::move(Bitmap)));
}

void TPxBrush::Stamp(TPxCanvas& Target, int X, int Y) const {
    const int Half = SideLength / 2;
    StampBitmap->Draw(Target, X - Half, Y - Half);
}
