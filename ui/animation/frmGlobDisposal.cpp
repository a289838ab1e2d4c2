#include "ui/animation/frmGlobDisposal.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/animation/AnimationDialogParts.h"
#include "ui/common/Help.h"

TfrmGlobDisp* frmGlobDisp = nullptr;

TfrmGlobDisp::TfrmGlobDisp(QWidget* Parent) : QDialog(Parent) {
    setObjectName("frmGlobDisp");
    setWindowTitle("Set Disposal Method for All Cels");
    setAccessibleName(windowTitle());

    Disposals = new TDisposalChoice("grpDisposal", "Cel Disposal Method for All Cels", this);
    Kept = Disposals->Disposal();

    auto* butOk = MakeButton("butOk", "&Ok", this);
    butOk->setDefault(true);
    auto* butCancel = MakeButton("butCancel", "&Cancel", this);
    auto* butHelp = MakeButton("butHelp", "&Help", this);
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(butHelp);
    Buttons->addStretch();
    Buttons->addWidget(butOk);
    Buttons->addWidget(butCancel);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Disposals);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(butOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(butCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(butHelp, &QPushButton::clicked, this, [this] { butHelpClick(); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { butHelpClick(); });
}

std::uint8_t TfrmGlobDisp::Disposal() const {
    return Disposals->Disposal();
}

void TfrmGlobDisp::SetDisposal(std::uint8_t Disposal) {
    Disposals->SetDisposal(Disposal);
    Kept = Disposals->Disposal();
}

void TfrmGlobDisp::butHelpClick() {
    ShowHelp(HelpContext);
}

void TfrmGlobDisp::done(int Result) {
    if (Result == Accepted)
        Kept = Disposals->Disposal();
    else
        Disposals->SetDisposal(Kept);
    QDialog::done(Result);
}
