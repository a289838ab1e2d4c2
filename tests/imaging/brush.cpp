#include "imaging/brush.h"
#include "imaging/Report.h"
#include "support/PictureAssert.h"

namespace {
constexpr int Ink = CubeIndex(51, 102, 153), Paper = CubeIndex(204, 204, 153);
constexpr int White = CubeIndex(255, 255, 255);
constexpr COLORREF InkColor = PALETTERGB(51, 102, 153);
const PictureLegend Legend{{Paper, '.'}, {Ink, '#'}, {White, 'w'}};

// The brush bitmap with shape pixels as '#' and transparent ones as '.'.
Picture Shape(const TPxBrush& Brush) {
    const TPxBitmap& B = Brush.Bitmap();
    Picture Rows(std::size_t(B.Height()), std::string(std::size_t(B.Width()), '.'));
    for (int y = 0; y < B.Height(); ++y)
        for (int x = 0; x < B.Width(); ++x)
            if (B.IndexAt(x, y) != B.TransparentIndex()) Rows[y][x] = '#';
    return Rows;
}

Picture ShapeOf(int Size, int Kind, const TPxPalette& Palette) {
    return Shape(*TPxBrush::Create(Size, Kind, InkColor, Palette));
}

std::unique_ptr<TPxBitmap> PaperSheet(const TPxPalette& Palette, int W, int H) {
    auto Sheet = std::make_unique<TPxBitmap>(8, W, H, Palette);
    std::fill_n(Sheet->Bits(), Sheet->ImageSize(), std::uint8_t(Paper));
    return Sheet;
}
} // namespace

TEST(Brush, ShapesAtEverySize) {
    auto Palette = MakeCubePalette();
    EXPECT_EQ(ShapeOf(1, shCircle, *Palette), Picture{"#"});
    EXPECT_EQ(ShapeOf(3, shCircle, *Palette), (Picture{".#.", "###", ".#."}));
    // Line shapes grow by two pixels; the slashes are two pixels thick, and the forward one
    // lacks the back one's last corner.
    EXPECT_EQ(ShapeOf(2, shHorzLine, *Palette), (Picture{"....", "....", "####", "...."}));
    EXPECT_EQ(ShapeOf(2, shVertLine, *Palette), (Picture{"..#.", "..#.", "..#.", "..#."}));
    EXPECT_EQ(ShapeOf(2, shBkSlash, *Palette), (Picture{"##..", ".##.", "..##", "...#"}));
    EXPECT_EQ(ShapeOf(2, shForeSlash, *Palette), (Picture{"...#", "..##", ".##.", ".#.."}));
    for (int Size = 1; Size <= 30; ++Size) {
        SCOPED_TRACE(Size);
        auto Square = TPxBrush::Create(Size, shSquare, InkColor, *Palette);
        EXPECT_EQ(Square->Size(), Size);
        EXPECT_EQ(Shape(*Square), Picture(Size, std::string(Size, '#')));
        EXPECT_EQ(Square->Bitmap().IndexAt(0, 0), Ink) << "shape pixels hold the drawing colour";
        const Picture Circle = ShapeOf(Size, shCircle, *Palette);
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x)
                ASSERT_TRUE(Circle[y][x] == Circle[x][y] &&
                            Circle[y][x] == Circle[Size - 1 - y][x]);
        EXPECT_EQ(Circle[Size / 2], std::string(Size, '#'));
    }
}

TEST(Brush, StampsLandAroundTheCursor) {
    auto Palette = MakeCubePalette();
    auto Sheet = PaperSheet(*Palette, 6, 5);
    TPxBrush::Create(1, shSquare, InkColor, *Palette)->Stamp(Sheet->Canvas(), 0, 0);
    TPxBrush::Create(1, shHorzLine, InkColor, *Palette)->Stamp(Sheet->Canvas(), 4, 4);
    TPxBrush::Create(2, shSquare, InkColor, *Palette)->Stamp(Sheet->Canvas(), 3, 2);
    TPxBrush::Create(3, shCircle, InkColor, *Palette)->Stamp(Sheet->Canvas(), 5, 0);
    EXPECT_PICTURE(*Sheet, Legend, {"#...##", "..##.#", "..##..", "......", "...###"});
    // A white brush leaves red transparent; a colour landing on white paints nothing.
    auto White = TPxBrush::Create(2, shSquare, PALETTERGB(255, 255, 255), *Palette);
    EXPECT_EQ(White->Bitmap().TransparentIndex(), std::uint32_t(CubeIndex(255, 0, 0)));
    White->Stamp(Sheet->Canvas(), 1, 1);
    TPxBrush::Create(4, shSquare, PALETTERGB(254, 254, 254), *Palette)
        ->Stamp(Sheet->Canvas(), 4, 3);
    EXPECT_PICTURE(*Sheet, Legend, {"ww..##", "ww##.#", "..##..", "......", "...###"});
    int Beeps = 0;
    TScopedReportHandler Scope(
        [&](TReportKind Kind, const std::string&) { Beeps += Kind == TReportKind::Beep; });
    auto Custom = TPxBrush::Create(3, shCustom, InkColor, *Palette);
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(Shape(*Custom), Picture(3, "..."));
}
