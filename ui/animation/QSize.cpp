#include "ui/animation/QSize.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/common/DialogParts.h"

TfrmQSize* frmQSize = nullptr;

TfrmQSize::TfrmQSize(QWidget* Parent) : QDialog(Parent) {
    NameWindow(*this, "frmQSize", "Question");

    const QString Text =
        "The size of the Source image is different than the size of the Destination image.";
    auto* lblQuestion = Named(new QLabel(Text, this), "lblQuestion", Text);
    lblQuestion->setWordWrap(true);
    const QString Resize = "Resize the Destination Image to match the Source Image.";
    const QString Nothing = "Leave the Destination Size the same.";
    radResize = Named(new QRadioButton(Resize, this), "radResize", Resize);
    radNothing = Named(new QRadioButton(Nothing, this), "radNothing", Nothing);
    radResize->setChecked(true);

    auto* Button1 = Named(new QPushButton("&Ok", this), "Button1", "&Ok");
    auto* Button2 = Named(new QPushButton("&Cancel", this), "Button2", "&Cancel");
    Button1->setDefault(true);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(Button1);
    Buttons->addWidget(Button2);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(lblQuestion);
    Layout->addWidget(radResize);
    Layout->addWidget(radNothing);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

bool TfrmQSize::ResizeChosen() const {
    return radResize->isChecked();
}

void TfrmQSize::SetResizeChosen(bool Resize) {
    (Resize ? radResize : radNothing)->setChecked(true);
    Kept = Resize;
}

void TfrmQSize::done(int Result) {
    // The next question offers the answer last given; a cancelled one changes nothing.
    if (Result == Accepted)
        Kept = ResizeChosen();
    else
        SetResizeChosen(Kept);
    QDialog::done(Result);
}
