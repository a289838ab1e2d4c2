#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/StripSurface.h"
#include "support/PictureAssert.h"

// Outside the anonymous namespace, so that the comparisons of the test macros find them.
bool operator==(const TRect& A, const TRect& B) {
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}
bool operator==(const TPoint& A, const TPoint& B) {
    return A.X == B.X && A.Y == B.Y;
}
std::ostream& operator<<(std::ostream& Out, const TRect& R) {
    return Out << '(' << R.Left << ", " << R.Top << ", " << R.Right << ", " << R.Bottom << ')';
}
std::ostream& operator<<(std::ostream& Out, const TPoint& P) {
    return Out << '(' << P.X << ", " << P.Y << ')';
}

namespace {
constexpr COLORREF Face = RGB(212, 208, 200);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Grey = RGB(128, 128, 128);
constexpr int WhiteIndex = CubeIndex(255, 255, 255);
constexpr int RedIndex = CubeIndex(255, 0, 0);
constexpr int BlueIndex = CubeIndex(0, 0, 255);
const PictureLegend Legend{{WhiteIndex, '.'}, {RedIndex, 'R'}, {BlueIndex, 'B'}};

// Remembers every call; the label font is six pixels per character.
class RecordingSurface : public StripSurface {
public:
    struct Call {
        std::string What; // "fill", "frame", "line", "text", "cel", "drag", "update"
        TRect Rect{};
        TPoint From{}, To{};
        std::string Text;
        COLORREF Color = 0;
        const TPxBitmap* Bitmap = nullptr;
    };

    RecordingSurface(int Width_, int Height_) : BoxWidth(Width_), BoxHeight(Height_) {}

    int Width() const override { return BoxWidth; }
    int Height() const override { return BoxHeight; }
    COLORREF ButtonFace() const override { return Face; }
    void Fill(const TRect& Rect, COLORREF Color) override {
        Call& C = Add("fill");
        C.Rect = Rect;
        C.Color = Color;
    }
    void Frame(const TRect& Rect, COLORREF Color) override {
        Call& C = Add("frame");
        C.Rect = Rect;
        C.Color = Color;
    }
    void Line(TPoint From, TPoint To, COLORREF Color) override {
        Call& C = Add("line");
        C.From = From;
        C.To = To;
        C.Color = Color;
    }
    void SetFont(const std::string& Name, int Size, bool Bold) override {
        Font = Name + " " + std::to_string(Size) + (Bold ? " bold" : "");
    }
    int TextWidth(const std::string& Text) override { return 6 * int(Text.size()); }
    void Text(const TRect& Clip, int X, int Y, const std::string& Text, COLORREF Color) override {
        Call& C = Add("text");
        C.Rect = Clip;
        C.From = {X, Y};
        C.Text = Text;
        C.Color = Color;
    }
    void DrawCel(const TPxBitmap& Bitmap, int X, int Y) override {
        Call& C = Add("cel");
        C.From = {X, Y};
        C.Bitmap = &Bitmap;
    }
    void SetScrollRange(int Min, int Max) override {
        ScrollMin = Min;
        ScrollMax = Max;
        Position = std::clamp(Position, Min, Max);
    }
    int ScrollPosition() const override { return Position; }
    void ArmDrag() override { Add("drag"); }
    void Update() override { Add("update"); }

    std::vector<Call> Only(const std::string& What) const {
        std::vector<Call> Found;
        for (const Call& C : Calls)
            if (C.What == What) Found.push_back(C);
        return Found;
    }

    int BoxWidth, BoxHeight;
    int ScrollMin = -1, ScrollMax = -1, Position = 0;
    std::string Font;
    std::vector<Call> Calls;

private:
    Call& Add(const std::string& What) {
        Calls.emplace_back();
        Calls.back().What = What;
        return Calls.back();
    }
};

struct Strip {
    std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    RecordingSurface Surface;
    std::unique_ptr<TCelList> List;

    Strip(int BoxWidth, int BoxHeight, int CelSize, int Cels, int CelHeight = 0)
        : Surface(BoxWidth, BoxHeight) {
        auto Sprite = TSprite::Create(CelSize, CelHeight ? CelHeight : CelSize, *Palette, White);
        for (int i = 0; i < Cels; ++i)
            Sprite->AddCel(100 + i);
        Sprite->SetCurrent(0);
        List = std::make_unique<TCelList>(Surface, std::move(Sprite));
    }
    TSprite& Sprite() { return List->Sprite(); }
    // The delay tells the cels apart: cel i was made with 100 + i.
    int Original(int Index) { return Sprite().Cel(Index).Delay() - 100; }
};
} // namespace

TEST(CelList, LayoutOfThirtyTwoPixelCelsInA150PixelBox) {
    Strip S(150, 100, 32, 7);
    EXPECT_EQ(S.List->PitchX(), 38);
    EXPECT_EQ(S.List->PitchY(), 52);
    EXPECT_EQ(S.List->Columns(), 3);
    EXPECT_EQ(S.List->Rows(), 3);
    EXPECT_EQ(S.List->VisibleRows(), 100 / 54 + 1);
    EXPECT_EQ(S.Surface.ScrollMin, 0);
    EXPECT_EQ(S.Surface.ScrollMax, 2);
    EXPECT_EQ(S.List->CelCount(), 7);
    EXPECT_EQ(S.List->BackColor(), White);
}

TEST(CelList, LayoutKeepsOneColumnAndNeedsNoScrollingWhenAllCelsFit) {
    Strip Narrow(20, 100, 32, 4);
    EXPECT_EQ(Narrow.List->Columns(), 1);
    EXPECT_EQ(Narrow.List->Rows(), 4);
    EXPECT_EQ(Narrow.Surface.ScrollMax, 3);

    Strip Wide(500, 100, 32, 7);
    EXPECT_EQ(Wide.List->Columns(), 12);
    EXPECT_EQ(Wide.List->Rows(), 1);
    EXPECT_EQ(Wide.Surface.ScrollMax, 0);

    Strip Exact(4 + 3 * 40, 100, 32, 3);
    EXPECT_EQ(Exact.List->Columns(), 3);
    EXPECT_EQ(Exact.Surface.ScrollMax, 0);
}

TEST(CelList, StripDrawsFramesLabelsAndPicturesOnTheGrid) {
    Strip S(150, 60, 32, 5);
    const auto Frames = S.Surface.Only("frame");
    // Five slot frames, then the highlight around the current cel.
    ASSERT_EQ(Frames.size(), 6u);
    EXPECT_EQ(Frames[0].Rect, (TRect{3, 3, 37, 37}));
    EXPECT_EQ(Frames[1].Rect, (TRect{41, 3, 75, 37}));
    EXPECT_EQ(Frames[3].Rect, (TRect{3, 55, 37, 89}));
    EXPECT_EQ(Frames[3].Color, Black);
    const auto Cels = S.Surface.Only("cel");
    ASSERT_EQ(Cels.size(), 5u);
    EXPECT_EQ(Cels[4].From, (TPoint{42, 56}));
    EXPECT_EQ(Cels[4].Bitmap, &S.Sprite().CelBitmap(4));
    EXPECT_EQ(S.Surface.Only("fill")[0].Rect, (TRect{0, 0, 150, 60}));
    EXPECT_EQ(S.Surface.Only("fill")[0].Color, Face);
    EXPECT_EQ(S.Surface.Font, "Arial 8 bold");

    // Highlight of cel 0, whose picture is at (4, 4): black box, lit top and left, shaded
    // right and bottom.
    EXPECT_EQ(Frames[5].Rect, (TRect{1, 1, 39, 54}));
    EXPECT_EQ(Frames[5].Color, Black);
    const auto Lines = S.Surface.Only("line");
    ASSERT_EQ(Lines.size(), 4u);
    EXPECT_EQ(Lines[0].From, (TPoint{1, 53}));
    EXPECT_EQ(Lines[0].To, (TPoint{1, 1}));
    EXPECT_EQ(Lines[1].To, (TPoint{39, 1}));
    EXPECT_EQ(Lines[1].Color, White);
    EXPECT_EQ(Lines[2].From, (TPoint{37, 2}));
    EXPECT_EQ(Lines[2].To, (TPoint{37, 52}));
    EXPECT_EQ(Lines[3].To, (TPoint{2, 52}));
    EXPECT_EQ(Lines[3].Color, Grey);
}

TEST(CelList, LabelsShowTheNumberAloneWhenTheTextIsWiderThanTheCel) {
    Strip Narrow(400, 200, 16, 10);
    const auto NarrowLabels = Narrow.Surface.Only("text");
    ASSERT_EQ(NarrowLabels.size(), 10u);
    EXPECT_EQ(NarrowLabels[9].Text, "10");
    // Tenth slot: column 9 of 16, x = 3 + 9 * 22; right-aligned to the frame.
    const int x = 3 + 9 * 22;
    EXPECT_EQ(NarrowLabels[9].From, (TPoint{x + 18 - 12, 3 + 17}));
    EXPECT_EQ(NarrowLabels[9].Rect, (TRect{x, 3 + 18, x + 18, 3 + 28}));
    EXPECT_EQ(NarrowLabels[9].Color, Black);

    Strip Wide(800, 200, 64, 10);
    const auto WideLabels = Wide.Surface.Only("text");
    ASSERT_EQ(WideLabels.size(), 10u);
    EXPECT_EQ(WideLabels[0].Text, "Cel 1");
    EXPECT_EQ(WideLabels[9].Text, "Cel 10");
    EXPECT_EQ(WideLabels[9].From.X, 3 + 9 * 70 + 66 - 36);
}

TEST(CelList, ScrollingToRowTwoShowsCelSevenTopLeft) {
    Strip S(150, 60, 32, 12);
    EXPECT_EQ(S.Surface.ScrollMax, 3);
    S.Surface.Calls.clear();
    S.Surface.Position = 2;
    S.List->Scroll();
    EXPECT_EQ(S.List->FirstVisible(), 6);
    const auto Cels = S.Surface.Only("cel");
    ASSERT_FALSE(Cels.empty());
    EXPECT_EQ(Cels[0].Bitmap, &S.Sprite().CelBitmap(6));
    EXPECT_EQ(Cels[0].From, (TPoint{4, 4}));
    EXPECT_EQ(S.Surface.Only("text")[0].Text, "Cel 7");
    // The current cel (0) is scrolled away: no highlight.
    EXPECT_EQ(S.Surface.Only("line").size(), 0u);

    // A wider box with fewer rows pulls the position back into range.
    S.Surface.BoxWidth = 400;
    S.List->Layout();
    EXPECT_EQ(S.Surface.ScrollMax, 1);
    EXPECT_EQ(S.List->FirstVisible(), 9);
}

TEST(CelList, HitTestsExcludeBordersAndDropsExcludeLabels) {
    Strip S(150, 100, 32, 5);
    // Cel 1's slot: frame corner (41, 3), picture (42..73, 4..35), label rows 37..46.
    EXPECT_EQ(S.List->CelAt(50, 20), 1);
    EXPECT_EQ(S.List->CelAt(41, 20), -1) << "frame border";
    EXPECT_EQ(S.List->CelAt(50, 40), -1) << "label";
    EXPECT_EQ(S.List->CelAt(140, 20), -1) << "beyond the last column";
    EXPECT_EQ(S.List->CelAt(100, 70), -1) << "the second row holds only cels 3 and 4";
    EXPECT_EQ(S.List->CelAt(50, 70), 4);
    EXPECT_TRUE(S.List->DragOver(50, 20));
    EXPECT_FALSE(S.List->DragOver(50, 40));

    S.List->SelectAt(41, 40);
    EXPECT_EQ(S.List->Current(), 0) << "frame border";
    S.List->SelectAt(50, 45);
    EXPECT_EQ(S.List->Current(), 1) << "label";
    EXPECT_EQ(S.Sprite().Current(), 1);
    EXPECT_EQ(S.List->CurrentX(), 42);
    EXPECT_EQ(S.List->CurrentY(), 4);
}

TEST(CelList, SelectingACelMovesOnlyTheHighlight) {
    Strip S(150, 100, 32, 5);
    S.Surface.Calls.clear();
    S.List->SelectAt(20, 70); // cel 3, frame corner (3, 55)
    EXPECT_EQ(S.List->Current(), 3);
    EXPECT_EQ(S.Surface.Calls.front().What, "drag");
    EXPECT_TRUE(S.Surface.Only("fill").empty());
    EXPECT_TRUE(S.Surface.Only("cel").empty());
    const auto Frames = S.Surface.Only("frame");
    ASSERT_EQ(Frames.size(), 2u);
    EXPECT_EQ(Frames[0].Rect, (TRect{1, 1, 39, 54}));
    EXPECT_EQ(Frames[0].Color, Face);
    EXPECT_EQ(Frames[1].Rect, (TRect{1, 53, 39, 106}));
    EXPECT_EQ(Frames[1].Color, Black);

    S.Surface.Calls.clear();
    S.List->SelectAt(20, 70);
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
    EXPECT_EQ(S.Sprite().Cel(2).Delay(), 102);
    EXPECT_EQ(S.Sprite().Cel(2).Disposal(), 1);
    EXPECT_EQ(S.List->Current(), 0);
}

TEST(CelList, DeletingKeepsACurrentCelAndNeverTheLastOne) {
    Strip S(150, 100, 8, 5);
    S.List->SetCurrent(4);
    S.List->DeleteCel();
    EXPECT_EQ(S.List->CelCount(), 4);
    EXPECT_EQ(S.List->Current(), 3);
    EXPECT_EQ(S.Sprite().Current(), 3);

    S.List->SetCurrent(1);
    S.List->DeleteCel();
    EXPECT_EQ(S.List->CelCount(), 3);
    EXPECT_EQ(S.List->Current(), 1);
    EXPECT_EQ(S.Original(1), 2);

    Strip One(150, 100, 8, 1);
    One.List->DeleteCel();
    EXPECT_EQ(One.List->CelCount(), 1);
    EXPECT_EQ(One.Sprite().CelCount(), 1);
}

TEST(CelList, InsertAndAppendRebuildTheGrid) {
    Strip S(150, 100, 32, 3);
    S.List->SetCurrent(1);
    S.Surface.Calls.clear();
    S.List->InsertCel(70000);
    EXPECT_EQ(S.List->CelCount(), 4);
    EXPECT_EQ(S.List->Current(), 1);
    EXPECT_EQ(S.Sprite().Cel(1).Delay(), 70000);
    EXPECT_EQ(S.Original(2), 1);
    EXPECT_EQ(S.List->Rows(), 2);
    EXPECT_EQ(S.Surface.ScrollMax, 1);

    S.List->AppendCel(99999);
    EXPECT_EQ(S.List->CelCount(), 5);
    EXPECT_EQ(S.Sprite().Cel(4).Delay(), 99999);
    EXPECT_EQ(S.List->Current(), 1);
    EXPECT_EQ(S.Surface.Only("cel").size(), 4u + 5u) << "each change repaints the strip";
}

TEST(CelList, BrushStrokesRedrawOnlyThePicturesTheyTouch) {
    Strip S(150, 100, 8, 3);
    S.List->SetCurrent(1);
    auto Brush = TPxBrush::Create(1, shSquare, PALETTERGB(255, 0, 0), *S.Palette);
    S.Surface.Calls.clear();
    S.List->DrawBrush(2, 3, *Brush, false);
    EXPECT_EQ(S.Sprite().CelBitmap(1).IndexAt(2, 3), RedIndex);
    EXPECT_EQ(S.Sprite().CelBitmap(0).IndexAt(2, 3), WhiteIndex);
    auto Cels = S.Surface.Only("cel");
    ASSERT_EQ(Cels.size(), 1u);
    EXPECT_EQ(Cels[0].Bitmap, &S.Sprite().CelBitmap(1));
    EXPECT_EQ(Cels[0].From, (TPoint{S.List->CurrentX(), S.List->CurrentY()}));
    EXPECT_EQ(Cels[0].From, (TPoint{4 + 14, 4}));

    S.Surface.Calls.clear();
    S.List->DrawBrush(0, 0, *Brush, true);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(S.Sprite().CelBitmap(i).IndexAt(0, 0), RedIndex);
    EXPECT_EQ(S.Surface.Only("cel").size(), 3u);
    EXPECT_TRUE(S.Surface.Only("frame").empty());
    EXPECT_TRUE(S.Surface.Only("text").empty());
}

TEST(CelList, ShapesAndFillsGoToTheCurrentCelOrAll) {
    Strip S(150, 100, 4, 2);
    S.List->Rectangle(0, 0, 1, 1, PALETTERGB(0, 0, 255), PALETTERGB(0, 0, 255), false);
    EXPECT_PICTURE(S.Sprite().CelBitmap(0), Legend, {"BB..", "BB..", "....", "...."});
    EXPECT_PICTURE(S.Sprite().CelBitmap(1), Legend, {"....", "....", "....", "...."});
    S.List->FloodFill(3, 3, PALETTERGB(255, 0, 0), true);
    EXPECT_PICTURE(S.Sprite().CelBitmap(0), Legend, {"BBRR", "BBRR", "RRRR", "RRRR"});
    EXPECT_PICTURE(S.Sprite().CelBitmap(1), Legend, {"RRRR", "RRRR", "RRRR", "RRRR"});
    S.List->SolidEllipse(0, 0, 4, 4, PALETTERGB(0, 0, 255), PALETTERGB(0, 0, 255), 1, true);
    EXPECT_EQ(S.Sprite().CelBitmap(1).IndexAt(1, 1), BlueIndex);
    S.List->Ellipse(0, 0, 4, 4, PALETTERGB(255, 0, 0), PALETTERGB(0, 0, 255), 1, false);
    EXPECT_EQ(S.Sprite().CelBitmap(0).IndexAt(1, 0), RedIndex);
    EXPECT_EQ(S.Sprite().CelBitmap(1).IndexAt(1, 0), BlueIndex);

    EXPECT_EQ(S.List->GetPixelColor(1, 0), PALETTERGB(255, 0, 0));
    EXPECT_EQ(S.List->GetPixelColor(4, 0), CLR_INVALID);
}

TEST(CelList, SizePaletteAndBackgroundChangesReachTheSprite) {
    Strip S(150, 100, 8, 2);
    S.Surface.Calls.clear();
    S.List->SetSpriteSize(8, 8, true);
    EXPECT_TRUE(S.Surface.Calls.empty()) << "same size: nothing to do";
    S.List->SetSpriteSize(20, 6, false);
    EXPECT_EQ(S.List->CelWidth(), 20);
    EXPECT_EQ(S.List->CelHeight(), 6);
    EXPECT_EQ(S.List->PitchX(), 26);
    EXPECT_EQ(S.Sprite().CelBitmap(1).Width(), 20);
    EXPECT_EQ(S.Surface.Only("cel").size(), 2u);

    auto Copy = TPxPalette::CreateCopy(*S.Palette);
    S.List->SetPalette(*Copy);
    EXPECT_EQ(&S.List->Palette(), Copy.get());
    EXPECT_EQ(&S.Sprite().Palette(), Copy.get());
    EXPECT_EQ(S.Sprite().CelBitmap(0).ColorTablePtr(), Copy->Handle());

    S.List->SetBackColor(PALETTERGB(0, 0, 255));
    EXPECT_EQ(S.List->BackColor(), PALETTERGB(0, 0, 255));
    S.List->AppendCel(10);
    EXPECT_EQ(S.Sprite().CelBitmap(2).IndexAt(0, 0), BlueIndex);
}

TEST(CelList, ImportIgnoresAPositionOutsideEveryCel) {
    Strip S(150, 100, 2, 2);
    TPxBitmap Source(8, 1, 1, *S.Palette);
    Source.Canvas().SetPixel(0, 0, RGB(255, 0, 0));
    S.Surface.Calls.clear();
    S.List->ImportCel(-1, Source);
    EXPECT_TRUE(S.Surface.Calls.empty());
    S.List->ImportCel(1, Source);
    EXPECT_PICTURE(S.Sprite().CelBitmap(1), Legend, {"R.", ".."});
    EXPECT_PICTURE(S.Sprite().CelBitmap(0), Legend, {"..", ".."});
}

TEST(CelList, SetSpriteReplacesTheDocument) {
    Strip S(150, 100, 8, 2);
    S.List->SetCurrent(1);
    auto Next = TSprite::Create(16, 4, *S.Palette, RGB(0, 0, 255));
    for (int i = 0; i < 6; ++i)
        Next->AddCel(0);
    Next->SetCurrent(5);
    TSprite* Raw = Next.get();
    S.List->SetSprite(std::move(Next));
    EXPECT_EQ(&S.Sprite(), Raw);
    EXPECT_EQ(S.List->Current(), 0);
    EXPECT_EQ(Raw->Current(), 0);
    EXPECT_EQ(S.List->CelCount(), 6);
    EXPECT_EQ(S.List->CelWidth(), 16);
    EXPECT_EQ(S.List->BackColor(), PALETTERGB(0, 0, 255));
}
