#include "ui/shell/Forms.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>

#include "ui/animation/QSize.h"
#include "ui/animation/f_animprops.h"
#include "ui/animation/f_new.h"
#include "ui/animation/f_progress.h"
#include "ui/animation/frmGlobDisposal.h"
#include "ui/common/Questions.h"
#include "ui/painter/FlyPal.h"
#include "ui/painter/brushfly.h"
#include "ui/painter/frmTextSelection.h"
#include "ui/shell/Sizedlg.h"
#include "ui/shell/SpriteMDI.h"
#include "ui/shell/f_palette.h"
#include "ui/shell/frmimprt.h"

TfrmSpriteMDI* frmSpriteMDI = nullptr;
TdlgSize* dlgSize = nullptr;
TfrmImport* frmImport = nullptr;
TfrmPalette* frmPalette = nullptr;

namespace {

// The reference goes first: what the window takes down with it finds it gone rather than
// half destroyed.
template <typename T> void Destroy(T*& Window) {
    T* Doomed = Window;
    Window = nullptr;
    delete Doomed;
}

} // namespace

QString ProgramDataFolder() {
    const QString Beside = QCoreApplication::applicationDirPath();
    if (QFileInfo(Beside + "/vimbrel.pal").isFile()) return Beside;
    const QString Installed = QDir::cleanPath(Beside + "/../share/vimbrel");
    return QFileInfo(Installed + "/vimbrel.pal").isFile() ? Installed : Beside;
}

TApplicationWindows::TApplicationWindows() : TApplicationWindows(ProgramDataFolder()) {}

TApplicationWindows::TApplicationWindows(const QString& AppDir) {
    ConnectCoreReports();
    // The main window comes first: the others find the program's folder and the current
    // palette through it while they are made.
    frmSpriteMDI = new TfrmSpriteMDI(AppDir);
    frmProgress = new TfrmProgress(frmSpriteMDI);
    frmBrushFly = new TfrmBrushFly(frmSpriteMDI);
    QObject::connect(frmBrushFly, &TfrmBrushFly::ShapeChosen, frmSpriteMDI,
                     [](int Shape) { frmSpriteMDI->SetBrushShape(Shape); });
    dlgSize = new TdlgSize(frmSpriteMDI);
    frmImport = new TfrmImport(frmSpriteMDI->State().AppDir + "/vimbrel.pal", frmSpriteMDI);
    frmPalFly = new TfrmPalFly(frmSpriteMDI);
    frmAnimProps = new TfrmAnimProps(frmSpriteMDI);
    frmText = new TfrmText(frmSpriteMDI);
    frmPalette = new TfrmPalette(frmSpriteMDI);
    frmQSize = new TfrmQSize(frmSpriteMDI);
    frmNew = new TfrmNew(frmSpriteMDI->State().AppDir + "/palettes", frmSpriteMDI);
    frmGlobDisp = new TfrmGlobDisp(frmSpriteMDI);
}

TApplicationWindows::~TApplicationWindows() {
    Destroy(frmGlobDisp);
    Destroy(frmNew);
    Destroy(frmQSize);
    Destroy(frmPalette);
    Destroy(frmText);
    Destroy(frmAnimProps);
    Destroy(frmPalFly);
    Destroy(frmImport);
    Destroy(dlgSize);
    Destroy(frmBrushFly);
    Destroy(frmProgress);
    Destroy(frmSpriteMDI);
    SetQuestionsParent(nullptr);
}
