#pragma once
// What the cel strip draws on: the paint box of the animation window and its vertical
// scroll bar. The strip widget implements it over a backing image; tests record the calls.
//
// Rectangles are left, top, right, bottom with right and bottom exclusive; colours are
// plain RGB values. User-interface thread only.
#include <string>

#include "imaging/Color.h"

class TPxBitmap;

class TStripSurface {
public:
    virtual ~TStripSurface() = default;

    // Size of the paint box in pixels.
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // The system's button-face colour, the strip's backdrop.
    virtual COLORREF ButtonFace() const = 0;

    // Fills Rect.
    virtual void Fill(const TRect& Rect, COLORREF Color) = 0;
    // A one-pixel outline just inside Rect.
    virtual void Frame(const TRect& Rect, COLORREF Color) = 0;
    // A one-pixel line from From to To, To itself excluded (as a pen's line-to).
    virtual void Line(TPoint From, TPoint To, COLORREF Color) = 0;

    // The label font: Name at Size points, bold when Bold. Where Name is missing, a small
    // bold sans-serif font of the same size serves.
    virtual void SetFont(const std::string& Name, int Size, bool Bold) = 0;
    // Width in pixels of Text in the label font.
    virtual int TextWidth(const std::string& Text) = 0;
    // Label in the label font with its top-left at (X, Y), no background fill, showing only
    // what falls inside Clip.
    virtual void Text(const TRect& Clip, int X, int Y, const std::string& Label,
                      COLORREF Color) = 0;

    // A cel's picture, unscaled, with its top-left at (X, Y).
    virtual void DrawCel(const TPxBitmap& Bitmap, int X, int Y) = 0;

    // The scroll bar: range Min..Max, one step per row. Setting the range keeps the position
    // inside it (as any scroll bar does) without calling back into the strip.
    virtual void SetScrollRange(int Min, int Max) = 0;
    virtual int ScrollPosition() const = 0;

    // A press in the strip may start dragging the cel once the mouse moves.
    virtual void ArmDrag() = 0;

    // Shows what has been drawn since the last update.
    virtual void Update() = 0;
};
