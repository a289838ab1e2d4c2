#include "support/PictureAssert.h"

namespace {
// Colours that only one entry of the cube palette holds.
constexpr int Paper = CubeIndex(204, 204, 153), Ink = CubeIndex(51, 102, 153);
constexpr int Red = CubeIndex(255, 0, 0);
constexpr COLORREF PaperColor = PALETTERGB(204, 204, 153), InkColor = PALETTERGB(51, 102, 153);
constexpr COLORREF RedColor = PALETTERGB(255, 0, 0);
const PictureLegend Legend{{Paper, '.'}, {Ink, '#'}, {Red, 'r'}, {10, 'k'}};

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
} // namespace

TEST(Bitmap, LayoutSnapshotsAndColourMatching) {
    auto Palette = MakeCubePalette();
    TPxBitmap Five(8, 5, 3, *Palette), Eight(8, 8, 2, *Palette);
    EXPECT_EQ(std::make_pair(Five.Stride(), Five.ImageSize()), std::make_pair(8, 24));
    EXPECT_EQ(std::make_pair(Eight.Stride(), Eight.ImageSize()), std::make_pair(8, 16));
    EXPECT_EQ(Five.CopyBits(), Bytes(24, 0)) << "new pixels are zero";
    // Every byte, padding included, comes back from a snapshot; one of another size is refused.
    for (int i = 0; i < Five.ImageSize(); ++i)
        Five.Bits()[i] = std::uint8_t(i * 37 + 11);
    const Bytes Snapshot = Five.CopyBits();
    std::fill_n(Five.Bits(), Five.ImageSize(), 0);
    Five.SetBits(Snapshot);
    EXPECT_EQ(Five.CopyBits(), Snapshot);
    EXPECT_THROW(Five.SetBits(Bytes(5)), std::length_error);
    // A block of pixels is taken, not copied, and only when it has the bitmap's size.
    EXPECT_EQ(std::make_pair(TPxBitmap::ImageBytes(5, 3), TPxBitmap::ImageBytes(-2, 3)),
              std::make_pair(std::size_t(24), std::size_t(0)));
    TPixelBlock Block = TPixelBlock::Zeroed(24);
    std::uint8_t* const Taken = Block.Data();
    EXPECT_EQ(TPxBitmap(8, 5, 3, *Palette, std::move(Block)).Bits(), Taken);
    EXPECT_THROW(TPxBitmap(8, 5, 3, *Palette, TPixelBlock::Zeroed(20)), std::length_error);
    EXPECT_THROW(TPxBitmap(8, 4, 3, *Palette, TPixelBlock::Zeroed(24)), std::length_error);
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
    // A bitmap keeps the colours it was made with.
    Palette->SetColor(30, RGB(200, 0, 0));
    EXPECT_EQ(Bitmap.Canvas().Pixel(0, 0), RGB(1, 2, 3));
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
    Sheet(*Palette, {"#.r.#.", "......"})->StretchDraw(B->Canvas(), 0, 3, 3, 1);
    EXPECT_PICTURE(*B, Legend, {".##...", ".##...", ".rr##.", "#r###."});
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
    // Each image's colour map is matched anew: one colour changed, then a shorter map.
    const std::vector<TRgbColor> First{{51, 102, 153}, {255, 0, 0}, {51, 102, 153}, {255, 0, 0}};
    std::vector<TRgbColor> Second = First;
    Second[1] = First[0];
    const std::uint8_t Four[] = {0, 1, 2, 3};
    for (const auto& [Colors, Row] : std::vector<std::pair<std::vector<TRgbColor>, std::string>>{
             {First, "#r#r"},
             {Second, "###r"},
             {{{255, 0, 0}, {255, 0, 0}}, "rrkk"},
             {First, "#r#r"}}) {
        B->PasteIndexed(0, 0, 3, 0, Four, Colors, false, 0);
        EXPECT_EQ(PictureOf(*B, Legend)[0].substr(0, 4), Row);
    }
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
    B = Sheet(*Palette, Picture(12, std::string(12, '.')));
    Pens(*B, 2, bsClear).Ellipse(0, 0, 12, 12);
    EXPECT_PICTURE(*B, Legend,
                   {"....####....", "..########..", ".####..####.", ".##......##.", "###......###",
                    "##........##", "##........##", "###......###", ".##......##.", ".####..####.",
                    "..########..", "....####...."});
    B = Sheet(*Palette, {"..#...", ".#.#..", "#...#.", ".#.#..", "..#..."});
    Pens(*B).FloodFill(2, 2, PaperColor);
    B->Canvas().FloodFill(0, 0, PaperColor);
    B->Canvas().FloodFill(5, 0, InkColor); // the seed does not show ink
    Pens(*B).Brush.Color = InkColor;
    B->Canvas().FloodFill(2, 0, InkColor); // ink over ink
    EXPECT_PICTURE(*B, Legend, {"rr#...", "r#r#..", "#rrr#.", ".#r#..", "..#..."});
}
