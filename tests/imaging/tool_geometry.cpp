// The painter's pixel rules that need no window (lines, bands, frames, the zoomed view),
// and text brushes from a rendered mask.
#include <algorithm>
#include <cstdlib>

#include "imaging/LineWalk.h"
#include "imaging/TextBrush.h"
#include "imaging/ToolGeometry.h"
#include "imaging/ViewZoom.h"
#include "imaging/brush.h"
#include "support/PictureAssert.h"

namespace {
std::vector<int> Sides(const TRect& R) {
    return {R.Left, R.Top, R.Right, R.Bottom};
}

using Points = std::vector<std::pair<int, int>>;

Points Walk(int X1, int Y1, int X2, int Y2) {
    Points Plotted;
    WalkLine(X1, Y1, X2, Y2, [&](int X, int Y) { Plotted.emplace_back(X, Y); });
    return Plotted;
}

constexpr int White = CubeIndex(255, 255, 255);
// Drawing in black writes the lowest entry showing black: the system black, entry 0.
constexpr int Black = 0;
constexpr int Red = CubeIndex(255, 0, 0);
const PictureLegend Legend{{White, '.'}, {Black, '#'}, {Red, 'r'}};

} // namespace

TEST(LineWalk, EveryWalkReachesBothEndsWithoutGapsWhicheverWayItIsDragged) {
    EXPECT_EQ(Walk(0, 0, 4, 2), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
    EXPECT_EQ(Walk(0, 0, 2, 4), (Points{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}})) << "steep";
    // The steps alone stop beside the far end of a one-pixel diagonal; the walk plots it.
    EXPECT_EQ(Walk(3, 3, 4, 4), (Points{{3, 3}, {4, 3}, {4, 4}}));
    for (int Dx = -12; Dx <= 12; ++Dx)
        for (int Dy = -12; Dy <= 12; ++Dy) {
            SCOPED_TRACE(testing::Message() << "to " << Dx << "," << Dy);
            const Points P = Walk(3, 4, 3 + Dx, 4 + Dy);
            // Dragged to the left or upwards, a line covers the same pixels.
            ASSERT_EQ(Walk(3 + Dx, 4 + Dy, 3, 4), P);
            const std::pair<int, int> Start{3, 4}, End{3 + Dx, 4 + Dy};
            ASSERT_TRUE(std::find(P.begin(), P.end(), Start) != P.end());
            ASSERT_TRUE(std::find(P.begin(), P.end(), End) != P.end());
            // One point per step along the longer axis, and the one-pixel diagonal's extra.
            const bool Diagonal = std::abs(Dx) == 1 && std::abs(Dy) == 1;
            ASSERT_EQ(P.size(), std::size_t(std::max(std::abs(Dx), std::abs(Dy)) + 1 + Diagonal));
            for (std::size_t i = 1; i < P.size(); ++i)
                ASSERT_LE(std::max(std::abs(P[i].first - P[i - 1].first),
                                   std::abs(P[i].second - P[i - 1].second)),
                          1)
                    << "no gaps";
        }
}

TEST(ToolGeometry, BandsAreHeldToTheCelAndLiftAtLeastOnePixel) {
    const TPoint Beyond = ClampToCel(14, -3, 10, 6);
    EXPECT_EQ(std::make_pair(Beyond.X, Beyond.Y), std::make_pair(10, 0)) << "the far edge itself";
    EXPECT_EQ(Sides(SpanOf(6, 5, 2, 1)), std::vector<int>({2, 1, 6, 5}));
    const TRect Click = LiftedArea(SpanOf(4, 3, 4, 3));
    EXPECT_EQ(Sides(Click), std::vector<int>({4, 3, 5, 4}));
    const TRect Row = LiftedArea({2, 3, 6, 3});
    EXPECT_EQ(Sides(Row), std::vector<int>({2, 3, 6, 4}));
    // A selection one pixel high or wide has no inside to grab.
    EXPECT_FALSE(StrictlyInside(Click, 4, 3) || StrictlyInside(Row, 3, 3));
    EXPECT_TRUE(StrictlyInside({1, 1, 4, 4}, 2, 3));
}

TEST(ToolGeometry, MarqueeFrameRunsOneViewPixelOutsideInDashes) {
    auto Palette = MakeCubePalette();
    TPxBitmap View(8, 12, 8, *Palette);
    PaintPicture(View, Legend, Picture(8, std::string(12, '.')));
    // The selection (1, 1)-(3, 2) at zoom 3 covers view pixels 3..8 by 3..5.
    const TRect Frame = MarqueeFrame({1, 1, 3, 2}, 3);
    EXPECT_EQ(Sides(Frame), std::vector<int>({2, 2, 10, 7}));
    DrawFrame(View, Frame, Black, 0);
    DrawFrame(View, Frame, Red, 2);
    EXPECT_PICTURE(View, Legend,
                   {"............", "............", "..rr##rr##..", "..r......r..", "..#......r..",
                    "..#......#..", "..rr##rr##..", "............"});
    // A frame reaching past the bitmap is drawn where it lies on it.
    TPxBitmap Small(8, 4, 3, *Palette);
    PaintPicture(Small, Legend, {"....", "....", "...."});
    DrawFrame(Small, {-1, -1, 3, 5}, Black, 0);
    EXPECT_PICTURE(Small, Legend, {"..#.", "..#.", "..#."});
}

TEST(TextBrush, GlyphsStampInTheirColourAndTheBackgroundNeverDoes) {
    auto Palette = MakeCubePalette();
    // A 5 x 3 box whose last column and row lie outside the brush.
    const TTextMask Mask{5, 3, {1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 1, 1, 1, 1, 1}};
    EXPECT_EQ(TextBackgroundFor(PALETTERGB(0, 0, 0)), RGB(255, 255, 255));
    EXPECT_EQ(TextBackgroundFor(PALETTERGB(255, 255, 255)), RGB(255, 0, 0));
    EXPECT_EQ(TextBackgroundFor(RGB(255, 255, 255)), RGB(255, 255, 255))
        << "only the exact palette colour white counts";
    const auto Box = TextPicture(Mask, PALETTERGB(255, 255, 255), RGB(255, 0, 0), *Palette);
    EXPECT_PICTURE(*Box, Legend, {".r.r.", "r..r.", "....."});
    // White text on a white cel still stamps: the red background is what stays out.
    const auto White1 = CreateTextBrush(Mask, PALETTERGB(255, 255, 255), *Palette, 1);
    ASSERT_EQ(std::make_pair(White1->Bitmap().Width(), White1->Bitmap().Height()),
              std::make_pair(4, 2));
    TPxBitmap Cel(8, 6, 4, *Palette);
    PaintPicture(Cel, Legend, {"######", "######", "######", "######"});
    White1->Stamp(Cel.Canvas(), 1, 1);
    EXPECT_PICTURE(Cel, Legend, {"######", "#.#.##", "##..##", "######"});
    // An empty text makes a brush that stamps nothing.
    const auto Empty = CreateTextBrush(TTextMask{}, PALETTERGB(0, 0, 0), *Palette, 2);
    Empty->Stamp(Cel.Canvas(), 0, 0);
    EXPECT_PICTURE(Cel, Legend, {"######", "#.#.##", "##..##", "######"});
}

TEST(ViewZoom, ReplicatesEachCelPixelIntoABlockAndRefreshesOnlyTheAskedArea) {
    auto Palette = MakeCubePalette();
    TPxBitmap Cel(8, 3, 2, *Palette);
    PaintPicture(Cel, Legend, {"#.r", "r#."});
    TPxBitmap View(8, 9, 6, *Palette);
    ZoomCel(Cel, View, 3);
    EXPECT_PICTURE(View, Legend,
                   {"###...rrr", "###...rrr", "###...rrr", //
                    "rrr###...", "rrr###...", "rrr###..."});
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
