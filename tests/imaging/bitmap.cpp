#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/PixelStore.h"
#include "imaging/Report.h"
#include "imaging/brush.h"
#include "support/PictureAssert.h"

namespace {
// Colours that only one entry of the cube palette holds.
constexpr int Paper = CubeIndex(204, 204, 153), Ink = CubeIndex(51, 102, 153);
constexpr int Red = CubeIndex(255, 0, 0), White = CubeIndex(255, 255, 255);
constexpr COLORREF PaperColor = PALETTERGB(204, 204, 153), InkColor = PALETTERGB(51, 102, 153);
constexpr COLORREF RedColor = PALETTERGB(255, 0, 0);
const PictureLegend Legend{{Paper, '.'}, {Ink, '#'}, {Red, 'r'}, {10, 'k'}, {White, 'w'}};

std::unique_ptr<TPxBitmap> Sheet(const TPxPalette& Palette, const Picture& Rows) {
    auto Bitmap = std::make_unique<TPxBitmap>(8, int(Rows[0].size()), int(Rows.size()), Palette);
    PaintPicture(*Bitmap, Legend, Rows);
    return Bitmap;
}

// The canvas of B with an ink pen Width wide and a red brush of Style.
TPxCanvas& Pens(TPxBitmap& B, int Width = 1, TBrushStyle Style = bsSolid) {
    B.Canvas().Pen = {InkColor, Width};
    B.Canvas().Brush = {RedColor, Style};
    return B.Canvas();
}

bool AllEqual(const TPixelBlock& Block, std::uint8_t Value) {
    return std::all_of(Block.Data(), Block.Data() + Block.Size(),
                       [Value](std::uint8_t Byte) { return Byte == Value; });
}

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

} // namespace

TEST(Bitmap, LayoutSnapshotsAndColourMatching) {
    auto Palette = MakeCubePalette();
    TPxBitmap Five(8, 5, 3, *Palette);
    EXPECT_EQ(std::make_pair(Five.Stride(), Five.ImageSize()), std::make_pair(8, 24));
    EXPECT_EQ(Five.CopyBits(), Bytes(24, 0)) << "new pixels are zero";
    // The canvas writes the first entry of the nearest colour.
    Palette->SetColor(30, RGB(1, 2, 3));
    Palette->SetColor(40, RGB(1, 2, 3));
    TPxBitmap Bitmap(8, 4, 1, *Palette);
    Bitmap.Canvas().SetPixel(0, 0, PALETTEINDEX(40));
    Bitmap.Canvas().SetPixel(1, 0, PALETTERGB(2, 2, 2));
    Bitmap.Canvas().SetPixel(2, 0, RGB(0, 0, 0));       // system black comes first
    Bitmap.Canvas().SetPixel(3, 0, RGB(255, 255, 255)); // user white before system white
    Bitmap.Canvas().SetPixel(-1, 0, InkColor);          // dropped
    EXPECT_EQ(Bitmap.CopyBits(), Bytes({30, 30, 0, CubeIndex(255, 255, 255)}));
    EXPECT_EQ(Bitmap.Canvas().Pixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(Bitmap.Canvas().Pixel(4, 0), CLR_INVALID);
    EXPECT_EQ(Bitmap.ToBitmap().At(3, 0), (TRgbColor{255, 255, 255}));
    // The transparent colour is matched among all 256 entries.
    Palette->SetColor(CubeIndex(255, 255, 255), RGB(254, 254, 254));
    TPxBitmap White(8, 1, 1, *Palette), Black(8, 1, 1, *Palette);
    White.SetTransparentColor(RGB(255, 255, 255));
    Black.SetTransparentColor(PALETTERGB(0, 0, 0));
    EXPECT_EQ(White.TransparentIndex(), 255u);
    EXPECT_EQ(Black.TransparentIndex(), 0u) << "system and user black tie; the lower wins";
    // A flood fill's surface is every entry that shows the seed's colour.
    Palette->SetColor(100, RGB(204, 204, 153));
    auto Surface = Sheet(*Palette, {"....", "####", "...."});
    Surface->ScanLine(0)[2] = Surface->ScanLine(1)[3] = 100;
    Surface->Canvas().Brush = {RedColor, bsSolid};
    Surface->Canvas().FloodFill(0, 0, PaperColor);
    EXPECT_PICTURE(*Surface, Legend, {"rrrr", "###r", "rrrr"});
}

TEST(Bitmap, BlockOperationsClipAndGoByIndexOrColour) {
    auto Palette = MakeCubePalette();
    const Picture Paper3x6(3, "......");
    auto B = Sheet(*Palette, Paper3x6);
    auto Source = Sheet(*Palette, {"#r#r", "r#r#"});
    for (auto [X, Y] : {std::pair{-2, 2}, {4, -1}, {6, 0}, {0, -2}})
        Source->DrawTo(*B, X, Y);
    EXPECT_PICTURE(*B, Legend, {"....r#", "......", "#r...."});
    Sheet(*Palette, Picture(5, "r######r"))->DrawTo(*B, -1, -1);
    EXPECT_PICTURE(*B, Legend, {"######", "######", "######"});
    // Rows with few transparent pixels and with many.
    const std::string Few = std::string(30, '#') + "r" + std::string(30, '#') + "r##";
    std::string Many, ManyShown;
    for (int i = 0; i < 32; ++i)
        Many += "#r", ManyShown += "#.";
    B = Sheet(*Palette, {std::string(64, '.'), std::string(64, '.')});
    Source = Sheet(*Palette, {Few, Many});
    Source->SetTransparentColor(RedColor);
    Source->DrawTo(*B, 0, 0);
    EXPECT_PICTURE(*B, Legend,
                   {std::string(30, '#') + "." + std::string(30, '#') + ".##", ManyShown});
    // By colour from a palette that holds ink at entry 100.
    auto Other = TPxPalette::CreateCopy(*Palette);
    Other->SwapColors(Ink, 100);
    TPxBitmap Swapped(8, 2, 2, *Other);
    PaintPicture(Swapped, {{100, '#'}, {Red, 'r'}}, {"#r", "r#"});
    B = Sheet(*Palette, {"...", "..."});
    Swapped.Draw(B->Canvas(), 0, 0);
    Swapped.SetTransparentColor(RedColor);
    Swapped.Draw(B->Canvas(), 1, 0);
    EXPECT_PICTURE(*B, Legend, {"##.", "r##"});
    B = Sheet(*Palette, Picture(4, "......"));
    Sheet(*Palette, {"#.", "r#"})->StretchDraw(B->Canvas(), 1, 0, 4, 4);
    EXPECT_PICTURE(*B, Legend, {".##...", ".##...", ".rr##.", ".rr##."});
    B = Sheet(*Palette, Paper3x6);
    Source = Sheet(*Palette, Picture(3, "####"));
    Source->CopyRect(B->Canvas(), {2, 1, 2, 1});
    Source->CopyRect(B->Canvas(), {0, 0, 1, 2});
    EXPECT_PICTURE(*B, Legend, {"##....", "###...", "##...."});
    // Decoded GIF indices; 9 lies beyond the colour map and stands for black.
    const std::uint8_t Indices[] = {0, 1, 2, 9, 0, 0};
    const std::vector<TRgbColor> Map{{51, 102, 153}, {255, 0, 0}, {250, 5, 5}};
    B->PasteIndexed(4, 1, 2, 1, Indices, Map, true, RedColor);
    B->PasteIndexed(-1, 0, 2, 1, Indices, Map, false, 0);
    EXPECT_PICTURE(*B, Legend, {"rr....", "###.#.", "##..k#"});
}

TEST(Canvas, LinesRectanglesEllipsesAndFills) {
    auto Palette = MakeCubePalette();
    const Picture Paper5(5, "....."), Paper7(5, ".......");
    auto B = Sheet(*Palette, Paper7);
    Pens(*B).LineTo(6, 3);
    EXPECT_PICTURE(*B, Legend, {"#......", ".##....", "...##..", ".....#.", "......."});
    B = Sheet(*Palette, Paper7);
    Pens(*B, 3).MoveTo(1, 2);
    B->Canvas().LineTo(5, 2);
    EXPECT_PICTURE(*B, Legend, {".......", "######.", "######.", "######.", "......."});
    B = Sheet(*Palette, Paper7);
    Pens(*B).Rectangle(1, 0, 6, 5);
    EXPECT_PICTURE(*B, Legend, {".#####.", ".#rrr#.", ".#rrr#.", ".#rrr#.", ".#####."});
    B = Sheet(*Palette, Paper7);
    Pens(*B, 2, bsClear).Rectangle(0, 0, 7, 5);
    EXPECT_PICTURE(*B, Legend, {"#######", "#######", "##...##", "#######", "#######"});
    B = Sheet(*Palette, Paper7);
    Pens(*B).Rectangle(-1000000000, 1, 1000000000, 1000000000);
    EXPECT_PICTURE(*B, Legend, {".......", "#######", "rrrrrrr", "rrrrrrr", "rrrrrrr"});
    B = Sheet(*Palette, Paper5);
    Pens(*B).Ellipse(0, 0, 3, 3);
    EXPECT_PICTURE(*B, Legend, {".#...", "#r#..", ".#...", ".....", "....."});
    Pens(*B).Ellipse(5, 5, 0, 0); // corners in any order
    EXPECT_PICTURE(*B, Legend, {".###.", "#rrr#", "#rrr#", "#rrr#", ".###."});
    B = Sheet(*Palette, Picture(4, "........"));
    Pens(*B).Ellipse(0, 0, 8, 4);
    EXPECT_PICTURE(*B, Legend, {"..####..", "##rrrr##", "##rrrr##", "..####.."});
    B = Sheet(*Palette, {"..#...", ".#.#..", "#...#.", ".#.#..", "..#..."});
    Pens(*B).FloodFill(2, 2, PaperColor);
    B->Canvas().FloodFill(0, 0, PaperColor);
    B->Canvas().FloodFill(5, 0, InkColor); // the seed does not show ink
    Pens(*B).Brush.Color = InkColor;
    B->Canvas().FloodFill(2, 0, InkColor); // ink over ink
    EXPECT_PICTURE(*B, Legend, {"rr#...", "r#r#..", "#rrr#.", ".#r#..", "..#..."});
}

TEST(PixelStore, BlocksNeverOverlapComeZeroedWhenAskedToAndKeepTheirStoreAlive) {
    EXPECT_TRUE(AllEqual(TPixelBlock::Zeroed(5000), 0));
    // Blocks of an odd size, enough of them to need several mappings: each keeps what was
    // written into it. Fresh blocks hold zeros either way.
    constexpr std::size_t Size = 300001;
    auto Store = TPixelStore::Create(Size);
    std::vector<TPixelBlock> Blocks;
    for (int i = 0; i < 40; ++i) {
        Blocks.push_back(i % 2 ? Store->TakeZeroed() : Store->TakeUnwritten());
        ASSERT_EQ(Blocks.back().Size(), Size);
        ASSERT_TRUE(AllEqual(Blocks.back(), 0)) << "block " << i;
        std::memset(Blocks.back().Data(), i + 1, Size);
    }
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(AllEqual(Blocks[std::size_t(i)], std::uint8_t(i + 1))) << "block " << i;
    // The last block of a store is written to and given back after the store was let go.
    TPixelBlock Kept = Store->TakeZeroed();
    Blocks.clear();
    Store.reset();
    std::memset(Kept.Data(), 0x5A, Kept.Size());
    EXPECT_TRUE(AllEqual(Kept, 0x5A));
}

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
    auto Page = Sheet(*Palette, Picture(5, "......"));
    TPxBrush::Create(1, shSquare, InkColor, *Palette)->Stamp(Page->Canvas(), 0, 0);
    TPxBrush::Create(1, shHorzLine, InkColor, *Palette)->Stamp(Page->Canvas(), 4, 4);
    TPxBrush::Create(2, shSquare, InkColor, *Palette)->Stamp(Page->Canvas(), 3, 2);
    TPxBrush::Create(3, shCircle, InkColor, *Palette)->Stamp(Page->Canvas(), 5, 0);
    EXPECT_PICTURE(*Page, Legend, {"#...##", "..##.#", "..##..", "......", "...###"});
    // A white brush leaves red transparent; a colour landing on white paints nothing.
    auto WhiteBrush = TPxBrush::Create(2, shSquare, PALETTERGB(255, 255, 255), *Palette);
    EXPECT_EQ(WhiteBrush->Bitmap().TransparentIndex(), std::uint32_t(CubeIndex(255, 0, 0)));
    WhiteBrush->Stamp(Page->Canvas(), 1, 1);
    TPxBrush::Create(4, shSquare, PALETTERGB(254, 254, 254), *Palette)->Stamp(Page->Canvas(), 4, 3);
    EXPECT_PICTURE(*Page, Legend, {"ww..##", "ww##.#", "..##..", "......", "...###"});
    int Beeps = 0;
    TScopedReportHandler Scope(
        [&](TReportKind Kind, const std::string&) { Beeps += Kind == TReportKind::Beep; });
    auto Custom = TPxBrush::Create(3, shCustom, InkColor, *Palette);
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(Shape(*Custom), Picture(3, "..."));
}
