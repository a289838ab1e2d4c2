#include "ui/common/Help.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

#include "ui/common/Questions.h"

namespace {

QPointer<QTextBrowser> Browser;
QString Folder;

QString HelpFile() {
    return (Folder.isEmpty() ? QCoreApplication::applicationDirPath() : Folder) +
           "/vimbrel-help.html";
}

} // namespace

void ShowHelp(int Context) {
    const QString FileName = HelpFile();
    if (!QFileInfo(FileName).isFile()) {
        Questions().Message(TBoxKind::Error, "Error:  Unable to open the help file " + FileName +
                                                 ".  The file may be missing.");
        return;
    }
    // Help asked for from a modal dialog must not be blocked by that dialog: the window
    // then belongs to the dialog for as long as it is open.
    QWidget* Owner = QApplication::activeModalWidget();
    if (!Owner) Owner = QuestionsParent();
    if (!Browser) {
        Browser = new QTextBrowser(Owner);
        Browser->setWindowFlags(Qt::Window);
        Browser->setAttribute(Qt::WA_DeleteOnClose, false);
        Browser->setObjectName("frmHelp");
        Browser->setWindowTitle("Ostra Vale Vimbrel Help");
        Browser->setAccessibleName("Ostra Vale Vimbrel Help");
        Browser->setOpenExternalLinks(false);
        Browser->resize(640, 520);
    } else if (Browser->parentWidget() != Owner) {
        const QRect Place = Browser->geometry();
        Browser->setParent(Owner, Qt::Window);
        Browser->setGeometry(Place);
    }
    const QUrl Source = QUrl::fromLocalFile(FileName);
    if (Browser->source() != Source) Browser->setSource(Source);
    Browser->show();
    Browser->raise();
    Browser->activateWindow();
    Browser->scrollToAnchor(QString::number(Context));
}

void SetHelpFolder(const QString& AppDir) {
    Folder = AppDir;
}

QTextBrowser* HelpWindow() {
    return Browser.data();
}
