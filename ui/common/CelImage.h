#pragma once
// A cel's pixels as a QImage for drawing: Format_Indexed8 over the bitmap's own bytes with
// its colour table, so nothing is copied. The image refers to the bitmap and is valid only
// while the bitmap lives and keeps its size; draw it at once and let it go. Drawn without
// smooth transformation, a scaled cel repeats or drops whole pixels and never blends.
// User-interface thread only.
#include <QImage>

class QWidget;
class TPxBitmap;

QImage CelImage(const TPxBitmap& Bitmap);

// Makes Widget report Role (a QAccessible::Role) on the accessibility bus, as a standard
// control of its kind would; custom-painted widgets otherwise report a bare client area.
// Call it first in the widget's constructor: setting the accessible name already makes (and
// keeps) the widget's interface.
void SetAccessibleRole(QWidget& Widget, int Role);
