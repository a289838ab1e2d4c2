#include "ui/animation/frmGlobDisposal.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/animation/AnimationDialogParts.h"
#include "ui/common/DialogParts.h"
#include "ui/common/Help.h"

TfrmGlobDisp* frmGlobDisp = nullptr;

TfrmGlobDisp::TfrmGlobDisp(QWidget* Parent) : QDialog(Parent) {
    NameWindow(*this, "frmGlobDisp", "Set Disposal Method for All Cels");

    Disposals = new TDisposalChoice("grpDisposal", "Cel Disposal Method for All Cels", this);
    Kept = Disposals->Disposal();

    QHBoxLayout* Buttons = OkCancelHelpRow(*this, HelpContext);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Disposals);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::uint8_t TfrmGlobDisp::Disposal() const {
    return Disposals->Disposal();
}

void TfrmGlobDisp::SetDisposal(std::uint8_t Disposal) {
    Disposals->SetDisposal(Disposal);
    Kept = Disposals->Disposal();
}

void TfrmGlobDisp::done(int Result) {
    if (Result == Accepted)
        Kept = Disposals->Disposal();
    else
        Disposals->SetDisposal(Kept);
    QDialog::done(Result);
}
