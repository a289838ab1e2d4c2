#include "imaging/ToolGeometry.h"

#include <algorithm>

#include "imaging/PxBitmap.h"

TRect UnionOf(const TRect& A, const TRect& B) {
    const auto Empty = [](const TRect& R) { return R.Left >= R.Right || R.Top >= R.Bottom; };
    if (Empty(A)) return B;
    if (Empty(B)) return A;
    return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
            std::max(A.Bottom, B.Bottom)};
}

TPoint ClampToCel(int X, int Y, int CelWidth, int CelHeight) {
    return {std::clamp(X, 0, std::max(CelWidth, 0)), std::clamp(Y, 0, std::max(CelHeight, 0))};
}

TRect SpanOf(int X1, int Y1, int X2, int Y2) {
    return {std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
}

TRect LiftedArea(TRect Band) {
    if (Band.Left == Band.Right) ++Band.Right;
    if (Band.Top == Band.Bottom) ++Band.Bottom;
    return Band;
}

bool StrictlyInside(const TRect& Area, int X, int Y) {
    return Area.Left < X && X < Area.Right && Area.Top < Y && Y < Area.Bottom;
}

TRect ViewRectOf(const TRect& CelArea, int Zoom) {
    return {CelArea.Left * Zoom, CelArea.Top * Zoom, CelArea.Right * Zoom, CelArea.Bottom * Zoom};
}

TRect MarqueeFrame(const TRect& Selection, int Zoom) {
    const TRect View = ViewRectOf(Selection, Zoom);
    return {View.Left - 1, View.Top - 1, View.Right + 1, View.Bottom + 1};
}

std::array<TRect, 4> FrameEdges(const TRect& Frame) {
    return {TRect{Frame.Left, Frame.Top, Frame.Right, Frame.Top + 1},
            TRect{Frame.Left, Frame.Bottom - 1, Frame.Right, Frame.Bottom},
            TRect{Frame.Left, Frame.Top, Frame.Left + 1, Frame.Bottom},
            TRect{Frame.Right - 1, Frame.Top, Frame.Right, Frame.Bottom}};
}

void DrawFrame(TPxBitmap& Bitmap, const TRect& Frame, std::uint8_t Index, int Dash) {
    if (Frame.Left >= Frame.Right || Frame.Top >= Frame.Bottom) return;
    const int W = Bitmap.Width(), H = Bitmap.Height();
    const auto Put = [&](int X, int Y) {
        if (X >= 0 && Y >= 0 && X < W && Y < H && OnDash(X, Y, Dash)) Bitmap.ScanLine(Y)[X] = Index;
    };
    // Only the part of each edge on the bitmap is walked, however far the frame reaches.
    const int X0 = std::max(Frame.Left, 0), X1 = std::min(Frame.Right, W);
    const int Y0 = std::max(Frame.Top, 0), Y1 = std::min(Frame.Bottom, H);
    for (int X = X0; X < X1; ++X) {
        Put(X, Frame.Top);
        Put(X, Frame.Bottom - 1);
    }
    for (int Y = Y0; Y < Y1; ++Y) {
        Put(Frame.Left, Y);
        Put(Frame.Right - 1, Y);
    }
}
