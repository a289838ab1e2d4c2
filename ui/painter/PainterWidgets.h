#pragma once
// The painter's three paint boxes: the zoomed image, the palette strip and the drawing-
// colour swatches. Each is a thin widget that draws through its painter window and hands
// mouse input back to it. Owned by the painter window's widget tree; they refer to the
// painter, which outlives them. User-interface thread only.
#include <QWidget>

#include "ui/painter/f_painter.h"

// imgPainter: the view at (0,0) of the scroll box, as large as the zoomed cel.
class TPainterImage : public QWidget {
public:
    TPainterImage(TfrmPainter& Painter, QWidget* Parent);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    TfrmPainter& Painter;
};

// imgPalette: two rows of sixteen user colours; the wheel scrolls the rows.
class TPaletteStrip : public QWidget {
public:
    TPaletteStrip(TfrmPainter& Painter, QWidget* Parent);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    TfrmPainter& Painter;
};

// imgDrawColors: the left and right drawing colours on the background colour. The two
// swatches are also children of their own, so that each is found by its name.
class TDrawColors : public QWidget {
public:
    TDrawColors(TfrmPainter& Painter, QWidget* Parent);
    QWidget* LeftSwatch = nullptr;
    QWidget* RightSwatch = nullptr;

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TfrmPainter& Painter;
};
