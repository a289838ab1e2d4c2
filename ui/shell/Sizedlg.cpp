#include "ui/shell/Sizedlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/common/DialogParts.h"

namespace {

QSpinBox* SizeBox(const char* Name, const QString& Caption, int Maximum, QWidget* Parent) {
    auto* Box = Named(new QSpinBox(Parent), Name, Caption);
    Box->setRange(1, Maximum);
    Box->setValue(1);
    return Box;
}

} // namespace

TdlgSize::TdlgSize(QWidget* Parent) : QDialog(Parent) {
    NameWindow(*this, "dlgSize", "Resize Cels");
    QFont Bold = font();
    Bold.setBold(true);
    setFont(Bold);

    auto* grpSize = Named(new QGroupBox("Size", this), "grpSize", "Size");
    spinX = SizeBox("spinX", "Pixels Across", 640, grpSize);
    spinY = SizeBox("spinY", "Pixels Down", 480, grpSize);
    auto* SizeLayout = new QGridLayout(grpSize);
    auto* lblX = new QLabel("Pixels Across", grpSize);
    auto* lblY = new QLabel("Pixels Down", grpSize);
    lblX->setBuddy(spinX);
    lblY->setBuddy(spinY);
    SizeLayout->addWidget(lblX, 0, 0);
    SizeLayout->addWidget(spinX, 0, 1);
    SizeLayout->addWidget(lblY, 1, 0);
    SizeLayout->addWidget(spinY, 1, 1);

    auto* grpOptions = Named(new QGroupBox("Options", this), "grpOptions", "Options");
    radCrop = Named(new QRadioButton("Crop Image  (Cut off sides if too big)", grpOptions),
                    "radCrop", "Crop Image  (Cut off sides if too big)");
    radStretch = Named(new QRadioButton("Stretch Image to fit inside cel", grpOptions),
                       "radStretch", "Stretch Image to fit inside cel");
    radCrop->setChecked(true);
    auto* OptionsLayout = new QVBoxLayout(grpOptions);
    OptionsLayout->addWidget(radCrop);
    OptionsLayout->addWidget(radStretch);

    auto* lblNote = Named(new QLabel("Note:  You can not undo a resize operation.  You may want "
                                     "to save before resizing.",
                                     this),
                          "lblNote", "Note");
    lblNote->setWordWrap(true);

    auto* butRestore = Named(new QPushButton("Restore", this), "butRestore", "Restore");
    auto* butOk = Named(new QPushButton("&Ok", this), "butOk", "&Ok");
    auto* butCancel = Named(new QPushButton("&Cancel", this), "butCancel", "&Cancel");
    auto* butHelp = Named(new QPushButton("&Help", this), "butHelp", "&Help");
    WireDialogButtons(*this, butOk, butCancel, butHelp, HelpContext);
    auto* Buttons = new QVBoxLayout;
    for (QPushButton* Button : {butOk, butCancel, butRestore, butHelp})
        Buttons->addWidget(Button);
    Buttons->addStretch();

    auto* Fields = new QVBoxLayout;
    Fields->addWidget(grpSize);
    Fields->addWidget(grpOptions);
    Fields->addWidget(lblNote);
    auto* Layout = new QHBoxLayout(this);
    Layout->addLayout(Fields);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(butRestore, &QPushButton::clicked, this, [this] { butRestoreClick(); });
}

void TdlgSize::SetSize(int Width, int Height) {
    spinX->setValue(Width);
    spinY->setValue(Height);
}

int TdlgSize::Width() const {
    return spinX->value();
}

int TdlgSize::Height() const {
    return spinY->value();
}

bool TdlgSize::Stretch() const {
    return radStretch->isChecked();
}

void TdlgSize::SetStretch(bool Stretch) {
    (Stretch ? radStretch : radCrop)->setChecked(true);
}

void TdlgSize::butRestoreClick() {
    SetSize(RestoreWidth, RestoreHeight);
    SetStretch(RestoreStretch);
}

void TdlgSize::showEvent(QShowEvent* Event) {
    RestoreWidth = Width();
    RestoreHeight = Height();
    RestoreStretch = Stretch();
    QDialog::showEvent(Event);
}

void TdlgSize::done(int Result) {
    // Cancel leaves the crop-or-stretch choice as it was before this opening.
    if (Result != Accepted) SetStretch(RestoreStretch);
    QDialog::done(Result);
}
