#include "ui/animation/PreviewBox.h"

#include <QAccessible>
#include <QPainter>
#include <algorithm>

#include "imaging/PxBitmap.h"
#include "ui/common/CelImage.h"

TPreviewBox::TPreviewBox(QWidget* Parent) : QWidget(Parent) {
    SetAccessibleRole(*this, QAccessible::Graphic);
    setObjectName("imgRunAnimation");
    setAccessibleName("Preview");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    RebuildBackdrop();
}

void TPreviewBox::SetSource(TSource NewSource) {
    Source = std::move(NewSource);
    update();
}

void TPreviewBox::SetStretch(bool Stretch) {
    Stretched = Stretch;
    update();
}

void TPreviewBox::RebuildBackdrop() {
    Backdrop = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    Backdrop.fill(Qt::white);
    QPainter Painter(&Backdrop);
    Painter.fillRect(Backdrop.rect(), QBrush(QColor(192, 192, 192), Qt::DiagCrossPattern));
    update();
}

void TPreviewBox::PaintOn(QPainter& Painter) const {
    Painter.drawImage(0, 0, Backdrop);
    const TPxBitmap* Cel = Source ? Source() : nullptr;
    if (!Cel) return;
    // No smooth transformation: a stretched cel keeps every pixel one palette colour.
    Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (Stretched)
        Painter.drawImage(QRect(0, 0, width(), height()), CelImage(*Cel));
    else
        Painter.drawImage(0, 0, CelImage(*Cel));
}

QImage TPreviewBox::Picture() const {
    QImage Shown(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    QPainter Painter(&Shown);
    PaintOn(Painter);
    return Shown;
}

void TPreviewBox::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    PaintOn(Painter);
}

void TPreviewBox::resizeEvent(QResizeEvent*) {
    RebuildBackdrop();
}
