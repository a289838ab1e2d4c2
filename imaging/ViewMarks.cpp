#include "imaging/ViewMarks.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "imaging/PxBitmap.h"

void TViewMarks::Reset(int ViewWidth, int ViewHeight) {
    Width = std::max(ViewWidth, 0);
    Height = std::max(ViewHeight, 0);
    First.assign(std::size_t(Height), INT_MAX);
    Last.assign(std::size_t(Height), INT_MIN);
    Top = Bottom = Left = Right = 0;
}

void TViewMarks::Clear() {
    for (int y = Top; y < Bottom; ++y) {
        First[std::size_t(y)] = INT_MAX;
        Last[std::size_t(y)] = INT_MIN;
    }
    Top = Bottom = Left = Right = 0;
}

void TViewMarks::Add(const TRect& Area) {
    const int X0 = std::max(Area.Left, 0), X1 = std::min(Area.Right, Width) - 1;
    const int Y0 = std::max(Area.Top, 0), Y1 = std::min(Area.Bottom, Height);
    if (X0 > X1 || Y0 >= Y1) return;
    for (int y = Y0; y < Y1; ++y) {
        int& F = First[std::size_t(y)];
        int& L = Last[std::size_t(y)];
        F = std::min(F, X0);
        L = std::max(L, X1);
    }
    if (Empty()) {
        Top = Y0, Bottom = Y1, Left = X0, Right = X1 + 1;
        return;
    }
    Top = std::min(Top, Y0);
    Bottom = std::max(Bottom, Y1);
    Left = std::min(Left, X0);
    Right = std::max(Right, X1 + 1);
}

TRect TViewMarks::Bounds() const {
    if (Empty()) return {};
    return {Left, Top, Right, Bottom};
}

TRect TViewMarks::Restore(const TPxBitmap& Cel, TPxBitmap& View, int Zoom) {
    const TRect Marked = Bounds();
    if (Zoom < 1 || View.Width() != Width || View.Height() != Height) {
        Clear();
        return Marked;
    }
    const int CelRight = std::min(Cel.Width() * Zoom, Width);
    const int CelBottom = std::min(Cel.Height() * Zoom, Height);
    for (int y = Top; y < std::min(Bottom, CelBottom); ++y) {
        const int X0 = First[std::size_t(y)], X1 = std::min(Last[std::size_t(y)], CelRight - 1);
        if (X0 > X1) continue;
        const std::uint8_t* Src = Cel.ScanLine(y / Zoom);
        std::uint8_t* Dst = View.ScanLine(y);
        // Runs of one cel pixel at a time: a block's columns all take its index.
        for (int x = X0; x <= X1;) {
            const int Cx = x / Zoom;
            const int End = std::min((Cx + 1) * Zoom, X1 + 1);
            std::memset(Dst + x, Src[Cx], std::size_t(End - x));
            x = End;
        }
    }
    Clear();
    return Marked;
}
