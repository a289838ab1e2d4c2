#pragma once
// The pictures of the main window's tool-bar buttons and of the brush shapes, drawn by the
// program itself as small 16 x 16 icons. User-interface thread only.
#include <QIcon>
#include <QString>

// The glyph named Name ("New", "Open", "Fill", "ShapeSquare", ...); an empty icon for an
// unknown name.
QIcon Glyph(const QString& Name);
// The picture of brush shape 0..5 (square, round, horizontal line, vertical line,
// backslash, foreward slash) for the brush-shape button.
QIcon BrushShapeGlyph(int Shape);
