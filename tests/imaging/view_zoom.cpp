// The painter's zoomed view of a cel, and the marks that previews leave in it.
#include "imaging/ViewMarks.h"
#include "imaging/ViewZoom.h"
#include "support/PictureAssert.h"

namespace {
constexpr int Red = CubeIndex(255, 0, 0);
const PictureLegend Legend{{CubeIndex(0, 0, 0), '#'}, {CubeIndex(255, 255, 255), '.'}, {Red, 'r'}};
} // namespace

TEST(ViewZoom, ReplicatesEachCelPixelIntoABlockAndRefreshesOnlyTheAskedArea) {
    auto Palette = MakeCubePalette();
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

TEST(ViewMarks, RestoreOnlyTheMarkedPixelsFromTheCel) {
    auto Palette = MakeCubePalette();
    TPxBitmap Cel(8, 4, 2, *Palette);
    PaintPicture(Cel, Legend, {"#..r", ".#.."});
    TPxBitmap View(8, 8, 4, *Palette);
    ZoomCel(Cel, View, 2);
    TViewMarks Marks;
    Marks.Reset(8, 4);
    EXPECT_TRUE(Marks.Empty());
    // Two previews drawn over the view, one reaching past it.
    PaintPicture(View, Legend, {"rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr"});
    Marks.Add({0, 0, 4, 2});
    Marks.Add({6, 2, 12, 9});
    const TRect Bounds = Marks.Bounds();
    EXPECT_EQ(std::tie(Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Bottom),
              std::make_tuple(0, 0, 8, 4));
    // Pixels outside every mark stay as they are.
    const TRect Restored = Marks.Restore(Cel, View, 2);
    EXPECT_EQ(Restored.Right, 8);
    EXPECT_TRUE(Marks.Empty());
    EXPECT_PICTURE(View, Legend, {"##..rrrr", "##..rrrr", "rrrrrr..", "rrrrrr.."});
    // With nothing marked, a restore changes nothing.
    View.ScanLine(1)[3] = Red;
    Marks.Restore(Cel, View, 2);
    EXPECT_EQ(View.IndexAt(3, 1), Red);
}
