#pragma once
// The brush-shape flyout: a small borderless window of shape buttons that pops up at the
// main window's brush-shape button. A shape button sets the brush shape for every painter
// and hides the flyout, as does losing the focus. It exists once for the program; it owns
// its buttons and refers to the main window. User-interface thread only.
#include <QFrame>
#include <QPoint>
#include <QRect>
#include <QSize>

class QButtonGroup;
class QToolButton;

// Where a window of Size whose top-left corner would be at TopLeft goes so that it lies
// wholly on Screen: moved left and up as far as it sticks out past the right and bottom
// edges, then right and down as far as it would start before the left and top edges.
QPoint KeepOnScreen(QPoint TopLeft, QSize Size, const QRect& Screen);

class TfrmBrushFly : public QFrame {
    Q_OBJECT
public:
    explicit TfrmBrushFly(QWidget* Parent = nullptr);

    // Shows the flyout with its top-left corner at the brush-shape button's, kept on the
    // screen (the main window's Brush Shape command).
    void Popup();
    // The same at a given screen position.
    void PopupAt(QPoint TopLeft);

    // Shape buttons 0..5 (square, circle, horizontal line, vertical line, backslash, forward
    // slash); 6 is the custom-brush button, which only changes the main window's glyph.
    QToolButton* ShapeButton(int Shape) const;
    void ShapeClick(int Shape);

protected:
    void showEvent(QShowEvent* Event) override;
    bool event(QEvent* Event) override;

private:
    QButtonGroup* Buttons = nullptr;
};
