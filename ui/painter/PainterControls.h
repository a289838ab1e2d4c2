#pragma once
// The controls of a painter window, shared by the files that make up TfrmPainter. Every
// widget here belongs to the window's widget tree; the struct only refers to them.
#include <QRgb>
#include <QVector>

#include "ui/painter/f_painter.h"

class QComboBox;
class QScrollArea;
class QTimer;
class QToolButton;
class QWidget;
class TPainterBox;

struct TfrmPainter::TControls {
    QWidget* Form = nullptr;
    QWidget* Panel1 = nullptr;
    TPainterBox* imgDrawColors = nullptr;
    TPainterBox* imgPalette = nullptr;
    QToolButton* sbutPalette = nullptr;
    QComboBox* cboZoom = nullptr;
    QScrollArea* sboxPainter = nullptr;
    TPainterBox* imgPainter = nullptr;
    QTimer* timeSelectedArea = nullptr;
    // The palette's 256 colours as the screen shows them: the colour table the indexed
    // view is drawn with.
    QVector<QRgb> ColorTable;
};
