#include "imaging/GridCells.h"
#include "support/PictureAssert.h"

namespace {

// A picture on which exclusive-or strokes are drawn: '#' where an odd number passed,
// which the grid shows as red.
struct TStrokes {
    Picture Rows;
    TStrokes(int Width, int Height) : Rows(Height, std::string(Width, '.')) {}
    TPixelVisit Pen() {
        return [this](int X, int Y) {
            char& c = Rows.at(Y).at(X);
            c = c == '.' ? '#' : '.';
        };
    }
};

} // namespace

TEST(GridCells, LinesAndFrameAreExclusiveOrStrokesThatCrossingsCancel) {
    const TGrid Grid{1, 1, 4, 3};
    TStrokes Sheet(9, 7);
    VisitGridLines(Grid, 9, 7, Sheet.Pen());
    VisitSelectionFrame(Grid, {1, 1}, 9, 7, Sheet.Pen());
    EXPECT_EQ(Sheet.Rows, Picture({".#...#...", "#.###.###", ".#####...", ".#####...", "#.###.###",
                                   ".#...#...", ".#...#..."}));
    // Drawing everything twice leaves the picture as it was.
    VisitSelectionFrame(Grid, {1, 1}, 9, 7, Sheet.Pen());
    VisitGridLines(Grid, 9, 7, Sheet.Pen());
    EXPECT_EQ(Sheet.Rows, Picture(7, std::string(9, '.')));
    // A frame at the picture's edge is clipped, and a cell of width one still draws.
    TStrokes Edge(9, 7);
    VisitSelectionFrame({0, 0, 5, 4}, {6, 2}, 9, 7, Edge.Pen());
    EXPECT_EQ(Edge.Rows, Picture({".........", ".........", ".........", ".......##", ".......#.",
                                  ".......##", "........."}));
    TStrokes Narrow(3, 7);
    VisitGridLines({0, 5, 1, 34}, 3, 7, Narrow.Pen());
    EXPECT_EQ(Narrow.Rows, Picture({"###", "###", "###", "###", "###", "...", "###"}));
}

TEST(GridCells, PaletteMadeFromAPictureKeepsTheColoursItUses) {
    // An indexed picture whose colours sit at positions 11..245 keeps its own table; one
    // colour only at a position the palette cannot keep makes a table of the used colours.
    RgbPicture Indexed(2, 1);
    Indexed.Palette.assign(256, RgbColor{0, 0, 0});
    Indexed.Palette[3] = {1, 2, 3};
    Indexed.Palette[40] = {40, 41, 42};
    Indexed.Palette[200] = {200, 201, 202};
    Indexed.Set(0, 0, Indexed.Palette[40]);
    Indexed.Set(1, 0, Indexed.Palette[200]);
    EXPECT_EQ(KeptColorTable(Indexed), Indexed.Palette);
    Indexed.Set(1, 0, Indexed.Palette[3]);
    Indexed.Palette = KeptColorTable(Indexed);
    auto Made = TPxPalette::CreateFromGraphic(Indexed);
    EXPECT_EQ(Made->Entry(11).Color(), (RgbColor{40, 41, 42}));
    EXPECT_EQ(Made->Entry(12).Color(), (RgbColor{1, 2, 3}));
    EXPECT_EQ(Made->Entry(13).Color(), (RgbColor{0, 0, 0}));
    // A true-colour picture with more colours than the palette holds: white, then the 235
    // most used, ties in order of first use.
    RgbPicture Many(300, 2);
    for (int x = 0; x < 300; ++x) {
        const RgbColor Own{std::uint8_t(x / 256), std::uint8_t(x), 7};
        Many.Set(x, 0, Own);
        Many.Set(x, 1, x < 235 ? Own : RgbColor{9, 9, 9});
    }
    Many.Palette = KeptColorTable(Many);
    ASSERT_EQ(Many.Palette.size(), 246u);
    Made = TPxPalette::CreateFromGraphic(Many);
    EXPECT_EQ(Made->Entry(10).Color(), (RgbColor{255, 255, 255}));
    EXPECT_EQ(Made->Entry(11).Color(), (RgbColor{9, 9, 9})) << "65 uses";
    EXPECT_EQ(Made->Entry(12).Color(), (RgbColor{0, 0, 7})) << "two uses, first seen";
    EXPECT_EQ(Made->Entry(245).Color(), (RgbColor{0, 233, 7}));
}
