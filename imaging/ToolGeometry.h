#pragma once
// The geometry of the painter's tools that needs no window: the brush-outline rectangle
// as four line walks, the rubber band and the floating selection in cel and view
// coordinates, and the dotted frames of the band and the marquee. Plain C++; any thread.
#include <array>
#include <cstdint>

#include "imaging/Color.h"
#include "imaging/LineWalk.h"

class TPxBitmap;

// V / D rounded towards minus infinity (D > 0): a point left of or above the view keeps
// moving one cel pixel per D view pixels.
constexpr int FloorDiv(int V, int D) {
    return V >= 0 ? V / D : -((-V + D - 1) / D);
}

// The four walks of a brush-outline rectangle between corners (X1, Y1) and (X2, Y2), in
// this order: the top edge, the right edge, the left edge, the bottom edge. Corners are
// visited more than once, as each walk includes both of its ends.
template <typename PlotFn> void WalkOutline(int X1, int Y1, int X2, int Y2, PlotFn&& Plot) {
    WalkLine(X1, Y1, X2, Y1, Plot);
    WalkLine(X2, Y1, X2, Y2, Plot);
    WalkLine(X1, Y1, X1, Y2, Plot);
    WalkLine(X1, Y2, X2, Y2, Plot);
}

// The smallest rectangle holding both (right and bottom exclusive); an empty one adds
// nothing.
TRect UnionOf(const TRect& A, const TRect& B);

// A rubber-band corner held to a cel of CelWidth x CelHeight, the far edges included: a
// band dragged past the right or bottom edge reaches the last column or row.
TPoint ClampToCel(int X, int Y, int CelWidth, int CelHeight);

// The rectangle between two corners, the smaller coordinates left and top.
TRect SpanOf(int X1, int Y1, int X2, int Y2);

// What a finished rubber band lifts (right and bottom exclusive): a band without width or
// height still takes the one column or row it starts on, so a click selects one pixel.
TRect LiftedArea(TRect Band);

// No point of the edges counts: a selection one pixel wide or high has no inside.
bool StrictlyInside(const TRect& Area, int X, int Y);

// A cel rectangle (right and bottom exclusive) in view pixels.
TRect ViewRectOf(const TRect& CelArea, int Zoom);

// The marquee of a floating selection: a frame one view pixel outside the selection's
// view rectangle, right and bottom exclusive.
TRect MarqueeFrame(const TRect& Selection, int Zoom);

// The pixel rows and columns of a frame's outline as four rectangles (top, bottom, left,
// right; right and bottom exclusive), so that only the outline is repainted.
std::array<TRect, 4> FrameEdges(const TRect& Frame);

// Whether the pixel (X, Y) lies on a dash of a dotted line: Dash pixels on, Dash off,
// counted diagonally so that rows and columns of one frame agree at its corners.
constexpr bool OnDash(int X, int Y, int Dash) {
    return Dash <= 0 || FloorDiv(X + Y, Dash) % 2 == 0;
}

// Writes Index on the outline of Frame (right and bottom exclusive) in Bitmap, clipped:
// every pixel of it, or with Dash > 0 only those on a dash. Index-exact.
void DrawFrame(TPxBitmap& Bitmap, const TRect& Frame, std::uint8_t Index, int Dash);
