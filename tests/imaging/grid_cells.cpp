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
