#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/StripSurface.h"
#include "support/PictureAssert.h"

namespace {
constexpr COLORREF Face = RGB(212, 208, 200);
constexpr int WhiteIndex = CubeIndex(255, 255, 255);
constexpr int RedIndex = CubeIndex(255, 0, 0);
constexpr int BlueIndex = CubeIndex(0, 0, 255);
const PictureLegend Legend{{WhiteIndex, '.'}, {RedIndex, 'R'}, {BlueIndex, 'B'}};
using Calls = std::vector<std::string>;

// Writes every call down as a line ("frame 3,3,37,37 black"); the label font is six pixels
// per character.
class RecordingSurface : public StripSurface {
public:
    RecordingSurface(int Width_, int Height_) : BoxWidth(Width_), BoxHeight(Height_) {}

    int Width() const override { return BoxWidth; }
    int Height() const override { return BoxHeight; }
    COLORREF ButtonFace() const override { return Face; }
    void Fill(const TRect& R, COLORREF C) override { All.push_back("fill " + Box(R) + Name(C)); }
    void Frame(const TRect& R, COLORREF C) override { All.push_back("frame " + Box(R) + Name(C)); }
    void Line(TPoint From, TPoint To, COLORREF C) override {
        All.push_back("line " + At(From) + "-" + At(To) + Name(C));
    }
    void SetFont(const std::string&, int, bool) override {}
    int TextWidth(const std::string& Text) override { return 6 * int(Text.size()); }
    void Text(const TRect& Clip, int X, int Y, const std::string& Text, COLORREF C) override {
        All.push_back("text " + Text + " at " + At({X, Y}) + " in " + Box(Clip) + Name(C));
    }
    void DrawCel(const TPxBitmap& Bitmap, int X, int Y) override {
        Drawn.push_back(&Bitmap);
        All.push_back("cel at " + At({X, Y}));
    }
    void SetScrollRange(int Min, int Max) override {
        Range = std::to_string(Min) + ".." + std::to_string(Max);
        Position = std::clamp(Position, Min, Max);
    }
    int ScrollPosition() const override { return Position; }
    void ArmDrag() override { All.push_back("drag"); }
    void Update() override { All.push_back("update"); }

    Calls Only(const std::string& What) const {
        Calls Found;
        for (const std::string& Call : All)
            if (Call.compare(0, What.size() + 1, What + " ") == 0) Found.push_back(Call);
        return Found;
    }
    void Clear() {
        All.clear();
        Drawn.clear();
    }

    int BoxWidth, BoxHeight, Position = 0;
    std::string Range;
    Calls All;
    std::vector<const TPxBitmap*> Drawn;

private:
    static std::string At(TPoint P) { return std::to_string(P.X) + "," + std::to_string(P.Y); }
    static std::string Box(const TRect& R) {
        return At({R.Left, R.Top}) + "," + At({R.Right, R.Bottom});
    }
    static std::string Name(COLORREF C) {
        return C == RGB(0, 0, 0)         ? " black"
               : C == RGB(255, 255, 255) ? " white"
               : C == RGB(128, 128, 128) ? " grey"
               : C == Face               ? " face"
                                         : " " + std::to_string(C);
    }
};

struct Strip {
    std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    RecordingSurface Surface;
    std::unique_ptr<TCelList> List;

    Strip(int BoxWidth, int BoxHeight, int CelSize, int Cels) : Surface(BoxWidth, BoxHeight) {
        // White cels, cel i with delay 100 + i.
        auto Sprite = TSprite::Create(CelSize, CelSize, *Palette, RGB(255, 255, 255));
        for (int i = 0; i < Cels; ++i)
            Sprite->AddCel(100 + i);
        Sprite->SetCurrent(0);
        List = std::make_unique<TCelList>(Surface, std::move(Sprite));
    }
    TSprite& Sprite() { return List->Sprite(); }
};
} // namespace

TEST(CelList, LayoutFitsWholeColumnsButAlwaysOne) {
    Strip Narrow(20, 100, 32, 4);
    EXPECT_EQ(Narrow.List->Columns(), 1);
    EXPECT_EQ(Narrow.Surface.Range, "0..3");

    // Every cel fits: nothing to scroll.
    Strip Exact(4 + 3 * 40, 100, 32, 3);
    EXPECT_EQ(Exact.List->Columns(), 3);
    EXPECT_EQ(Exact.List->Rows(), 1);
    EXPECT_EQ(Exact.Surface.Range, "0..0");
}

TEST(CelList, StripDrawsFramesLabelsPicturesAndTheHighlight) {
    Strip S(150, 60, 32, 5);
    EXPECT_EQ(S.Surface.Range, "0..1");
    EXPECT_EQ(S.Surface.Only("fill"), Calls{"fill 0,0,150,60 face"});
    // Five slot frames in rows of three, then the highlight around cel 0, whose picture is
    // at (4, 4): black box, lit top and left, shaded right and bottom.
    EXPECT_EQ(S.Surface.Only("frame"), (Calls{"frame 3,3,37,37 black", "frame 41,3,75,37 black",
                                              "frame 79,3,113,37 black", "frame 3,55,37,89 black",
                                              "frame 41,55,75,89 black", "frame 1,1,39,54 black"}));
    EXPECT_EQ(S.Surface.Only("line"), (Calls{"line 1,53-1,1 white", "line 1,1-39,1 white",
                                             "line 37,2-37,52 grey", "line 37,52-2,52 grey"}));
    EXPECT_EQ(S.Surface.Only("text")[4], "text Cel 5 at 45,88 in 41,89,75,99 black");
    ASSERT_EQ(S.Surface.Drawn.size(), 5u);
    EXPECT_EQ(S.Surface.Drawn[4], &S.Sprite().CelBitmap(4));
    EXPECT_EQ(S.Surface.Only("cel")[4], "cel at 42,56");
}

TEST(CelList, ScrollingShowsLaterRowsAndLabelsTooWideShowTheNumberAlone) {
    Strip S(150, 60, 32, 12);
    EXPECT_EQ(S.Surface.Range, "0..3");
    S.Surface.Clear();
    S.Surface.Position = 2;
    S.List->Scroll();
    EXPECT_EQ(S.List->FirstVisible(), 6);
    ASSERT_FALSE(S.Surface.Drawn.empty());
    EXPECT_EQ(S.Surface.Drawn[0], &S.Sprite().CelBitmap(6));
    EXPECT_EQ(S.Surface.Only("cel")[0], "cel at 4,4");
    const Calls Labels = S.Surface.Only("text");
    ASSERT_EQ(Labels.size(), 6u);
    EXPECT_EQ(Labels[0], "text Cel 7 at 7,36 in 3,37,37,47 black");
    EXPECT_EQ(Labels[3], "text 10 at 25,88 in 3,89,37,99 black") << "right-aligned as well";
    EXPECT_TRUE(S.Surface.Only("line").empty()) << "the current cel is scrolled away";

    // A wider box with fewer rows pulls the position back into range.
    S.Surface.BoxWidth = 400;
    S.List->Layout();
    EXPECT_EQ(S.Surface.Range, "0..1");
    EXPECT_EQ(S.List->FirstVisible(), 9);
}

TEST(CelList, HitTestsExcludeBordersAndSelectionMovesOnlyTheHighlight) {
    Strip S(150, 100, 32, 5);
    // Cel 1's slot: frame corner (41, 3), picture (42..73, 4..35), label rows 37..46.
    EXPECT_EQ(S.List->CelAt(50, 20), 1);
    EXPECT_EQ(S.List->CelAt(41, 20), -1) << "frame border";
    EXPECT_EQ(S.List->CelAt(50, 40), -1) << "label";
    EXPECT_EQ(S.List->CelAt(140, 20), -1) << "beyond the last column";
    EXPECT_EQ(S.List->CelAt(100, 70), -1) << "the second row holds only cels 3 and 4";
    EXPECT_EQ(S.List->CelAt(50, 70), 4);

    S.List->SelectAt(41, 40);
    EXPECT_EQ(S.List->Current(), 0) << "frame border";
    S.Surface.Clear();
    S.List->SelectAt(50, 45);
    EXPECT_EQ(S.List->Current(), 1) << "a press on the label selects";
    EXPECT_EQ(S.Sprite().Current(), 1);
    EXPECT_EQ(S.Surface.All.front(), "drag");
    EXPECT_EQ(S.Surface.Only("frame"), (Calls{"frame 1,1,39,54 face", "frame 39,1,77,54 black"}));
    EXPECT_TRUE(S.Surface.Only("fill").empty());
    EXPECT_TRUE(S.Surface.Drawn.empty());
    S.Surface.Clear();
    S.List->SelectAt(50, 45);
    EXPECT_TRUE(S.Surface.Only("frame").empty()) << "the current cel again changes nothing";
}

TEST(CelList, DroppingACelDrawsTheCurrentPictureOverTheTarget) {
    Strip S(150, 100, 32, 3);
    S.Sprite().Cel(2).SetDisposal(1);
    S.Sprite().CelBitmap(0).Canvas().SetPixel(5, 5, RGB(255, 0, 0));
    S.List->DragDrop(100, 40); // label of cel 2
    EXPECT_EQ(S.Sprite().CelBitmap(2).IndexAt(5, 5), WhiteIndex);
    S.List->DragDrop(100, 20);
    EXPECT_EQ(S.Sprite().CelBitmap(2).IndexAt(5, 5), RedIndex);
    // The target keeps its own delay and disposal.
    EXPECT_EQ(S.Sprite().Cel(2).Delay(), 102);
    EXPECT_EQ(S.Sprite().Cel(2).Disposal(), 1);
    EXPECT_EQ(S.List->Current(), 0);
}

TEST(CelList, InsertAppendAndDeleteKeepACurrentCelAndNeverDeleteTheLast) {
    Strip S(150, 100, 32, 3);
    S.List->SetCurrent(1);
    S.Surface.Clear();
    S.List->InsertCel(70000);
    EXPECT_EQ(S.List->CelCount(), 4);
    EXPECT_EQ(S.List->Current(), 1);
    S.List->AppendCel(99999);
    EXPECT_EQ(S.List->CelCount(), 5);
    EXPECT_EQ(S.Surface.Drawn.size(), 4u + 5u) << "each change repaints the strip";

    S.List->SetCurrent(4);
    S.List->DeleteCel();
    EXPECT_EQ(S.List->CelCount(), 4);
    EXPECT_EQ(S.List->Current(), 3);
    EXPECT_EQ(S.Sprite().Current(), 3);
    S.List->SetCurrent(0);
    S.List->DeleteCel();
    EXPECT_EQ(S.List->Current(), 0);
    EXPECT_EQ(S.Sprite().Cel(0).Delay(), 70000);

    Strip One(150, 100, 8, 1);
    One.List->DeleteCel();
    EXPECT_EQ(One.List->CelCount(), 1);
    EXPECT_EQ(One.Sprite().CelCount(), 1);
}

TEST(CelList, BrushStrokesRedrawOnlyThePicturesTheyTouch) {
    Strip S(150, 100, 8, 3);
    S.List->SetCurrent(1);
    auto Brush = TPxBrush::Create(1, shSquare, PALETTERGB(255, 0, 0), *S.Palette);
    S.Surface.Clear();
    S.List->DrawBrush(2, 3, *Brush, false);
    EXPECT_EQ(S.Sprite().CelBitmap(1).IndexAt(2, 3), RedIndex);
    EXPECT_EQ(S.Sprite().CelBitmap(0).IndexAt(2, 3), WhiteIndex);
    EXPECT_EQ(S.Surface.Drawn, std::vector<const TPxBitmap*>{&S.Sprite().CelBitmap(1)});
    EXPECT_EQ(S.Surface.Only("cel"), Calls{"cel at 18,4"});

    S.Surface.Clear();
    S.List->DrawBrush(0, 0, *Brush, true);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(S.Sprite().CelBitmap(i).IndexAt(0, 0), RedIndex);
    EXPECT_EQ(S.Surface.Drawn.size(), 3u);
}

TEST(CelList, ShapesAndFillsGoToTheCurrentCelOrAll) {
    Strip S(150, 100, 4, 2);
    // The rectangle includes both corners, takes the pen round its edge and the brush inside.
    S.List->Rectangle(0, 0, 2, 2, PALETTERGB(255, 0, 0), PALETTERGB(0, 0, 255), true);
    S.List->FloodFill(3, 3, PALETTERGB(0, 0, 255), false);
    EXPECT_PICTURE(S.Sprite().CelBitmap(0), Legend, {"RRRB", "RBRB", "RRRB", "BBBB"});
    EXPECT_PICTURE(S.Sprite().CelBitmap(1), Legend, {"RRR.", "RBR.", "RRR.", "...."});
    S.List->SolidEllipse(0, 0, 4, 4, PALETTERGB(255, 0, 0), PALETTERGB(255, 0, 0), 1, true);
    EXPECT_EQ(S.Sprite().CelBitmap(1).IndexAt(1, 1), RedIndex);
    S.List->Ellipse(0, 0, 4, 4, PALETTERGB(0, 0, 255), PALETTERGB(255, 0, 0), 1, false);
    EXPECT_EQ(S.Sprite().CelBitmap(0).IndexAt(1, 0), BlueIndex);
    EXPECT_EQ(S.Sprite().CelBitmap(1).IndexAt(1, 0), RedIndex);

    EXPECT_EQ(S.List->GetPixelColor(1, 0), PALETTERGB(0, 0, 255));
    EXPECT_EQ(S.List->GetPixelColor(4, 0), CLR_INVALID);
}

TEST(CelList, SizePaletteBackgroundImportsAndNewDocumentsReachTheSprite) {
    Strip S(150, 100, 8, 2);
    S.Surface.Clear();
    S.List->SetSpriteSize(20, 6, false);
    EXPECT_EQ(S.List->CelWidth(), 20);
    EXPECT_EQ(S.List->CelHeight(), 6);
    EXPECT_EQ(S.Surface.Drawn.size(), 2u);

    auto Copy = TPxPalette::CreateCopy(*S.Palette);
    S.List->SetPalette(*Copy);
    EXPECT_EQ(&S.List->Palette(), Copy.get());
    EXPECT_EQ(S.Sprite().CelBitmap(0).ColorTablePtr(), Copy->Handle());

    S.List->SetBackColor(PALETTERGB(0, 0, 255));
    EXPECT_EQ(S.List->BackColor(), PALETTERGB(0, 0, 255));
    S.List->AppendCel(10);
    EXPECT_EQ(S.Sprite().CelBitmap(2).IndexAt(0, 0), BlueIndex);

    // A picture dropped outside every cel changes nothing.
    TPxBitmap Source(8, 1, 1, *Copy);
    Source.Canvas().SetPixel(0, 0, RGB(255, 0, 0));
    S.Surface.Clear();
    S.List->ImportCel(-1, Source);
    EXPECT_TRUE(S.Surface.All.empty());
    EXPECT_EQ(S.Sprite().CelBitmap(0).IndexAt(0, 0), WhiteIndex);
    S.List->ImportCel(1, Source);
    EXPECT_EQ(S.Sprite().CelBitmap(1).IndexAt(0, 0), RedIndex);
    EXPECT_EQ(S.Sprite().CelBitmap(1).IndexAt(1, 0), WhiteIndex);

    // A new document starts at its first cel.
    S.List->SetCurrent(1);
    auto Next = TSprite::Create(16, 4, *S.Palette, RGB(255, 0, 0));
    for (int i = 0; i < 6; ++i)
        Next->AddCel(0);
    Next->SetCurrent(5);
    S.List->SetSprite(std::move(Next));
    EXPECT_EQ(S.List->Current(), 0);
    EXPECT_EQ(S.Sprite().Current(), 0);
    EXPECT_EQ(S.List->CelCount(), 6);
    EXPECT_EQ(S.List->CelWidth(), 16);
    EXPECT_EQ(&S.List->Palette(), S.Palette.get());
    EXPECT_EQ(S.List->BackColor(), PALETTERGB(255, 0, 0));
}
