#include "model/Spritez.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "imaging/Palette.h"
#include "imaging/brush.h"

namespace {

using IndexMap = std::array<std::uint8_t, 256>;

// How each index of Source is written on Target when moved by colour: the entry of Target's
// table nearest to the source entry's colour, exactly what the canvas would write for it.
// Taken by value because the table keeps only the last answer.
IndexMap ColorMapBetween(const TPxBitmap& Source, const TPxBitmap& Target) {
    return Source.ColorTable().TranslationTo(Target.ColorTable());
}

// Which indices of a bitmap show exactly Color (several entries may hold the same colour).
std::array<bool, 256> IndicesShowing(const TPxBitmap& Bitmap, TRgbColor Color) {
    std::array<bool, 256> Shows{};
    for (int i = 0; i < 256; ++i)
        Shows[i] = Bitmap.ColorTable()[i] == Color;
    return Shows;
}

// Every pixel showing one of the flagged indices becomes NewIndex.
void ReplaceIndices(TPxBitmap& Bitmap, const std::array<bool, 256>& Replace,
                    std::uint8_t NewIndex) {
    const int Width = Bitmap.Width();
    for (int y = 0; y < Bitmap.Height(); ++y) {
        std::uint8_t* Row = Bitmap.ScanLine(y);
        for (int x = 0; x < Width; ++x)
            if (Replace[Row[x]]) Row[x] = NewIndex;
    }
}

// The first Limit characters of a UTF-8 text, never splitting a character.
std::string FirstCharacters(const std::string& Text, std::size_t Limit) {
    std::size_t Characters = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const bool StartsCharacter = (static_cast<unsigned char>(Text[i]) & 0xC0) != 0x80;
        if (StartsCharacter && Characters++ == Limit) return Text.substr(0, i);
    }
    return Text;
}

} // namespace

TCel::TCel(std::unique_ptr<TPxBitmap> Bitmap, std::uint8_t Disposal, std::int32_t Delay)
    : Picture(std::move(Bitmap)), DisposalMethod(Disposal), DelayMs(Delay) {}

TAnimation::TAnimation(const std::string& Name)
    : AnimationName(FirstCharacters(Name, MaxNameLength)) {}

std::unique_ptr<TSprite> TSprite::Create(int Width, int Height, TPxPalette& Palette,
                                         COLORREF BackColor) {
    return std::make_unique<TSprite>(Width, Height, Palette, BackColor);
}

TSprite::TSprite(int Width, int Height, TPxPalette& Palette, COLORREF BackColor)
    : Background(Palette.GetColor(int(Palette.NearestIndexColor(BackColor) & 0xFF))),
      SpriteWidth(Width), SpriteHeight(Height), SpritePalette(&Palette) {
    AddAnimation("Animation [1]");
}

TSprite::~TSprite() = default;

std::unique_ptr<TSprite> TSprite::CreateCopy(TPxPalette& Palette) const {
    auto Copy = Create(SpriteWidth, SpriteHeight, Palette, Background);
    Copy->Cels.reserve(Cels.size());
    Copy->CopyFrom(*this);
    return Copy;
}

void TSprite::CopyFrom(const TSprite& Source) {
    Cels.resize(std::min(Cels.size(), Source.Cels.size()));
    while (Cels.size() < Source.Cels.size())
        AddCelUnfilled(0);
    for (std::size_t i = 0; i < Cels.size(); ++i) {
        const TCel& From = *Source.Cels[i];
        Cels[i]->SetDelay(From.Delay());
        Cels[i]->SetDisposal(From.Disposal());
        std::memcpy(Cels[i]->Bitmap().Bits(), From.Bitmap().Bits(),
                    std::size_t(From.Bitmap().ImageSize()));
    }
    Background = Source.Background;
    CurrentIndex = Source.CurrentIndex;
}

void TSprite::AddAnimation(const std::string& Name) {
    Animations.emplace_back(Name);
}

void TSprite::Clear() {
    Cels.clear();
    Animations.clear();
    CurrentIndex = -1;
}

std::unique_ptr<TPxBitmap> TSprite::NewBitmap(int Width, int Height, bool Unfilled) const {
    return NewBitmap(Width, Height, *SpritePalette, Unfilled);
}

std::unique_ptr<TPxBitmap> TSprite::NewBitmap(int Width, int Height, const TPxPalette& Palette,
                                              bool Unfilled) const {
    const std::size_t Bytes = TPxBitmap::ImageBytes(Width, Height);
    if (Bytes == 0) return std::make_unique<TPxBitmap>(8, Width, Height, Palette);
    // A resized sprite starts a store for its new size; the old one goes with its last cel.
    if (!Pixels || Pixels->BlockBytes() != Bytes) Pixels = TPixelStore::Create(Bytes);
    return std::make_unique<TPxBitmap>(8, Width, Height, Palette,
                                       Unfilled ? Pixels->TakeUnwritten() : Pixels->TakeZeroed());
}

void TSprite::FillWithBackColor(TPxBitmap& Bitmap) const {
    TPxCanvas& Canvas = Bitmap.Canvas();
    Canvas.Pen.Color = Background;
    Canvas.Brush.Color = Background;
    Canvas.Brush.Style = bsSolid;
    Canvas.Rectangle(0, 0, Bitmap.Width(), Bitmap.Height());
}

std::unique_ptr<TCel> TSprite::NewCel(std::int32_t Delay) const {
    auto Bitmap = NewBitmap(SpriteWidth, SpriteHeight);
    FillWithBackColor(*Bitmap);
    return std::make_unique<TCel>(std::move(Bitmap), DisposalRestoreBackground, Delay);
}

int TSprite::AddCel(std::int32_t Delay) {
    Cels.push_back(NewCel(Delay));
    return CelCount() - 1;
}

int TSprite::AddCelUnfilled(std::int32_t Delay) {
    Cels.push_back(std::make_unique<TCel>(NewBitmap(SpriteWidth, SpriteHeight, true),
                                          DisposalRestoreBackground, Delay));
    return CelCount() - 1;
}

void TSprite::InsertCel(std::int32_t Delay) {
    // A sprite without cels has no current position; the new cel then simply comes first.
    const int Position = std::clamp(CurrentIndex, 0, CelCount());
    Cels.insert(Cels.begin() + Position, NewCel(Delay));
}

void TSprite::DeleteCel(int Index) {
    Cels.erase(Cels.begin() + Index);
}

int TSprite::NextIndex(int Index) const {
    return Index >= CelCount() - 1 ? 0 : Index + 1;
}

int TSprite::PrevIndex(int Index) const {
    return Index == 0 ? CelCount() - 1 : Index - 1;
}

// A transform writes every pixel of a cel's new picture into a spare bitmap, which then
// takes the cel's place, and the old picture becomes the spare for the next cel. The one
// spare is the only memory taken, and it is taken before any cel changes: a transform of
// every cel either fails at once or changes them all.
template <typename Transform> void TSprite::ForCels(bool All, Transform&& Apply) {
    if (Cels.empty()) return;
    std::unique_ptr<TPxBitmap> Spare = NewBitmap(SpriteWidth, SpriteHeight);
    const auto Next = [&](TCel& Cel) {
        Apply(static_cast<const TPxBitmap&>(*Cel.Picture), *Spare);
        std::swap(Cel.Picture, Spare);
    };
    if (!All) {
        Next(*Cels[CurrentIndex]);
        return;
    }
    for (auto& Cel : Cels)
        Next(*Cel);
}

// Shifts draw the old picture one pixel over and paint the uncovered edge with the
// background colour.
void TSprite::ShiftUp(bool All) {
    ForCels(All, [this](const TPxBitmap& Old, TPxBitmap& Fresh) {
        Old.Draw(Fresh.Canvas(), 0, -1);
        TPxCanvas& Canvas = Fresh.Canvas();
        Canvas.Pen.Color = Background;
        Canvas.MoveTo(0, SpriteHeight - 1);
        Canvas.LineTo(SpriteWidth, SpriteHeight - 1);
    });
}

void TSprite::ShiftDown(bool All) {
    ForCels(All, [this](const TPxBitmap& Old, TPxBitmap& Fresh) {
        Old.Draw(Fresh.Canvas(), 0, 1);
        TPxCanvas& Canvas = Fresh.Canvas();
        Canvas.Pen.Color = Background;
        Canvas.MoveTo(0, 0);
        Canvas.LineTo(SpriteWidth, 0);
    });
}

void TSprite::ShiftLeft(bool All) {
    ForCels(All, [this](const TPxBitmap& Old, TPxBitmap& Fresh) {
        Old.Draw(Fresh.Canvas(), -1, 0);
        TPxCanvas& Canvas = Fresh.Canvas();
        Canvas.Pen.Color = Background;
        Canvas.MoveTo(SpriteWidth - 1, 0);
        Canvas.LineTo(SpriteWidth - 1, SpriteHeight);
        Canvas.SetPixel(SpriteWidth - 1, 0, Background);
    });
}

void TSprite::ShiftRight(bool All) {
    ForCels(All, [this](const TPxBitmap& Old, TPxBitmap& Fresh) {
        Old.Draw(Fresh.Canvas(), 1, 0);
        TPxCanvas& Canvas = Fresh.Canvas();
        Canvas.Pen.Color = Background;
        Canvas.MoveTo(0, 0);
        Canvas.LineTo(0, SpriteHeight);
        Canvas.SetPixel(0, 0, Background);
    });
}

// Rotations and flips fill the new picture row by row, reading the source along the line
// that lands on that row. For a quarter turn that is a source column; the column's rows stay
// in the cache from one target row to the next, so no tiling is needed at cel sizes.
void TSprite::RotateClockwise(bool All) {
    ForCels(All, [this](const TPxBitmap& Old, TPxBitmap& Fresh) {
        FillWithBackColor(Fresh);
        const IndexMap Map = ColorMapBetween(Old, Fresh);
        const int W = SpriteWidth, H = SpriteHeight, Stride = Old.Stride();
        // Source (x, y) lands on (W - 1 - y, x): target (tx, ty) comes from (ty, W - 1 - tx).
        const int FirstX = std::max(0, W - H);
        for (int ty = 0; ty < std::min(H, W); ++ty) {
            const std::uint8_t* From = Old.ScanLine(W - 1 - FirstX) + ty;
            std::uint8_t* To = Fresh.ScanLine(ty);
            for (int tx = FirstX; tx < W; ++tx, From -= Stride)
                To[tx] = Map[*From];
        }
    });
}

void TSprite::RotateCClockwise(bool All) {
    ForCels(All, [this](const TPxBitmap& Old, TPxBitmap& Fresh) {
        FillWithBackColor(Fresh);
        const IndexMap Map = ColorMapBetween(Old, Fresh);
        const int W = SpriteWidth, H = SpriteHeight, Stride = Old.Stride();
        // Source (x, y) lands on (y, H - 1 - x): target (tx, ty) comes from (H - 1 - ty, tx).
        const int LastX = std::min(W, H);
        for (int ty = std::max(0, H - W); ty < H; ++ty) {
            const std::uint8_t* From = Old.Bits() + (H - 1 - ty);
            std::uint8_t* To = Fresh.ScanLine(ty);
            for (int tx = 0; tx < LastX; ++tx, From += Stride)
                To[tx] = Map[*From];
        }
    });
}

void TSprite::FlipVert(bool All) {
    ForCels(All, [this](const TPxBitmap& Old, TPxBitmap& Fresh) {
        const IndexMap Map = ColorMapBetween(Old, Fresh);
        for (int y = 0; y < SpriteHeight; ++y) {
            const std::uint8_t* From = Old.ScanLine(y) + SpriteWidth - 1;
            std::uint8_t* To = Fresh.ScanLine(y);
            for (int x = 0; x < SpriteWidth; ++x)
                *To++ = Map[*From--];
        }
    });
}

void TSprite::FlipHorz(bool All) {
    ForCels(All, [this](const TPxBitmap& Old, TPxBitmap& Fresh) {
        const IndexMap Map = ColorMapBetween(Old, Fresh);
        for (int y = 0; y < SpriteHeight; ++y) {
            const std::uint8_t* From = Old.ScanLine(SpriteHeight - 1 - y);
            std::uint8_t* To = Fresh.ScanLine(y);
            for (int x = 0; x < SpriteWidth; ++x)
                To[x] = Map[From[x]];
        }
    });
}

// Every new picture is made before any cel takes its own: cels of two sizes never meet.
void TSprite::Resize(int NewWidth, int NewHeight, bool Stretch) {
    std::vector<std::unique_ptr<TPxBitmap>> Fresh;
    Fresh.reserve(Cels.size());
    for (auto& Cel : Cels) {
        Fresh.push_back(NewBitmap(NewWidth, NewHeight));
        FillWithBackColor(*Fresh.back());
        if (Stretch)
            Cel->Picture->StretchDraw(Fresh.back()->Canvas(), 0, 0, NewWidth, NewHeight);
        else
            Cel->Picture->Draw(Fresh.back()->Canvas(), 0, 0);
    }
    for (std::size_t i = 0; i < Cels.size(); ++i)
        Cels[i]->Picture = std::move(Fresh[i]);
    SpriteWidth = NewWidth;
    SpriteHeight = NewHeight;
}

void TSprite::CopyCelPicture(int FromIndex, int ToIndex) {
    CelBitmap(FromIndex).Draw(CelBitmap(ToIndex).Canvas(), 0, 0);
}

void TSprite::ChangeBackColor(COLORREF OldColor, COLORREF NewColor) {
    if (Cels.empty()) return;
    // The colour the old background actually shows as, which is what its pixels hold.
    const TPxBitmap& First = CelBitmap(0);
    const TRgbColor Shown = First.ColorTable()[First.Canvas().MatchIndex(OldColor)];
    for (auto& Cel : Cels) {
        TPxBitmap& Bitmap = *Cel->Picture;
        ReplaceIndices(Bitmap, IndicesShowing(Bitmap, Shown), Bitmap.Canvas().MatchIndex(NewColor));
    }
}

void TSprite::ReplaceColor(int Index, COLORREF OldColor, COLORREF NewColor) {
    // Only the RGB part of the two PALETTERGB values counts; the new colour is written as
    // a plain colour, matched by the canvas.
    TPxBitmap& Bitmap = CelBitmap(Index);
    const std::uint8_t NewIndex = Bitmap.Canvas().MatchIndex(NewColor & 0xFFFFFFu);
    ReplaceIndices(Bitmap, IndicesShowing(Bitmap, TRgbColor::FromRef(OldColor)), NewIndex);
}

void TSprite::ReplaceColorAll(COLORREF OldColor, COLORREF NewColor) {
    for (int i = 0; i < CelCount(); ++i)
        ReplaceColor(i, OldColor, NewColor);
}

void TSprite::SetDisposalAll(std::uint8_t Value) {
    for (auto& Cel : Cels)
        Cel->DisposalMethod = Value;
}

// As Resize: every cel's new picture first, then the palette and the pictures change
// together.
void TSprite::SetPalette(TPxPalette& NewPalette) {
    SpritePalette->BuildMap(NewPalette);
    const IndexMap Map = SpritePalette->Map();
    std::vector<std::unique_ptr<TPxBitmap>> Fresh;
    Fresh.reserve(Cels.size());
    for (auto& Cel : Cels) {
        Fresh.push_back(NewBitmap(SpriteWidth, SpriteHeight, NewPalette));
        Fresh.back()->Remap(Map, *Cel->Picture);
    }
    SpritePalette = &NewPalette;
    for (std::size_t i = 0; i < Cels.size(); ++i)
        Cels[i]->Picture = std::move(Fresh[i]);
}

void TSprite::ImportCel(int Index, const TPxBitmap& Source) {
    TPxBitmap& Target = CelBitmap(Index == -1 ? CurrentIndex : Index);
    // Each source index stands for one colour, so its nearest user colour is found once.
    IndexMap Map;
    for (int i = 0; i < 256; ++i)
        Map[i] = Target.Canvas().MatchIndex(
            SpritePalette->NearestIndexColor(Source.ColorTable()[i].Ref()));
    const int Width = std::min(Source.Width(), Target.Width());
    const int Height = std::min(Source.Height(), Target.Height());
    for (int y = 0; y < Height; ++y) {
        const std::uint8_t* From = Source.ScanLine(y);
        std::uint8_t* To = Target.ScanLine(y);
        for (int x = 0; x < Width; ++x)
            To[x] = Map[From[x]];
    }
}

void TSprite::ImportBitmap(int Index, const TRgbPicture& Source) {
    TPxBitmap& Target = CelBitmap(Index == -1 ? CurrentIndex : Index);
    const int Width = std::min(Source.Width, Target.Width());
    const int Height = std::min(Source.Height, Target.Height());
    // Pictures are mostly runs of one colour: remember the last match.
    TRgbColor LastColor = Source.Width > 0 && Source.Height > 0 ? Source.At(0, 0) : TRgbColor{};
    std::uint8_t LastIndex =
        Target.Canvas().MatchIndex(SpritePalette->NearestIndexColor(LastColor.Ref()));
    for (int y = 0; y < Height; ++y) {
        std::uint8_t* To = Target.ScanLine(y);
        for (int x = 0; x < Width; ++x) {
            const TRgbColor Color = Source.At(x, y);
            if (Color != LastColor) {
                LastColor = Color;
                LastIndex =
                    Target.Canvas().MatchIndex(SpritePalette->NearestIndexColor(Color.Ref()));
            }
            To[x] = LastIndex;
        }
    }
}

void TSprite::DrawBrush(int X, int Y, const TPxBrush& Brush) {
    DrawBrushOnCel(X, Y, CurrentIndex, Brush);
}

void TSprite::DrawBrushOnCel(int X, int Y, int Index, const TPxBrush& Brush) {
    Brush.Stamp(CelBitmap(Index).Canvas(), X, Y);
}

void TSprite::FloodFill(int X, int Y, COLORREF Color) {
    FloodFillCel(X, Y, CurrentIndex, Color);
}

void TSprite::FloodFillCel(int X, int Y, int Index, COLORREF Color) {
    TPxCanvas& Canvas = CelBitmap(Index).Canvas();
    const COLORREF Seed = Canvas.Pixel(X, Y);
    if (Seed == CLR_INVALID) return;
    Canvas.Brush.Color = Color;
    Canvas.Brush.Style = bsSolid;
    Canvas.FloodFill(X, Y, 0x02000000u | Seed);
}

void TSprite::Rectangle(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor) {
    RectangleOnCel(X1, Y1, X2, Y2, PenColor, BrushColor, CurrentIndex);
}

void TSprite::RectangleOnCel(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                             int Index) {
    TPxCanvas& Canvas = CelBitmap(Index).Canvas();
    Canvas.Pen.Color = PenColor;
    Canvas.Brush.Color = BrushColor;
    Canvas.Brush.Style = bsSolid;
    Canvas.Rectangle(X1, Y1, X2 + 1, Y2 + 1);
}

void TSprite::Ellipse(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                      int PenWidth) {
    EllipseOnCel(X1, Y1, X2, Y2, PenColor, BrushColor, PenWidth, CurrentIndex);
}

void TSprite::EllipseOnCel(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                           int PenWidth, int Index) {
    (void)BrushColor; // an outline only; kept so both ellipses take the same arguments
    TPxCanvas& Canvas = CelBitmap(Index).Canvas();
    Canvas.Pen.Color = PenColor;
    Canvas.Pen.Width = PenWidth;
    Canvas.Brush.Style = bsClear;
    Canvas.Ellipse(X1, Y1, X2, Y2);
    Canvas.Pen.Width = 1;
}

void TSprite::SolidEllipse(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                           int PenWidth) {
    SolidEllipseOnCel(X1, Y1, X2, Y2, PenColor, BrushColor, PenWidth, CurrentIndex);
}

void TSprite::SolidEllipseOnCel(int X1, int Y1, int X2, int Y2, COLORREF PenColor,
                                COLORREF BrushColor, int PenWidth, int Index) {
    TPxCanvas& Canvas = CelBitmap(Index).Canvas();
    Canvas.Pen.Color = PenColor;
    Canvas.Pen.Width = PenWidth;
    Canvas.Brush.Color = BrushColor;
    Canvas.Brush.Style = bsSolid;
    Canvas.Ellipse(X1, Y1, X2, Y2);
    Canvas.Pen.Width = 1;
}

std::vector<std::vector<std::uint8_t>> TSprite::SaveAllBits() const {
    std::vector<std::vector<std::uint8_t>> Blocks;
    Blocks.reserve(Cels.size());
    for (const auto& Cel : Cels)
        Blocks.push_back(Cel->Picture->CopyBits());
    return Blocks;
}

void TSprite::RestoreAllBits(const std::vector<std::vector<std::uint8_t>>& Blocks) {
    const std::size_t Count = std::min(Blocks.size(), Cels.size());
    for (std::size_t i = 0; i < Count; ++i)
        Cels[i]->Picture->SetBits(Blocks[i]);
}
