#include "imaging/GridCells.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

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

std::vector<RgbColor> MostUsedColorTable(const RgbPicture& Picture) {
    std::vector<RgbColor> Table(FirstUserColor + 1);
    for (const RgbColor& Color : MostUsedColors(Picture, LastUserColor - FirstUserColor))
        Table.push_back(Color);
    return Table;
}

} // namespace

std::vector<RgbColor> MostUsedColors(const RgbPicture& Picture, std::size_t Limit) {
    struct TUse {
        std::size_t Count = 0;
        std::size_t First = 0;
        RgbColor Color;
    };
    std::unordered_map<COLORREF, TUse> Uses;
    const std::size_t Pixels = Picture.Pixels.size() / 3;
    for (std::size_t i = 0; i < Pixels; ++i) {
        const RgbColor Color{Picture.Pixels[i * 3], Picture.Pixels[i * 3 + 1],
                             Picture.Pixels[i * 3 + 2]};
        ++Uses.try_emplace(Color.Ref(), TUse{0, i, Color}).first->second.Count;
    }
    std::vector<TUse> Order;
    Order.reserve(Uses.size());
    for (const auto& Use : Uses)
        Order.push_back(Use.second);
    std::sort(Order.begin(), Order.end(), [](const TUse& A, const TUse& B) {
        return A.Count != B.Count ? A.Count > B.Count : A.First < B.First;
    });

    std::vector<RgbColor> Colors;
    for (std::size_t i = 0; i < Order.size() && i < Limit; ++i)
        Colors.push_back(Order[i].Color);
    return Colors;
}

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

std::unique_ptr<TPxBitmap> ExtractGridCell(const RgbPicture& Picture, const TGrid& Grid,
                                           TPoint Selection, const TPxPalette& Palette) {
    auto Cell = std::make_unique<TPxBitmap>(8, Grid.CelWidth, Grid.CelHeight, Palette);
    const auto Outside = std::uint8_t(Palette.NearestUserIndex(RgbColor{0, 0, 0}));
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

std::vector<RgbColor> KeptColorTable(const RgbPicture& Picture) {
    std::unordered_set<COLORREF> Kept{RGB(255, 255, 255)};
    const int Last = std::min<int>(int(Picture.Palette.size()) - 1, LastUserColor);
    for (int i = FirstUserColor + 1; i <= Last; ++i)
        Kept.insert(Picture.Palette[i].Ref());
    const std::size_t Pixels = Picture.Pixels.size() / 3;
    bool AllKept = !Picture.Palette.empty();
    for (std::size_t i = 0; AllKept && i < Pixels; ++i)
        AllKept = Kept.count(RGB(Picture.Pixels[i * 3], Picture.Pixels[i * 3 + 1],
                                 Picture.Pixels[i * 3 + 2])) > 0;
    return AllKept ? Picture.Palette : MostUsedColorTable(Picture);
}
