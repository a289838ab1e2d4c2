#pragma once
// The cel strip's paint box (imgCharAnim): the surface the cel list draws its strip on,
// kept in a backing image that the widget shows, and the vertical scroll bar
// (sbarCharAnim) that scrolls it by rows. It only draws and reports input: mouse presses,
// an armed drag leaving its start, size changes and scrolling go to its animation window,
// which forwards them to the cel list.
//
// Owned by the animation window's widget tree; refers to the scroll bar, a sibling that
// lives as long as it does. User-interface thread only.
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <memory>

#include "model/StripSurface.h"

class QPainter;
class QScrollBar;

class TCelStrip : public QWidget, public TStripSurface {
    Q_OBJECT
public:
    TCelStrip(QScrollBar& ScrollBar, QWidget* Parent = nullptr);
    ~TCelStrip() override;

    // The strip as drawn so far (for tests and benchmarks).
    const QImage& Picture() const { return Backing; }

    // ---- TStripSurface ----
    int Width() const override { return Backing.width(); }
    int Height() const override { return Backing.height(); }
    COLORREF ButtonFace() const override;
    void Fill(const TRect& Rect, COLORREF Color) override;
    void Frame(const TRect& Rect, COLORREF Color) override;
    void Line(TPoint From, TPoint To, COLORREF Color) override;
    void SetFont(const std::string& Name, int Size, bool Bold) override;
    int TextWidth(const std::string& Text) override;
    void Text(const TRect& Clip, int X, int Y, const std::string& Label, COLORREF Color) override;
    void DrawCel(const TPxBitmap& Bitmap, int X, int Y) override;
    void SetScrollRange(int Min, int Max) override;
    int ScrollPosition() const override;
    void ArmDrag() override;
    void Update() override;

signals:
    // A mouse button went down at Position (strip coordinates).
    void Pressed(Qt::MouseButton Button, QPoint Position, QPoint GlobalPosition);
    // The context-menu key, or a right click the press did not handle.
    void MenuRequested(QPoint GlobalPosition);
    // A press armed a drag and the mouse has since moved far enough to start it.
    void DragStarted(QPoint Position);
    // The paint box has a new size and an empty backing image: lay the strip out again.
    void Resized();
    // The scroll bar moved: the first visible row changed.
    void Scrolled();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    // One painter stays open on the backing image from the first primitive to Update.
    QPainter& Canvas();
    void EndDrawing();

    QScrollBar& Bar;
    QImage Backing;
    std::unique_ptr<QPainter> Drawing;
    QFont LabelFont;
    bool DragArmed = false;
    QPoint DragFrom;
};
