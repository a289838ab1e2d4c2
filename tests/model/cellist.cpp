#include <algorithm>
#include <map>

#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/StripSurface.h"
#include "support/PictureAssert.h"

namespace {
constexpr COLORREF Face = RGB(212, 208, 200);
constexpr int WhiteIndex = CubeIndex(255, 255, 255), RedIndex = CubeIndex(255, 0, 0);
constexpr int BlueIndex = CubeIndex(0, 0, 255);
constexpr COLORREF Red = PALETTERGB(255, 0, 0), Blue = PALETTERGB(0, 0, 255);
const PictureLegend Legend{{WhiteIndex, '.'}, {RedIndex, 'R'}, {BlueIndex, 'B'}};
using Calls = std::vector<std::string>;

// Writes every call down as a line ("frame 3,3,37,37 black", "cel 2 at 4,4"); the label
// font is six pixels per character.
class RecordingSurface : public TStripSurface {
public:
    RecordingSurface(int Width_, int Height_) : BoxWidth(Width_), BoxHeight(Height_) {}
    int Width() const override { return BoxWidth; }
    int Height() const override { return BoxHeight; }
    COLORREF ButtonFace() const override { return Face; }
    void Fill(const TRect& R, COLORREF C) override { Put("fill " + Box(R), C); }
    void Frame(const TRect& R, COLORREF C) override { Put("frame " + Box(R), C); }
    void Line(TPoint A, TPoint B, COLORREF C) override { Put("line " + At(A) + "-" + At(B), C); }
    void SetFont(const std::string&, int, bool) override {}
    int TextWidth(const std::string& Text) override { return 6 * int(Text.size()); }
    void Text(const TRect& Clip, int X, int Y, const std::string& Text, COLORREF C) override {
        Put("text " + Text + " at " + At({X, Y}) + " in " + Box(Clip), C);
    }
    void DrawCel(const TPxBitmap& Bitmap, int X, int Y) override {
        int Index = 0;
        while (Index < Cels->CelCount() && &Cels->CelBitmap(Index) != &Bitmap)
            ++Index;
        All.push_back("cel " + std::to_string(Index) + " at " + At({X, Y}));
    }
    void SetScrollRange(int Min, int Max) override {
        Range = std::to_string(Min) + ".." + std::to_string(Max);
        Position = std::clamp(Position, Min, Max);
    }
    int ScrollPosition() const override { return Position; }
    void ArmDrag() override { All.push_back("drag"); }
    void Update() override {}
    // The calls of one kind ("frame", "text", ...).
    Calls Only(const std::string& What) const {
        Calls Found;
        for (const std::string& Call : All)
            if (Call.compare(0, What.size() + 1, What + " ") == 0) Found.push_back(Call);
        return Found;
    }
    int BoxWidth, BoxHeight, Position = 0;
    std::string Range;
    Calls All;
    const TSprite* Cels = nullptr; // whose cels are named by their index

private:
    void Put(const std::string& Call, COLORREF C) {
        const std::map<COLORREF, std::string> Names{
            {0, " black"}, {0xFFFFFF, " white"}, {0x808080, " grey"}, {Face, " face"}};
        All.push_back(Call + (Names.count(C) ? Names.at(C) : " ?"));
    }
    static std::string At(TPoint P) { return std::to_string(P.X) + "," + std::to_string(P.Y); }
    static std::string Box(const TRect& R) {
        return At({R.Left, R.Top}) + "," + At({R.Right, R.Bottom});
    }
};

// White square cels, cel i with delay 100 + i.
struct Strip {
    std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    RecordingSurface Surface;
    std::unique_ptr<TCelList> List;
    Strip(int BoxWidth, int BoxHeight, int CelSize, int Cels) : Surface(BoxWidth, BoxHeight) {
        auto Sprite = TSprite::Create(CelSize, CelSize, *Palette, RGB(255, 255, 255));
        for (int i = 0; i < Cels; ++i)
            Sprite->AddCel(100 + i);
        Surface.Cels = Sprite.get();
        List = std::make_unique<TCelList>(Surface, std::move(Sprite));
    }
    TSprite& Sprite() { return List->Sprite(); }
    TPxBitmap& Cel(int Index) { return Sprite().CelBitmap(Index); }
};
} // namespace

TEST(CelList, LayoutAndDrawingOfTheStrip) {
    // Whole columns fit, but always one; the range scrolls by rows.
    for (auto [Width, Cels, Columns, Range] :
         {std::tuple{20, 4, 1, "0..3"}, {4 + 3 * 40, 3, 3, "0..0"}, {150, 6, 3, "0..1"}}) {
        Strip S(Width, 100, 32, Cels);
        EXPECT_EQ(S.List->Columns(), Columns);
        EXPECT_EQ(S.Surface.Range, Range) << Width << " " << Cels;
    }
    Strip S(150, 60, 32, 5);
    EXPECT_EQ(S.Surface.Only("fill"), Calls{"fill 0,0,150,60 face"});
    // Five slots in rows of three, the highlight around cel 0 last.
    EXPECT_EQ(S.Surface.Only("frame").back(), "frame 1,1,39,54 black");
    EXPECT_EQ(S.Surface.Only("line").size(), 4u);
    EXPECT_EQ(S.Surface.Only("text")[4], "text Cel 5 at 45,88 in 41,89,75,99 black");
    EXPECT_EQ(S.Surface.Only("cel"), (Calls{"cel 0 at 4,4", "cel 1 at 42,4", "cel 2 at 80,4",
                                            "cel 3 at 4,56", "cel 4 at 42,56"}));
}

TEST(CelList, HitTestsSelectionAndDragging) {
    Strip S(150, 100, 32, 5);
    // Cel 1's slot: frame corner (41, 3), picture (42..73, 4..35), label rows 37..46; the
    // second row holds cels 3 and 4 only.
    for (auto [X, Y, Cel] : {std::tuple{50, 20, 1},
                             {50, 70, 4},
                             {50, 4, 1},
                             {50, 3, -1},
                             {50, 40, -1},
                             {100, 70, -1}}) {
        EXPECT_EQ(S.List->CelAt(X, Y), Cel) << X << ", " << Y;
        EXPECT_EQ(S.List->DragOver(X, Y), Cel != -1);
    }
    S.List->SelectAt(41, 40);
    EXPECT_EQ(S.List->Current(), 0) << "frame border";
    S.Surface.All.clear();
    S.List->SelectAt(50, 45);
    EXPECT_EQ(std::make_pair(S.List->Current(), S.Sprite().Current()), std::make_pair(1, 1))
        << "a press on the label selects";
    EXPECT_EQ(S.Surface.All.front(), "drag");
    EXPECT_EQ(S.Surface.Only("frame"), (Calls{"frame 1,1,39,54 face", "frame 39,1,77,54 black"}));
    EXPECT_TRUE(S.Surface.Only("fill").empty() && S.Surface.Only("cel").empty());
    // A dropped cel draws the current picture over the target, which keeps its settings.
    S.Sprite().Cel(2).SetDisposal(1);
    S.Cel(1).Canvas().SetPixel(5, 5, RGB(255, 0, 0));
    S.List->DragDrop(100, 20);
    EXPECT_EQ(S.Cel(2).IndexAt(5, 5), RedIndex);
    EXPECT_EQ(std::make_pair(S.Sprite().Cel(2).Delay(), int(S.Sprite().Cel(2).Disposal())),
              std::make_pair(102, 1));
}

TEST(CelList, InsertAppendAndDeleteKeepACurrentCelAndNeverDeleteTheLast) {
    Strip S(150, 100, 32, 3);
    S.List->SetCurrent(1);
    S.Surface.All.clear();
    S.List->InsertCel(70000);
    EXPECT_EQ(std::make_pair(S.List->CelCount(), S.List->Current()), std::make_pair(4, 1));
    S.List->AppendCel(99999);
    EXPECT_EQ(S.List->CelCount(), 5);
    EXPECT_EQ(S.Surface.Only("cel").size(), 4u + 5u) << "each change repaints the strip";
    S.List->SetCurrent(4);
    S.List->DeleteCel();
    EXPECT_EQ(std::make_pair(S.List->CelCount(), S.List->Current()), std::make_pair(4, 3));
    EXPECT_EQ(S.Sprite().Current(), 3);
    S.List->SetCurrent(0);
    S.List->DeleteCel();
    EXPECT_EQ(S.List->Current(), 0);
    EXPECT_EQ(S.Sprite().Cel(0).Delay(), 70000);
    Strip One(150, 100, 8, 1);
    One.List->DeleteCel();
    EXPECT_EQ(std::make_pair(One.List->CelCount(), One.Sprite().CelCount()), std::make_pair(1, 1));
}

TEST(CelList, ChangesGoToTheCurrentCelOrAllAndRedrawWhatTheyTouch) {
    Strip S(150, 100, 4, 3);
    S.List->SetCurrent(1);
    auto Brush = TPxBrush::Create(1, shSquare, Red, *S.Palette);
    S.Surface.All.clear();
    S.List->DrawBrush(2, 3, *Brush, false);
    EXPECT_EQ(S.Surface.Only("cel"), Calls{"cel 1 at 14,4"}) << "a stroke redraws only its cel";
    S.List->DrawBrush(0, 0, *Brush, true);
    EXPECT_EQ(S.Surface.Only("cel").size(), 4u);
    // The rectangle includes both corners, takes the pen round its edge and the brush
    // inside; a fill goes to the current cel.
    S.List->Rectangle(1, 0, 3, 2, Blue, Red, true);
    S.List->FloodFill(0, 3, Blue, false);
    EXPECT_PICTURE(S.Cel(0), Legend, {"RBBB", ".BRB", ".BBB", "...."});
    EXPECT_PICTURE(S.Cel(1), Legend, {"RBBB", "BBRB", "BBBB", "BBR."});
    EXPECT_EQ(std::make_pair(S.List->GetPixelColor(2, 1), S.List->GetPixelColor(4, 0)),
              std::make_pair(Red, CLR_INVALID));
    // A picture dropped outside every cel changes nothing.
    TPxBitmap Source(8, 1, 1, *S.Palette);
    S.Surface.All.clear();
    S.List->ImportCel(-1, Source);
    EXPECT_TRUE(S.Surface.All.empty());
    S.List->SetSpriteSize(20, 6, false);
    EXPECT_EQ(
        std::make_tuple(S.List->CelWidth(), S.Sprite().Height(), S.Surface.Only("cel").size()),
        std::make_tuple(20, 6, std::size_t(3)));
    // A new document starts at its first cel.
    auto Next = TSprite::Create(16, 4, *S.Palette, RGB(255, 0, 0));
    for (int i = 0; i < 6; ++i)
        Next->AddCel(0);
    Next->SetCurrent(5);
    S.Surface.Cels = Next.get();
    S.List->SetSprite(std::move(Next));
    EXPECT_EQ(std::make_tuple(S.List->Current(), S.Sprite().Current(), S.List->CelCount(),
                              S.List->BackColor()),
              std::make_tuple(0, 0, 6, Red));
}
