#pragma once
// The painter's three paint boxes: the zoomed image (imgPainter, the view at (0,0) of the
// scroll box, as large as the zoomed cel), the palette strip (imgPalette, two rows of sixteen
// user colours; the wheel scrolls the rows) and the drawing-colour swatches (imgDrawColors,
// the left and right drawing colours on the background colour). Each is a thin widget that
// draws through its painter window and hands mouse input back to it. Owned by the painter
// window's widget tree; they refer to the painter, which outlives them. User-interface
// thread only.
#include <QWidget>

#include "ui/painter/f_painter.h"

class TPainterBox : public QWidget {
public:
    enum class TPart { Image, Strip, Colors };
    TPainterBox(TPart Part, TfrmPainter& Painter, QWidget* Parent);

    // The two swatches of the drawing colours are also children of their own, so that each
    // is found by its name (Colors only).
    QWidget* LeftSwatch = nullptr;
    QWidget* RightSwatch = nullptr;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    const TPart Part;
    TfrmPainter& Painter;
};
