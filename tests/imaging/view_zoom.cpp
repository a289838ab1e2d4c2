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

TEST(ViewZoom, AStampEnlargedAsItIsDrawnMatchesTheEnlargedStampDrawnWholeAndIsClipped) {
    auto Palette = MakeCubePalette();
    TPxBitmap Stamp(8, 3, 2, *Palette);
    PaintPicture(Stamp, Legend, {"#r.", ".#r"});
    Stamp.SetTransparentColor(RGB(255, 255, 255));
    TPxBitmap View(8, 7, 5, *Palette);
    PaintPicture(View, Legend, Picture(5, std::string(7, '.')));
    const TRect Covered = StampZoomed(Stamp, View, 2, -1, 1);
    EXPECT_PICTURE(View, Legend, {".......", "#rr....", "#rr....", ".##rr..", ".##rr.."});
    EXPECT_EQ(std::tie(Covered.Left, Covered.Top, Covered.Right, Covered.Bottom),
              std::make_tuple(0, 1, 5, 5));
    // Every zoom and place, the view's edges cut through blocks: the same as enlarging the
    // stamp first and copying it over the view.
    for (int Zoom = 1; Zoom <= 4; ++Zoom)
        for (int Left = -9; Left <= 8; ++Left)
            for (int Top = -7; Top <= 6; Top += 3) {
                TPxBitmap Whole(8, 3 * Zoom, 2 * Zoom, *Palette);
                ZoomCel(Stamp, Whole, Zoom);
                Whole.SetTransparentColor(RGB(255, 255, 255));
                TPxBitmap Expected(8, 7, 5, *Palette), Actual(8, 7, 5, *Palette);
                PaintPicture(Expected, Legend, Picture(5, std::string(7, 'r')));
                PaintPicture(Actual, Legend, Picture(5, std::string(7, 'r')));
                Whole.DrawTo(Expected, Left, Top);
                StampZoomed(Stamp, Actual, Zoom, Left, Top);
                ASSERT_EQ(Actual.CopyBits(), Expected.CopyBits())
                    << "zoom " << Zoom << " at " << Left << ", " << Top;
            }
}

TEST(ViewZoom, TheViewOfLargeCelsTakesTheLargestZoomWithinTheLimit) {
    EXPECT_EQ(FittingZoom(640, 480, 10), 10);
    // 4000 x 4000 is 16 million pixels: 64 million at zoom 2, 144 million at zoom 3.
    EXPECT_EQ(FittingZoom(4000, 4000, 10), 2);
    EXPECT_EQ(FittingZoom(4000, 4000, 1), 1);
    EXPECT_EQ(FittingZoom(60000, 60000, 3), 1);
    EXPECT_EQ(FittingZoom(20, 20, 0), 1);
}
