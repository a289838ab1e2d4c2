#include "ui/common/Cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

#include "ui/common/EditingState.h"

namespace {

constexpr int CursorSize = 32;

// Every picture is drawn twice, a wide white stroke under a thin black one, so that the
// cursor stays visible over any pixel colour of the cel beneath.
class TCursorPicture {
public:
    TCursorPicture() : Picture(CursorSize, CursorSize) { Picture.fill(Qt::transparent); }

    template <typename Draw> void Outlined(Draw&& Shape) {
        QPainter Painter(&Picture);
        Painter.setRenderHint(QPainter::Antialiasing, false);
        Painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        Painter.setBrush(Qt::NoBrush);
        Shape(Painter, Qt::white);
        Painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        Shape(Painter, Qt::black);
    }

    // The precise crosshair of the shape tools, centred on (7, 7).
    void Crosshair() {
        Outlined([](QPainter& Painter, const QColor&) {
            Painter.drawLine(7, 1, 7, 5);
            Painter.drawLine(7, 9, 7, 13);
            Painter.drawLine(1, 7, 5, 7);
            Painter.drawLine(9, 7, 13, 7);
        });
    }

    QCursor Cursor(int HotX, int HotY) const { return QCursor(Picture, HotX, HotY); }

private:
    QPixmap Picture;
};

QCursor PenCursor() {
    TCursorPicture Picture;
    Picture.Outlined([](QPainter& Painter, const QColor& Ink) {
        // A pencil lying from the upper right down to its tip at (2, 29).
        const QPolygon Body({{7, 27}, {25, 9}, {29, 13}, {11, 31}});
        Painter.drawPolygon(Body);
        Painter.drawLine(2, 29, 7, 27);
        Painter.drawLine(2, 29, 4, 24);
        Painter.drawLine(4, 24, 7, 27);
        if (Ink == Qt::black) Painter.drawLine(22, 12, 26, 16);
    });
    return Picture.Cursor(2, 29);
}

QCursor MoveCursor() {
    TCursorPicture Picture;
    Picture.Outlined([](QPainter& Painter, const QColor&) {
        Painter.drawLine(15, 3, 15, 27);
        Painter.drawLine(3, 15, 27, 15);
        Painter.drawPolyline(QPolygon({{11, 7}, {15, 3}, {19, 7}}));
        Painter.drawPolyline(QPolygon({{11, 23}, {15, 27}, {19, 23}}));
        Painter.drawPolyline(QPolygon({{7, 11}, {3, 15}, {7, 19}}));
        Painter.drawPolyline(QPolygon({{23, 11}, {27, 15}, {23, 19}}));
    });
    return Picture.Cursor(15, 15);
}

QCursor PickupCursor() {
    TCursorPicture Picture;
    Picture.Outlined([](QPainter& Painter, const QColor&) {
        // An eyedropper: bulb at the upper right, glass tube down to the tip at (2, 29).
        Painter.drawEllipse(21, 4, 7, 7);
        Painter.drawLine(17, 11, 21, 15);
        Painter.drawPolygon(QPolygon({{19, 13}, {6, 26}, {5, 27}, {4, 26}, {17, 11}}));
        Painter.drawLine(2, 29, 4, 27);
    });
    return Picture.Cursor(2, 29);
}

QCursor FillCursor() {
    TCursorPicture Picture;
    Picture.Outlined([](QPainter& Painter, const QColor& Ink) {
        // A tipped bucket pouring from its lip; the drop at (4, 28) is where the fill starts.
        Painter.drawPolygon(QPolygon({{14, 6}, {26, 16}, {18, 26}, {6, 16}}));
        Painter.drawLine(6, 16, 4, 20);
        Painter.drawLine(4, 20, 4, 26);
        Painter.drawArc(10, 2, 12, 12, 0, 180 * 16);
        if (Ink == Qt::black) {
            Painter.setBrush(Qt::black);
            Painter.drawRect(3, 27, 2, 2);
        }
    });
    return Picture.Cursor(4, 28);
}

template <typename Shape> QCursor ShapeCursor(Shape&& Draw) {
    TCursorPicture Picture;
    Picture.Crosshair();
    Picture.Outlined(Draw);
    return Picture.Cursor(7, 7);
}

QCursor MakeCursor(int Id) {
    switch (Id) {
    case 2:
        return MoveCursor();
    case 3:
        return PickupCursor();
    case 4:
        return FillCursor();
    case 5:
        return ShapeCursor(
            [](QPainter& Painter, const QColor&) { Painter.drawRect(15, 17, 13, 10); });
    case 6:
        return ShapeCursor([](QPainter& Painter, const QColor& Ink) {
            Painter.setBrush(Ink);
            Painter.drawRect(15, 17, 13, 10);
        });
    case 7:
        return ShapeCursor(
            [](QPainter& Painter, const QColor&) { Painter.drawEllipse(15, 16, 14, 11); });
    case 8:
        return ShapeCursor([](QPainter& Painter, const QColor& Ink) {
            Painter.setBrush(Ink);
            Painter.drawEllipse(15, 16, 14, 11);
        });
    case 9:
        return ShapeCursor(
            [](QPainter& Painter, const QColor&) { Painter.drawLine(16, 28, 28, 16); });
    case 10:
        return ShapeCursor([](QPainter& Painter, const QColor&) {
            Painter.drawPolyline(QPolygon({{15, 28}, {20, 17}, {25, 25}, {29, 15}}));
        });
    case 11:
        return ShapeCursor([](QPainter& Painter, const QColor& Ink) {
            if (Ink == Qt::black) Painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
            Painter.drawRect(15, 16, 13, 11);
        });
    default:
        return PenCursor();
    }
}

std::array<QCursor, 12>& Cursors() {
    static std::array<QCursor, 12> Made = [] {
        std::array<QCursor, 12> All;
        for (const TToolCursor& Cursor : ToolCursors)
            All[Cursor.Id] = MakeCursor(Cursor.Id);
        All[0] = All[1];
        return All;
    }();
    return Made;
}

} // namespace

void RegisterToolCursors() {
    Cursors();
}

const QCursor& ToolCursor(int Id) {
    return Cursors()[Id >= 1 && Id <= 11 ? Id : 1];
}
