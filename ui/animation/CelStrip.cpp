#include "ui/animation/CelStrip.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <cstdlib>

#include "ui/common/CelImage.h"

namespace {

QColor ColorOf(COLORREF Color) {
    return QColor(GetRValue(Color), GetGValue(Color), GetBValue(Color));
}

QRect RectOf(const TRect& Rect) {
    return QRect(Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
}

// Label sizes are given in points of a 96-dpi screen, whatever the backing image claims.
int PixelsOfPoints(int Points) {
    return (Points * 96 + 36) / 72;
}

} // namespace

TCelStrip::TCelStrip(QScrollBar& ScrollBar, QWidget* Parent) : QWidget(Parent), Bar(ScrollBar) {
    SetAccessibleRole(*this, QAccessible::List);
    setObjectName("imgCharAnim");
    setAccessibleName("Cels");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    Backing = QImage(1, 1, QImage::Format_RGB32);
    Backing.fill(ColorOf(ButtonFace()));
    Bar.setSingleStep(1);
    Bar.setPageStep(1);
    Bar.setRange(0, 0);
    connect(&Bar, &QScrollBar::valueChanged, this, [this] { emit Scrolled(); });
}

TCelStrip::~TCelStrip() {
    EndDrawing();
}

COLORREF TCelStrip::ButtonFace() const {
    const QColor Face = palette().color(QPalette::Button);
    return RGB(std::uint8_t(Face.red()), std::uint8_t(Face.green()), std::uint8_t(Face.blue()));
}

QPainter& TCelStrip::Canvas() {
    if (!Drawing) Drawing = std::make_unique<QPainter>(&Backing);
    return *Drawing;
}

void TCelStrip::EndDrawing() {
    if (Drawing) Drawing->end();
    Drawing.reset();
}

void TCelStrip::Fill(const TRect& Rect, COLORREF Color) {
    Canvas().fillRect(RectOf(Rect), ColorOf(Color));
}

void TCelStrip::Frame(const TRect& Rect, COLORREF Color) {
    // Four filled edges rather than a stroked rectangle, so that the outline sits exactly
    // on the rectangle's outermost pixels whatever the pen rules are.
    const int Width = Rect.Right - Rect.Left, Height = Rect.Bottom - Rect.Top;
    if (Width <= 0 || Height <= 0) return;
    QPainter& Painter = Canvas();
    const QColor Edge = ColorOf(Color);
    Painter.fillRect(Rect.Left, Rect.Top, Width, 1, Edge);
    Painter.fillRect(Rect.Left, Rect.Bottom - 1, Width, 1, Edge);
    Painter.fillRect(Rect.Left, Rect.Top, 1, Height, Edge);
    Painter.fillRect(Rect.Right - 1, Rect.Top, 1, Height, Edge);
}

void TCelStrip::Line(TPoint From, TPoint To, COLORREF Color) {
    QPainter& Painter = Canvas();
    const QColor Pen = ColorOf(Color);
    if (From.Y == To.Y) {
        const int Left = std::min(From.X, To.X + 1), Right = std::max(From.X + 1, To.X);
        if (Right > Left) Painter.fillRect(Left, From.Y, Right - Left, 1, Pen);
        return;
    }
    if (From.X == To.X) {
        const int Top = std::min(From.Y, To.Y + 1), Bottom = std::max(From.Y + 1, To.Y);
        if (Bottom > Top) Painter.fillRect(From.X, Top, 1, Bottom - Top, Pen);
        return;
    }
    // Slanted lines: every point of the walk but the last, as a pen's line-to draws them.
    const int dx = std::abs(To.X - From.X), dy = -std::abs(To.Y - From.Y);
    const int sx = From.X < To.X ? 1 : -1, sy = From.Y < To.Y ? 1 : -1;
    int Error = dx + dy, x = From.X, y = From.Y;
    while (x != To.X || y != To.Y) {
        Painter.fillRect(x, y, 1, 1, Pen);
        const int Twice = 2 * Error;
        if (Twice >= dy) {
            Error += dy;
            x += sx;
        }
        if (Twice <= dx) {
            Error += dx;
            y += sy;
        }
    }
}

void TCelStrip::SetFont(const std::string& Name, int Size, bool Bold) {
    QFont Font(QString::fromStdString(Name));
    // Where the named face is missing, fontconfig's choice for a sans-serif family serves.
    Font.setStyleHint(QFont::SansSerif);
    Font.setPixelSize(PixelsOfPoints(Size));
    Font.setBold(Bold);
    LabelFont = Font;
}

int TCelStrip::TextWidth(const std::string& Text) {
    return QFontMetrics(LabelFont).horizontalAdvance(QString::fromStdString(Text));
}

void TCelStrip::Text(const TRect& Clip, int X, int Y, const std::string& Label, COLORREF Color) {
    QPainter& Painter = Canvas();
    Painter.save();
    Painter.setClipRect(RectOf(Clip));
    Painter.setFont(LabelFont);
    Painter.setPen(ColorOf(Color));
    Painter.drawText(X, Y + QFontMetrics(LabelFont).ascent(), QString::fromStdString(Label));
    Painter.restore();
}

void TCelStrip::DrawCel(const TPxBitmap& Bitmap, int X, int Y) {
    Canvas().drawImage(X, Y, CelImage(Bitmap));
}

void TCelStrip::SetScrollRange(int Min, int Max) {
    const QSignalBlocker Quiet(Bar);
    Bar.setRange(Min, Max);
}

int TCelStrip::ScrollPosition() const {
    return Bar.value();
}

void TCelStrip::ArmDrag() {
    DragArmed = true;
}

void TCelStrip::Update() {
    EndDrawing();
    update();
}

void TCelStrip::paintEvent(QPaintEvent*) {
    EndDrawing();
    QPainter(this).drawImage(0, 0, Backing);
}

void TCelStrip::resizeEvent(QResizeEvent*) {
    EndDrawing();
    Backing = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    Backing.fill(ColorOf(ButtonFace()));
    emit Resized();
}

void TCelStrip::mousePressEvent(QMouseEvent* Event) {
    DragArmed = false;
    DragFrom = Event->position().toPoint();
    emit Pressed(Event->button(), DragFrom, Event->globalPosition().toPoint());
}

void TCelStrip::mouseMoveEvent(QMouseEvent* Event) {
    if (!DragArmed || !(Event->buttons() & (Qt::LeftButton | Qt::MiddleButton))) return;
    if ((Event->position().toPoint() - DragFrom).manhattanLength() <
        QApplication::startDragDistance())
        return;
    DragArmed = false;
    emit DragStarted(DragFrom);
}

void TCelStrip::mouseReleaseEvent(QMouseEvent*) {
    DragArmed = false;
}

void TCelStrip::contextMenuEvent(QContextMenuEvent* Event) {
    // A right press has already opened the menu; only the keyboard's menu key gets here
    // to open it.
    if (Event->reason() != QContextMenuEvent::Mouse) emit MenuRequested(Event->globalPos());
}
