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
    // The window takes the width of its content: wide enough that the title bar shows the
    // whole title beside the window manager's buttons (the title font may be larger).
    Disposals->setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 5 / 4 + 120);

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
