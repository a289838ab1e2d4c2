// The painter's pixel helpers that need no window: the line walk that strokes follow and
// the pixel-replicated view of a cel.
#include <tuple>
#include <utility>
#include <vector>

#include "imaging/LineWalk.h"
#include "imaging/ViewZoom.h"
#include "support/PictureAssert.h"

namespace {
using Points = std::vector<std::pair<int, int>>;

Points Walk(int X1, int Y1, int X2, int Y2) {
    Points Plotted;
    WalkLine(X1, Y1, X2, Y2, [&](int X, int Y) { Plotted.emplace_back(X, Y); });
    return Plotted;
}
} // namespace

TEST(LineWalk, PlotsTheStatedPointsTheSameWhicheverWayItIsDragged) {
    EXPECT_EQ(Walk(0, 0, 4, 2), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
    EXPECT_EQ(Walk(0, 0, 3, 1), (Points{{0, 0}, {1, 0}, {2, 0}, {3, 1}}));
    EXPECT_EQ(Walk(0, 0, 5, 5), (Points{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}));
    EXPECT_EQ(Walk(2, 7, 2, 7), (Points{{2, 7}}));
    EXPECT_EQ(Walk(0, 0, 2, 4), (Points{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}})) << "steep";
    // The steps alone stop beside the far end of a one-pixel diagonal; the walk plots it.
    EXPECT_EQ(Walk(3, 3, 4, 4), (Points{{3, 3}, {4, 3}, {4, 4}}));
    // Dragged to the left or upwards, a line covers the same pixels, walked from its other
    // end.
    for (const auto& [X1, Y1, X2, Y2] : std::vector<std::tuple<int, int, int, int>>{{0, 0, 4, 2},
                                                                                    {0, 0, 2, 4},
                                                                                    {-3, 5, 6, -2},
                                                                                    {1, 1, 9, 1},
                                                                                    {1, 1, 1, 9},
                                                                                    {4, 4, 3, 3},
                                                                                    {0, 1, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << X1 << "," << Y1 << " " << X2 << "," << Y2);
        const Points P = Walk(X1, Y1, X2, Y2);
        EXPECT_EQ(Walk(X2, Y2, X1, Y1), P);
        EXPECT_TRUE((P.front() == std::pair{X1, Y1} && P.back() == std::pair{X2, Y2}) ||
                    (P.front() == std::pair{X2, Y2} && P.back() == std::pair{X1, Y1}));
    }
}

TEST(ViewZoom, ReplicatesEachCelPixelIntoABlockAndRefreshesOnlyTheAskedArea) {
    auto Palette = MakeCubePalette();
    const PictureLegend Legend{{10, '#'}, {225, '.'}, {190, 'r'}};
    TPxBitmap Cel(8, 3, 2, *Palette);
    PaintPicture(Cel, Legend, {"#.r", "r#."});
    TPxBitmap View(8, 9, 6, *Palette);
    ZoomCel(Cel, View, 3);
    EXPECT_PICTURE(View, Legend,
                   {"###...rrr", "###...rrr", "###...rrr", //
                    "rrr###...", "rrr###...", "rrr###..."});
    TPxBitmap Same(8, 3, 2, *Palette);
    ZoomCel(Cel, Same, 1);
    EXPECT_PICTURE(Same, Legend, {"#.r", "r#."});
    // Only cel pixel (1, 0) is refreshed: the view rectangle (4, 1)-(5, 2) lies in its block.
    PaintPicture(Cel, Legend, {"rr#", "..."});
    const TRect Area = CelAreaOfView({4, 1, 5, 2}, 3, 3, 2);
    EXPECT_EQ(std::tie(Area.Left, Area.Top, Area.Right, Area.Bottom), std::make_tuple(1, 0, 2, 1));
    ZoomCelArea(Cel, View, 3, Area);
    EXPECT_PICTURE(View, Legend,
                   {"###rrrrrr", "###rrrrrr", "###rrrrrr", //
                    "rrr###...", "rrr###...", "rrr###..."});
    // Areas reaching past the cel or the view are clipped.
    ZoomCelArea(Cel, View, 3, {-5, -5, 50, 50});
    EXPECT_PICTURE(View, Legend,
                   {"rrrrrr###", "rrrrrr###", "rrrrrr###", //
                    ".........", ".........", "........."});
    const TRect Outside = CelAreaOfView({-20, -20, -1, -1}, 3, 3, 2);
    EXPECT_TRUE(Outside.Left >= Outside.Right || Outside.Top >= Outside.Bottom);
}
