#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/brush.h"
#include "model/Spritez.h"
#include "support/PictureAssert.h"

namespace {
using CelPictures = std::vector<Picture>;

// Cube colours that no lower palette entry repeats, so moving them by colour keeps their
// index. Black is the exception: system entry 0 holds it before user entry 10.
constexpr int White = CubeIndex(255, 255, 255);
constexpr int Red = CubeIndex(255, 0, 0);
constexpr int Green = CubeIndex(0, 255, 0);
constexpr int Blue = CubeIndex(0, 0, 255);
constexpr int Yellow = CubeIndex(255, 255, 0);
constexpr int Magenta = CubeIndex(255, 0, 255);
constexpr int Cyan = CubeIndex(0, 255, 255);
constexpr int DarkRed = CubeIndex(102, 0, 0);
constexpr int DarkGreen = CubeIndex(0, 102, 0);
constexpr int UserBlack = CubeIndex(0, 0, 0);
constexpr int SystemBlack = 0;
constexpr int SystemRed = 249;
constexpr int SystemSilver = 7; // (192, 192, 192)

const PictureLegend Legend{{White, '.'},     {Red, 'R'},       {Green, 'G'},      {Blue, 'B'},
                           {Yellow, 'Y'},    {Magenta, 'M'},   {Cyan, 'C'},       {DarkRed, 'r'},
                           {DarkGreen, 'g'}, {UserBlack, 'K'}, {SystemBlack, 'k'}};

struct Fixture {
    std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    std::unique_ptr<TSprite> Sprite;

    // A sprite on a white background with one cel per picture, the first one current.
    explicit Fixture(const Picture& Cel) : Fixture(std::vector<Picture>{Cel}) {}
    explicit Fixture(const std::vector<Picture>& Cels) {
        const int Width = int(Cels[0][0].size()), Height = int(Cels[0].size());
        Sprite = TSprite::Create(Width, Height, *Palette, RGB(255, 255, 255));
        for (std::size_t i = 0; i < Cels.size(); ++i) {
            Sprite->AddCel(int(10 * (i + 1)));
            PaintPicture(Sprite->CelBitmap(int(i)), Legend, Cels[i]);
        }
        Sprite->SetCurrent(0);
    }
    TPxBitmap& Cel(int Index) { return Sprite->CelBitmap(Index); }
};
} // namespace

TEST(Sprite, CreateTakesTheNearestUserColourAsBackground) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(3, 2, *Palette, RGB(250, 5, 5));
    EXPECT_EQ(Sprite->BackColor(), PALETTERGB(255, 0, 0));
    EXPECT_EQ(Sprite->CelCount(), 0);
    EXPECT_EQ(Sprite->Current(), -1);
    ASSERT_EQ(Sprite->AnimationCount(), 1);
    EXPECT_EQ(Sprite->Animation(0).Name(), "Animation [1]");
    EXPECT_EQ(Sprite->Animation(0).Count(), 0);

    // White is a system colour here, but the background is always a user colour.
    auto AllBlack = TPxPalette::CreateFromColorMap({});
    EXPECT_EQ(TSprite::Create(3, 2, *AllBlack, RGB(255, 255, 255))->BackColor(),
              PALETTERGB(0, 0, 0));
}

TEST(Sprite, NewCelsAreBackgroundFilledWithDisposalTwoAndTheirFullDelay) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(3, 2, *Palette, RGB(0, 0, 255));
    EXPECT_EQ(Sprite->AddCel(100), 0);
    // Delays above 65535 ms are allowed by the frame-rate field and must survive.
    EXPECT_EQ(Sprite->AddCel(99999), 1);
    EXPECT_EQ(Sprite->AddCel(70000), 2);
    ASSERT_EQ(Sprite->CelCount(), 3);
    EXPECT_EQ(Sprite->Cel(0).Delay(), 100);
    EXPECT_EQ(Sprite->Cel(1).Delay(), 99999);
    EXPECT_EQ(Sprite->Cel(2).Delay(), 70000);
    Sprite->SetCurrent(1);
    Sprite->InsertCel(80000);
    EXPECT_EQ(Sprite->Cel(1).Delay(), 80000);
    for (int i = 0; i < Sprite->CelCount(); ++i) {
        EXPECT_EQ(Sprite->Cel(i).Disposal(), 2);
        EXPECT_PICTURE(Sprite->CelBitmap(i), Legend, {"BBB", "BBB"});
        EXPECT_EQ(&Sprite->CelBitmap(i).Palette(), Palette.get());
    }
}

TEST(Sprite, InsertPutsABlankCelAtTheCurrentPosition) {
    Fixture F(CelPictures{{"R"}, {"G"}, {"B"}, {"Y"}});
    F.Sprite->SetCurrent(2);
    F.Sprite->InsertCel(55);
    ASSERT_EQ(F.Sprite->CelCount(), 5);
    EXPECT_EQ(F.Sprite->Current(), 2);
    EXPECT_PICTURE(F.Cel(2), Legend, {"."});
    EXPECT_EQ(F.Sprite->Cel(2).Delay(), 55);
    EXPECT_PICTURE(F.Cel(3), Legend, {"B"});
    EXPECT_EQ(F.Sprite->Cel(3).Delay(), 30);

    F.Sprite->DeleteCel(0);
    ASSERT_EQ(F.Sprite->CelCount(), 4);
    EXPECT_PICTURE(F.Cel(0), Legend, {"G"});
    EXPECT_EQ(F.Sprite->Current(), 2) << "the cel list adjusts Current, not the sprite";
}

TEST(Sprite, NextAndPreviousIndexWrap) {
    Fixture Three(CelPictures{{"R"}, {"G"}, {"B"}});
    EXPECT_EQ(Three.Sprite->NextIndex(0), 1);
    EXPECT_EQ(Three.Sprite->NextIndex(2), 0);
    EXPECT_EQ(Three.Sprite->PrevIndex(0), 2);
    EXPECT_EQ(Three.Sprite->PrevIndex(2), 1);
    Fixture One(Picture{"R"});
    EXPECT_EQ(One.Sprite->NextIndex(0), 0);
    EXPECT_EQ(One.Sprite->PrevIndex(0), 0);
}

TEST(Sprite, ShiftsLoseTheLeavingEdgeAndUncoverBackground) {
    const Picture Start{"RGBY", "MCrg", "YBGR"};
    Fixture F(CelPictures{Start});
    F.Sprite->ShiftUp(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"MCrg", "YBGR", "...."});
    F.Sprite->ShiftDown(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"....", "MCrg", "YBGR"});
    F.Sprite->ShiftLeft(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"....", "Crg.", "BGR."});
    F.Sprite->ShiftRight(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"....", ".Crg", ".BGR"});

    Fixture Thin(Picture{"R", "G", "B"});
    Thin.Sprite->ShiftLeft(false);
    EXPECT_PICTURE(Thin.Cel(0), Legend, {".", ".", "."});
    Thin.Sprite->ShiftRight(false);
    EXPECT_PICTURE(Thin.Cel(0), Legend, {".", ".", "."});
}

TEST(Sprite, AllAppliesToEveryCelAndOtherwiseOnlyToTheCurrentOne) {
    Fixture F(CelPictures{{"R.", ".."}, {"G.", ".."}, {"B.", ".."}});
    F.Sprite->SetCurrent(1);
    F.Sprite->ShiftRight(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"R.", ".."});
    EXPECT_PICTURE(F.Cel(1), Legend, {".G", ".."});
    EXPECT_PICTURE(F.Cel(2), Legend, {"B.", ".."});
    F.Sprite->ShiftDown(true);
    EXPECT_PICTURE(F.Cel(0), Legend, {"..", "R."});
    EXPECT_PICTURE(F.Cel(1), Legend, {"..", ".G"});
    EXPECT_PICTURE(F.Cel(2), Legend, {"..", "B."});
}

TEST(Sprite, RotationsOfANonSquareCelDropWhatLeavesTheFrame) {
    // Clockwise: (x, y) goes to (W - 1 - y, x); columns x >= 2 land below the frame.
    Fixture F(Picture{"RGBY", "MCrg"});
    F.Sprite->RotateClockwise(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"..MR", "..CG"});

    Fixture G(Picture{"RGBY", "MCrg"});
    G.Sprite->RotateCClockwise(false);
    EXPECT_PICTURE(G.Cel(0), Legend, {"GC..", "RM.."});

    // Tall cels lose rows instead.
    Fixture Tall(Picture{"RG", "BY", "MC", "rg"});
    Tall.Sprite->RotateClockwise(false);
    EXPECT_PICTURE(Tall.Cel(0), Legend, {"BR", "YG", "..", ".."});
    Fixture TallBack(Picture{"RG", "BY", "MC", "rg"});
    TallBack.Sprite->RotateCClockwise(false);
    EXPECT_PICTURE(TallBack.Cel(0), Legend, {"..", "..", "GY", "RB"});
}

TEST(Sprite, QuarterTurnsAndFlipsOfASquareCel) {
    const Picture Start{"RGB.", "YMC.", "rg..", "...K"};
    Fixture F(CelPictures{Start});
    F.Sprite->RotateClockwise(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {".rYR", ".gMG", "..CB", "k..."});
    // Black moves by colour onto the first entry that shows it (a system entry) and stays
    // there; everything else is back in place after four turns.
    for (int i = 0; i < 3; ++i)
        F.Sprite->RotateClockwise(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"RGB.", "YMC.", "rg..", "...k"});
    F.Sprite->RotateCClockwise(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"...k", "BC..", "GMg.", "RYr."});
}

TEST(Sprite, FlipVertMirrorsSideToSideAndFlipHorzTopToBottom) {
    const Picture Start{"RGBY", "MCrg", "KRR."};
    Fixture F(CelPictures{Start});
    F.Sprite->FlipVert(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"YBGR", "grCM", ".RRk"});
    F.Sprite->FlipVert(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"RGBY", "MCrg", "kRR."});
    F.Sprite->FlipHorz(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"kRR.", "MCrg", "RGBY"});
    F.Sprite->FlipHorz(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"RGBY", "MCrg", "kRR."});
}

TEST(Sprite, ResizeCropsExtendsOrStretches) {
    Fixture Grow(CelPictures{{"RG", "BY"}, {"MC", "rg"}});
    Grow.Sprite->Resize(3, 3, false);
    EXPECT_EQ(Grow.Sprite->Width(), 3);
    EXPECT_EQ(Grow.Sprite->Height(), 3);
    EXPECT_PICTURE(Grow.Cel(0), Legend, {"RG.", "BY.", "..."});
    EXPECT_PICTURE(Grow.Cel(1), Legend, {"MC.", "rg.", "..."});

    Fixture Crop(Picture{"RGB", "YMC"});
    Crop.Sprite->Resize(1, 1, false);
    EXPECT_PICTURE(Crop.Cel(0), Legend, {"R"});

    Fixture Stretch(Picture{"RG", "BY"});
    Stretch.Sprite->Resize(4, 3, true);
    EXPECT_PICTURE(Stretch.Cel(0), Legend, {"RRGG", "RRGG", "BBYY"});
    Stretch.Sprite->Resize(2, 2, true);
    EXPECT_PICTURE(Stretch.Cel(0), Legend, {"RG", "RG"});
    // New cels take the new size.
    Stretch.Sprite->AddCel(0);
    EXPECT_PICTURE(Stretch.Cel(1), Legend, {"..", ".."});
}

TEST(Sprite, ChangeBackColorRepaintsWhatShowsTheOldBackground) {
    Fixture F(CelPictures{{"R.R", ".G."}, {"...", "RRR"}});
    // The old colour counts as the colour the cels show for it: near-white is white.
    F.Sprite->ChangeBackColor(RGB(250, 250, 250), PALETTERGB(0, 0, 255));
    EXPECT_PICTURE(F.Cel(0), Legend, {"RBR", "BGB"});
    EXPECT_PICTURE(F.Cel(1), Legend, {"BBB", "RRR"});
}

TEST(Sprite, ReplaceColorGoesByColourInOneCelOrAll) {
    // Both entries that show black are replaced.
    Fixture F(CelPictures{{"KkR", "RKk"}, {"KRk", "..."}});
    F.Sprite->ReplaceColor(1, PALETTERGB(0, 0, 0), PALETTERGB(0, 255, 0));
    EXPECT_PICTURE(F.Cel(0), Legend, {"KkR", "RKk"});
    EXPECT_PICTURE(F.Cel(1), Legend, {"GRG", "..."});
    F.Sprite->ReplaceColorAll(PALETTERGB(255, 0, 0), PALETTERGB(255, 255, 0));
    EXPECT_PICTURE(F.Cel(0), Legend, {"KkY", "YKk"});
    EXPECT_PICTURE(F.Cel(1), Legend, {"GYG", "..."});
}

TEST(Sprite, SetPaletteKeepsUserIndicesAndMovesSystemPixelsToTheNearestUserColour) {
    Fixture F(Picture{"RGk.", "BYCM"});
    F.Cel(0).ScanLine(0)[3] = SystemRed;
    F.Cel(0).ScanLine(1)[3] = SystemSilver;
    auto Same = TPxPalette::CreateCopy(*F.Palette);
    F.Sprite->SetPalette(*Same);
    EXPECT_EQ(&F.Sprite->Palette(), Same.get());
    EXPECT_EQ(&F.Cel(0).Palette(), Same.get());
    constexpr int NearestGrey = 241; // (194, 194, 194), nearest user colour to silver
    PictureLegend WithGrey = Legend;
    WithGrey[NearestGrey] = 's';
    EXPECT_PICTURE(F.Cel(0), WithGrey, {"RGKR", "BYCs"});
    EXPECT_EQ(F.Sprite->BackColor(), PALETTERGB(255, 255, 255));
}

TEST(Sprite, SetPaletteMovesEveryCelOntoTheNewEntries) {
    Fixture F(CelPictures{{"RGBk", "...."}, {"BBRR", "GG.."}});
    // Blue, red, green and white at 10..13; every other user entry is black.
    auto Other =
        TPxPalette::CreateFromColorMap({{0, 0, 255}, {255, 0, 0}, {0, 255, 0}, {255, 255, 255}});
    F.Sprite->SetPalette(*Other);
    const PictureLegend Moved{{10, 'B'}, {11, 'R'}, {12, 'G'}, {13, '.'}, {14, 'K'}};
    EXPECT_PICTURE(F.Cel(0), Moved, {"RGBK", "...."});
    EXPECT_PICTURE(F.Cel(1), Moved, {"BBRR", "GG.."});
    EXPECT_EQ(F.Cel(1).ColorTablePtr(), Other->Handle());
}

TEST(Sprite, ImportCelMatchesColoursAndClipsToTheCel) {
    auto Other = TPxPalette::CreateFromColorMap({{0, 0, 250}, {250, 0, 0}, {5, 250, 5}});
    TPxBitmap Large(8, 4, 3, *Other);
    PaintPicture(Large, {{10, 'B'}, {11, 'R'}, {12, 'G'}}, {"RGBR", "GBRG", "BRGB"});
    Fixture F(CelPictures{{"..", ".."}, {"...", "..."}});
    F.Sprite->ImportCel(-1, Large);
    EXPECT_PICTURE(F.Cel(0), Legend, {"RG", "GB"});

    TPxBitmap Small(8, 1, 1, *Other);
    PaintPicture(Small, {{12, 'G'}}, {"G"});
    F.Sprite->ImportCel(1, Small);
    EXPECT_PICTURE(F.Cel(1), Legend, {"G.", ".."});
}

TEST(Sprite, ImportBitmapMatchesEachPixelToTheNearestUserColour) {
    RgbPicture Source(3, 1);
    Source.Set(0, 0, {250, 5, 5});
    Source.Set(1, 0, {5, 5, 240});
    Source.Set(2, 0, {250, 250, 10});
    Fixture F(Picture{"..", ".."});
    F.Sprite->ImportBitmap(0, Source);
    EXPECT_PICTURE(F.Cel(0), Legend, {"RB", ".."});
}

TEST(Sprite, BrushStampsAreCentredOnTheCursor) {
    Fixture F(CelPictures{{"....", "....", "...."}, {"....", "....", "...."}});
    auto Square = TPxBrush::Create(2, shSquare, PALETTERGB(255, 0, 0), *F.Palette);
    F.Sprite->DrawBrush(2, 2, *Square);
    EXPECT_PICTURE(F.Cel(0), Legend, {"....", ".RR.", ".RR."});
    auto Line = TPxBrush::Create(1, shHorzLine, PALETTERGB(0, 0, 255), *F.Palette);
    F.Sprite->DrawBrushOnCel(0, 0, 1, *Line);
    EXPECT_PICTURE(F.Cel(1), Legend, {"BB..", "....", "...."});
    EXPECT_PICTURE(F.Cel(0), Legend, {"....", ".RR.", ".RR."});
}

TEST(Sprite, FloodFillRepaintsTheSeedArea) {
    Fixture F(Picture{".R...", ".R.G.", ".R..."});
    F.Sprite->FloodFill(3, 0, PALETTERGB(0, 0, 255));
    EXPECT_PICTURE(F.Cel(0), Legend, {".RBBB", ".RBGB", ".RBBB"});
    F.Sprite->FloodFillCel(1, 2, 0, PALETTERGB(0, 255, 0));
    EXPECT_PICTURE(F.Cel(0), Legend, {".GBBB", ".GBGB", ".GBBB"});
}

TEST(Sprite, RectangleIncludesBothCorners) {
    Fixture F(Picture{".....", ".....", ".....", "....."});
    F.Sprite->Rectangle(0, 0, 3, 2, PALETTERGB(255, 0, 0), PALETTERGB(0, 255, 0));
    EXPECT_PICTURE(F.Cel(0), Legend, {"RRRR.", "RGGR.", "RRRR.", "....."});
}

TEST(Sprite, EllipsesLeaveThePenOnePixelWide) {
    Fixture F(CelPictures{{".....", ".....", ".....", ".....", "....."},
                          {".....", ".....", ".....", ".....", "....."}});
    F.Sprite->Ellipse(0, 0, 5, 5, PALETTERGB(255, 0, 0), PALETTERGB(0, 255, 0), 1);
    EXPECT_EQ(F.Cel(0).IndexAt(2, 2), White) << "an outline leaves the inside alone";
    EXPECT_EQ(F.Cel(0).IndexAt(2, 0), Red);
    EXPECT_EQ(F.Cel(0).IndexAt(4, 2), Red) << "the box's right edge is exclusive";
    EXPECT_EQ(F.Cel(0).IndexAt(0, 0), White);

    F.Sprite->SolidEllipseOnCel(0, 0, 5, 5, PALETTERGB(255, 0, 0), PALETTERGB(0, 255, 0), 2, 1);
    EXPECT_EQ(F.Cel(1).IndexAt(2, 2), Green);
    EXPECT_EQ(F.Cel(1).IndexAt(2, 0), Red);
    EXPECT_EQ(F.Cel(1).Canvas().Pen.Width, 1);
    F.Sprite->Ellipse(0, 0, 5, 5, PALETTERGB(255, 0, 0), PALETTERGB(0, 255, 0), 3);
    EXPECT_EQ(F.Cel(0).Canvas().Pen.Width, 1);
}

TEST(Sprite, SaveAllBitsAndRestoreAllBitsAreByteExact) {
    // Width 3 leaves one padding byte per row; it must survive too.
    Fixture F(CelPictures{{"RGB", "..."}, {"kK.", "YMC"}});
    F.Cel(0).ScanLine(0)[3] = 0x5A;
    const auto Blocks = F.Sprite->SaveAllBits();
    ASSERT_EQ(Blocks.size(), 2u);
    EXPECT_BYTES(Blocks[1], F.Cel(1).CopyBits());

    F.Sprite->ShiftLeft(true);
    F.Sprite->ReplaceColorAll(PALETTERGB(255, 255, 255), PALETTERGB(255, 0, 0));
    F.Sprite->RestoreAllBits(Blocks);
    EXPECT_BYTES(F.Cel(0).CopyBits(), Blocks[0]);
    EXPECT_EQ(F.Cel(0).ScanLine(0)[3], 0x5A);
    EXPECT_PICTURE(F.Cel(1), Legend, {"kK.", "YMC"});
}

TEST(Sprite, AnimationNamesKeepTheirFirstThirtyCharacters) {
    Fixture F(Picture{"R"});
    F.Sprite->AddAnimation(std::string(40, 'a'));
    std::string Accented;
    for (int i = 0; i < 31; ++i)
        Accented += "\xC3\xA9"; // é
    F.Sprite->AddAnimation(Accented);
    ASSERT_EQ(F.Sprite->AnimationCount(), 3);
    EXPECT_EQ(F.Sprite->Animation(1).Name(), std::string(30, 'a'));
    EXPECT_EQ(F.Sprite->Animation(2).Name(), Accented.substr(0, 60));

    F.Sprite->Clear();
    EXPECT_EQ(F.Sprite->CelCount(), 0);
    EXPECT_EQ(F.Sprite->AnimationCount(), 0);
    EXPECT_EQ(F.Sprite->Current(), -1);
}
