#include "ui/animation/AnimationDialogParts.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/Spritez.h"
#include "ui/common/DialogParts.h"

TDisposalChoice::TDisposalChoice(const QString& Name, const QString& Title, QWidget* Parent)
    : QGroupBox(Title, Parent), Buttons(new QButtonGroup(this)) {
    NameControl(this, Name, Title);
    struct TChoice {
        const char* Name;
        const char* Caption;
        std::uint8_t Value;
    };
    static const TChoice Choices[] = {
        {"radUnspecified", "Unspecified", DisposalUnspecified},
        {"radNoDisposal", "No Disposal", DisposalNone},
        {"radRestoreBG", "Restore Background Color", DisposalRestoreBackground},
        {"radOverwrite", "Overwrite with Prev Image", DisposalRestorePrevious},
    };
    auto* Layout = new QVBoxLayout(this);
    for (const TChoice& Choice : Choices) {
        auto* Radio = new QRadioButton(Choice.Caption, this);
        NameControl(Radio, Choice.Name, Choice.Caption);
        Buttons->addButton(Radio, Choice.Value);
        Layout->addWidget(Radio);
    }
    SetDisposal(DisposalRestoreBackground);
}

std::uint8_t TDisposalChoice::Disposal() const {
    const int Value = Buttons->checkedId();
    return Value < 0 ? DisposalUnspecified : std::uint8_t(Value);
}

void TDisposalChoice::SetDisposal(std::uint8_t Disposal) {
    QAbstractButton* Radio = Buttons->button(Disposal);
    if (!Radio) Radio = Buttons->button(DisposalUnspecified);
    Radio->setChecked(true);
}
