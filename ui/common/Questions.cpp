#include "ui/common/Questions.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include "imaging/Report.h"

namespace {

QPointer<QWidget> BoxParent;
QPointer<QWidget> CausedBy;

QMessageBox::Icon IconOf(TBoxKind Kind) {
    switch (Kind) {
    case TBoxKind::Error:
        return QMessageBox::Critical;
    case TBoxKind::Warning:
        return QMessageBox::Warning;
    case TBoxKind::Question:
        return QMessageBox::Question;
    case TBoxKind::Information:
        break;
    }
    return QMessageBox::Information;
}

// Boxes carry the program's name as their title, as every box of the editor does.
int Ask(TBoxKind Kind, const QString& Text, QMessageBox::StandardButtons Buttons,
        QMessageBox::StandardButton Default) {
    QMessageBox Box(IconOf(Kind), QApplication::applicationName(), Text, Buttons, QuestionOwner());
    Box.setDefaultButton(Default);
    Box.setObjectName("MessageBox");
    return Box.exec();
}

class TDialogQuestions : public TQuestions {
public:
    void Message(TBoxKind Kind, const QString& Text) override {
        Ask(Kind, Text, QMessageBox::Ok, QMessageBox::Ok);
    }

    bool OkCancel(TBoxKind Kind, const QString& Text) override {
        return Ask(Kind, Text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
               QMessageBox::Ok;
    }

    TAnswer YesNoCancel(TBoxKind Kind, const QString& Text) override {
        switch (Ask(Kind, Text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    QMessageBox::Yes)) {
        case QMessageBox::Yes:
            return TAnswer::Yes;
        case QMessageBox::No:
            return TAnswer::No;
        default:
            return TAnswer::Cancel;
        }
    }

    QString AskFile(const TFileDialog& Dialog) override {
        QFileDialog Box(QuestionOwner(), Dialog.Title, Dialog.Folder, Dialog.Filter);
        Box.setObjectName(Dialog.Name);
        Box.setAcceptMode(Dialog.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        Box.setFileMode(Dialog.Save || !Dialog.MustExist ? QFileDialog::AnyFile
                                                         : QFileDialog::ExistingFile);
        Box.setOption(QFileDialog::DontConfirmOverwrite, !Dialog.ConfirmOverwrite);
        // Qt's own dialog, so that it looks and behaves alike on every desktop and can be
        // driven by typing a path into its name field.
        Box.setOption(QFileDialog::DontUseNativeDialog, true);
        if (!Dialog.DefaultSuffix.isEmpty()) Box.setDefaultSuffix(Dialog.DefaultSuffix);
        if (!Dialog.FileName.isEmpty()) Box.selectFile(Dialog.FileName);
        if (Box.exec() != QDialog::Accepted || Box.selectedFiles().isEmpty()) return {};
        if (Dialog.ChosenFilter) *Dialog.ChosenFilter = Box.selectedNameFilter();
        return Box.selectedFiles().front();
    }
};

std::unique_ptr<TQuestions>& Installed() {
    static std::unique_ptr<TQuestions> Questions = std::make_unique<TDialogQuestions>();
    return Questions;
}

} // namespace

TQuestions& Questions() {
    return *Installed();
}

std::unique_ptr<TQuestions> SetQuestions(std::unique_ptr<TQuestions> Replacement) {
    std::unique_ptr<TQuestions> Previous = std::move(Installed());
    Installed() = std::move(Replacement);
    return Previous;
}

void SetQuestionsParent(QWidget* Parent) {
    BoxParent = Parent;
}

QWidget* QuestionsParent() {
    return BoxParent.data();
}

QWidget* QuestionOwner() {
    if (QWidget* Modal = QApplication::activeModalWidget()) return Modal;
    if (CausedBy && CausedBy->isVisible()) return CausedBy;
    if (QWidget* Active = QApplication::activeWindow()) return Active;
    return BoxParent.data();
}

TQuestionsAbove::TQuestionsAbove(QWidget* Owner) : Previous(CausedBy) {
    CausedBy = Owner;
}

TQuestionsAbove::~TQuestionsAbove() {
    CausedBy = Previous;
}

int ExecAboveOwner(QDialog& Dialog) {
    // A dialog is kept above the window it belongs to (its transient parent), and a window
    // that stays on top lifts the dialogs that belong to it along with it.
    const QPointer<QWidget> Home = Dialog.parentWidget();
    QWidget* Owner = QuestionOwner();
    if (Owner && Owner != &Dialog && Owner != Home) Dialog.setParent(Owner, Dialog.windowFlags());
    const QPointer<QDialog> Shown = &Dialog;
    const int Result = Dialog.exec();
    if (Shown && Shown->parentWidget() != Home) Shown->setParent(Home, Shown->windowFlags());
    return Result;
}

void ConnectCoreReports() {
    SetReportHandler([](TReportKind Kind, const std::string& Text) {
        if (Kind == TReportKind::Beep)
            QApplication::beep();
        else
            Questions().Message(TBoxKind::Information, QString::fromStdString(Text));
    });
}
