#include "ui/animation/f_progress.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>

#include "ui/animation/AnimationDialogParts.h"
#include "ui/common/DialogParts.h"

TfrmProgress* frmProgress = nullptr;

namespace {

// A bar whose filled part shows a black-to-blue gradient spanning the whole bar, so the
// colour at any point says how far along it is, with the percentage over it in a colour
// that reads on both the filled and the empty part.
class TGradientProgressBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter Painter(this);
        const QRect Frame = rect();
        const QRect Inside = Frame.adjusted(1, 1, -1, -1);
        Painter.fillRect(Frame, palette().color(QPalette::Mid));
        Painter.fillRect(Inside, palette().color(QPalette::Base));

        const int Range = maximum() - minimum();
        const int Done = Range <= 0 ? 0 : value() - minimum();
        const int FilledWidth =
            Range <= 0 ? 0 : int(qint64(Inside.width()) * qBound(0, Done, Range) / Range);
        const QRect Filled(Inside.left(), Inside.top(), FilledWidth, Inside.height());
        QLinearGradient Gradient(Inside.topLeft(), Inside.topRight());
        Gradient.setColorAt(0, Qt::black);
        Gradient.setColorAt(1, Qt::blue);
        Painter.fillRect(Filled, Gradient);

        const QString Label = text();
        Painter.setClipRect(Filled);
        Painter.setPen(Qt::white);
        Painter.drawText(Inside, Qt::AlignCenter, Label);
        Painter.setClipRect(Inside.adjusted(FilledWidth, 0, 0, 0));
        Painter.setPen(palette().color(QPalette::Text));
        Painter.drawText(Inside, Qt::AlignCenter, Label);
    }
};

} // namespace

TfrmProgress::TfrmProgress(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
    NameWindow(*this, "frmProgress", "Progress");
    setFixedSize(340, 72);

    lblCaption = new QLabel(this);
    NameControl(lblCaption, "lblCaption", "Progress");
    lblCaption->setGeometry(22, 12, 296, 16);
    progProgress = new TGradientProgressBar(this);
    NameControl(progProgress, "progProgress", "Progress");
    progProgress->setGeometry(22, 36, 297, 20);
    progProgress->setTextVisible(true);
    progProgress->setFormat("%p%");
    progProgress->setRange(0, 100);
    progProgress->setValue(0);
}

void TfrmProgress::Start(const QString& Caption, int Maximum) {
    lblCaption->setText(Caption);
    lblCaption->setAccessibleName(Caption);
    progProgress->setRange(0, Maximum);
    progProgress->setValue(0);
    show();
    raise();
    repaint();
}

void TfrmProgress::SetPosition(int Position) {
    progProgress->setValue(Position);
    progProgress->repaint();
}

void TfrmProgress::Finish() {
    hide();
}

QString TfrmProgress::CaptionText() const {
    return lblCaption->text();
}

int TfrmProgress::Position() const {
    return progProgress->value();
}

int TfrmProgress::Maximum() const {
    return progProgress->maximum();
}
