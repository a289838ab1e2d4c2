#include "ui/painter/brushfly.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>
#include <algorithm>

#include "ui/common/Glyphs.h"

TfrmBrushFly* frmBrushFly = nullptr;

QPoint KeepOnScreen(QPoint TopLeft, QSize Size, const QRect& Screen) {
    int X = TopLeft.x(), Y = TopLeft.y();
    X = std::min(X, Screen.x() + Screen.width() - Size.width());
    Y = std::min(Y, Screen.y() + Screen.height() - Size.height());
    X = std::max(X, Screen.x());
    Y = std::max(Y, Screen.y());
    return {X, Y};
}

namespace {
struct TShapeButton {
    const char* Name;
    int X, Y;
    const char* Hint;
    // What a screen reader says: the six share their hint, so each says its shape.
    const char* Shape;
};
const TShapeButton ShapeButtons[] = {
    {"sbutSquare", 2, 2, "Draw Pixel", "Square"},
    {"sbutCircle", 2, 26, "Draw Pixel", "Round"},
    {"sbutHorzLine", 26, 2, "Draw Pixel", "Horizontal Line"},
    {"sbutVertLine", 26, 26, "Draw Pixel", "Vertical Line"},
    {"sbutBkSlash", 50, 2, "Draw Pixel", "Backslash"},
    {"sbutForeSlash", 50, 26, "Draw Pixel", "Foreward Slash"},
    {"sbutCustomBrush", 75, 2, "Custom Brush", "Custom Brush"},
};
constexpr int CustomButton = 6;
} // namespace

TfrmBrushFly::TfrmBrushFly(QWidget* Parent) : TFlyout("frmBrushFly", "Brush Shape", Parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    Buttons = new QButtonGroup(this);
    Buttons->setExclusive(true);
    for (int Shape = 0; Shape <= CustomButton; ++Shape) {
        const TShapeButton& Row = ShapeButtons[Shape];
        auto* Button = new QToolButton(this);
        Button->setObjectName(Row.Name);
        Button->setToolTip(Row.Hint);
        Button->setAccessibleName(Row.Shape);
        Button->setAutoRaise(true);
        Button->setCheckable(true);
        Button->setIconSize(QSize(16, 16));
        Button->setIcon(Shape == CustomButton ? Glyph("CreateBrush") : BrushShapeGlyph(Shape));
        Button->setGeometry(Row.X, Row.Y, 24, 24);
        Buttons->addButton(Button, Shape);
    }
    Buttons->button(0)->setChecked(true);
    connect(Buttons, &QButtonGroup::idClicked, this, &TfrmBrushFly::ShapeClick);
    // The design is 104 wide; made 30 narrower, the custom-brush button lies outside.
    setFixedSize(104 - 30, 51);
}

QToolButton* TfrmBrushFly::ShapeButton(int Shape) const {
    return qobject_cast<QToolButton*>(Buttons->button(Shape));
}

void TfrmBrushFly::ShapeClick(int Shape) {
    ShowShape(Shape);
    emit ShapeChosen(Shape);
    hide();
}

void TfrmBrushFly::ShowShape(int Shape) {
    if (QAbstractButton* Button = Buttons->button(Shape)) Button->setChecked(true);
}

TFlyout::TFlyout(const QString& Name, const QString& Caption, QWidget* Parent)
    : QFrame(Parent, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(Name);
    setAccessibleName(Caption);
}

void TFlyout::PopupAt(QPoint TopLeft) {
    const QScreen* Screen = QGuiApplication::screenAt(TopLeft);
    if (!Screen) Screen = QGuiApplication::primaryScreen();
    move(Screen ? KeepOnScreen(TopLeft, size(), Screen->availableGeometry()) : TopLeft);
    show();
    raise();
    activateWindow();
}

bool TFlyout::event(QEvent* Event) {
    if (Event->type() == QEvent::WindowDeactivate) hide();
    return QFrame::event(Event);
}
