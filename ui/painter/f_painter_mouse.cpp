// Mouse input in the painter's image: the routing every tool shares (colour and brush by
// button, undo snapshot, last and current point, hover preview, status-bar position) and
// the tools' own down, move and up steps.
#include <QComboBox>

#include "imaging/LineWalk.h"
#include "imaging/PxBitmap.h"
#include "imaging/ToolGeometry.h"
#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "ui/animation/f_charanim.h"
#include "ui/painter/PainterControls.h"
#include "ui/painter/PainterWidgets.h"

namespace {

void Grow(TRect& Into, const TRect& R) {
    if (R.Left >= R.Right || R.Top >= R.Bottom) return;
    if (Into.Left >= Into.Right || Into.Top >= Into.Bottom) {
        Into = R;
        return;
    }
    Into.Left = std::min(Into.Left, R.Left);
    Into.Top = std::min(Into.Top, R.Top);
    Into.Right = std::max(Into.Right, R.Right);
    Into.Bottom = std::max(Into.Bottom, R.Bottom);
}

} // namespace

TfrmPainter::TToolSteps TfrmPainter::StepsOf(TPaintTool Tool) {
    using P = TfrmPainter;
    const auto Shape = [](TRect (*Preview)(P&), TRect (*Commit)(P&)) {
        return TToolSteps{&P::ShapeDown, &P::ShapeMove, &P::ShapeUp, Preview, Commit};
    };
    const auto PreviewLine = [](P& It) {
        return It.PreviewWalk(It.LastX, It.LastY, It.CurX, It.CurY);
    };
    switch (Tool) {
    case ptBrush:
        return {&P::BrushDown, &P::BrushMove};
    case ptLine:
        return Shape(PreviewLine,
                     [](P& It) { return It.CommitWalk(It.LastX, It.LastY, It.CurX, It.CurY); });
    case ptLines:
        return {&P::LinesDown, &P::LinesMove, nullptr, PreviewLine};
    case ptFill:
        return {&P::FillDown};
    case ptSelectArea:
        return {&P::SelectDown, &P::SelectMove, &P::SelectUp};
    case ptMoveArea:
        return {nullptr, &P::MoveAreaMove, &P::MoveAreaUp};
    case ptRectangle:
        return Shape([](P& It) { return It.PreviewOutline(It.LastX, It.LastY, It.CurX, It.CurY); },
                     [](P& It) { return It.CommitOutline(It.LastX, It.LastY, It.CurX, It.CurY); });
    case ptSolidRectangle:
        return Shape([](P& It) { return It.PreviewSolidRectangle(); },
                     [](P& It) { return It.CommitSolidRectangle(); });
    case ptCircle:
        return Shape([](P& It) { return It.PreviewEllipse(false); },
                     [](P& It) { return It.CommitEllipse(false); });
    case ptSolidCircle:
        return Shape([](P& It) { return It.PreviewEllipse(true); },
                     [](P& It) { return It.CommitEllipse(true); });
    case ptPickupColor:
        return {&P::PickupDown};
    }
    return {};
}

const TPxBrush* TfrmPainter::StrokeBrush() const {
    if (AreaBrush) return AreaBrush.get();
    return StrokeRight ? RightBrush.get() : LeftBrush.get();
}

// ---- The common routing ----

void TfrmPainter::imgPainterMouseDown(Qt::MouseButton Button, int X, int Y) {
    if (Button != Qt::LeftButton && Button != Qt::RightButton) return;
    if (!Sprite || !View || CurrentCel() < 0) return;
    // The preview is not part of the picture: strokes start from the cel's own pixels.
    ClearPreview();
    if (!LeftBrush || !RightBrush) UpdateBrush();
    const TPaintTool Tool = CurrentTool();
    if (Tool != ptPickupColor && !SelectionFloating) SaveUndo();
    StrokeRight = Button == Qt::RightButton;
    if (StrokeRight) {
        Draw = Right;
        RightDown = true;
    } else {
        Draw = Left;
        LeftDown = true;
    }
    PointX = X;
    PointY = Y;
    CelX = LastX = CurX = HandledX = FloorDiv(X, ViewZoom);
    CelY = LastY = CurY = HandledY = FloorDiv(Y, ViewZoom);
    if (auto Down = StepsOf(Tool).Down) (this->*Down)();
}

// The buttons are followed through LeftDown and RightDown, which the presses set.
void TfrmPainter::imgPainterMouseMove(Qt::MouseButtons, int X, int Y) {
    const int Cx = FloorDiv(X, ViewZoom), Cy = FloorDiv(Y, ViewZoom);
    Host.SetStatusText(1, "X:" + QString::number(Cx) + "  Y:" + QString::number(Cy));
    if (!Sprite || !View) return;
    const TPaintTool Tool = CurrentTool();
    const bool Held = LeftDown || RightDown;
    if (!Held && Tool != ptSelectArea && !LinesActive) {
        if (0 <= Cx && Cx < CelWidth && 0 <= Cy && Cy < CelHeight)
            ShowPreview(Cx - HotSpotX / ViewZoom, Cy - HotSpotY / ViewZoom);
        else
            ClearPreview();
        return;
    }
    PointX = X;
    PointY = Y;
    CelX = Cx;
    CelY = Cy;
    if (!Held && Tool == ptSelectArea) {
        SelectHover(Cx, Cy);
        return;
    }
    if (Tool >= ptPickupColor) return;
    // A dragged selection follows the image point, whose grab offset need not fall on a
    // cel pixel's edge; the other tools act once per cel pixel reached. Coming back to
    // the pixel the button went down on counts as a move as well, so that a line or a band
    // always ends where the mouse is.
    if (Tool != ptMoveArea && Cx == HandledX && Cy == HandledY) return;
    HandledX = Cx;
    HandledY = Cy;
    if (auto Move = StepsOf(Tool).Move) (this->*Move)();
}

void TfrmPainter::imgPainterMouseUp(Qt::MouseButton Button, int, int) {
    if (Button != Qt::LeftButton && Button != Qt::RightButton) return;
    const bool WasDown = Button == Qt::LeftButton ? LeftDown : RightDown;
    (Button == Qt::LeftButton ? LeftDown : RightDown) = false;
    if (!WasDown || !Sprite || !View) return;
    if (auto Up = StepsOf(CurrentTool()).Up) (this->*Up)();
    // With Paint on All the stroke reached the cels the onion skin shows as well.
    if (PaintOnAll() && Editing().OnionSkin) ViewOptionsChanged();
    if (AnimationWindow) AnimationWindow->ShowCurrentCel();
}

// ---- Stamps ----

TRect TfrmPainter::CommitStamp(int X, int Y) {
    const TPxBrush* Brush = StrokeBrush();
    if (!Brush) return {};
    Cels()->DrawBrush(X, Y, *Brush, PaintOnAll());
    return StampViewBrush(*Brush, X, Y);
}

TRect TfrmPainter::CommitWalk(int X1, int Y1, int X2, int Y2) {
    TRect Changed;
    const int Dx = HotSpotX / ViewZoom, Dy = HotSpotY / ViewZoom;
    WalkLine(X1, Y1, X2, Y2, [&](int X, int Y) { Grow(Changed, CommitStamp(X - Dx, Y - Dy)); });
    return Changed;
}

// ---- The brush tool ----

void TfrmPainter::BrushDown() {
    MarkModified();
    RepaintView(CommitStamp(LastX - HotSpotX / ViewZoom, LastY - HotSpotY / ViewZoom));
}

void TfrmPainter::BrushMove() {
    CurX = CelX;
    CurY = CelY;
    // One repaint for the whole segment, however many stamps it took.
    RepaintView(CommitWalk(LastX, LastY, CurX, CurY));
    LastX = CurX;
    LastY = CurY;
}
