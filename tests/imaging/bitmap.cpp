#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "support/PictureAssert.h"

namespace {
// Colours that only one entry of the cube palette holds.
constexpr int Paper = CubeIndex(204, 204, 153);
constexpr int Ink = CubeIndex(51, 102, 153);
constexpr int Red = CubeIndex(255, 0, 0);
constexpr COLORREF PaperColor = PALETTERGB(204, 204, 153);
constexpr COLORREF InkColor = PALETTERGB(51, 102, 153);
const PictureLegend Legend{{Paper, '.'}, {Ink, '#'}, {Red, 'r'}};

std::unique_ptr<TPxBitmap> Sheet(const TPxPalette& Palette, const Picture& Rows) {
    auto Bitmap = std::make_unique<TPxBitmap>(8, int(Rows[0].size()), int(Rows.size()), Palette);
    PaintPicture(*Bitmap, Legend, Rows);
    return Bitmap;
}

std::string Repeat(const std::string& Piece, int Times) {
    std::string Row;
    for (int i = 0; i < Times; ++i)
        Row += Piece;
    return Row;
}

// Paints the whole bitmap, leaving the canvas's brush as it was.
void Clear(TPxBitmap& Bitmap, COLORREF Color) {
    const TBrush Saved = Bitmap.Canvas().Brush;
    Bitmap.Canvas().Brush = {Color, bsSolid};
    Bitmap.Canvas().FillRect({0, 0, Bitmap.Width(), Bitmap.Height()});
    Bitmap.Canvas().Brush = Saved;
}
} // namespace

TEST(Bitmap, RowsArePaddedToFourBytes) {
    auto Palette = MakeCubePalette();
    TPxBitmap Five(8, 5, 3, *Palette), Eight(8, 8, 2, *Palette);
    EXPECT_EQ(Five.Stride(), 8);
    EXPECT_EQ(Five.ImageSize(), 24);
    EXPECT_EQ(Eight.Stride(), 8);
    EXPECT_EQ(Eight.ImageSize(), 16);
    EXPECT_EQ(std::count(Five.Bits(), Five.Bits() + Five.ImageSize(), 0), 24)
        << "new pixels are zero";
}

TEST(Bitmap, CanvasWritesTheFirstEntryOfTheNearestColour) {
    auto Palette = MakeCubePalette();
    Palette->SetColor(30, RGB(1, 2, 3));
    Palette->SetColor(40, RGB(1, 2, 3));
    TPxBitmap Bitmap(8, 4, 1, *Palette);
    Bitmap.Canvas().SetPixel(0, 0, PALETTEINDEX(40));
    Bitmap.Canvas().SetPixel(1, 0, PALETTERGB(2, 2, 2));
    Bitmap.Canvas().SetPixel(2, 0, RGB(0, 0, 0)); // system black comes first
    Bitmap.Canvas().SetPixel(3, 0,
                             PALETTERGB(255, 255, 255)); // user white comes before system white
    EXPECT_EQ(Bitmap.IndexAt(0, 0), 30);
    EXPECT_EQ(Bitmap.IndexAt(1, 0), 30);
    EXPECT_EQ(Bitmap.IndexAt(2, 0), 0);
    EXPECT_EQ(Bitmap.IndexAt(3, 0), CubeIndex(255, 255, 255));
    EXPECT_EQ(Bitmap.Canvas().Pixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(Bitmap.Canvas().Pixel(4, 0), CLR_INVALID);
    Bitmap.Canvas().SetPixel(-1, 0, InkColor); // dropped, not a crash

    // A bitmap keeps the colours it was made with when the palette changes later.
    Palette->SetColor(30, RGB(200, 0, 0));
    EXPECT_EQ(Bitmap.Canvas().Pixel(0, 0), RGB(1, 2, 3));
}

TEST(Bitmap, DrawToClipsAndSkipsTheTransparentIndex) {
    auto Palette = MakeCubePalette();
    auto Source = Sheet(*Palette, {"#r#r", "r#r#"});
    auto Target = Sheet(*Palette, {"......", "......", "......"});
    Source->DrawTo(*Target, -2, 2);
    Source->DrawTo(*Target, 4, -1);
    Source->DrawTo(*Target, 6, 0);  // entirely to the right
    Source->DrawTo(*Target, 0, -2); // entirely above
    EXPECT_PICTURE(*Target, Legend, {"....r#", "......", "#r...."});

    auto Big = Sheet(*Palette, {"rrrrrrrr", "r######r", "r######r", "r######r", "rrrrrrrr"});
    Big->DrawTo(*Target, -1, -1);
    EXPECT_PICTURE(*Target, Legend, {"######", "######", "######"});

    // A wide row with a few transparent pixels, and one with many.
    auto Wide = Sheet(
        *Palette, {std::string(30, '#') + "r" + std::string(30, '#') + "r##", Repeat("#r", 32)});
    Wide->SetTransparentColor(PALETTERGB(255, 0, 0));
    auto Under = Sheet(*Palette, {std::string(64, '.'), std::string(64, '.')});
    Wide->DrawTo(*Under, 0, 0);
    EXPECT_PICTURE(*Under, Legend,
                   {std::string(30, '#') + "." + std::string(30, '#') + ".##", Repeat("#.", 32)});

    auto Brush = Sheet(*Palette, {"r#r", "#r#"});
    Brush->SetTransparentColor(PALETTERGB(255, 0, 0));
    EXPECT_EQ(Brush->TransparentIndex(), std::uint32_t(Red));
    auto Paper6 = Sheet(*Palette, {"....", "...."});
    Brush->DrawTo(*Paper6, 1, 0);
    EXPECT_PICTURE(*Paper6, Legend, {"..#.", ".#.#"});
}

TEST(Bitmap, TransparentColourMatchesAllEntries) {
    auto Palette = MakeCubePalette();
    Palette->SetColor(CubeIndex(255, 255, 255), RGB(254, 254, 254));
    TPxBitmap Bitmap(8, 1, 1, *Palette);
    Bitmap.SetTransparentColor(RGB(255, 255, 255));
    EXPECT_EQ(Bitmap.TransparentIndex(), 255u) << "only the system entry holds pure white";
    TPxBitmap Other(8, 1, 1, *Palette);
    Other.SetTransparentColor(PALETTERGB(0, 0, 0));
    EXPECT_EQ(Other.TransparentIndex(), 0u) << "system black and user black tie; the lower wins";
}

TEST(Bitmap, DrawGoesByColourOntoAnotherPalette) {
    auto Palette = MakeCubePalette();
    auto Other = TPxPalette::CreateCopy(*Palette);
    Other->SwapColors(Ink, 100);
    auto Source = Sheet(*Palette, {"#.", "r#"});
    TPxBitmap Target(8, 3, 2, *Other);
    Source->Draw(Target.Canvas(), 1, 0);
    EXPECT_EQ(Target.IndexAt(1, 0), 100) << "ink lives at entry 100 of the other palette";
    EXPECT_EQ(Target.IndexAt(2, 0), Paper);
    EXPECT_EQ(Target.IndexAt(1, 1), Red);
    EXPECT_EQ(Target.IndexAt(0, 0), 0) << "outside the drawn area nothing changes";

    Source->SetTransparentColor(PALETTERGB(255, 0, 0));
    TPxBitmap Second(8, 2, 2, *Palette);
    Source->Draw(Second.Canvas(), 0, 0);
    EXPECT_EQ(Second.IndexAt(0, 1), 0) << "transparent pixels are skipped";
    EXPECT_EQ(Second.IndexAt(1, 1), Ink);
}

TEST(Bitmap, StretchReplicatesAndDropsPixels) {
    auto Palette = MakeCubePalette();
    auto Source = Sheet(*Palette, {"#.", "r#"});
    auto Target = Sheet(*Palette, {"......", "......", "......", "......"});
    Source->StretchDraw(Target->Canvas(), 1, 0, 4, 4);
    EXPECT_PICTURE(*Target, Legend, {".##...", ".##...", ".rr##.", ".rr##."});
    auto Wide = Sheet(*Palette, {"#.r.#.", "......"});
    auto Small = Sheet(*Palette, {"rrr"});
    Wide->StretchDraw(Small->Canvas(), 0, 0, 3, 1);
    EXPECT_PICTURE(*Small, Legend, {"#r#"});
}

TEST(Bitmap, CopyRectCopiesAnInclusiveRectangle) {
    auto Palette = MakeCubePalette();
    auto Source = Sheet(*Palette, {"####", "####", "####"});
    auto Target = Sheet(*Palette, {"....", "....", "...."});
    Source->CopyRect(Target->Canvas(), {2, 1, 2, 1});
    EXPECT_PICTURE(*Target, Legend, {"....", "..#.", "...."});
    Source->CopyRect(Target->Canvas(), {0, 0, 1, 2});
    EXPECT_PICTURE(*Target, Legend, {"##..", "###.", "##.."});
}

TEST(Bitmap, SnapshotsAndRemapRestoreEveryByte) {
    auto Palette = MakeCubePalette();
    TPxBitmap Bitmap(8, 5, 3, *Palette);
    for (int i = 0; i < Bitmap.ImageSize(); ++i)
        Bitmap.Bits()[i] = std::uint8_t(i * 37 + 11);
    const auto Snapshot = Bitmap.CopyBits();
    Clear(Bitmap, InkColor);
    Bitmap.Bits()[7] = 99; // padding byte
    Bitmap.SetBits(Snapshot);
    EXPECT_EQ(Bitmap.CopyBits(), Snapshot);
    EXPECT_THROW(Bitmap.SetBits(std::vector<std::uint8_t>(5)), std::length_error);
    EXPECT_EQ(Bitmap.CopyBits(), Snapshot);

    std::array<std::uint8_t, 256> Map;
    for (int i = 0; i < 256; ++i)
        Map[i] = std::uint8_t(255 - i);
    TPxBitmap Remapped(8, 5, 3, *Palette);
    Remapped.Remap(Map, Bitmap);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Remapped.IndexAt(x, y), 255 - Bitmap.IndexAt(x, y));
    EXPECT_EQ(Remapped.Bits()[5], 0) << "padding is left alone";
}

TEST(Bitmap, PasteIndexedMatchesColoursAndSkipsTheTransparentOne) {
    auto Palette = MakeCubePalette();
    auto Target = Sheet(*Palette, {"....", "....", "...."});
    const std::vector<RgbColor> Map{{51, 102, 153}, {255, 0, 0}, {250, 5, 5}};
    const std::uint8_t Data[] = {0, 1, 2, 9, 0, 0}; // 3 x 2; index 9 lies beyond the map
    Target->PasteIndexed(2, 1, 2, 1, Data, Map, true, RGB(255, 0, 0));
    EXPECT_PICTURE(*Target, Legend, {"....", "..#.", "..?#"});
    EXPECT_EQ(Target->IndexAt(2, 2), 10) << "an index beyond the colour map stands for black";

    auto Opaque = Sheet(*Palette, {"..", ".."});
    Opaque->PasteIndexed(-1, 0, 2, 1, Data, Map, false, 0);
    EXPECT_PICTURE(*Opaque, Legend, {"rr", "##"});
}

TEST(Bitmap, PasteIndexedMatchesTheColourMapOfEachImage) {
    auto Palette = MakeCubePalette();
    auto Target = Sheet(*Palette, {"...."});
    const std::uint8_t Data[] = {0, 1, 2, 3};
    const std::vector<RgbColor> First{{51, 102, 153}, {255, 0, 0}, {51, 102, 153}, {255, 0, 0}};
    Target->PasteIndexed(0, 0, 3, 0, Data, First, false, 0);
    EXPECT_PICTURE(*Target, Legend, {"#r#r"});
    // A map of the same length with one colour changed, then a shorter one: the matching
    // must not be the one made for an earlier map.
    std::vector<RgbColor> Second = First;
    Second[1] = {51, 102, 153};
    Target->PasteIndexed(0, 0, 3, 0, Data, Second, false, 0);
    EXPECT_PICTURE(*Target, Legend, {"###r"});
    Target->PasteIndexed(0, 0, 3, 0, Data, {{255, 0, 0}, {255, 0, 0}}, false, 0);
    EXPECT_PICTURE(*Target, Legend, {"rr??"});
    EXPECT_EQ(Target->IndexAt(3, 0), 10) << "an index beyond the colour map stands for black";
    Target->PasteIndexed(0, 0, 3, 0, Data, First, false, 0);
    EXPECT_PICTURE(*Target, Legend, {"#r#r"});
}

TEST(Bitmap, TakesAPixelBlockOfItsOwnSizeOnly) {
    auto Palette = MakeCubePalette();
    EXPECT_EQ(TPxBitmap::ImageBytes(5, 3), 24u);
    EXPECT_EQ(TPxBitmap::ImageBytes(-2, 3), 0u);
    TPixelBlock Block = TPixelBlock::Zeroed(24);
    std::uint8_t* const Bytes = Block.Data();
    Bytes[23] = 7;
    TPxBitmap Bitmap(8, 5, 3, *Palette, std::move(Block));
    EXPECT_EQ(Bitmap.Bits(), Bytes) << "the block is taken, not copied";
    EXPECT_EQ(Bitmap.ScanLine(2)[7], 7);
    EXPECT_THROW(TPxBitmap(8, 5, 3, *Palette, TPixelBlock::Zeroed(20)), std::length_error);
    EXPECT_THROW(TPxBitmap(8, 4, 3, *Palette, TPixelBlock::Zeroed(24)), std::length_error);
}

TEST(Bitmap, ToBitmapShowsTheSameColours) {
    auto Palette = MakeCubePalette();
    auto Bitmap = Sheet(*Palette, {"#.", "r."});
    Bitmap->ScanLine(1)[1] = 0;
    const RgbPicture Picture = Bitmap->ToBitmap();
    ASSERT_EQ(Picture.Width, 2);
    ASSERT_EQ(Picture.Height, 2);
    EXPECT_EQ(Picture.At(0, 0), (RgbColor{51, 102, 153}));
    EXPECT_EQ(Picture.At(1, 0), (RgbColor{204, 204, 153}));
    EXPECT_EQ(Picture.At(0, 1), (RgbColor{255, 0, 0}));
    EXPECT_EQ(Picture.At(1, 1), (RgbColor{0, 0, 0}));
    EXPECT_EQ(Picture.Palette.size(), 256u);
}

TEST(Canvas, LinesRectanglesAndPenWidths) {
    auto Palette = MakeCubePalette();
    TPxBitmap Bitmap(8, 7, 5, *Palette);
    TPxCanvas& Canvas = Bitmap.Canvas();
    Clear(Bitmap, PaperColor);
    Canvas.Pen.Color = InkColor;
    Canvas.MoveTo(0, 0);
    Canvas.LineTo(6, 3);
    Canvas.LineTo(6, 0);
    EXPECT_PICTURE(Bitmap, Legend, {"#......", ".##...#", "...##.#", ".....##", "......."});

    Clear(Bitmap, PaperColor);
    Canvas.Brush = {PALETTERGB(255, 0, 0), bsSolid};
    Canvas.Rectangle(1, 0, 6, 5);
    EXPECT_PICTURE(Bitmap, Legend, {".#####.", ".#rrr#.", ".#rrr#.", ".#rrr#.", ".#####."});
    Canvas.Pen.Width = 2;
    Canvas.Brush.Style = bsClear;
    Canvas.Rectangle(0, 0, 7, 5);
    EXPECT_PICTURE(Bitmap, Legend, {"#######", "#######", "##rrr##", "#######", "#######"});
    // A box far larger than the bitmap shows only its inside.
    Canvas.Pen.Width = 1;
    Canvas.Brush.Style = bsSolid;
    Canvas.Rectangle(-1000000000, 1, 1000000000, 1000000000);
    EXPECT_PICTURE(Bitmap, Legend, {"#######", "#######", "rrrrrrr", "rrrrrrr", "rrrrrrr"});
    Canvas.Pen.Width = 3;
    Clear(Bitmap, PaperColor);
    Canvas.MoveTo(1, 2);
    Canvas.LineTo(5, 2);
    EXPECT_PICTURE(Bitmap, Legend, {".......", "######.", "######.", "######.", "......."});
}

TEST(Canvas, EllipsesAreSymmetricAndFillTheirBox) {
    auto Palette = MakeCubePalette();
    for (int W = 1; W <= 24; ++W)
        for (int H = 1; H <= 24; H += (W % 3) + 1)
            for (int Pen = 1; Pen <= 3; ++Pen) {
                TPxBitmap Bitmap(8, W + 2, H + 2, *Palette);
                Clear(Bitmap, PaperColor);
                TPxCanvas& Canvas = Bitmap.Canvas();
                Canvas.Pen = {InkColor, Pen};
                Canvas.Brush = {PALETTERGB(255, 0, 0), bsSolid};
                Canvas.Ellipse(1, 1, W + 1, H + 1);
                const Picture Rows = PictureOf(Bitmap, Legend);
                SCOPED_TRACE(::testing::Message() << W << " x " << H << " pen " << Pen);
                bool Top = false, Bottom = false, Left = false, Right = false;
                for (int y = 0; y < H + 2; ++y)
                    for (int x = 0; x < W + 2; ++x) {
                        const char C = Rows[y][x];
                        ASSERT_EQ(C, Rows[y][W + 1 - x]);
                        ASSERT_EQ(C, Rows[H + 1 - y][x]);
                        const bool Inside = x >= 1 && x <= W && y >= 1 && y <= H;
                        ASSERT_TRUE(Inside || C == '.');
                        Top |= y == 1 && C != '.';
                        Bottom |= y == H && C != '.';
                        Left |= x == 1 && C != '.';
                        Right |= x == W && C != '.';
                        // Every painted pixel that touches the outside is outline.
                        if (C == 'r') {
                            ASSERT_NE(Rows[y - 1][x], '.');
                            ASSERT_NE(Rows[y + 1][x], '.');
                            ASSERT_NE(Rows[y][x - 1], '.');
                            ASSERT_NE(Rows[y][x + 1], '.');
                        }
                    }
                EXPECT_TRUE(Top && Bottom && Left && Right);
            }
}

TEST(Canvas, SmallCirclesAndWidePens) {
    auto Palette = MakeCubePalette();
    TPxBitmap Bitmap(8, 5, 5, *Palette);
    TPxCanvas& Canvas = Bitmap.Canvas();
    Canvas.Pen = {InkColor, 1};
    Canvas.Brush = {InkColor, bsSolid};
    Clear(Bitmap, PaperColor);
    Canvas.Ellipse(0, 0, 3, 3);
    EXPECT_PICTURE(Bitmap, Legend, {".#...", "###..", ".#...", ".....", "....."});
    Clear(Bitmap, PaperColor);
    Canvas.Ellipse(0, 0, 5, 5);
    EXPECT_PICTURE(Bitmap, Legend, {".###.", "#####", "#####", "#####", ".###."});
    Clear(Bitmap, PaperColor);
    Canvas.Brush.Style = bsClear;
    Canvas.Ellipse(5, 5, 0, 0); // corners in any order
    EXPECT_PICTURE(Bitmap, Legend, {".###.", "#...#", "#...#", "#...#", ".###."});

    TPxBitmap Large(8, 12, 12, *Palette);
    Clear(Large, PaperColor);
    Large.Canvas().Pen = {InkColor, 2};
    Large.Canvas().Brush.Style = bsClear;
    Large.Canvas().Ellipse(0, 0, 12, 12);
    EXPECT_PICTURE(Large, Legend,
                   {"....####....", "..########..", ".####..####.", ".##......##.", "###......###",
                    "##........##", "##........##", "###......###", ".##......##.", ".####..####.",
                    "..########..", "....####...."});
}

TEST(Canvas, FloodFillStopsAtOtherColoursAndDiagonals) {
    auto Palette = MakeCubePalette();
    auto Bitmap = Sheet(*Palette, {"..#...", ".#.#..", "#...#.", ".#.#..", "..#..."});
    Bitmap->Canvas().Brush = {PALETTERGB(255, 0, 0), bsSolid};
    Bitmap->Canvas().FloodFill(2, 2, PALETTERGB(204, 204, 153));
    EXPECT_PICTURE(*Bitmap, Legend, {"..#...", ".#r#..", "#rrr#.", ".#r#..", "..#..."});
    Bitmap->Canvas().FloodFill(0, 0, PALETTERGB(204, 204, 153));
    EXPECT_PICTURE(*Bitmap, Legend, {"rr#...", "r#r#..", "#rrr#.", ".#r#..", "..#..."});
    // A seed that does not show the surface colour fills nothing.
    Bitmap->Canvas().FloodFill(5, 0, InkColor);
    EXPECT_PICTURE(*Bitmap, Legend, {"rr#...", "r#r#..", "#rrr#.", ".#r#..", "..#..."});
    // Filling ink with the same ink changes nothing (and terminates).
    Bitmap->Canvas().Brush.Color = InkColor;
    Bitmap->Canvas().FloodFill(2, 0, InkColor);
    EXPECT_PICTURE(*Bitmap, Legend, {"rr#...", "r#r#..", "#rrr#.", ".#r#..", "..#..."});
}

TEST(Canvas, FloodFillTreatsEntriesOfOneColourAsOneSurface) {
    auto Palette = MakeCubePalette();
    Palette->SetColor(100, RGB(204, 204, 153)); // a second entry showing paper
    auto Bitmap = Sheet(*Palette, {"....", "####", "...."});
    Bitmap->ScanLine(0)[2] = 100;
    Bitmap->ScanLine(1)[3] = 100;
    Bitmap->Canvas().Brush = {PALETTERGB(255, 0, 0), bsSolid};
    Bitmap->Canvas().FloodFill(0, 0, Bitmap->Canvas().Pixel(0, 0) | 0x02000000u);
    EXPECT_PICTURE(*Bitmap, Legend, {"rrrr", "###r", "rrrr"});
}
