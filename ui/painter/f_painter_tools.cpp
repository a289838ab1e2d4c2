// The paint tools besides the brush: line, connected lines, fill, the two rectangles, the
// two ellipses and the colour pickup. The routing of f_painter_mouse.cpp runs their down,
// move and up steps; the shape tools share three steps around a preview and a commit of
// their own (StepsOf). Previews go into the view only and are marked as they are drawn, so
// that the next step puts back just the marked pixels from the cel; commits go through the
// cel list, on every cel with Paint on All.
#include <QApplication>
#include <algorithm>
#include <cstring>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/ToolGeometry.h"
#include "imaging/ViewZoom.h"
#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "ui/common/DialogParts.h"
#include "ui/painter/f_painter.h"

void TfrmPainter::SetTool(TPaintTool Tool) {
    Editing().CurrentTool = Tool;
}

// ---- Previews ----

TRect TfrmPainter::RefreshMarks() {
    const int Index = CurrentCel();
    if (!View || !Sprite || Index < 0 || Index >= Sprite->CelCount()) {
        Marks.Clear();
        return {};
    }
    return Marks.Restore(Sprite->CelBitmap(Index), *View, ViewZoom);
}

TRect TfrmPainter::PreviewStamp(int X, int Y) {
    const TPxBrush* Brush = StrokeBrush();
    if (!Brush) return {};
    // Held by the same point as the commit holds it, so that the preview lies where the
    // release will paint.
    const TRect Drawn = StampViewBrush(*Brush, X - HotSpotX / ViewZoom, Y - HotSpotY / ViewZoom);
    Marks.Add(Drawn);
    return Drawn;
}

TRect TfrmPainter::PreviewWalk(int X1, int Y1, int X2, int Y2) {
    TRect Drawn;
    WalkLine(X1, Y1, X2, Y2, [&](int X, int Y) { Drawn = UnionOf(Drawn, PreviewStamp(X, Y)); });
    return Drawn;
}

TRect TfrmPainter::PreviewOutline(int X1, int Y1, int X2, int Y2) {
    TRect Drawn;
    WalkOutline(X1, Y1, X2, Y2, [&](int X, int Y) { Drawn = UnionOf(Drawn, PreviewStamp(X, Y)); });
    return Drawn;
}

TRect TfrmPainter::CommitOutline(int X1, int Y1, int X2, int Y2) {
    TRect Changed = CommitWalk(X1, Y1, X2, Y1);
    Changed = UnionOf(Changed, CommitWalk(X2, Y1, X2, Y2));
    Changed = UnionOf(Changed, CommitWalk(X1, Y1, X1, Y2));
    return UnionOf(Changed, CommitWalk(X1, Y2, X2, Y2));
}

// ---- Solid rectangle and ellipses ----

namespace {

// The view rectangle of the cel pixels from Area's top-left to its bottom-right corner, both
// included.
TRect Whole(const TRect& Area, int Zoom) {
    return ViewRectOf({Area.Left, Area.Top, Area.Right + 1, Area.Bottom + 1}, Zoom);
}

} // namespace

TRect TfrmPainter::PreviewOnCel(const TRect& Bounds,
                                const std::function<void(TPxCanvas&, int, int)>& Shape) {
    const int Index = CurrentCel();
    if (!View || !Sprite || !Palette || Index < 0 || Index >= Sprite->CelCount()) return {};
    const TPxBitmap& Cel = Sprite->CelBitmap(Index);
    const TRect Box{std::max(Bounds.Left, 0), std::max(Bounds.Top, 0),
                    std::min(Bounds.Right, Cel.Width()), std::min(Bounds.Bottom, Cel.Height())};
    if (Box.Left >= Box.Right || Box.Top >= Box.Bottom) return {};
    // The shape is painted as the release paints it, at the cel's scale onto a copy of the
    // cel's pixels under it, and the copy goes into the view enlarged: what shows is what
    // the release will leave, pixel for pixel, at every zoom.
    TPxBitmap Scratch(8, Box.Right - Box.Left, Box.Bottom - Box.Top, *Palette);
    for (int y = Box.Top; y < Box.Bottom; ++y)
        std::memcpy(Scratch.ScanLine(y - Box.Top), Cel.ScanLine(y) + Box.Left,
                    std::size_t(Box.Right - Box.Left));
    Shape(Scratch.Canvas(), Box.Left, Box.Top);
    const TRect Drawn =
        StampZoomed(Scratch, *View, ViewZoom, Box.Left * ViewZoom, Box.Top * ViewZoom);
    Marks.Add(Drawn);
    return Drawn;
}

TRect TfrmPainter::PreviewSolidRectangle() {
    const TRect Area = SpanOf(LastX, LastY, CurX, CurY);
    const COLORREF Pen = Draw, Fill = Right;
    const TRect Filled =
        PreviewOnCel({Area.Left, Area.Top, Area.Right + 1, Area.Bottom + 1},
                     [&](TPxCanvas& Canvas, int Dx, int Dy) {
                         Canvas.Pen.Color = Pen;
                         Canvas.Pen.Width = 1;
                         Canvas.Brush.Color = Fill;
                         Canvas.Brush.Style = bsSolid;
                         Canvas.Rectangle(Area.Left - Dx, Area.Top - Dy, Area.Right + 1 - Dx,
                                          Area.Bottom + 1 - Dy);
                     });
    return UnionOf(Filled, PreviewOutline(Area.Left, Area.Top, Area.Right, Area.Bottom));
}

TRect TfrmPainter::CommitSolidRectangle() {
    const TRect Area = SpanOf(LastX, LastY, CurX, CurY);
    const COLORREF Color = Draw;
    // The fill is always the right button's colour, whichever button drew the outline.
    Cels()->Rectangle(Area.Left, Area.Top, Area.Right, Area.Bottom, Color, Right, PaintOnAll());
    RestoreViewArea(Whole(Area, ViewZoom));
    return UnionOf(Whole(Area, ViewZoom),
                   CommitOutline(Area.Left, Area.Top, Area.Right, Area.Bottom));
}

TRect TfrmPainter::PreviewEllipse(bool Solid) {
    const TRect Box = SpanOf(LastX, LastY, CurX, CurY);
    const COLORREF Pen = Draw, Fill = Right;
    const int PenWidth = BrushSize();
    return PreviewOnCel(Box, [&](TPxCanvas& Canvas, int Dx, int Dy) {
        Canvas.Pen.Color = Pen;
        Canvas.Pen.Width = PenWidth;
        Canvas.Brush.Color = Fill;
        Canvas.Brush.Style = Solid ? bsSolid : bsClear;
        Canvas.Ellipse(Box.Left - Dx, Box.Top - Dy, Box.Right - Dx, Box.Bottom - Dy);
    });
}

TRect TfrmPainter::CommitEllipse(bool Solid) {
    // The brush size is the outline's width: ellipses do not stamp the brush.
    const int PenWidth = BrushSize();
    if (Solid)
        Cels()->SolidEllipse(LastX, LastY, CurX, CurY, Draw, Right, PenWidth, PaintOnAll());
    else
        Cels()->Ellipse(LastX, LastY, CurX, CurY, Draw, Right, PenWidth, PaintOnAll());
    const TRect Box = ViewRectOf(SpanOf(LastX, LastY, CurX, CurY), ViewZoom);
    RestoreViewArea(Box);
    return Box;
}

// ---- Shapes ----

void TfrmPainter::ShapeDown() {
    MarkModified();
    RepaintView(StepsOf(CurrentTool()).Preview(*this));
}

void TfrmPainter::ShapeMove() {
    const TRect Restored = RefreshMarks();
    CurX = CelX;
    CurY = CelY;
    RepaintView(UnionOf(Restored, StepsOf(CurrentTool()).Preview(*this)));
}

void TfrmPainter::ShapeUp() {
    const TRect Restored = RefreshMarks();
    RepaintView(UnionOf(Restored, StepsOf(CurrentTool()).Commit(*this)));
}

// ---- Connected lines ----

void TfrmPainter::LinesDown() {
    if (LinesActive) {
        // The segment's own preview may be in the other button's colour.
        const TRect Restored = RefreshMarks();
        const TRect Changed = CommitWalk(LinesX, LinesY, CelX, CelY);
        LinesX = CelX;
        LinesY = CelY;
        // Each segment changes the picture, also after a save between two clicks.
        MarkModified();
        RepaintView(UnionOf(Restored, Changed));
        return;
    }
    LinesX = CelX;
    LinesY = CelY;
    MarkModified();
    RepaintView(PreviewWalk(CelX, CelY, CelX, CelY));
    LinesActive = true;
}

void TfrmPainter::LinesMove() {
    if (LinesActive) ShapeMove();
}

// ---- Fill ----

void TfrmPainter::FillDown() {
    MarkModified();
    {
        const THourglass Wait;
        Cels()->FloodFill(CelX, CelY, Draw, PaintOnAll());
    }
    ShowPainterCel();
}

// ---- Pickup ----

void TfrmPainter::PickupDown() {
    // The pickup always reads the current cel, also with Paint on All.
    const COLORREF Color = Cels()->GetPixelColor(CelX, CelY);
    if (Color == CLR_INVALID) return;
    (StrokeRight ? Right : Left) = Color;
    SwatchesChanged();
    UpdateBrush();
}
