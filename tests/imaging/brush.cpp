#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/Report.h"
#include "imaging/brush.h"
#include "support/PictureAssert.h"

// Counts every allocation of this test program, so a test can prove that a piece of code
// allocates nothing.
static std::atomic<long> Allocations{0};
void* operator new(std::size_t Size) {
    ++Allocations;
    if (void* Block = std::malloc(Size ? Size : 1)) return Block;
    throw std::bad_alloc();
}
void operator delete(void* Block) noexcept {
    std::free(Block);
}
void operator delete(void* Block, std::size_t) noexcept {
    std::free(Block);
}

namespace {
constexpr int Ink = CubeIndex(51, 102, 153);
constexpr int Paper = CubeIndex(204, 204, 153);
constexpr COLORREF InkColor = PALETTERGB(51, 102, 153);
constexpr int White = CubeIndex(255, 255, 255);
constexpr int Red = CubeIndex(255, 0, 0);

// The brush bitmap with shape pixels as '#' and transparent ones as '.'.
Picture Shape(const TPxBrush& Brush) {
    const TPxBitmap& B = Brush.Bitmap();
    Picture Rows;
    for (int y = 0; y < B.Height(); ++y) {
        std::string Row;
        for (int x = 0; x < B.Width(); ++x)
            Row += B.IndexAt(x, y) == B.TransparentIndex() ? '.' : '#';
        Rows.push_back(Row);
    }
    return Rows;
}

int Count(const Picture& Rows) {
    int N = 0;
    for (const auto& Row : Rows)
        N += int(std::count(Row.begin(), Row.end(), '#'));
    return N;
}

std::unique_ptr<TPxBitmap> PaperSheet(const TPxPalette& Palette, int W, int H) {
    auto Sheet = std::make_unique<TPxBitmap>(8, W, H, Palette);
    std::fill(Sheet->Bits(), Sheet->Bits() + Sheet->ImageSize(), std::uint8_t(Paper));
    return Sheet;
}
const PictureLegend Legend{{Paper, '.'}, {Ink, '#'}, {White, 'w'}};
} // namespace

TEST(Brush, ShapesHaveTheirPixelSetsAtEverySize) {
    auto Palette = MakeCubePalette();
    for (int Size = 1; Size <= 30; ++Size) {
        SCOPED_TRACE(Size);
        const int n = Size + 2;
        auto Square = TPxBrush::Create(Size, shSquare, InkColor, *Palette);
        EXPECT_EQ(Square->Size(), Size);
        EXPECT_EQ(Count(Shape(*Square)), Size * Size);
        EXPECT_EQ(Square->Bitmap().IndexAt(0, 0), Ink) << "shape pixels hold the drawing colour";

        auto Horz = TPxBrush::Create(Size, shHorzLine, InkColor, *Palette);
        ASSERT_EQ(Horz->Size(), n);
        EXPECT_EQ(Shape(*Horz)[n / 2], std::string(n, '#'));
        EXPECT_EQ(Count(Shape(*Horz)), n);

        auto Vert = TPxBrush::Create(Size, shVertLine, InkColor, *Palette);
        const Picture V = Shape(*Vert);
        for (int y = 0; y < n; ++y)
            EXPECT_EQ(V[y][n / 2], '#');
        EXPECT_EQ(Count(V), n);

        const Picture Back = Shape(*TPxBrush::Create(Size, shBkSlash, InkColor, *Palette));
        const Picture Fore = Shape(*TPxBrush::Create(Size, shForeSlash, InkColor, *Palette));
        EXPECT_EQ(Count(Back), 2 * n - 1);
        EXPECT_EQ(Count(Fore), 2 * n - 2);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(Back[i][i], '#');
            if (i + 1 < n) {
                EXPECT_EQ(Back[i][i + 1], '#');
                EXPECT_EQ(Fore[i][n - 1 - i], '#');
            }
            if (i >= 1) {
                EXPECT_EQ(Fore[i][n - i], '#');
            }
        }
        EXPECT_EQ(Fore[n - 1][0], '.') << "the forward slash's bottom-left corner stays empty";

        const Picture Circle = Shape(*TPxBrush::Create(Size, shCircle, InkColor, *Palette));
        ASSERT_EQ(int(Circle.size()), Size);
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x) {
                EXPECT_EQ(Circle[y][x], Circle[x][y]);
                EXPECT_EQ(Circle[y][x], Circle[Size - 1 - y][x]);
                EXPECT_EQ(Circle[y][x], Circle[y][Size - 1 - x]);
            }
        EXPECT_EQ(Circle[Size / 2][0], '#');
        EXPECT_EQ(Circle[Size / 2][Size / 2], '#');
    }
}

TEST(Brush, SmallBrushesInPictures) {
    auto Palette = MakeCubePalette();
    EXPECT_EQ(Shape(*TPxBrush::Create(1, shCircle, InkColor, *Palette)), Picture{"#"});
    EXPECT_EQ(Shape(*TPxBrush::Create(3, shCircle, InkColor, *Palette)),
              (Picture{".#.", "###", ".#."}));
    EXPECT_EQ(Shape(*TPxBrush::Create(2, shBkSlash, InkColor, *Palette)),
              (Picture{"##..", ".##.", "..##", "...#"}));
    EXPECT_EQ(Shape(*TPxBrush::Create(2, shForeSlash, InkColor, *Palette)),
              (Picture{"...#", "..##", ".##.", ".#.."}));
    EXPECT_EQ(Shape(*TPxBrush::Create(1, shHorzLine, InkColor, *Palette)),
              (Picture{"...", "###", "..."}));
}

TEST(Brush, StampsLandAroundTheCursor) {
    auto Palette = MakeCubePalette();
    auto Sheet = PaperSheet(*Palette, 6, 5);
    TPxBrush::Create(1, shSquare, InkColor, *Palette)->Stamp(Sheet->Canvas(), 0, 0);
    TPxBrush::Create(1, shHorzLine, InkColor, *Palette)->Stamp(Sheet->Canvas(), 4, 4);
    TPxBrush::Create(2, shSquare, InkColor, *Palette)->Stamp(Sheet->Canvas(), 3, 2);
    EXPECT_PICTURE(*Sheet, Legend, {"#.....", "..##..", "..##..", "......", "...###"});

    // A brush reaching over the edge keeps the part inside.
    auto Edge = PaperSheet(*Palette, 3, 3);
    TPxBrush::Create(3, shCircle, InkColor, *Palette)->Stamp(Edge->Canvas(), 0, 0);
    EXPECT_PICTURE(*Edge, Legend, {"##.", "#..", "..."});
}

TEST(Brush, WhiteBrushesStillPaint) {
    auto Palette = MakeCubePalette();
    auto Brush = TPxBrush::Create(2, shSquare, PALETTERGB(255, 255, 255), *Palette);
    EXPECT_EQ(Brush->Bitmap().TransparentIndex(), std::uint32_t(Red));
    auto Sheet = PaperSheet(*Palette, 3, 2);
    Brush->Stamp(Sheet->Canvas(), 1, 1);
    EXPECT_PICTURE(*Sheet, Legend, {"ww.", "ww."});

    // A colour that lands on the background entry gives a brush that paints nothing.
    auto Ghost = TPxBrush::Create(4, shSquare, PALETTERGB(254, 254, 254), *Palette);
    auto Untouched = PaperSheet(*Palette, 3, 2);
    Ghost->Stamp(Untouched->Canvas(), 1, 1);
    EXPECT_PICTURE(*Untouched, Legend, {"...", "..."});
}

TEST(Brush, UnknownShapesBeepAndPaintNothing) {
    auto Palette = MakeCubePalette();
    int Beeps = 0;
    ScopedReportHandler Scope(
        [&](ReportKind Kind, const std::string&) { Beeps += Kind == ReportKind::Beep; });
    auto Custom = TPxBrush::Create(3, shCustom, InkColor, *Palette);
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(Count(Shape(*Custom)), 0);
    EXPECT_EQ(Custom->Size(), 3);
}

TEST(Brush, ZoomedAndAreaBrushesReplicatePixels) {
    auto Palette = MakeCubePalette();
    auto Source = TPxBrush::Create(3, shCircle, InkColor, *Palette);
    auto Same = TPxBrush::CreateZoomed(*Source, 1, *Palette, InkColor);
    EXPECT_EQ(Same->Size(), 3);
    EXPECT_EQ(Same->Bitmap().CopyBits(), Source->Bitmap().CopyBits());
    EXPECT_EQ(Same->Bitmap().TransparentIndex(), Source->Bitmap().TransparentIndex());
    auto Zoomed = TPxBrush::CreateZoomed(*Source, 2, *Palette, InkColor);
    EXPECT_EQ(Shape(*Zoomed),
              (Picture{"..##..", "..##..", "######", "######", "..##..", "..##.."}));

    auto Sheet = PaperSheet(*Palette, 5, 4);
    PaintPicture(*Sheet, Legend, {".....", ".#w#.", ".w#..", "....."});
    auto Area = TPxBrush::CreateFromArea(*Sheet, {1, 1, 4, 3}, PALETTERGB(255, 255, 255), 4);
    EXPECT_EQ(Area->Size(), 0);
    EXPECT_EQ(Area->Shape(), 0);
    ASSERT_EQ(Area->Bitmap().Width(), 12);
    ASSERT_EQ(Area->Bitmap().Height(), 8);
    EXPECT_EQ(Shape(*Area)[0], "####....####");
    EXPECT_EQ(Shape(*Area)[7], "....########");
    // An area brush is stamped with its top-left corner at the cursor.
    auto Target = PaperSheet(*Palette, 5, 3);
    TPxBrush::CreateFromArea(*Sheet, {1, 1, 4, 3}, PALETTERGB(255, 255, 255), 1)
        ->Stamp(Target->Canvas(), 2, 1);
    EXPECT_PICTURE(*Target, Legend, {".....", "..#.#", "...#."});
}

TEST(Brush, StampingNeverAllocates) {
    auto Palette = MakeCubePalette();
    auto Brush = TPxBrush::Create(30, shCircle, InkColor, *Palette);
    TPxBitmap Cel(8, 640, 480, *Palette);
    Brush->Stamp(Cel.Canvas(), 0, 0); // first use may fill the colour caches
    const long Before = Allocations;
    for (int x = 0; x < 640; ++x)
        Brush->Stamp(Cel.Canvas(), x, 240);
    EXPECT_EQ(Allocations - Before, 0);
    EXPECT_EQ(Cel.IndexAt(320, 240), Ink);
}
