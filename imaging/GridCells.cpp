#include "imaging/GridCells.h"

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"

namespace {

// A stroke of the exclusive-or pen from (X1, Y1) towards (X2, Y2), the end point excluded
// as a pen line leaves it; only straight lines along the axes are ever drawn here.
void Stroke(const TPixelVisit& Visit, int Width, int Height, int X1, int Y1, int X2, int Y2) {
    const int dx = X2 > X1 ? 1 : X2 < X1 ? -1 : 0;
    const int dy = Y2 > Y1 ? 1 : Y2 < Y1 ? -1 : 0;
    for (int x = X1, y = Y1; x != X2 || y != Y2; x += dx, y += dy)
        if (x >= 0 && y >= 0 && x < Width && y < Height) Visit(x, y);
}

} // namespace

TPoint GridCellAt(const TGrid& Grid, int X, int Y) {
    return {(X - Grid.StartX) / Grid.CelWidth * Grid.CelWidth + Grid.StartX,
            (Y - Grid.StartY) / Grid.CelHeight * Grid.CelHeight + Grid.StartY};
}

void VisitGridLines(const TGrid& Grid, int Width, int Height, const TPixelVisit& Visit) {
    if (Grid.CelWidth < 1 || Grid.CelHeight < 1) return;
    for (int x = Grid.StartX; x < Width; x += Grid.CelWidth)
        Stroke(Visit, Width, Height, x, 0, x, Height);
    for (int y = Grid.StartY; y < Height; y += Grid.CelHeight)
        Stroke(Visit, Width, Height, 0, y, Width, y);
}

void VisitSelectionFrame(const TGrid& Grid, TPoint Selection, int Width, int Height,
                         const TPixelVisit& Visit) {
    const int Left = Selection.X + 1, Top = Selection.Y + 1;
    const int Right = Selection.X + Grid.CelWidth - 1, Bottom = Selection.Y + Grid.CelHeight - 1;
    Stroke(Visit, Width, Height, Left, Top, Right, Top);
    Stroke(Visit, Width, Height, Right, Top, Right, Bottom);
    Stroke(Visit, Width, Height, Right, Bottom, Left, Bottom);
    Stroke(Visit, Width, Height, Left, Bottom, Left, Top);
}

std::unique_ptr<TPxBitmap> ExtractGridCell(const TRgbPicture& Picture, const TGrid& Grid,
                                           TPoint Selection, const TPxPalette& Palette) {
    auto Cell = std::make_unique<TPxBitmap>(8, Grid.CelWidth, Grid.CelHeight, Palette);
    const auto Outside = std::uint8_t(Palette.NearestUserIndex(TRgbColor{0, 0, 0}));
    for (int y = 0; y < Grid.CelHeight; ++y) {
        std::uint8_t* Row = Cell->ScanLine(y);
        const int py = Selection.Y + y;
        for (int x = 0; x < Grid.CelWidth; ++x) {
            const int px = Selection.X + x;
            const bool Inside = px >= 0 && py >= 0 && px < Picture.Width && py < Picture.Height;
            Row[x] = Inside ? std::uint8_t(Palette.NearestUserIndex(Picture.At(px, py))) : Outside;
        }
    }
    return Cell;
}
