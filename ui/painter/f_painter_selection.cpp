// Area selection and the brushes cut from areas: the rubber band over the screen image,
// lifting the selected pixels into a floating area brush (the background colour
// transparent) with a hole cut behind them, dragging it by its grab point, dropping it,
// the marching marquee, the custom brush made from it, and the text brush.
#include <QPainter>
#include <QTimer>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/TextBrush.h"
#include "imaging/ToolGeometry.h"
#include "imaging/ViewZoom.h"
#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "ui/animation/f_charanim.h"
#include "ui/painter/PainterControls.h"
#include "ui/painter/PainterWidgets.h"
#include "ui/painter/frmTextSelection.h"

namespace {
// Length in view pixels of the dots of the rubber band and of the marquee.
constexpr int DotLength = 3;
} // namespace

// ---- Ending a selection ----

void TfrmPainter::DropSelection() {
    if (!SelectionFloating) return;
    SelectionFloating = false;
    // However it was dropped (a click beside it, a save, another cel), nothing floats that
    // zooming, redo or the palette editor would have to wait for. The area's pixels stay
    // at hand for Create Custom Brush.
    CustomBrush = false;
    StopMarquee();
    if (TCelList* List = Cels(); AreaBrush && List) {
        List->DrawBrush(SelLeft, SelTop, *AreaBrush, PaintOnAll());
        MarkModified();
    }
    ShowPainterCel();
    if (AnimationWindow) AnimationWindow->ShowCurrentCel();
}

void TfrmPainter::DrawFloatingSelection(TSprite& Copy) const {
    if (!SelectionFloating || !AreaBrush) return;
    if (PaintOnAll())
        for (int i = 0; i < Copy.CelCount(); ++i)
            Copy.DrawBrushOnCel(SelLeft, SelTop, i, *AreaBrush);
    else
        Copy.DrawBrush(SelLeft, SelTop, *AreaBrush);
}

void TfrmPainter::CancelSelection() {
    LinesActive = false;
    HotSpotX = HotSpotY = 0;
    DropSelection();
    SelectionFloating = false;
    CustomBrush = false;
    TextBrush = false;
    TextBrushMask.reset();
    AreaBrush.reset();
    HideBand();
    Host.SetCreateCustomBrushEnabled(false);
    UpdateBrush();
    ShowPainterCel();
}

void TfrmPainter::EscapePressed() {
    const TPaintTool Tool = CurrentTool();
    const bool Held = LeftDown || RightDown;
    if (Held && Tool == ptSelectArea && !SelectionFloating) {
        // The band goes, and the rest of the drag selects nothing.
        HideBand();
        LeftDown = RightDown = false;
        return;
    }
    if (SelectionFloating || Tool == ptMoveArea) {
        // As another tool would: the area stays where it lies now, a drag in progress ends
        // there, and the select tool goes on.
        if (Tool == ptMoveArea) SelectionFloating = true;
        LeftDown = RightDown = false;
        SetTool(ptSelectArea);
        CancelSelection();
        SetToolCursor(CursorIdOf(ptSelectArea));
        return;
    }
    if (LinesActive) {
        LinesActive = false;
        RepaintView(RefreshMarks());
    }
}

void TfrmPainter::ForgetAreaState() {
    LinesActive = false;
    SelectionFloating = false;
    StopMarquee();
    HideBand();
    Marks.Clear();
    AreaBrush.reset();
    // A text brush is rendered anew for the new palette; one cut from a selection is gone.
    if (!TextBrush) {
        CustomBrush = false;
        HotSpotX = HotSpotY = 0;
        if (Editing().CurrentPainter == this) Host.SetCreateCustomBrushEnabled(false);
    }
}

void TfrmPainter::StopMarquee() {
    Controls->timeSelectedArea->stop();
}

// ---- The select-area tool ----

TRect TfrmPainter::DrawFloating() {
    if (!AreaBrush || !View) return {};
    const TPxBitmap& Floating = AreaBrush->Bitmap();
    const int Left = SelLeft * ViewZoom, Top = SelTop * ViewZoom;
    StampZoomed(Floating, *View, ViewZoom, Left, Top);
    const TRect Drawn{Left, Top, Left + Floating.Width() * ViewZoom,
                      Top + Floating.Height() * ViewZoom};
    Marks.Add(Drawn);
    return Drawn;
}

void TfrmPainter::SelectDown() {
    if (SelectionFloating && StrictlyInside(Selection(), CelX, CelY)) {
        // The grab point stays under the mouse while the area is dragged.
        HotSpotX = PointX - SelLeft * ViewZoom;
        HotSpotY = PointY - SelTop * ViewZoom;
        RepaintView(DrawFloating());
        SetTool(ptMoveArea);
        SetToolCursor(CursorIdOf(ptMoveArea));
        return;
    }
    if (SelectionFloating) DropSelection();
    SelectionFloating = false;
    SelLeft = SelRight = CelX;
    SelTop = SelBottom = CelY;
    ShowBand(CelX, CelY, CelX, CelY);
}

void TfrmPainter::SelectMove() {
    if (!LeftDown && !RightDown) return;
    const TPoint Corner = ClampToCel(CelX, CelY, CelWidth, CelHeight);
    HideBand();
    CurX = Corner.X;
    CurY = Corner.Y;
    const TRect Area = SpanOf(LastX, LastY, CurX, CurY);
    SelLeft = Area.Left;
    SelTop = Area.Top;
    SelRight = Area.Right;
    SelBottom = Area.Bottom;
    ShowBand(LastX, LastY, CurX, CurY);
}

void TfrmPainter::SelectUp() {
    HideBand();
    const TRect Area = LiftedArea(Selection());
    SelLeft = Area.Left;
    SelTop = Area.Top;
    SelRight = Area.Right;
    SelBottom = Area.Bottom;
    // The pixels travel from the current cel only; the hole is cut wherever Paint on All
    // paints.
    const TPxBitmap& Source = Sprite->CelBitmap(CurrentCel());
    AreaBrush = TPxBrush::CreateFromArea(Source, Area, Background, 1);
    Cels()->Rectangle(SelLeft, SelTop, SelRight - 1, SelBottom - 1, Background, Background,
                      PaintOnAll());
    const TRect Shown = ViewRectOf(Area, ViewZoom);
    RestoreViewArea(Shown);
    RepaintView(UnionOf(Shown, DrawFloating()));
    SelectionFloating = true;
    CustomBrush = true;
    // The hole is in the cel now: closing without saving must ask.
    MarkModified();
    Host.SetCreateCustomBrushEnabled(true);
    MarqueePhase = false;
    Controls->timeSelectedArea->start();
}

void TfrmPainter::MoveAreaMove() {
    const bool Started = SelectionFloating;
    // The marquee pauses while the area moves.
    SelectionFloating = false;
    const int Width = SelRight - SelLeft, Height = SelBottom - SelTop;
    const int Left = FloorDiv(PointX - HotSpotX, ViewZoom);
    const int Top = FloorDiv(PointY - HotSpotY, ViewZoom);
    if (!Started && Left == SelLeft && Top == SelTop) return;
    SelLeft = Left;
    SelTop = Top;
    SelRight = Left + Width;
    SelBottom = Top + Height;
    const TRect Restored = RefreshMarks();
    RepaintView(UnionOf(Restored, DrawFloating()));
}

void TfrmPainter::MoveAreaUp() {
    SelectionFloating = true;
    SetTool(ptSelectArea);
    SelectHover(CelX, CelY);
    // Saved now, the area would be dropped at its new place: a change like any other.
    MarkModified();
}

void TfrmPainter::SelectHover(int X, int Y) {
    if (!SelectionFloating) return;
    const TPaintTool Shown = StrictlyInside(Selection(), X, Y) ? ptMoveArea : ptSelectArea;
    SetToolCursor(CursorIdOf(Shown));
}

// ---- The rubber band ----

void TfrmPainter::ShowBand(int X1, int Y1, int X2, int Y2) {
    Band = ViewRectOf(SpanOf(X1, Y1, X2, Y2), ViewZoom);
    BandShown = true;
    RepaintFrame(Band);
}

void TfrmPainter::HideBand() {
    if (!BandShown) return;
    BandShown = false;
    RepaintFrame(Band);
}

void TfrmPainter::RepaintFrame(const TRect& Frame) {
    if (Frame.Left >= Frame.Right || Frame.Top >= Frame.Bottom) return;
    for (const TRect& Edge : FrameEdges(Frame))
        RepaintView(Edge);
}

void TfrmPainter::PaintBand(QPainter& Painter, const QRect& Area) const {
    if (Band.Left >= Band.Right || Band.Top >= Band.Bottom || !View) return;
    const QVector<QRgb>& Table = Controls->ColorTable;
    // The band is the view's own colours with the red channel inverted on its dots: drawn
    // twice it would be gone again, so it never hides what lies under it.
    for (const TRect& Edge : FrameEdges(Band)) {
        const int X0 = std::max({Edge.Left, Area.left(), 0});
        const int X1 = std::min({Edge.Right, Area.right() + 1, ViewWidth});
        const int Y0 = std::max({Edge.Top, Area.top(), 0});
        const int Y1 = std::min({Edge.Bottom, Area.bottom() + 1, ViewHeight});
        if (X0 >= X1 || Y0 >= Y1) continue;
        QImage Strip(X1 - X0, Y1 - Y0, QImage::Format_RGB32);
        for (int y = Y0; y < Y1; ++y) {
            auto* Line = reinterpret_cast<QRgb*>(Strip.scanLine(y - Y0));
            for (int x = X0; x < X1; ++x) {
                const QRgb Under = Table.value(View->IndexAt(x, y));
                Line[x - X0] = OnDash(x, y, DotLength) ? Under ^ 0x00FF0000u : Under;
            }
        }
        Painter.drawImage(X0, Y0, Strip);
    }
}

// ---- The marquee ----

void TfrmPainter::timeSelectedAreaTimer() {
    if (!SelectionFloating || !View) return;
    const TRect Frame = MarqueeFrame(Selection(), ViewZoom);
    const std::uint8_t White = View->Canvas().MatchIndex(RGB(255, 255, 255));
    const std::uint8_t Black = View->Canvas().MatchIndex(RGB(0, 0, 0));
    DrawFrame(*View, Frame, MarqueePhase ? White : Black, 0);
    DrawFrame(*View, Frame, MarqueePhase ? Black : White, DotLength);
    for (const TRect& Edge : FrameEdges(Frame))
        Marks.Add(Edge);
    RepaintFrame(Frame);
    MarqueePhase = !MarqueePhase;
}

// ---- Brushes from areas and text ----

void TfrmPainter::CreateCustomBrush() {
    if (!AreaBrush) return;
    SetTool(ptBrush);
    DropSelection();
    CustomBrush = true;
    SelectionFloating = false;
    UpdateBrush();
    ShowPainterCel();
    // The brush is held by its middle.
    HotSpotX = ((SelRight - SelLeft) * ViewZoom) / 2;
    HotSpotY = ((SelBottom - SelTop) * ViewZoom) / 2;
}

void TfrmPainter::MakeTextBrush() {
    DropSelection();
    if (!Palette || !frmText) return;
    const std::shared_ptr<const TTextMask> Mask = frmText->RenderMask();
    // Every activation and colour click comes here: the brushes are made again only when
    // the text or a colour has changed since.
    if (!TextBrush || Mask != TextBrushMask || Left != TextBrushLeft || Right != TextBrushRight) {
        // Each button's text takes the background its own colour calls for: with one
        // background for both, the right button's default white text would be drawn on
        // white and stamp nothing.
        std::unique_ptr<TPxBrush> NewLeft = CreateTextBrush(*Mask, Left, *Palette, 1);
        std::unique_ptr<TPxBrush> NewRight = CreateTextBrush(*Mask, Right, *Palette, 1);
        LeftBrush = std::move(NewLeft);
        RightBrush = std::move(NewRight);
        TextBrushMask = Mask;
        TextBrushLeft = Left;
        TextBrushRight = Right;
    }
    AreaBrush.reset();
    CustomBrush = true;
    HotSpotX = (Mask->Width * ViewZoom) / 2;
    HotSpotY = (Mask->Height * ViewZoom) / 2;
    TextBrush = true;
}
