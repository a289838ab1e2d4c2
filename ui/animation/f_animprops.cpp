#include "ui/animation/f_animprops.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gif/GifReader.h"
#include "ui/animation/AnimationDialogParts.h"
#include "ui/common/DialogParts.h"
#include "ui/common/Help.h"

TfrmAnimProps* frmAnimProps = nullptr;

namespace {

// Comments read from files made elsewhere need not be UTF-8; such a line is shown as
// Latin-1 rather than with replacement characters.
QString LineText(const std::string& Line) {
    const QByteArray Bytes = QByteArray::fromStdString(Line);
    QString Text = QString::fromUtf8(Bytes);
    if (Text.contains(QChar::ReplacementCharacter) &&
        !Bytes.contains(QByteArrayLiteral("\xEF\xBF\xBD")))
        Text = QString::fromLatin1(Bytes);
    return Text;
}

} // namespace

TfrmAnimProps::TfrmAnimProps(QWidget* Parent) : QDialog(Parent) {
    NameWindow(*this, "frmAnimProps", "Animation Properties");

    Disposals = new TDisposalChoice("grpDisposal", "Cel Disposal Method", this);

    auto* Animation = new QGroupBox("Animation", this);
    NameControl(Animation, "grpAnimation", Animation->title());
    chkTransparent = new QCheckBox("Background Color is Transparent", Animation);
    NameControl(chkTransparent, "chkTransparent", chkTransparent->text());
    spinLoops = new QSpinBox(Animation);
    NameControl(spinLoops, "spinLoops", "Loop Count");
    spinLoops->setRange(0, 50000);
    memComments = new QPlainTextEdit(Animation);
    NameControl(memComments, "memComments", "Comments");
    memComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memComments->setTabChangesFocus(true);
    auto* lblComments = new QLabel("Comments", Animation);
    lblComments->setBuddy(memComments);
    auto* AnimationLayout = new QFormLayout(Animation);
    AnimationLayout->addRow(chkTransparent);
    AnimationLayout->addRow("Loop Count", spinLoops);
    AnimationLayout->addRow(lblComments);
    AnimationLayout->addRow(memComments);

    QHBoxLayout* Buttons = OkCancelHelpRow(*this, HelpContext, "butReset", "&Reset");

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Disposals);
    Layout->addWidget(Animation, 1);
    Layout->addLayout(Buttons);

    connect(findChild<QPushButton*>("butReset"), &QPushButton::clicked, this,
            [this] { butResetClick(); });
    butResetClick();
}

std::uint8_t TfrmAnimProps::Disposal() const {
    return Disposals->Disposal();
}

void TfrmAnimProps::SetDisposal(std::uint8_t Disposal) {
    GivenDisposal = Disposal;
    Disposals->SetDisposal(Disposal);
}

bool TfrmAnimProps::Transparent() const {
    return chkTransparent->isChecked();
}

void TfrmAnimProps::SetTransparent(bool Transparent) {
    GivenTransparent = Transparent;
    chkTransparent->setChecked(Transparent);
}

int TfrmAnimProps::LoopCount() const {
    return spinLoops->value();
}

void TfrmAnimProps::SetLoopCount(int LoopCount) {
    GivenLoopCount = LoopCount;
    spinLoops->setValue(LoopCount);
}

std::vector<std::string> TfrmAnimProps::Comments() const {
    // Unedited lines go back exactly as given: showing them may have changed their encoding.
    if (memComments->toPlainText() == ShownComments) return GivenComments;
    return SplitCommentLines(memComments->toPlainText().toStdString());
}

void TfrmAnimProps::SetComments(const std::vector<std::string>& Lines) {
    GivenComments = Lines;
    QStringList Texts;
    for (const std::string& Line : Lines)
        Texts << LineText(Line);
    ShownComments = Texts.join('\n');
    memComments->setPlainText(ShownComments);
}

void TfrmAnimProps::butResetClick() {
    SetDisposal(GivenDisposal);
    SetTransparent(GivenTransparent);
    SetLoopCount(GivenLoopCount);
    SetComments(GivenComments);
}
