#pragma once
// The walk that strokes, lines and brush outlines follow between two cel points: every
// point of a Bresenham-style line, visited from the end with the smaller coordinate along
// the longer axis, so that a line dragged either way covers the same pixels. Plain
// arithmetic; any thread.
#include <cstdlib>

// Calls Plot(x, y) for each point of the line from (X1, Y1) to (X2, Y2), both ends
// included. The error term starts at half the longer distance and steps when it exceeds
// it (strictly); a walk whose steps alone would stop one short of the far end (a
// one-pixel diagonal) plots that end as well, so every line reaches both of its ends.
template <typename PlotFn> void WalkLine(int X1, int Y1, int X2, int Y2, PlotFn&& Plot) {
    const int Dx = std::abs(X2 - X1), Dy = std::abs(Y2 - Y1);
    int Sx = X1, Sy = Y1, Ex = X2, Ey = Y2;
    if ((Dx >= Dy && X2 < X1) || (Dx < Dy && Y2 < Y1)) {
        Sx = X2, Sy = Y2, Ex = X1, Ey = Y1;
    }
    int LastX = Sx, LastY = Sy;
    if (Dx >= Dy) {
        int Err = Dx / 2, Y = Sy;
        const int Step = Ey < Sy ? -1 : 1;
        for (int X = Sx; X <= Ex; ++X) {
            if (Err > Dx) Err -= Dx, Y += Step;
            Plot(X, Y);
            LastX = X, LastY = Y;
            Err += Dy;
        }
    } else {
        int Err = Dy / 2, X = Sx;
        const int Step = Ex < Sx ? -1 : 1;
        for (int Y = Sy; Y <= Ey; ++Y) {
            if (Err > Dy) Err -= Dy, X += Step;
            Plot(X, Y);
            LastX = X, LastY = Y;
            Err += Dx;
        }
    }
    if (LastX != Ex || LastY != Ey) Plot(Ex, Ey);
}
