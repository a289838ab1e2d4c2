#include "model/Cellist.h"

#include <string>
#include <utility>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/brush.h"
#include "model/StripSurface.h"

namespace {
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Grey = RGB(0x80, 0x80, 0x80);
} // namespace

TCelList::TCelList(TStripSurface& Surface_, std::unique_ptr<TSprite> Sprite)
    : Surface(Surface_), OwnedSprite(std::move(Sprite)), ListPalette(&OwnedSprite->Palette()) {
    OwnedSprite->SetCurrent(0);
    CurrentLeft = GridMarginX;
    CurrentTop = GridMarginY;
    Layout();
    Refresh();
}

TCelList::~TCelList() = default;

void TCelList::SetSprite(std::unique_ptr<TSprite> Sprite) {
    OwnedSprite = std::move(Sprite);
    OwnedSprite->SetCurrent(0);
    CurrentIndex = 0;
    ListPalette = &OwnedSprite->Palette();
    Background = OwnedSprite->BackColor();
    Rebuild();
}

void TCelList::Layout() {
    CelPixelWidth = OwnedSprite->Width();
    CelPixelHeight = OwnedSprite->Height();
    GridPitchX = CelPixelWidth + 6;
    GridPitchY = CelPixelHeight + 20;
    Count = OwnedSprite->CelCount();

    GridColumns = (Surface.Width() - GridMarginX) / (GridPitchX + 2);
    if (GridColumns < 1) GridColumns = 1;
    GridRows = Count / GridColumns + (Count % GridColumns != 0 ? 1 : 0);
    if (GridRows < 1) GridRows = 1;
    RowsVisible = Surface.Height() / (GridPitchY + 2) + 1;

    if (GridColumns >= Count)
        Surface.SetScrollRange(0, 0);
    else
        Surface.SetScrollRange(0, GridRows - 1 < 1 ? 1 : GridRows - 1);
    // The scroll bar keeps its position inside the new range; the first visible cel
    // follows it so that it stays at the start of a row when the column count changes.
    FirstShown = Surface.ScrollPosition() * GridColumns;
}

void TCelList::Rebuild() {
    Layout();
    Refresh();
}

void TCelList::Refresh() {
    DrawStrip();
    DrawHighlight();
}

TPoint TCelList::SlotCorner(int Column, int Row) const {
    return {GridMarginX - 1 + Column * GridPitchX, GridMarginY - 1 + Row * GridPitchY};
}

void TCelList::DrawStrip() {
    Surface.Fill({0, 0, Surface.Width(), Surface.Height()}, Surface.ButtonFace());
    Surface.SetFont("Arial", 8, true);
    int i = FirstShown;
    // Two rows more than fit, so that a partly shown row at the bottom is complete.
    for (int r = 0; r < RowsVisible + 2 && i < Count; ++r) {
        for (int c = 0; c < GridColumns && i < Count; ++c, ++i) {
            const TPoint Slot = SlotCorner(c, r);
            const int x = Slot.X, y = Slot.Y;
            Surface.Frame({x, y, x + CelPixelWidth + 2, y + CelPixelHeight + 2}, Black);

            std::string Label = "Cel " + std::to_string(i + 1);
            int LabelWidth = Surface.TextWidth(Label);
            if (LabelWidth > CelPixelWidth + 2) {
                Label = std::to_string(i + 1);
                LabelWidth = Surface.TextWidth(Label);
            }
            Surface.Text(
                {x, y + CelPixelHeight + 2, x + CelPixelWidth + 2, y + CelPixelHeight + 12},
                x + CelPixelWidth + 2 - LabelWidth, y + CelPixelHeight + 1, Label, Black);

            Surface.DrawCel(OwnedSprite->CelBitmap(i), x + 1, y + 1);
            if (i == CurrentIndex) {
                CurrentLeft = x + 1;
                CurrentTop = y + 1;
            }
        }
    }
    Surface.Update();
}

void TCelList::RedrawCels() {
    int i = FirstShown;
    for (int r = 0; r < RowsVisible + 2 && i < Count; ++r)
        for (int c = 0; c < GridColumns && i < Count; ++c, ++i) {
            const TPoint Slot = SlotCorner(c, r);
            Surface.DrawCel(OwnedSprite->CelBitmap(i), Slot.X + 1, Slot.Y + 1);
        }
    Surface.Update();
}

bool TCelList::CurrentShown() const {
    return FirstShown <= CurrentIndex && CurrentIndex <= FirstShown + RowsVisible * GridColumns + 1;
}

void TCelList::DrawHighlightIn(COLORREF Frame, COLORREF Lit, COLORREF Shaded) {
    const int x0 = CurrentLeft, y0 = CurrentTop;
    const int Right = x0 + CelPixelWidth;
    Surface.Frame({x0 - 3, y0 - 3, Right + 3, y0 + GridPitchY - 2}, Frame);
    Surface.Line({x0 - 3, y0 + GridPitchY - 3}, {x0 - 3, y0 - 3}, Lit);
    Surface.Line({x0 - 3, y0 - 3}, {Right + 3, y0 - 3}, Lit);
    Surface.Line({Right + 1, y0 - 2}, {Right + 1, y0 + GridPitchY - 4}, Shaded);
    Surface.Line({Right + 1, y0 + GridPitchY - 4}, {x0 - 2, y0 + GridPitchY - 4}, Shaded);
    Surface.Update();
}

void TCelList::DrawHighlight() {
    if (CurrentShown()) DrawHighlightIn(Black, White, Grey);
}

void TCelList::EraseHighlight() {
    if (CurrentIndex >= FirstShown) {
        const COLORREF Face = Surface.ButtonFace();
        DrawHighlightIn(Face, Face, Face);
    }
}

void TCelList::Scroll() {
    FirstShown = Surface.ScrollPosition() * GridColumns;
    Refresh();
}

void TCelList::SetCurrent(int Index) {
    if (Index == CurrentIndex) return;
    CurrentIndex = Index;
    OwnedSprite->SetCurrent(Index);
    Refresh();
}

int TCelList::SlotAt(int X, int Y, int Right, int Bottom, TPoint* Corner) const {
    int i = FirstShown;
    for (int r = 0; r < GridRows && i < Count; ++r)
        for (int c = 0; c < GridColumns && i < Count; ++c, ++i) {
            const TPoint Slot = SlotCorner(c, r);
            if (Slot.X < X && X < Slot.X + Right && Slot.Y < Y && Y < Slot.Y + Bottom) {
                if (Corner) *Corner = Slot;
                return i;
            }
        }
    return -1;
}

void TCelList::SelectAt(int X, int Y) {
    Surface.ArmDrag();
    TPoint Slot;
    const int Hit = SlotAt(X, Y, CelPixelWidth + 2, CelPixelHeight + 12, &Slot);
    if (Hit == -1 || Hit == CurrentIndex) return;
    EraseHighlight();
    CurrentIndex = Hit;
    OwnedSprite->SetCurrent(Hit);
    CurrentLeft = Slot.X + 1;
    CurrentTop = Slot.Y + 1;
    DrawHighlight();
}

int TCelList::CelAt(int X, int Y) const {
    return SlotAt(X, Y, CelPixelWidth, CelPixelHeight, nullptr);
}

bool TCelList::DragOver(int X, int Y) const {
    return CelAt(X, Y) != -1;
}

void TCelList::DragDrop(int X, int Y) {
    const int Target = CelAt(X, Y);
    if (Target == -1 || Target == CurrentIndex) return;
    OwnedSprite->CopyCelPicture(CurrentIndex, Target);
    Refresh();
}

void TCelList::AppendCel(std::int32_t Delay) {
    OwnedSprite->AddCel(Delay);
    Rebuild();
}

void TCelList::InsertCel(std::int32_t Delay) {
    OwnedSprite->InsertCel(Delay);
    Rebuild();
}

void TCelList::DeleteCel() {
    if (Count == 1) return;
    OwnedSprite->DeleteCel(CurrentIndex);
    --Count;
    EraseHighlight();
    if (CurrentIndex > Count - 1) CurrentIndex = Count - 1;
    OwnedSprite->SetCurrent(CurrentIndex);
    Rebuild();
}

void TCelList::ImportCel(int Index, const TPxBitmap& Source) {
    if (Index == -1) return;
    OwnedSprite->ImportCel(Index, Source);
    Refresh();
}

void TCelList::SetSpriteSize(int NewWidth, int NewHeight, bool Stretch) {
    if (NewWidth == CelPixelWidth && NewHeight == CelPixelHeight) return;
    OwnedSprite->Resize(NewWidth, NewHeight, Stretch);
    Layout();
    Refresh();
}

void TCelList::SetPalette(TPxPalette& NewPalette) {
    OwnedSprite->SetPalette(NewPalette);
    ListPalette = &NewPalette;
    Rebuild();
}

void TCelList::SetBackColor(COLORREF Color) {
    Background = Color;
    OwnedSprite->SetBackColor(Color);
}

COLORREF TCelList::GetPixelColor(int X, int Y) const {
    const COLORREF Color = OwnedSprite->CelBitmap(CurrentIndex).Canvas().Pixel(X, Y);
    return Color == CLR_INVALID ? CLR_INVALID : 0x02000000u | Color;
}

void TCelList::DrawBrush(int X, int Y, const TPxBrush& Brush, bool All) {
    if (All) {
        for (int i = 0; i < OwnedSprite->CelCount(); ++i)
            OwnedSprite->DrawBrushOnCel(X, Y, i, Brush);
        RedrawCels();
        return;
    }
    OwnedSprite->DrawBrush(X, Y, Brush);
    // A stroke stamps many times a second: refresh only this cel's thumbnail.
    if (CurrentShown()) {
        Surface.DrawCel(CurrentBitmap(), CurrentLeft, CurrentTop);
        Surface.Update();
    }
}

void TCelList::FloodFill(int X, int Y, COLORREF Color, bool All) {
    if (All)
        for (int i = 0; i < OwnedSprite->CelCount(); ++i)
            OwnedSprite->FloodFillCel(X, Y, i, Color);
    else
        OwnedSprite->FloodFill(X, Y, Color);
    Refresh();
}

void TCelList::Rectangle(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                         bool All) {
    if (All)
        for (int i = 0; i < OwnedSprite->CelCount(); ++i)
            OwnedSprite->RectangleOnCel(X1, Y1, X2, Y2, PenColor, BrushColor, i);
    else
        OwnedSprite->Rectangle(X1, Y1, X2, Y2, PenColor, BrushColor);
    RedrawCels();
}

void TCelList::Ellipse(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                       int PenWidth, bool All) {
    if (All)
        for (int i = 0; i < OwnedSprite->CelCount(); ++i)
            OwnedSprite->EllipseOnCel(X1, Y1, X2, Y2, PenColor, BrushColor, PenWidth, i);
    else
        OwnedSprite->Ellipse(X1, Y1, X2, Y2, PenColor, BrushColor, PenWidth);
    RedrawCels();
}

void TCelList::SolidEllipse(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                            int PenWidth, bool All) {
    if (All)
        for (int i = 0; i < OwnedSprite->CelCount(); ++i)
            OwnedSprite->SolidEllipseOnCel(X1, Y1, X2, Y2, PenColor, BrushColor, PenWidth, i);
    else
        OwnedSprite->SolidEllipse(X1, Y1, X2, Y2, PenColor, BrushColor, PenWidth);
    RedrawCels();
}
