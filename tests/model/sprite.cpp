#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/brush.h"
#include "model/Spritez.h"
#include "support/PictureAssert.h"

namespace {
using CelPictures = std::vector<Picture>;

// Cube colours that no lower palette entry repeats, so moving them by colour keeps their
// index. Black is the exception: system entry 0 holds it before user entry 10.
constexpr int White = CubeIndex(255, 255, 255), Red = CubeIndex(255, 0, 0),
              Green = CubeIndex(0, 255, 0), Blue = CubeIndex(0, 0, 255),
              Yellow = CubeIndex(255, 255, 0), Magenta = CubeIndex(255, 0, 255),
              Cyan = CubeIndex(0, 255, 255), DarkRed = CubeIndex(102, 0, 0),
              DarkGreen = CubeIndex(0, 102, 0), UserBlack = CubeIndex(0, 0, 0), SystemBlack = 0;
constexpr int SystemRed = 249, SystemSilver = 7; // silver is (192, 192, 192)

const PictureLegend Legend{{White, '.'},     {Red, 'R'},       {Green, 'G'},      {Blue, 'B'},
                           {Yellow, 'Y'},    {Magenta, 'M'},   {Cyan, 'C'},       {DarkRed, 'r'},
                           {DarkGreen, 'g'}, {UserBlack, 'K'}, {SystemBlack, 'k'}};

struct Fixture {
    std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    std::unique_ptr<TSprite> Sprite;

    // A sprite on a white background with one cel per picture, the first one current.
    explicit Fixture(const Picture& Cel) : Fixture(CelPictures{Cel}) {}
    explicit Fixture(const CelPictures& Cels) {
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

// Whether a one-cel sprite showing Start shows Expected after Op on its current cel.
::testing::AssertionResult Becomes(const Picture& Start, void (TSprite::*Op)(bool),
                                   const Picture& Expected) {
    Fixture F(Start);
    (*F.Sprite.*Op)(false);
    return PictureMatches(F.Cel(0), Legend, Expected);
}
} // namespace

TEST(Sprite, NewCelsTakeTheNearestUserColourAsBackgroundAndKeepTheirFullDelay) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(3, 2, *Palette, RGB(5, 5, 250));
    EXPECT_EQ(Sprite->BackColor(), PALETTERGB(0, 0, 255));
    // White is a system colour here, but the background is always a user colour.
    auto AllBlack = TPxPalette::CreateFromColorMap({});
    EXPECT_EQ(TSprite::Create(3, 2, *AllBlack, RGB(255, 255, 255))->BackColor(),
              PALETTERGB(0, 0, 0));

    // Delays above 65535 ms are allowed by the frame-rate field and must survive.
    EXPECT_EQ(Sprite->AddCel(100), 0);
    EXPECT_EQ(Sprite->AddCel(99999), 1);
    Sprite->SetCurrent(1);
    Sprite->InsertCel(70000);
    ASSERT_EQ(Sprite->CelCount(), 3);
    const int Delays[] = {100, 70000, 99999};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Sprite->Cel(i).Delay(), Delays[i]);
        EXPECT_EQ(Sprite->Cel(i).Disposal(), 2);
        EXPECT_PICTURE(Sprite->CelBitmap(i), Legend, {"BBB", "BBB"});
        EXPECT_EQ(&Sprite->CelBitmap(i).Palette(), Palette.get());
    }

    Sprite->DeleteCel(0);
    ASSERT_EQ(Sprite->CelCount(), 2);
    EXPECT_EQ(Sprite->Cel(0).Delay(), 70000);
    EXPECT_EQ(Sprite->NextIndex(0), 1);
    EXPECT_EQ(Sprite->NextIndex(1), 0);
    EXPECT_EQ(Sprite->PrevIndex(0), 1);
}

TEST(Sprite, ShiftsLoseTheLeavingEdgeAndUncoverBackgroundInTheCurrentCelOrAll) {
    const Picture Start{"RGBY", "MCrg", "YBGR"};
    EXPECT_TRUE(Becomes(Start, &TSprite::ShiftUp, {"MCrg", "YBGR", "...."}));
    EXPECT_TRUE(Becomes(Start, &TSprite::ShiftDown, {"....", "RGBY", "MCrg"}));
    EXPECT_TRUE(Becomes(Start, &TSprite::ShiftLeft, {"GBY.", "Crg.", "BGR."}));
    EXPECT_TRUE(Becomes(Start, &TSprite::ShiftRight, {".RGB", ".MCr", ".YBG"}));
    EXPECT_TRUE(Becomes({"R", "G"}, &TSprite::ShiftLeft, {".", "."}));
    EXPECT_TRUE(Becomes({"R", "G"}, &TSprite::ShiftRight, {".", "."}));

    Fixture F(CelPictures{{"R.", ".."}, {"G.", ".."}});
    F.Sprite->SetCurrent(1);
    F.Sprite->ShiftRight(false);
    EXPECT_PICTURE(F.Cel(0), Legend, {"R.", ".."});
    EXPECT_PICTURE(F.Cel(1), Legend, {".G", ".."});
    F.Sprite->ShiftDown(true);
    EXPECT_PICTURE(F.Cel(0), Legend, {"..", "R."});
    EXPECT_PICTURE(F.Cel(1), Legend, {"..", ".G"});
}

TEST(Sprite, QuarterTurnsDropWhatLeavesTheFrameAndFlipsMirror) {
    const auto Clockwise = &TSprite::RotateClockwise, Back = &TSprite::RotateCClockwise;
    // Clockwise, (x, y) goes to (W - 1 - y, x): wide cels lose columns, tall cels rows.
    EXPECT_TRUE(Becomes({"RGBY", "MCrg"}, Clockwise, {"..MR", "..CG"}));
    EXPECT_TRUE(Becomes({"RGBY", "MCrg"}, Back, {"GC..", "RM.."}));
    EXPECT_TRUE(Becomes({"RG", "BY", "MC", "rg"}, Clockwise, {"BR", "YG", "..", ".."}));
    EXPECT_TRUE(Becomes({"RG", "BY", "MC", "rg"}, Back, {"..", "..", "GY", "RB"}));
    // FlipVert mirrors side to side, FlipHorz top to bottom. Black moves by colour onto the
    // first entry that shows it, a system entry.
    EXPECT_TRUE(Becomes({"RGBY", "MCrg", "KRR."}, &TSprite::FlipVert, {"YBGR", "grCM", ".RRk"}));
    EXPECT_TRUE(Becomes({"RGBY", "MCrg", "KRR."}, &TSprite::FlipHorz, {"kRR.", "MCrg", "RGBY"}));
}

TEST(Sprite, ResizeCropsExtendsOrStretchesEveryCel) {
    Fixture F(CelPictures{{"RG", "BY"}, {"MC", "rg"}});
    F.Sprite->Resize(3, 3, false);
    EXPECT_EQ(F.Sprite->Width(), 3);
    EXPECT_EQ(F.Sprite->Height(), 3);
    EXPECT_PICTURE(F.Cel(0), Legend, {"RG.", "BY.", "..."});
    EXPECT_PICTURE(F.Cel(1), Legend, {"MC.", "rg.", "..."});
    F.Sprite->Resize(1, 1, false);
    EXPECT_PICTURE(F.Cel(1), Legend, {"M"});

    Fixture Stretch(Picture{"RG", "BY"});
    Stretch.Sprite->Resize(4, 3, true);
    EXPECT_PICTURE(Stretch.Cel(0), Legend, {"RRGG", "RRGG", "BBYY"});
    // New cels take the new size.
    Stretch.Sprite->AddCel(0);
    EXPECT_PICTURE(Stretch.Cel(1), Legend, {"....", "....", "...."});
}

TEST(Sprite, BackgroundAndColourReplacementGoByColour) {
    Fixture F(CelPictures{{"R.R", ".G."}, {"...", "RRR"}});
    // The old colour counts as the colour the cels show for it: near-white is white.
    F.Sprite->ChangeBackColor(RGB(250, 250, 250), PALETTERGB(0, 0, 255));
    EXPECT_PICTURE(F.Cel(0), Legend, {"RBR", "BGB"});
    EXPECT_PICTURE(F.Cel(1), Legend, {"BBB", "RRR"});

    // Both entries that show black are replaced, in one cel or in all.
    Fixture G(CelPictures{{"KkR", "RKk"}, {"KRk", "..."}});
    G.Sprite->ReplaceColor(1, PALETTERGB(0, 0, 0), PALETTERGB(0, 255, 0));
    EXPECT_PICTURE(G.Cel(0), Legend, {"KkR", "RKk"});
    EXPECT_PICTURE(G.Cel(1), Legend, {"GRG", "..."});
    G.Sprite->ReplaceColorAll(PALETTERGB(255, 0, 0), PALETTERGB(255, 255, 0));
    EXPECT_PICTURE(G.Cel(0), Legend, {"KkY", "YKk"});
    EXPECT_PICTURE(G.Cel(1), Legend, {"GYG", "..."});
}

TEST(Sprite, SetPaletteMovesEveryCelOntoTheNewEntries) {
    Fixture F(CelPictures{{"RGk.", "BYCM"}, {"BBRk", "GG.."}});
    F.Cel(0).ScanLine(0)[3] = SystemRed;
    F.Cel(0).ScanLine(1)[3] = SystemSilver;
    // The same colours: user indices stay, system pixels go to the nearest user colour.
    auto Same = TPxPalette::CreateCopy(*F.Palette);
    F.Sprite->SetPalette(*Same);
    EXPECT_EQ(&F.Cel(0).Palette(), Same.get());
    PictureLegend WithGrey = Legend;
    WithGrey[241] = 's'; // (194, 194, 194), the nearest user colour to silver
    EXPECT_PICTURE(F.Cel(0), WithGrey, {"RGKR", "BYCs"});

    // Blue, red, green and white at 10..13; every other user entry is black.
    auto Other =
        TPxPalette::CreateFromColorMap({{0, 0, 255}, {255, 0, 0}, {0, 255, 0}, {255, 255, 255}});
    F.Sprite->SetPalette(*Other);
    EXPECT_PICTURE(F.Cel(1), PictureLegend({{10, 'B'}, {11, 'R'}, {12, 'G'}, {13, '.'}, {14, 'K'}}),
                   {"BBRK", "GG.."});
    EXPECT_EQ(F.Cel(1).ColorTablePtr(), Other->Handle());
}

TEST(Sprite, ImportsMatchColoursToTheNearestUserColourAndClipToTheCel) {
    auto Other = TPxPalette::CreateFromColorMap({{0, 0, 250}, {250, 0, 0}, {5, 250, 5}});
    TPxBitmap Large(8, 4, 3, *Other);
    PaintPicture(Large, {{10, 'B'}, {11, 'R'}, {12, 'G'}}, {"RGBR", "GBRG", "BRGB"});
    Fixture F(CelPictures{{"..", ".."}, {"..", ".."}});
    F.Sprite->ImportCel(-1, Large);
    EXPECT_PICTURE(F.Cel(0), Legend, {"RG", "GB"});
    TPxBitmap Small(8, 1, 1, *Other);
    PaintPicture(Small, {{12, 'G'}}, {"G"});
    F.Sprite->ImportCel(1, Small);
    EXPECT_PICTURE(F.Cel(1), Legend, {"G.", ".."});

    RgbPicture Source(3, 1);
    Source.Set(0, 0, {250, 5, 5});
    Source.Set(1, 0, {5, 5, 240});
    Source.Set(2, 0, {250, 250, 10});
    F.Sprite->ImportBitmap(1, Source);
    EXPECT_PICTURE(F.Cel(1), Legend, {"RB", ".."});
}

TEST(Sprite, EllipsesLeaveThePenOnePixelWide) {
    Fixture F(CelPictures{{".....", ".....", ".....", ".....", "....."},
                          {".....", ".....", ".....", ".....", "....."}});
    F.Sprite->Ellipse(0, 0, 5, 5, PALETTERGB(255, 0, 0), PALETTERGB(0, 255, 0), 1);
    EXPECT_EQ(F.Cel(0).IndexAt(2, 2), White) << "an outline leaves the inside alone";
    EXPECT_EQ(F.Cel(0).IndexAt(2, 0), Red);
    EXPECT_EQ(F.Cel(0).IndexAt(4, 2), Red) << "the box's right edge is exclusive";

    F.Sprite->SolidEllipseOnCel(0, 0, 5, 5, PALETTERGB(255, 0, 0), PALETTERGB(0, 255, 0), 2, 1);
    EXPECT_EQ(F.Cel(1).IndexAt(2, 2), Green);
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
    F.Sprite->ShiftLeft(true);
    F.Sprite->ReplaceColorAll(PALETTERGB(255, 255, 255), PALETTERGB(255, 0, 0));
    F.Sprite->RestoreAllBits(Blocks);
    EXPECT_BYTES(F.Cel(0).CopyBits(), Blocks[0]);
    EXPECT_EQ(F.Cel(0).ScanLine(0)[3], 0x5A);
    EXPECT_PICTURE(F.Cel(1), Legend, {"kK.", "YMC"});
}

TEST(Sprite, CelsMadeWhereOtherCelsWereStartClean) {
    // Width 3 leaves a padding byte per row, which a new cel holds as 0 like any bitmap.
    Fixture F(CelPictures{{"RGB", "YMC"}, {"BY.", "RRR"}});
    F.Cel(0).ScanLine(1)[3] = 0x5A;
    F.Cel(1).ScanLine(0)[3] = 0x5A;
    F.Sprite->DeleteCel(0);
    F.Sprite->FlipVert(true);
    EXPECT_PICTURE(F.Cel(0), Legend, {".YB", "RRR"});
    EXPECT_BYTES(F.Cel(0).CopyBits(),
                 std::vector<std::uint8_t>({White, Yellow, Blue, 0, Red, Red, Red, 0}));
    EXPECT_EQ(F.Sprite->AddCel(5), 1);
    EXPECT_BYTES(F.Cel(1).CopyBits(),
                 std::vector<std::uint8_t>({White, White, White, 0, White, White, White, 0}));
}

TEST(Sprite, AnUnfilledCelIsANewCelOfItsOwn) {
    Fixture F(CelPictures{{"RGB", "YMC"}});
    ASSERT_EQ(F.Sprite->AddCelUnfilled(30), 1);
    EXPECT_EQ(F.Sprite->Cel(1).Delay(), 30);
    EXPECT_EQ(F.Sprite->Cel(1).Disposal(), DisposalRestoreBackground);
    ASSERT_EQ(F.Cel(1).Width(), 3);
    ASSERT_EQ(F.Cel(1).Height(), 2);
    EXPECT_EQ(&F.Cel(1).Palette(), F.Palette.get());
    std::fill_n(F.Cel(1).Bits(), F.Cel(1).ImageSize(), std::uint8_t(Blue));
    EXPECT_PICTURE(F.Cel(1), Legend, {"BBB", "BBB"});
    EXPECT_PICTURE(F.Cel(0), Legend, {"RGB", "YMC"});
}

TEST(Sprite, AnimationNamesKeepTheirFirstThirtyCharacters) {
    Fixture F(Picture{"R"});
    F.Sprite->AddAnimation(std::string(40, 'a'));
    std::string Accented;
    for (int i = 0; i < 31; ++i)
        Accented += "\xC3\xA9"; // é
    F.Sprite->AddAnimation(Accented);
    ASSERT_EQ(F.Sprite->AnimationCount(), 3);
    EXPECT_EQ(F.Sprite->Animation(0).Name(), "Animation [1]");
    EXPECT_EQ(F.Sprite->Animation(1).Name(), std::string(30, 'a'));
    EXPECT_EQ(F.Sprite->Animation(2).Name(), Accented.substr(0, 60));

    F.Sprite->Clear();
    EXPECT_EQ(F.Sprite->CelCount(), 0);
    EXPECT_EQ(F.Sprite->AnimationCount(), 0);
}
