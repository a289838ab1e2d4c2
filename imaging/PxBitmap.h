#pragma once
// An 8-bit palette-indexed picture of fixed size: one cel, one brush stamp or one scratch
// image. Rows are stored top-down, each padded to Stride bytes (a multiple of 4); a pixel is
// an index into the 256-colour table that the bitmap copied from its palette at creation.
//
// The bitmap owns its pixels, its colour table and its canvas; it only refers to its
// palette, which must outlive it. User-interface thread only.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/Color.h"
#include "imaging/ColorTable.h"
#include "imaging/PixelStore.h"
#include "imaging/RgbPicture.h"

class TPxBitmap;
class TPxPalette;

enum TBrushStyle : std::uint8_t { bsSolid, bsClear };

struct TPen {
    COLORREF Color = RGB(0, 0, 0);
    int Width = 1;
};

struct TBrush {
    COLORREF Color = RGB(255, 255, 255);
    TBrushStyle Style = bsSolid;
};

// The drawing surface over a bitmap's pixels. Every pixel it writes takes the index of the
// colour-table entry nearest to the drawing colour (ties to the lowest index); reading a
// pixel gives the plain RGB of its entry. Nothing is ever blended or anti-aliased.
class TPxCanvas {
public:
    explicit TPxCanvas(TPxBitmap& Owner) : Owner(Owner) {}
    TPxCanvas(const TPxCanvas&) = delete;
    TPxCanvas& operator=(const TPxCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TPoint PenPos;

    void MoveTo(int X, int Y);
    // A line from the pen position to (X, Y), the end point itself excluded; a pen wider
    // than one pixel draws a Width x Width square centred on every point of the line.
    void LineTo(int X, int Y);
    // The box X1..X2-1, Y1..Y2-1: filled with the brush unless it is clear, outlined with
    // the pen, whose width grows inwards.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    // The ellipse inscribed in the same box: filled with the brush unless it is clear,
    // outlined with the pen, whose width grows inwards.
    void Ellipse(int X1, int Y1, int X2, int Y2);
    // The box filled with the brush colour, no outline.
    void FillRect(const TRect& Rect);
    // Surface fill: repaints with the brush the 4-connected area of pixels showing Color
    // around (X, Y). Nothing happens when the seed pixel does not show Color.
    void FloodFill(int X, int Y, COLORREF Color);

    // Plain RGB of the pixel, CLR_INVALID outside the bitmap.
    COLORREF Pixel(int X, int Y) const;
    // Writes are dropped outside the bitmap.
    void SetPixel(int X, int Y, COLORREF Color);

    // The colour-table index this canvas writes for Color.
    std::uint8_t MatchIndex(COLORREF Color) const;

    TPxBitmap& Bitmap() { return Owner; }
    const TPxBitmap& Bitmap() const { return Owner; }

private:
    void FillSpan(int Y, int X0, int X1, std::uint8_t Index);
    void PenDot(int X, int Y, std::uint8_t Index);

    TPxBitmap& Owner;
};

class TPxBitmap {
public:
    // All pixels 0.
    TPxBitmap(int BitCount, int Width, int Height, const TPxPalette& Palette);
    // The pixels are Pixels as they are: ImageBytes(Width, Height) of them, or the
    // constructor throws std::length_error.
    TPxBitmap(int BitCount, int Width, int Height, const TPxPalette& Palette, TPixelBlock Pixels);
    TPxBitmap(const TPxBitmap&) = delete;
    TPxBitmap& operator=(const TPxBitmap&) = delete;
    virtual ~TPxBitmap() = default;

    int Width() const { return PixelWidth; }
    int Height() const { return PixelHeight; }
    int BitCount() const { return Bpp; }
    int Stride() const { return RowBytes; }
    int ImageSize() const { return RowBytes * PixelHeight; }
    // The ImageSize of a bitmap of that size (a negative side counting as 0).
    static std::size_t ImageBytes(int Width, int Height);

    std::uint8_t* Bits() { return Pixels.Data(); }
    const std::uint8_t* Bits() const { return Pixels.Data(); }
    std::uint8_t* ScanLine(int Y) { return Pixels.Data() + std::size_t(Y) * RowBytes; }
    const std::uint8_t* ScanLine(int Y) const { return Pixels.Data() + std::size_t(Y) * RowBytes; }
    std::uint8_t IndexAt(int X, int Y) const { return ScanLine(Y)[X]; }

    const TColorTable& ColorTable() const { return *Table; }
    const TColorTablePtr& ColorTablePtr() const { return Table; }
    const TPxPalette& Palette() const { return *OwnerPalette; }
    TPxCanvas& Canvas() { return Surface; }
    const TPxCanvas& Canvas() const { return Surface; }

    bool Transparent() const { return IsTransparent; }
    std::uint32_t TransparentIndex() const { return TransparentIdx; }

    // A copy of all ImageSize bytes, padding included.
    std::vector<std::uint8_t> CopyBits() const;
    // Copies a block made by CopyBits of a bitmap of the same size over the pixels.
    // Throws std::length_error when the block has another size.
    void SetBits(const std::vector<std::uint8_t>& Block);

    // From now on Draw and DrawTo skip the index of the entry nearest to Color, all 256
    // entries of the palette taking part.
    void SetTransparentColor(COLORREF Color);

    // Index-exact copy into Target with this bitmap's top-left at (X, Y), clipped,
    // skipping the transparent index when set.
    void DrawTo(TPxBitmap& Target, int X, int Y) const;
    // By colour onto another canvas: each index is matched to the target's colour table.
    // Honours transparency.
    void Draw(TPxCanvas& Target, int X, int Y) const;
    // The whole bitmap scaled into X, Y, W x H by repeating or dropping rows and columns,
    // by colour; ignores transparency.
    void StretchDraw(TPxCanvas& Target, int X, int Y, int W, int H) const;
    // The inclusive rectangle Rect to the same place of Target, by colour.
    void CopyRect(TPxCanvas& Target, const TRect& Rect) const;

    // Writes a decoded GIF image of (LastCol + 1) x (LastRow + 1) colour-map indices at
    // (X, Y): each colour goes to the nearest user colour; pixels outside the bitmap and,
    // when Transparent, pixels matching TransparentColor's user colour are skipped. A
    // source index beyond the end of ColorMap stands for black.
    void PasteIndexed(int X, int Y, int LastCol, int LastRow, const std::uint8_t* Data,
                      const std::vector<TRgbColor>& ColorMap, bool Transparent,
                      COLORREF TransparentColor);

    // Every pixel := Map[Source pixel at the same place]. Source has the same size.
    void Remap(const std::array<std::uint8_t, 256>& Map, const TPxBitmap& Source);

    // The picture as plain RGB, carrying the 256 colours as its palette.
    TRgbPicture ToBitmap() const;

private:
    int Bpp;
    int PixelWidth;
    int PixelHeight;
    int RowBytes;
    TPixelBlock Pixels;
    TColorTablePtr Table;
    const TPxPalette* OwnerPalette;
    bool IsTransparent = false;
    std::uint32_t TransparentIdx = 0;
    TPxCanvas Surface{*this};
};
