#include "ui/common/Glyphs.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <functional>

namespace {

// Drawn on whole pixels without smoothing, as the pictures the program edits are.
using TDraw = std::function<void(QPainter&)>;

const QColor Ink(0, 0, 0);
const QColor Paper(255, 255, 255);
const QColor Accent(0, 0, 160);
const QColor Warm(192, 0, 0);
const QColor Leaf(0, 128, 0);
const QColor Gold(224, 176, 0);
const QColor Shade(128, 128, 128);

QIcon Draw(const TDraw& Picture) {
    QPixmap Pixmap(16, 16);
    Pixmap.fill(Qt::transparent);
    QPainter Painter(&Pixmap);
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setPen(Ink);
    Picture(Painter);
    Painter.end();
    return QIcon(Pixmap);
}

void Sheet(QPainter& P, int X, int Y, int W, int H) {
    P.setBrush(Paper);
    P.setPen(Ink);
    P.drawRect(X, Y, W, H);
}

void Arrow(QPainter& P, const QPoint& From, const QPoint& To, const QColor& Color) {
    P.setPen(QPen(Color, 2));
    P.drawLine(From, To);
    P.setPen(Color);
    P.setBrush(Color);
    const QPoint D = To - From;
    const int Dx = D.x() > 0 ? 1 : D.x() < 0 ? -1 : 0;
    const int Dy = D.y() > 0 ? 1 : D.y() < 0 ? -1 : 0;
    // A head of three pixels' reach, square to the shaft.
    const QPoint Tip = To + QPoint(Dx, Dy);
    const QPoint Back = To - QPoint(Dx, Dy) * 3;
    P.drawPolygon(QPolygon({Tip, Back + QPoint(Dy, Dx) * 3, Back - QPoint(Dy, Dx) * 3}));
}

void Cel(QPainter& P, int X, int Y, const QColor& Fill) {
    P.setPen(Ink);
    P.setBrush(Fill);
    P.drawRect(X, Y, 6, 8);
}

void Pencil(QPainter& P) {
    P.setPen(Ink);
    P.setBrush(Gold);
    P.drawPolygon(QPolygon({{4, 11}, {12, 3}, {14, 5}, {6, 13}}));
    P.setBrush(Ink);
    P.drawPolygon(QPolygon({{1, 15}, {4, 11}, {6, 13}}));
}

void Crossed(QPainter& P) {
    P.setPen(QPen(Warm, 2));
    P.drawLine(10, 10, 15, 15);
    P.drawLine(15, 10, 10, 15);
}

const QHash<QString, TDraw>& Pictures() {
    static const QHash<QString, TDraw> All = {
        {"New",
         [](QPainter& P) {
             Sheet(P, 3, 1, 10, 14);
             P.drawLine(10, 1, 13, 4);
         }},
        {"Open",
         [](QPainter& P) {
             P.setBrush(Gold);
             P.drawRect(1, 4, 12, 10);
             P.setBrush(QColor(255, 224, 128));
             P.drawPolygon(QPolygon({{1, 14}, {4, 8}, {15, 8}, {13, 14}}));
         }},
        {"Save",
         [](QPainter& P) {
             P.setBrush(Accent);
             P.drawRect(1, 1, 14, 14);
             P.setBrush(Paper);
             P.drawRect(4, 1, 8, 5);
             P.setBrush(Shade);
             P.drawRect(4, 9, 8, 6);
         }},
        {"Cut",
         [](QPainter& P) {
             P.drawLine(5, 1, 10, 10);
             P.drawLine(10, 1, 5, 10);
             P.setBrush(Qt::NoBrush);
             P.drawEllipse(1, 10, 4, 4);
             P.drawEllipse(10, 10, 4, 4);
         }},
        {"Copy",
         [](QPainter& P) {
             Sheet(P, 1, 1, 8, 10);
             Sheet(P, 6, 5, 8, 10);
         }},
        {"Paste",
         [](QPainter& P) {
             P.setBrush(Gold);
             P.drawRect(1, 2, 10, 13);
             P.setBrush(Shade);
             P.drawRect(4, 1, 4, 3);
             Sheet(P, 7, 6, 8, 9);
         }},
        {"Undo",
         [](QPainter& P) {
             Arrow(P, {13, 10}, {4, 10}, Accent);
             P.setPen(QPen(Accent, 2));
             P.drawLine(13, 10, 13, 4);
         }},
        {"Redo",
         [](QPainter& P) {
             Arrow(P, {3, 10}, {12, 10}, Accent);
             P.setPen(QPen(Accent, 2));
             P.drawLine(3, 10, 3, 4);
         }},
        {"InsertCel",
         [](QPainter& P) {
             // A new cel goes in between: the caret stands between two cels.
             Cel(P, 0, 5, Shade);
             Cel(P, 9, 5, Shade);
             P.setPen(QPen(Leaf, 2));
             P.drawLine(8, 4, 8, 15);
             P.drawLine(5, 2, 11, 2);
             P.drawLine(8, 0, 8, 4);
         }},
        {"DeleteCel",
         [](QPainter& P) {
             Cel(P, 1, 1, Shade);
             Cel(P, 8, 1, Shade);
             Crossed(P);
         }},
        {"AppendCel",
         [](QPainter& P) {
             // A new cel comes after the last one: the plus stands after the cels.
             Cel(P, 0, 3, Shade);
             Cel(P, 3, 6, Shade);
             P.setPen(QPen(Leaf, 2));
             P.drawLine(13, 5, 13, 13);
             P.drawLine(9, 9, 15, 9);
         }},
        {"ShowPainter",
         [](QPainter& P) {
             Sheet(P, 1, 1, 14, 14);
             P.fillRect(2, 2, 13, 3, Accent);
             Pencil(P);
         }},
        {"Resize",
         [](QPainter& P) {
             Sheet(P, 1, 6, 8, 8);
             Arrow(P, {8, 7}, {13, 2}, Accent);
         }},
        {"BGColor",
         [](QPainter& P) {
             P.setBrush(Accent);
             P.drawRect(1, 1, 14, 14);
             P.setBrush(Paper);
             P.drawRect(5, 4, 6, 8);
         }},
        {"Palette",
         [](QPainter& P) {
             const QColor Colors[] = {Warm,
                                      Leaf,
                                      Accent,
                                      Gold,
                                      Ink,
                                      Shade,
                                      Paper,
                                      QColor(160, 0, 160),
                                      QColor(0, 160, 160)};
             for (int i = 0; i < 9; ++i) {
                 P.setBrush(Colors[i]);
                 P.drawRect(1 + (i % 3) * 5, 1 + (i / 3) * 5, 4, 4);
             }
         }},
        {"SwapColors",
         [](QPainter& P) {
             P.setBrush(Warm);
             P.drawRect(1, 1, 6, 6);
             P.setBrush(Leaf);
             P.drawRect(8, 8, 6, 6);
             Arrow(P, {9, 3}, {12, 6}, Ink);
         }},
        {"PaintOnAll",
         [](QPainter& P) {
             Cel(P, 1, 1, Paper);
             Cel(P, 5, 4, Paper);
             Cel(P, 9, 7, Paper);
             P.fillRect(11, 9, 3, 5, Warm);
             P.fillRect(7, 6, 3, 5, Warm);
             P.fillRect(3, 3, 3, 5, Warm);
         }},
        {"OnionSkin",
         [](QPainter& P) {
             // The cel before in red and the cel after in blue, behind the current one.
             P.setPen(Warm);
             P.drawRect(0, 1, 8, 10);
             P.setPen(Accent);
             P.drawRect(7, 5, 8, 10);
             Cel(P, 4, 3, Paper);
         }},
        {"SelectArea",
         [](QPainter& P) {
             P.setPen(QPen(Ink, 1, Qt::DashLine));
             P.drawRect(1, 2, 13, 11);
         }},
        {"CreateBrush",
         [](QPainter& P) {
             P.setPen(QPen(Ink, 1, Qt::DashLine));
             P.drawRect(1, 1, 9, 9);
             P.fillRect(3, 3, 6, 6, Warm);
             P.fillRect(9, 9, 6, 6, Warm);
         }},
        {"Brush",
         [](QPainter& P) {
             P.setPen(QPen(Shade, 2));
             P.drawLine(14, 1, 7, 8);
             P.setPen(Ink);
             P.setBrush(Warm);
             P.drawEllipse(2, 8, 6, 6);
         }},
        {"Pickup",
         [](QPainter& P) {
             P.setBrush(Ink);
             P.drawEllipse(10, 1, 4, 4);
             P.setBrush(Paper);
             P.drawPolygon(QPolygon({{10, 5}, {3, 12}, {4, 13}, {11, 6}}));
             P.drawLine(1, 15, 3, 13);
         }},
        {"Fill",
         [](QPainter& P) {
             P.setBrush(Shade);
             P.drawPolygon(QPolygon({{7, 2}, {14, 8}, {9, 14}, {2, 8}}));
             P.fillRect(1, 9, 2, 5, Accent);
         }},
        {"Text",
         [](QPainter& P) {
             P.setPen(QPen(Ink, 2));
             P.drawLine(2, 2, 14, 2);
             P.drawLine(8, 2, 8, 14);
             P.drawLine(5, 14, 11, 14);
         }},
        {"Rectangle", [](QPainter& P) { P.drawRect(1, 3, 13, 10); }},
        {"SolidRectangle",
         [](QPainter& P) {
             P.setBrush(Accent);
             P.drawRect(1, 3, 13, 10);
         }},
        {"Circle", [](QPainter& P) { P.drawEllipse(1, 2, 13, 11); }},
        {"SolidCircle",
         [](QPainter& P) {
             P.setBrush(Accent);
             P.drawEllipse(1, 2, 13, 11);
         }},
        {"Line", [](QPainter& P) { P.drawLine(1, 14, 14, 1); }},
        {"Lines",
         [](QPainter& P) {
             P.drawPolyline(QPolygon({{1, 14}, {4, 3}, {10, 11}, {14, 1}}));
         }},
        {"ShiftUp",
         [](QPainter& P) {
             Arrow(P, {8, 14}, {8, 3}, Accent);
         }},
        {"ShiftDown",
         [](QPainter& P) {
             Arrow(P, {8, 1}, {8, 12}, Accent);
         }},
        {"ShiftLeft",
         [](QPainter& P) {
             Arrow(P, {14, 8}, {3, 8}, Accent);
         }},
        {"ShiftRight",
         [](QPainter& P) {
             Arrow(P, {1, 8}, {12, 8}, Accent);
         }},
        {"RotateClockwise",
         [](QPainter& P) {
             P.setPen(QPen(Accent, 2));
             P.drawArc(2, 2, 11, 11, 180 * 16, -270 * 16);
             P.setPen(Accent);
             P.setBrush(Accent);
             P.drawPolygon(QPolygon({{1, 5}, {7, 5}, {4, 9}}));
         }},
        {"RotateCounterClockwise",
         [](QPainter& P) {
             P.setPen(QPen(Accent, 2));
             P.drawArc(2, 2, 11, 11, 0, 270 * 16);
             P.setPen(Accent);
             P.setBrush(Accent);
             P.drawPolygon(QPolygon({{9, 5}, {15, 5}, {12, 9}}));
         }},
        {"FlipSideToSide",
         [](QPainter& P) {
             P.setPen(QPen(Ink, 1, Qt::DotLine));
             P.drawLine(8, 0, 8, 15);
             P.setPen(Ink);
             P.setBrush(Warm);
             P.drawPolygon(QPolygon({{6, 3}, {6, 12}, {1, 12}}));
             P.setBrush(Paper);
             P.drawPolygon(QPolygon({{10, 3}, {10, 12}, {15, 12}}));
         }},
        {"FlipTopToBottom",
         [](QPainter& P) {
             P.setPen(QPen(Ink, 1, Qt::DotLine));
             P.drawLine(0, 8, 15, 8);
             P.setPen(Ink);
             P.setBrush(Warm);
             P.drawPolygon(QPolygon({{3, 6}, {12, 6}, {12, 1}}));
             P.setBrush(Paper);
             P.drawPolygon(QPolygon({{3, 10}, {12, 10}, {12, 15}}));
         }},
    };
    return All;
}

} // namespace

QIcon Glyph(const QString& Name) {
    const auto Found = Pictures().find(Name);
    return Found == Pictures().end() ? QIcon() : Draw(*Found);
}

QIcon BrushShapeGlyph(int Shape) {
    return Draw([Shape](QPainter& P) {
        P.setPen(Ink);
        P.setBrush(Ink);
        switch (Shape) {
        case 1:
            P.drawEllipse(3, 3, 9, 9);
            break;
        case 2:
            P.fillRect(1, 7, 14, 2, Ink);
            break;
        case 3:
            P.fillRect(7, 1, 2, 14, Ink);
            break;
        case 4:
            P.setPen(QPen(Ink, 2));
            P.drawLine(2, 2, 13, 13);
            break;
        case 5:
            P.setPen(QPen(Ink, 2));
            P.drawLine(2, 13, 13, 2);
            break;
        default:
            P.fillRect(3, 3, 10, 10, Ink);
            break;
        }
    });
}
