// The editor: one QApplication, the once-only windows made in their fixed order with the
// main window first, the files named on the command line opened as documents, then the
// message loop.
#include <malloc.h>

#include <QDir>
#include <QStringList>
#include <QTimer>

#include "ui/common/Application.h"
#include "ui/common/Glyphs.h"
#include "ui/shell/Forms.h"
#include "ui/shell/SpriteMDI.h"

int main(int argc, char** argv) {
    // Undo snapshots of many cels are freed and made again at every edit; with glibc's
    // default thresholds each large block goes back to the kernel and comes back as fresh
    // pages to fault in. Keeping freed memory makes the next snapshot reuse it.
    // (32 MiB is the largest mmap threshold glibc accepts on 64-bit systems.)
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);

    TApplication Application(argc, argv);
    QApplication::setOrganizationName("Ostra Vale Software");
    QApplication::setApplicationName("Ostra Vale Vimbrel");
    // Without an icon of its own, every document window would show the toolkit's logo.
    QApplication::setWindowIcon(Glyph("Palette"));
    // Named from the folder the program was started in, which the main window leaves for
    // the program's own.
    QStringList Files;
    for (const QString& Argument : QApplication::arguments().mid(1))
        Files << QDir::current().absoluteFilePath(Argument);
    TApplicationWindows Windows;
    frmSpriteMDI->showMaximized();
    // Once the window is on the screen, for the error boxes to stand over.
    if (!Files.isEmpty())
        QTimer::singleShot(0, frmSpriteMDI, [Files] { frmSpriteMDI->OpenFiles(Files); });
    return QApplication::exec();
}
