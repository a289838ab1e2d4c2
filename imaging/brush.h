#pragma once
// Brushes: the stamps that strokes, lines and outlines are drawn with. A brush is a small
// transparent bitmap on the document palette; stamping copies its non-transparent pixels.
// A brush owns its bitmap and refers to its palette. Immutable once built.
#include <cstdint>
#include <memory>

#include "imaging/Color.h"
#include "imaging/PxBitmap.h"

class TPxPalette;

enum TPxBrushShape : std::uint8_t {
    shSquare = 0,
    shCircle = 1,
    shHorzLine = 2,
    shVertLine = 3,
    shBkSlash = 4,
    shForeSlash = 5,
    shCustom = 6,
};

class TPxBrush {
public:
    // A shape brush of the user's Size (1..30) in drawing colour Color. Line shapes grow by
    // two pixels. A shape outside 0..5 beeps and gives a brush that stamps nothing.
    static std::unique_ptr<TPxBrush> Create(int Size, int Shape, COLORREF Color,
                                            const TPxPalette& Palette);
    // The area Rect (right and bottom exclusive) of Source, enlarged by Zoom, with
    // TransparentColor's nearest entry transparent. Size and Shape are 0.
    static std::unique_ptr<TPxBrush> CreateFromArea(const TPxBitmap& Source, const TRect& Rect,
                                                    COLORREF TransparentColor, int Zoom);

    int Size() const { return SideLength; }
    TPxBrushShape Shape() const { return BrushShape; }
    const TPxBitmap& Bitmap() const { return *StampBitmap; }
    const TPxPalette& Palette() const { return *OwnerPalette; }

    // Stamps the brush into Target with the cursor at (X, Y): a shape brush centred
    // (top-left = (X - Size div 2, Y - Size div 2)), an area brush with its top-left at
    // (X, Y). Transparent pixels leave the target alone. Never allocates.
    void Stamp(TPxCanvas& Target, int X, int Y) const;

private:
    TPxBrush(const TPxPalette& Palette, int Size, TPxBrushShape Shape,
             std::unique_ptr<TPxBitmap> Bitmap);

    const TPxPalette* OwnerPalette;
    int SideLength;
    TPxBrushShape BrushShape;
    std::unique_ptr<TPxBitmap> StampBitmap;
};
