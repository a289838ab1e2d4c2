#include "ui/painter/FlyPal.h"

#include <QAccessible>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "imaging/Palette.h"
#include "ui/common/CelImage.h"
#include "ui/painter/PainterWidgets.h"
#include "ui/painter/brushfly.h"
#include "ui/painter/f_painter.h"

TfrmPalFly* frmPalFly = nullptr;

// imgPalette: the picture of the swatches, handing clicks to its window.
class TFlyingSwatches : public QWidget {
public:
    TFlyingSwatches(TfrmPalFly& Window, QWidget* Parent) : QWidget(Parent), Window(Window) {
        SetAccessibleRole(*this, QAccessible::Table);
        setObjectName("imgPalette");
        setAccessibleName("Palette");
        setToolTip("Left click: left colour; right click: right colour");
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, Window.Swatches); }
    void mousePressEvent(QMouseEvent* Event) override {
        const QPoint At = Event->position().toPoint();
        Window.imgPaletteMouseDown(Event->button(), At.x(), At.y());
    }

private:
    TfrmPalFly& Window;
};

namespace {
constexpr int Columns = 16;
constexpr int Rows = 15;
constexpr int LastTopRow = 13;
} // namespace

TfrmPalFly::TfrmPalFly(QWidget* Parent) : TFlyout("frmPalFly", "Flying Palette", Parent) {
    setFixedSize(130, 152);
    imgPalette = new TFlyingSwatches(*this, this);
    imgPalette->setGeometry(0, 0, 129, 151);
    Swatches = QImage(129, 151, QImage::Format_RGB32);
    DrawSwatches();
}

void TfrmPalFly::SetPalette(TPxPalette* NewPalette) {
    if (NewPalette == Palette) return;
    Palette = NewPalette;
    DrawSwatches();
    imgPalette->update();
}

void TfrmPalFly::DrawSwatches() {
    Swatches.fill(palette().color(QPalette::Window));
    if (!Palette) return;
    QPainter Painter(&Swatches);
    for (int Row = 0; Row < Rows; ++Row)
        for (int Column = 0; Column < Columns; ++Column) {
            const int Entry = Row * Columns + Column + FirstUserColor;
            if (Entry > LastUserColor) break;
            const TRgbColor C = Palette->Entry(Entry).Color();
            const QRect Cell(Column * SwatchWidth, Row * SwatchHeight, SwatchWidth, SwatchHeight);
            Painter.fillRect(Cell, Qt::black);
            Painter.fillRect(Cell.adjusted(1, 1, -1, -1), QColor(C.Red, C.Green, C.Blue));
        }
}

void TfrmPalFly::Popup(TfrmPainter& Painter, QPoint TopLeft) {
    TPxPalette* Colors = Painter.DocumentPalette();
    // The colours of the document may have been edited since the picture was drawn.
    Palette = nullptr;
    SetPalette(Colors);
    Owner = &Painter;
    PopupAt(TopLeft);
}

void TfrmPalFly::imgPaletteMouseDown(Qt::MouseButton Button, int X, int Y) {
    if (!Palette) return;
    // Truncating: the outline left of and above the first swatch still counts as it.
    const int Column = (X - 1) / SwatchWidth;
    const int Row = (Y - 1) / SwatchHeight;
    const int Entry = std::min(Column + Row * Columns + FirstUserColor, LastUserColor);
    PickedButton = Button == Qt::LeftButton ? 0 : 1;
    if (TfrmPainter* Picker = Owner.data()) {
        Picker->SetDrawColor(Palette->GetColor(Entry), PickedButton == 1);
        Picker->SetPaletteTopRow(std::min(Row, LastTopRow));
    }
    hide();
}

void TfrmPalFly::showEvent(QShowEvent* Event) {
    PickedButton = 2;
    TFlyout::showEvent(Event);
}
