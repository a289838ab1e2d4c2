#pragma once
// The preview paint box (imgRunAnimation): the cel on show drawn over a backdrop of
// silver diagonal cross-hatching on white, either 1:1 at the top-left corner or stretched
// to the whole box ("Stretch Image"; rows and columns repeated or dropped, never blended).
//
// It owns its backdrop, made at its own size; it does not hold the cel, which it asks its
// source for at every paint, so a deleted cel or a replaced sprite is never drawn.
// Owned by the animation window's widget tree. User-interface thread only.
#include <QImage>
#include <QWidget>
#include <functional>

class TPxBitmap;

class TPreviewBox : public QWidget {
    Q_OBJECT
public:
    // The cel to show, or null for the backdrop alone.
    using TSource = std::function<const TPxBitmap*()>;

    explicit TPreviewBox(QWidget* Parent = nullptr);

    void SetSource(TSource Source);
    bool Stretch() const { return Stretched; }
    void SetStretch(bool Stretch);
    // Makes the backdrop again at the box's size.
    void RebuildBackdrop();

    // The preview as it looks now, at the box's size.
    QImage Picture() const;
    // What one paint costs: the backdrop, then the cel.
    void PaintOn(QPainter& Painter) const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    TSource Source;
    bool Stretched = false;
    QImage Backdrop;
};
