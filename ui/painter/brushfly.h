#pragma once
// The brush-shape flyout: a small borderless window of shape buttons that pops up at the
// main window's brush-shape button. A shape button announces the shape chosen (which the
// main window makes the brush shape of every painter) and hides the flyout, as does losing
// the focus. It exists once for the program and owns its buttons. User-interface thread
// only.
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
// A small borderless window that pops up over what opened it and closes, like a menu, as
// soon as it loses the focus.
class TFlyout : public QFrame {
public:
    TFlyout(const QString& Name, const QString& Caption, QWidget* Parent);
    // Shows the window with its top-left corner at TopLeft, kept on that screen, and gives
    // it the focus.
    void PopupAt(QPoint TopLeft);

protected:
    bool event(QEvent* Event) override;
};

class TfrmBrushFly : public TFlyout {
    Q_OBJECT
public:
    explicit TfrmBrushFly(QWidget* Parent = nullptr);

    // Presses the button of Shape, the brush shape now chosen.
    void ShowShape(int Shape);

    // Shape buttons 0..5 (square, circle, horizontal line, vertical line, backslash, forward
    // slash); 6 is the custom-brush button, which only changes the main window's glyph.
    QToolButton* ShapeButton(int Shape) const;
    void ShapeClick(int Shape);

signals:
    void ShapeChosen(int Shape);

private:
    QButtonGroup* Buttons = nullptr;
};

// The program's one brush-shape flyout, made at start-up with the other once-only
// windows; null before and after.
extern TfrmBrushFly* frmBrushFly;
