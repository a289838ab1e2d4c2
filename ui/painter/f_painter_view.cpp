// The painter's view: the zoomed cel in ViewBitmap, how it reaches the screen, the brush
// preview under the cursor, and the paint boxes of the strip and the swatches.
#include <QAccessible>
#include <QComboBox>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/ViewZoom.h"
#include "imaging/brush.h"
#include "model/Spritez.h"
#include "ui/common/Application.h"
#include "ui/common/CelImage.h"
#include "ui/common/DialogParts.h"
#include "ui/painter/PainterControls.h"
#include "ui/painter/PainterWidgets.h"

namespace {

TRect Intersect(const TRect& A, const TRect& B) {
    return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
            std::min(A.Bottom, B.Bottom)};
}

bool IsEmpty(const TRect& R) {
    return R.Left >= R.Right || R.Top >= R.Bottom;
}

TRect Unite(const TRect& A, const TRect& B) {
    if (IsEmpty(A)) return B;
    if (IsEmpty(B)) return A;
    return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
            std::max(A.Bottom, B.Bottom)};
}

QColor ScreenColor(const TPxPalette* Palette, COLORREF Color) {
    const TRgbColor C = Palette ? Palette->ColorOf(Color) : TRgbColor::FromRef(Color);
    return QColor(C.Red, C.Green, C.Blue);
}

} // namespace

// ---- The view ----

void TfrmPainter::ResizeView() {
    if (!Sprite || !Palette) return;
    TakeView(MakeView(Sprite->Width(), Sprite->Height(), ViewZoom));
}

TfrmPainter::TView TfrmPainter::MakeView(int Width, int Height, int Zoom) const {
    TView Made;
    if (!Palette) return Made;
    Made.CelWidth = Width;
    Made.CelHeight = Height;
    Made.Zoom = FittingZoom(Width, Height, Zoom);
    Made.Bitmap = std::make_unique<TPxBitmap>(8, Width * Made.Zoom, Height * Made.Zoom, *Palette);
    Made.Marks.Reset(Width * Made.Zoom, Height * Made.Zoom);
    return Made;
}

void TfrmPainter::TakeView(TView Made) {
    if (!Made.Bitmap) return;
    // Snapshots of another size can never be put back into these cels.
    const bool Resized = CelWidth != Made.CelWidth || CelHeight != Made.CelHeight;
    if (Resized && CelWidth > 0 && CelHeight > 0) ResetUndo();
    if (Made.Zoom != ViewZoom) {
        // Hot spots are view pixels: a brush stays held by the same point of it.
        HotSpotX = HotSpotX * Made.Zoom / ViewZoom;
        HotSpotY = HotSpotY * Made.Zoom / ViewZoom;
        ViewZoom = Made.Zoom;
        SetZoomItem();
    }
    CelWidth = Made.CelWidth;
    CelHeight = Made.CelHeight;
    ViewWidth = CelWidth * ViewZoom;
    ViewHeight = CelHeight * ViewZoom;
    PreviewShown = false;
    View = std::move(Made.Bitmap);
    Marks = std::move(Made.Marks);
    Controls->imgPainter->setFixedSize(ViewWidth, ViewHeight);
}

void TfrmPainter::RefreshView() {
    const int Index = CurrentCel();
    if (!View || !Sprite || Index < 0 || Index >= Sprite->CelCount()) return;
    // A resize of the cels reaches the painter as a refresh of another size.
    if (Sprite->Width() != CelWidth || Sprite->Height() != CelHeight) ResizeView();
    ZoomCel(Sprite->CelBitmap(Index), *View, ViewZoom);
    PreviewShown = false;
    Marks.Clear();
    BuildOnion();
    // The floating pixels are not part of the cel, but still float above it.
    if (SelectionFloating) DrawFloating();
}

void TfrmPainter::BuildOnion() {
    const TEditingState& State = Editing();
    const int Index = CurrentCel();
    if (!State.OnionSkin || !Sprite || Index < 0 || Index >= Sprite->CelCount()) {
        Onion.Clear();
        return;
    }
    Onion.Build(*Sprite, Index, State.OnionBefore, State.OnionAfter);
}

void TfrmPainter::ViewOptionsChanged() {
    BuildOnion();
    Controls->imgPainter->update();
}

bool TfrmPainter::GridShown() const {
    return Editing().PixelGrid && ViewZoom >= 4;
}

void TfrmPainter::ShowPainterCel() {
    RefreshView();
    Controls->imgPainter->update();
}

void TfrmPainter::RepaintView(const TRect& Area) {
    const TRect Shown = Intersect(Area, {0, 0, ViewWidth, ViewHeight});
    if (IsEmpty(Shown)) return;
    Controls->imgPainter->update(Shown.Left, Shown.Top, Shown.Right - Shown.Left,
                                 Shown.Bottom - Shown.Top);
}

void TfrmPainter::RestoreViewArea(const TRect& Area) {
    const int Index = CurrentCel();
    if (!View || !Sprite || Index < 0 || Index >= Sprite->CelCount()) return;
    ZoomCelArea(Sprite->CelBitmap(Index), *View, ViewZoom,
                CelAreaOfView(Area, ViewZoom, CelWidth, CelHeight));
}

TRect TfrmPainter::StampViewBrush(const TPxBrush& Brush, int X, int Y) {
    const int Half = Brush.Size() / 2;
    return StampZoomed(Brush.Bitmap(), *View, ViewZoom, ViewZoom * (X - Half),
                       ViewZoom * (Y - Half));
}

void TfrmPainter::ShowPreview(int X, int Y) {
    const TPxBrush* Brush = AreaBrush ? AreaBrush.get() : LeftBrush.get();
    if (!View || !Brush) return;
    // Only the part the last preview covered goes back to the cel's pixels: the rest of
    // the view already shows them, and a whole refresh at zoom 10 costs 30 MB per move.
    TRect Changed;
    if (PreviewShown) {
        RestoreViewArea(PreviewArea);
        Changed = PreviewArea;
    }
    PreviewArea = StampViewBrush(*Brush, X, Y);
    PreviewShown = true;
    RepaintView(Unite(Changed, PreviewArea));
}

void TfrmPainter::ClearPreview() {
    if (!PreviewShown) return;
    PreviewShown = false;
    RestoreViewArea(PreviewArea);
    RepaintView(PreviewArea);
}

void TfrmPainter::RebuildColorBitmaps() {
    QVector<QRgb>& Table = Controls->ColorTable;
    Table.resize(256);
    for (int i = 0; i < 256; ++i) {
        const TRgbColor C = Palette ? Palette->Entry(i).Color() : TRgbColor{};
        Table[i] = qRgb(C.Red, C.Green, C.Blue);
    }
    Controls->imgPainter->update();
    Controls->imgPalette->update();
    SwatchesChanged();
}

void TfrmPainter::SwatchesChanged() {
    TPainterBox& Swatches = *Controls->imgDrawColors;
    // A screen reader says which colour each button paints with.
    Swatches.LeftSwatch->setAccessibleDescription(ScreenColor(Palette, Left).name());
    Swatches.RightSwatch->setAccessibleDescription(ScreenColor(Palette, Right).name());
    Swatches.update();
}

void TfrmPainter::PaintImage(QPainter& Painter, const QRect& Area) const {
    if (!View) return;
    // Rows start on 4-byte boundaries, so the wrapped part starts on one as well.
    const int Left = std::max(Area.left(), 0) & ~3;
    const int Top = std::max(Area.top(), 0);
    const int Right = std::min(Area.right() + 1, ViewWidth);
    const int Bottom = std::min(Area.bottom() + 1, ViewHeight);
    if (Left >= Right || Top >= Bottom) return;
    QImage Part;
    if (Onion.Empty()) {
        // The view's own bytes, shown through the palette's colours without a copy.
        Part = QImage(View->ScanLine(Top) + Left, Right - Left, Bottom - Top, View->Stride(),
                      QImage::Format_Indexed8);
    } else {
        // The onion skin goes under a copy of the part shown: the view itself, which the
        // tools draw into and restore from the cel, never holds it.
        Part = QImage(Right - Left, Bottom - Top, QImage::Format_Indexed8);
        for (int y = Top; y < Bottom; ++y) {
            std::uint8_t* Row = Part.scanLine(y - Top);
            std::memcpy(Row, View->ScanLine(y) + Left, std::size_t(Right - Left));
            Onion.ComposeRow(Row, Left, Right, y, ViewZoom);
        }
    }
    Part.setColorTable(Controls->ColorTable);
    if (GridShown()) {
        QImage Lined = Part.convertToFormat(QImage::Format_RGB32);
        DrawGrid(Lined, Left, Top);
        Painter.drawImage(Left, Top, Lined);
    } else {
        Painter.drawImage(Left, Top, Part);
    }
    if (BandShown) PaintBand(Painter, Area);
}

void TfrmPainter::DrawGrid(QImage& Shown, int Left, int Top) const {
    // Exclusive-or with middle grey moves every channel by half its range, so a line shows
    // on light and dark pixels alike. The first view column and row of every cel pixel but
    // the first carry it: a line between each two pixels, on the screen only.
    const int Z = ViewZoom;
    for (int y = 0; y < Shown.height(); ++y) {
        auto* Row = reinterpret_cast<QRgb*>(Shown.scanLine(y));
        const int ViewY = Top + y;
        if (ViewY > 0 && ViewY % Z == 0) {
            for (int x = 0; x < Shown.width(); ++x)
                Row[x] ^= 0x00808080u;
            continue;
        }
        for (int x = (Z - Left % Z) % Z; x < Shown.width(); x += Z)
            if (Left + x > 0) Row[x] ^= 0x00808080u;
    }
}

// ---- The strip and the swatches ----

void TfrmPainter::PaintStrip(QPainter& Painter) const {
    Painter.fillRect(Controls->imgPalette->rect(), Qt::black);
    if (!Palette) return;
    for (int Row = TopRow; Row <= TopRow + 1; ++Row)
        for (int Column = 0; Column < 16; ++Column) {
            const int Entry = Row * 16 + Column + FirstUserColor;
            if (Entry > LastUserColor) break;
            const TRgbColor C = Palette->Entry(Entry).Color();
            // The black box shows between the swatches as their outlines.
            Painter.fillRect(Column * SwatchWidth + 1, (Row - TopRow) * SwatchHeight + 1,
                             SwatchWidth - 1, SwatchHeight - 1, QColor(C.Red, C.Green, C.Blue));
        }
}

void TfrmPainter::PaintColors(QPainter& Painter) const {
    const QRect Box = Controls->imgDrawColors->rect();
    Painter.fillRect(Box, ScreenColor(Palette, Background));
    Painter.setPen(Qt::black);
    Painter.drawLine(0, 0, Box.width() - 1, 0);
    Painter.drawLine(0, 0, 0, Box.height() - 1);
    Painter.setBrush(ScreenColor(Palette, Left));
    Painter.drawRect(6, 5, 17, 12);
    Painter.setBrush(ScreenColor(Palette, Right));
    Painter.drawRect(26, 5, 17, 12);
}

// ---- The paint boxes ----

namespace {

// A swatch of the drawing colours: a child of the box that shows it, for its name only.
QWidget* Swatch(QWidget* Box, const char* Name, const char* Caption, int X) {
    auto* Shown = new QWidget(Box);
    SetAccessibleRole(*Shown, QAccessible::Graphic);
    Shown->setObjectName(Name);
    Shown->setAccessibleName(Caption);
    Shown->setToolTip(Caption);
    Shown->setGeometry(X, 5, 18, 13);
    Shown->setAttribute(Qt::WA_TransparentForMouseEvents);
    return Shown;
}

} // namespace

TPainterBox::TPainterBox(TPart Part, TfrmPainter& Painter, QWidget* Parent)
    : QWidget(Parent), Part(Part), Painter(Painter) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    switch (Part) {
    case TPart::Image:
        SetAccessibleRole(*this, QAccessible::Canvas);
        NameControl(this, "imgPainter", "Picture");
        setMouseTracking(true);
        break;
    case TPart::Strip:
        SetAccessibleRole(*this, QAccessible::Table);
        NameControl(this, "imgPalette", "Palette");
        setToolTip("Left click: left colour; right click: right colour");
        break;
    case TPart::Colors:
        SetAccessibleRole(*this, QAccessible::Graphic);
        NameControl(this, "imgDrawColors", "Drawing Colors");
        LeftSwatch = Swatch(this, "LeftColor", "Left Color", 6);
        RightSwatch = Swatch(this, "RightColor", "Right Color", 26);
        break;
    }
}

void TPainterBox::paintEvent(QPaintEvent* Event) {
    QPainter P(this);
    if (Part == TPart::Image)
        Painter.PaintImage(P, Event->rect());
    else if (Part == TPart::Strip)
        Painter.PaintStrip(P);
    else
        Painter.PaintColors(P);
}

void TPainterBox::mousePressEvent(QMouseEvent* Event) {
    const QPoint At = Event->position().toPoint();
    if (Part == TPart::Image && !Painter.Panning &&
        (Event->button() == Qt::MiddleButton ||
         (Event->button() == Qt::LeftButton && Painter.SpaceHeld &&
          !Event->buttons().testFlag(Qt::RightButton))))
        Painter.PanStart(Event->globalPosition().toPoint());
    else if (Part == TPart::Image)
        RunGuarded([&] { Painter.imgPainterMouseDown(Event->button(), At.x(), At.y()); });
    else if (Part == TPart::Strip)
        RunGuarded([&] { Painter.imgPaletteMouseDown(Event->button(), At.x(), At.y()); });
    else
        QWidget::mousePressEvent(Event);
}

void TPainterBox::mouseMoveEvent(QMouseEvent* Event) {
    if (Part != TPart::Image) return QWidget::mouseMoveEvent(Event);
    if (Painter.Panning) return Painter.PanMove(Event->globalPosition().toPoint());
    const QPoint At = Event->position().toPoint();
    RunGuarded([&] { Painter.imgPainterMouseMove(Event->buttons(), At.x(), At.y()); });
}

void TPainterBox::mouseReleaseEvent(QMouseEvent* Event) {
    if (Part != TPart::Image) return QWidget::mouseReleaseEvent(Event);
    if (Painter.Panning) {
        if (!(Event->buttons() & (Qt::MiddleButton | Qt::LeftButton))) Painter.PanEnd();
        return;
    }
    const QPoint At = Event->position().toPoint();
    RunGuarded([&] { Painter.imgPainterMouseUp(Event->button(), At.x(), At.y()); });
}

void TPainterBox::leaveEvent(QEvent* Event) {
    if (Part == TPart::Image) Painter.ClearPreview();
    QWidget::leaveEvent(Event);
}

void TPainterBox::wheelEvent(QWheelEvent* Event) {
    if (Part == TPart::Image) {
        const QPoint At = Event->position().toPoint();
        RunGuarded([&] {
            Painter.imgPainterWheel(Event->modifiers(), Event->angleDelta(), At.x(), At.y());
        });
        Event->accept();
        return;
    }
    if (Part != TPart::Strip) return QWidget::wheelEvent(Event);
    const int Notches = Event->angleDelta().y() / 120;
    if (Notches != 0) Painter.SetPaletteTopRow(Painter.PaletteTopRow() - Notches);
    Event->accept();
}
