#include "imaging/Report.h"
#include "model/Spritez.h"
#include "model/undo.h"
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

// A sprite on a white background with one cel per picture, the first one current.
struct Fixture {
    std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    std::unique_ptr<TSprite> Sprite;
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
    Fixture F({Start});
    (*F.Sprite.*Op)(false);
    return PictureMatches(F.Cel(0), Legend, Expected);
}

TPxUndoBlock Block(int Value) {
    return TPxUndoBlock(16, std::uint8_t(Value));
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
    // Delays above 65535 ms survive; a cel is inserted at the current one.
    EXPECT_EQ(Sprite->AddCel(100), 0);
    EXPECT_EQ(Sprite->AddCel(99999), 1);
    Sprite->SetCurrent(1);
    Sprite->InsertCel(70000);
    ASSERT_EQ(Sprite->CelCount(), 3);
    const int Delays[] = {100, 70000, 99999};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(std::make_pair(Sprite->Cel(i).Delay(), int(Sprite->Cel(i).Disposal())),
                  std::make_pair(Delays[i], 2));
        EXPECT_PICTURE(Sprite->CelBitmap(i), Legend, {"BBB", "BBB"});
    }
    Sprite->DeleteCel(0);
    EXPECT_EQ(std::make_tuple(Sprite->CelCount(), Sprite->Cel(0).Delay(), Sprite->NextIndex(0),
                              Sprite->NextIndex(1), Sprite->PrevIndex(0)),
              std::make_tuple(2, 70000, 1, 0, 1));
    // Names keep their first 30 characters, however many bytes those take.
    std::string Accented;
    for (int i = 0; i < 31; ++i)
        Accented += "\xC3\xA9"; // é
    Sprite->AddAnimation(std::string(40, 'a'));
    Sprite->AddAnimation(Accented);
    ASSERT_EQ(Sprite->AnimationCount(), 3);
    EXPECT_EQ(Sprite->Animation(0).Name(), "Animation [1]");
    EXPECT_EQ(Sprite->Animation(1).Name(), std::string(30, 'a'));
    EXPECT_EQ(Sprite->Animation(2).Name(), Accented.substr(0, 60));
    Sprite->Clear();
    EXPECT_EQ(std::make_pair(Sprite->CelCount(), Sprite->AnimationCount()), std::make_pair(0, 0));
}

TEST(Sprite, ShiftsTurnsFlipsAndResizes) {
    // Shifts lose the leaving edge and uncover the background.
    const Picture Start{"RGBY", "MCrg", "YBGR"};
    EXPECT_TRUE(Becomes(Start, &TSprite::ShiftUp, {"MCrg", "YBGR", "...."}));
    EXPECT_TRUE(Becomes(Start, &TSprite::ShiftDown, {"....", "RGBY", "MCrg"}));
    EXPECT_TRUE(Becomes(Start, &TSprite::ShiftLeft, {"GBY.", "Crg.", "BGR."}));
    EXPECT_TRUE(Becomes(Start, &TSprite::ShiftRight, {".RGB", ".MCr", ".YBG"}));
    EXPECT_TRUE(Becomes({"R", "G"}, &TSprite::ShiftLeft, {".", "."}));
    EXPECT_TRUE(Becomes({"R", "G"}, &TSprite::ShiftRight, {".", "."}));
    // Clockwise, (x, y) goes to (W - 1 - y, x): wide cels lose columns, tall cels rows.
    const auto Clockwise = &TSprite::RotateClockwise, Back = &TSprite::RotateCClockwise;
    EXPECT_TRUE(Becomes({"RGBY", "MCrg"}, Clockwise, {"..MR", "..CG"}));
    EXPECT_TRUE(Becomes({"RGBY", "MCrg"}, Back, {"GC..", "RM.."}));
    EXPECT_TRUE(Becomes({"RG", "BY", "MC", "rg"}, Clockwise, {"BR", "YG", "..", ".."}));
    EXPECT_TRUE(Becomes({"RG", "BY", "MC", "rg"}, Back, {"..", "..", "GY", "RB"}));
    // FlipVert mirrors side to side, FlipHorz top to bottom. Black moves by colour onto the
    // first entry that shows it, a system entry.
    EXPECT_TRUE(Becomes({"RGBY", "MCrg", "KRR."}, &TSprite::FlipVert, {"YBGR", "grCM", ".RRk"}));
    EXPECT_TRUE(Becomes({"RGBY", "MCrg", "KRR."}, &TSprite::FlipHorz, {"kRR.", "MCrg", "RGBY"}));
    // Resizing crops or extends every cel at the right and bottom, or stretches it.
    Fixture F({{"..", "R."}, {"..", ".G"}});
    F.Sprite->Resize(3, 3, false);
    EXPECT_EQ(std::make_pair(F.Sprite->Width(), F.Sprite->Height()), std::make_pair(3, 3));
    EXPECT_PICTURE(F.Cel(1), Legend, {"...", ".G.", "..."});
    F.Sprite->Resize(1, 2, false);
    EXPECT_PICTURE(F.Cel(0), Legend, {".", "R"});
    F.Sprite->Resize(4, 3, true);
    EXPECT_PICTURE(F.Cel(0), Legend, {"....", "....", "RRRR"});
    F.Sprite->AddCel(0);
    EXPECT_PICTURE(F.Cel(2), Legend, {"....", "....", "...."});
}

TEST(Sprite, BackgroundColourReplacementAndPalettesGoByColour) {
    Fixture F({{"R.R", ".G."}, {"...", "RRR"}});
    // The old colour counts as the colour the cels show for it: near-white is white.
    F.Sprite->ChangeBackColor(RGB(250, 250, 250), PALETTERGB(0, 0, 255));
    EXPECT_PICTURE(F.Cel(0), Legend, {"RBR", "BGB"});
    EXPECT_PICTURE(F.Cel(1), Legend, {"BBB", "RRR"});
    // Both entries that show black are replaced, in one cel or in all.
    Fixture G({{"KkR", "RKk"}, {"KRk", "..."}});
    G.Sprite->ReplaceColor(1, PALETTERGB(0, 0, 0), PALETTERGB(0, 255, 0));
    EXPECT_PICTURE(G.Cel(0), Legend, {"KkR", "RKk"});
    EXPECT_PICTURE(G.Cel(1), Legend, {"GRG", "..."});
    G.Sprite->ReplaceColorAll(PALETTERGB(255, 0, 0), PALETTERGB(255, 255, 0));
    EXPECT_PICTURE(G.Cel(0), Legend, {"KkY", "YKk"});
    EXPECT_PICTURE(G.Cel(1), Legend, {"GYG", "..."});
    // The same colours on a new palette: user indices stay, system pixels go to the nearest
    // user colour.
    Fixture P({{"RGk.", "BYCM"}, {"BBRk", "GG.."}});
    P.Cel(0).ScanLine(0)[3] = SystemRed;
    P.Cel(0).ScanLine(1)[3] = SystemSilver;
    auto Same = TPxPalette::CreateCopy(*P.Palette);
    P.Sprite->SetPalette(*Same);
    PictureLegend WithGrey = Legend;
    WithGrey[241] = 's'; // (194, 194, 194), the nearest user colour to silver
    EXPECT_PICTURE(P.Cel(0), WithGrey, {"RGKR", "BYCs"});
    // Blue, red, green and white at 10..13; every other user entry is black.
    auto Other =
        TPxPalette::CreateFromColorMap({{0, 0, 255}, {255, 0, 0}, {0, 255, 0}, {255, 255, 255}});
    P.Sprite->SetPalette(*Other);
    EXPECT_PICTURE(P.Cel(1), PictureLegend({{10, 'B'}, {11, 'R'}, {12, 'G'}, {13, '.'}, {14, 'K'}}),
                   {"BBRK", "GG.."});
    EXPECT_EQ(P.Cel(1).ColorTablePtr(), Other->Handle());
    // Imports take each colour to the nearest user colour and clip to the cel.
    TPxBitmap Large(8, 4, 3, *Other), Small(8, 1, 1, *Other);
    PaintPicture(Large, {{10, 'B'}, {11, 'R'}, {12, 'G'}}, {"RGBR", "GBRG", "BRGB"});
    PaintPicture(Small, {{12, 'G'}}, {"G"});
    Fixture I({{"..", ".."}, {"..", ".."}});
    I.Sprite->ImportCel(-1, Large);
    I.Sprite->ImportCel(1, Small);
    EXPECT_PICTURE(I.Cel(0), Legend, {"RG", "GB"});
    EXPECT_PICTURE(I.Cel(1), Legend, {"G.", ".."});
}

TEST(Sprite, SaveAllBitsAndRestoreAllBitsAreByteExact) {
    // Width 3 leaves one padding byte per row; it must survive too.
    Fixture F({{"RGB", "..."}, {"kK.", "YMC"}});
    F.Cel(0).ScanLine(0)[3] = 0x5A;
    const auto Blocks = F.Sprite->SaveAllBits();
    ASSERT_EQ(Blocks.size(), 2u);
    F.Sprite->ShiftLeft(true);
    F.Sprite->ReplaceColorAll(PALETTERGB(255, 255, 255), PALETTERGB(255, 0, 0));
    F.Sprite->RestoreAllBits(Blocks);
    EXPECT_BYTES(F.Cel(0).CopyBits(), Blocks[0]);
    EXPECT_PICTURE(F.Cel(1), Legend, {"kK.", "YMC"});
    // Cels made where other cels were start clean, padding included.
    F.Cel(1).ScanLine(0)[3] = 0x5A;
    F.Sprite->DeleteCel(0);
    F.Sprite->FlipVert(true);
    EXPECT_BYTES(F.Cel(0).CopyBits(),
                 Bytes({White, SystemBlack, SystemBlack, 0, Cyan, Magenta, Yellow, 0}));
    EXPECT_EQ(F.Sprite->AddCel(5), 1);
    EXPECT_BYTES(F.Cel(1).CopyBits(), Bytes({White, White, White, 0, White, White, White, 0}));
}

TEST(Sprite, ACopyIsByteExactOnItsOwnPaletteAndOutlivesTheOriginal) {
    Fixture F({{"RGB", "..."}, {"kK.", "YMC"}});
    F.Cel(0).ScanLine(0)[3] = 0x5A;
    F.Sprite->Cel(1).SetDisposal(DisposalNone);
    F.Sprite->SetCurrent(1);
    F.Sprite->SetBackColor(PALETTERGB(255, 0, 0));
    const auto Blocks = F.Sprite->SaveAllBits();
    auto Palette = TPxPalette::CreateCopy(*F.Palette);
    auto Copy = F.Sprite->CreateCopy(*Palette);
    // Whatever happens to the original afterwards, the copy stays as it was taken.
    F.Sprite->FlipVert(true);
    F.Sprite.reset();
    F.Palette.reset();
    ASSERT_EQ(Copy->CelCount(), 2);
    EXPECT_EQ(Copy->SaveAllBits(), Blocks);
    EXPECT_EQ(std::make_tuple(Copy->Cel(0).Delay(), Copy->Cel(1).Delay(), Copy->Current()),
              std::make_tuple(10, 20, 1));
    EXPECT_EQ(std::make_pair(int(Copy->Cel(0).Disposal()), int(Copy->Cel(1).Disposal())),
              std::make_pair(int(DisposalRestoreBackground), int(DisposalNone)));
    EXPECT_EQ(Copy->BackColor(), PALETTERGB(255, 0, 0));
    EXPECT_EQ(&Copy->CelBitmap(1).Palette(), Palette.get());

    // A copy brought up to date with a sprite of more cels, then of fewer.
    Fixture Three({{"RRR", "..."}, {"GGG", "..."}, {"BBB", "..."}});
    Copy->CopyFrom(*Three.Sprite);
    EXPECT_EQ(Copy->SaveAllBits(), Three.Sprite->SaveAllBits());
    EXPECT_EQ(std::make_tuple(Copy->Cel(2).Delay(), Copy->Current(), Copy->BackColor()),
              std::make_tuple(30, 0, PALETTERGB(255, 255, 255)));
    Three.Sprite->DeleteCel(0);
    Three.Sprite->DeleteCel(0);
    Copy->CopyFrom(*Three.Sprite);
    ASSERT_EQ(Copy->CelCount(), 1);
    EXPECT_PICTURE(Copy->CelBitmap(0), Legend, {"BBB", "..."});
}

TEST(Undo, RecordsKeepTheirContentsAndUndoKeepsTheNewest32) {
    std::vector<std::string> Messages;
    TScopedReportHandler Scope(
        [&](TReportKind, const std::string& Text) { Messages.push_back(Text); });
    TPxUndo History;
    EXPECT_EQ(History.GetUndoNode(), nullptr);
    EXPECT_EQ(History.GetRedoNode(), nullptr);
    EXPECT_EQ(Messages, (std::vector<std::string>{"GetUndoNode: error", "GetRedoNode: error"}));
    // 33 records: the oldest is dropped.
    History.AddUndoCel(99, Block(99));
    History.AddUndoAllCels({Block(4), Block(5)});
    History.AddUndoCelDeleted(5, Block(2));
    History.AddUndoCelInserted(6);
    for (int Edit = 0; Edit < 29; ++Edit)
        History.AddUndoCel(Edit, Block(Edit));
    const auto& Undo = History.UndoNodes();
    ASSERT_EQ(Undo.size(), 32u);
    EXPECT_EQ(Undo[0]->Kind(), ukAllCels);
    EXPECT_EQ(Undo[0]->CelBits(), (TPxUndoBlocks{Block(4), Block(5)}));
    EXPECT_EQ(std::make_tuple(Undo[1]->Kind(), Undo[1]->CelIndex(), Undo[1]->Bits()),
              std::make_tuple(ukCelDeleted, 5, Block(2)));
    EXPECT_EQ(std::make_pair(Undo[2]->Kind(), Undo[2]->CelIndex()),
              std::make_pair(ukCelInserted, 6));
    // Redo has no limit and recording an undo leaves it alone.
    History.AddRedoCel(7, Block(3));
    for (int Cel = 0; Cel < 40; ++Cel)
        History.AddRedoCelInserted(Cel);
    History.AddUndoCelInserted(50);
    ASSERT_EQ(History.RedoNodes().size(), 41u);
    EXPECT_EQ(History.RedoNodes()[0]->Bits(), Block(3));
    EXPECT_EQ(History.GetRedoNode()->CelIndex(), 39);
    // Records come back newest first.
    for (int Expected : {50, 28, 27}) {
        const auto Node = History.GetUndoNode();
        ASSERT_NE(Node, nullptr);
        EXPECT_EQ(Node->CelIndex(), Expected);
    }
    History.ClearRedo();
    EXPECT_FALSE(History.CanRedo());
    EXPECT_TRUE(History.CanUndo());
    EXPECT_EQ(Messages.size(), 2u);
}
