#include "ui/common/DialogParts.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>

#include "ui/common/Help.h"

void NameControl(QWidget* Control, const QString& Name, const QString& Caption) {
    Control->setObjectName(Name);
    Control->setAccessibleName(QString(Caption).remove('&'));
}

void NameWindow(QWidget& Window, const QString& Name, const QString& Title) {
    Window.setObjectName(Name);
    Window.setWindowTitle(Title);
    Window.setAccessibleName(Title);
}

QPushButton* MakeButton(const QString& Name, const QString& Caption, QWidget* Parent) {
    auto* Button = Named(new QPushButton(Caption, Parent), Name, Caption);
    Button->setAutoDefault(false);
    return Button;
}

void WireDialogButtons(QDialog& Dialog, QPushButton* Ok, QPushButton* Cancel, QPushButton* Help,
                       int HelpContext) {
    Ok->setDefault(true);
    QObject::connect(Ok, &QPushButton::clicked, &Dialog, &QDialog::accept);
    QObject::connect(Cancel, &QPushButton::clicked, &Dialog, &QDialog::reject);
    const auto ShowTopic = [HelpContext] { ShowHelp(HelpContext); };
    QObject::connect(Help, &QPushButton::clicked, &Dialog, ShowTopic);
    QObject::connect(new QShortcut(QKeySequence::HelpContents, &Dialog), &QShortcut::activated,
                     &Dialog, ShowTopic);
}

QHBoxLayout* OkCancelHelpRow(QDialog& Dialog, int HelpContext, const QString& ExtraName,
                             const QString& ExtraCaption) {
    // Made in the order the focus moves through them.
    QPushButton* Ok = MakeButton("butOk", "&Ok", &Dialog);
    QPushButton* Cancel = MakeButton("butCancel", "&Cancel", &Dialog);
    QPushButton* Extra =
        ExtraName.isEmpty() ? nullptr : MakeButton(ExtraName, ExtraCaption, &Dialog);
    QPushButton* Help = MakeButton("butHelp", "&Help", &Dialog);
    WireDialogButtons(Dialog, Ok, Cancel, Help, HelpContext);
    auto* Row = new QHBoxLayout;
    Row->addWidget(Help);
    if (Extra) Row->addWidget(Extra);
    Row->addStretch();
    Row->addWidget(Ok);
    Row->addWidget(Cancel);
    return Row;
}

THourglass::THourglass() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

THourglass::~THourglass() {
    QApplication::restoreOverrideCursor();
}
