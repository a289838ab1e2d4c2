#include "ui/shell/SpriteMDI.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

#include "imaging/Palette.h"
#include "ui/animation/f_charanim.h"
#include "ui/common/Cursors.h"
#include "ui/common/Help.h"
#include "ui/common/PictureSources.h"
#include "ui/common/Questions.h"
#include "ui/painter/f_painter.h"
#include "ui/shell/Forms.h"
#include "ui/shell/Recovery.h"
#include "ui/shell/SpriteMDI_controls.h"

// ---- The brush-size box ----

TBrushSizeBox::TBrushSizeBox(QWidget* Parent) : QSpinBox(Parent) {
    setRange(1, 30);
    lineEdit()->setMaxLength(2);
}

QString TBrushSizeBox::Text() const {
    return lineEdit()->text();
}

void TBrushSizeBox::SetText(const QString& Text) {
    lineEdit()->setText(Text);
}

QValidator::State TBrushSizeBox::validate(QString& Input, int&) const {
    // Out-of-range and half-typed numbers are let through: the size rule corrects them.
    static const QRegularExpression Typed("^-?[0-9]*$");
    return Input.size() <= 2 && Typed.match(Input).hasMatch() ? QValidator::Acceptable
                                                              : QValidator::Invalid;
}

int TBrushSizeBox::valueFromText(const QString& Text) const {
    bool Ok = false;
    const int Value = Text.trimmed().toInt(&Ok);
    return Ok ? Value : 2;
}

// ---- Creation ----

TfrmSpriteMDI::TfrmSpriteMDI(QWidget* Parent) : TfrmSpriteMDI(ProgramDataFolder(), Parent) {}

TfrmSpriteMDI::TfrmSpriteMDI(const QString& Folder, QWidget* Parent)
    : QMainWindow(Parent), Controls(std::make_unique<TControls>()) {
    setObjectName("frmSpriteMDI");
    setWindowTitle("Ostra Vale Vimbrel");
    setAccessibleName("Ostra Vale Vimbrel");
    SetQuestionsParent(this);

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState State) {
                if (State == Qt::ApplicationActive) AppOnActivate();
            });
    // A picture copied in another program while this one stays active counts as well.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        const QMimeData* Data = QApplication::clipboard()->mimeData();
        Editing.ClipboardHasBitmap = CarriesPicture(Data);
        if (Editing.CurrentAnimation && Activated && Area->subWindowList().size() > 1)
            Editing.CurrentAnimation->SetCopyPasteButtons();
    });

    BuildWindow();
    BuildCommands();
    BuildToolBars();
    RestoreToolBars();

    Editing.AppDir = QDir::cleanPath(QDir(Folder).absolutePath());
    QDir::setCurrent(Editing.AppDir);
    SetHelpFolder(Editing.AppDir);
    UntitledCount = 0;
    Activated = false;
    LoadDefaultPalette();
    RegisterToolCursors();
    Editing.BrushSize = 2;
    Controls->txtSize->SetText("2");
    Editing.BrushShape = 0;
    Editing.CurrentTool = ptBrush;
    Editing.PaintOnAll = false;
    OpenFolder = Editing.AppDir + "/images";
    LoadRecentFiles();
    KeptWork = std::make_unique<TRecovery>(*this);
}

TfrmSpriteMDI::~TfrmSpriteMDI() {
    ShuttingDown = true;
    // Documents go first, while everything they might reach is still whole: painters
    // before the animation windows whose sprites they show.
    // Closed windows still waiting to be deleted count as well: they are no longer listed
    // by the area, but are still its children.
    QList<QPointer<QMdiSubWindow>> Painters, Animations;
    for (QMdiSubWindow* Window : Area->findChildren<QMdiSubWindow*>())
        (qobject_cast<TfrmPainter*>(Window) ? Painters : Animations).append(Window);
    for (const QPointer<QMdiSubWindow>& Window : Painters)
        delete Window.data();
    for (const QPointer<QMdiSubWindow>& Window : Animations)
        delete Window.data();
    Editing.CurrentAnimation = nullptr;
    Editing.CurrentPainter = nullptr;
    if (Editing.CurrentPalette == DefaultPalette.get()) Editing.CurrentPalette = nullptr;
}

void TfrmSpriteMDI::BuildWindow() {
    Area = new QMdiArea(this);
    Area->setObjectName("mdiClient");
    Area->setAccessibleName("Documents");
    Area->setBackground(Qt::white);
    Area->viewport()->setMouseTracking(true);
    Area->viewport()->installEventFilter(this);
    setCentralWidget(Area);
    setAcceptDrops(true);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, [this] {
        ShowHelp(qobject_cast<TfrmCharAnimation*>(Area->activeSubWindow())
                     ? TfrmCharAnimation::HelpContext
                     : 1);
    });

    QStatusBar* Bar = statusBar();
    Bar->setObjectName("statStatus");
    Bar->setAccessibleName("Status");
    Bar->setSizeGripEnabled(true);
    // The position panel is at least wide enough for the largest position a cel can have,
    // in whatever font the desktop uses.
    const int Widths[2] = {480,
                           std::max(50, Bar->fontMetrics().horizontalAdvance("X:639  Y:479") + 12)};
    const char* Names[2] = {"pnlStatusMessage", "pnlStatusPosition"};
    const char* Captions[2] = {"Message", "Cursor Position"};
    for (int i = 0; i < 2; ++i) {
        auto* Panel = new QLabel(Bar);
        Panel->setObjectName(Names[i]);
        // A screen reader reads out what the panel shows (SetStatusText); its caption says
        // what the panel is for, and names it while it shows nothing.
        Panel->setAccessibleName(Captions[i]);
        Panel->setAccessibleDescription(Captions[i]);
        Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        Panel->setFixedWidth(Widths[i]);
        Bar->addWidget(Panel);
        Controls->Panels[i] = Panel;
    }
}

// ---- Availability ----

void TfrmSpriteMDI::UpdateCommandStates() {
    if (ShuttingDown) return;
    const int Count = int(Area->subWindowList().size());
    if (Count == 1 || !Activated)
        EnableCommands(false);
    else if (Count > 1)
        EnableCommands(true);
}

void TfrmSpriteMDI::EnableCommands(bool Enable) {
    for (QAction* Command : Controls->DocumentCommands)
        Command->setEnabled(Enable);
    for (QMenu* Menu : Controls->DocumentMenus)
        Menu->menuAction()->setEnabled(Enable);
    Controls->txtSize->setEnabled(Enable);
    if (!Enable) return;
    // The finer owners' say comes straight after, so that no button is left enabled that
    // has nothing to act on: Paste follows the clipboard, Undo and Redo the history, and
    // Create Custom Brush a selected area.
    SetPasteEnabled(Editing.ClipboardHasBitmap);
    SetCreateCustomBrushEnabled(Editing.CurrentPainter &&
                                Editing.CurrentPainter->SelectionFloating);
    if (Editing.CurrentPainter) Editing.CurrentPainter->UpdateUndoButtons();
}

void TfrmSpriteMDI::SetCutCopyEnabled(bool Enabled) {
    for (const char* Name : {"sbutCut", "sbutCopy", "mniCut", "mniCopy"})
        Controls->Command(Name)->setEnabled(Enabled);
}

void TfrmSpriteMDI::SetPasteEnabled(bool Enabled) {
    for (const char* Name : {"sbutPaste", "mniPaste"})
        Controls->Command(Name)->setEnabled(Enabled);
}

void TfrmSpriteMDI::SetUndoRedoEnabled(bool CanUndo, bool CanRedo) {
    Controls->Command("sbutUndo")->setEnabled(CanUndo);
    Controls->Command("mniUndo")->setEnabled(CanUndo);
    Controls->Command("sbutRedo")->setEnabled(CanRedo);
    Controls->Command("mniRedo")->setEnabled(CanRedo);
}

void TfrmSpriteMDI::SetCreateCustomBrushEnabled(bool Enabled) {
    for (const char* Name : {"sbutCreateBrush", "mniCreateCustomBrush"})
        Controls->Command(Name)->setEnabled(Enabled);
}

void TfrmSpriteMDI::SetStretchChecked(bool Checked) {
    Controls->Command("mniStretch")->setChecked(Checked);
}

QString TfrmSpriteMDI::BrushSizeText() const {
    return Controls->txtSize->Text();
}

void TfrmSpriteMDI::SetStatusText(int Panel, const QString& Text) {
    if (Panel != 0 && Panel != 1) return;
    QLabel* Shown = Controls->Panels[Panel];
    Shown->setText(Text);
    Shown->setAccessibleName(Text.isEmpty() ? Shown->accessibleDescription() : Text);
}

QAction* TfrmSpriteMDI::Command(const QString& Name) const {
    return Controls->Commands.value(Name);
}

// ---- Activation and the end ----

void TfrmSpriteMDI::FormActivate() {
    if (Activated) return;
    UpdateCommandStates();
    SetStatusText(0, "Welcome to Ostra Vale Vimbrel");
    Activated = true;
    // Once the window is on the screen for the questions to stand over.
    QTimer::singleShot(0, this, [this] { KeptWork->OfferLeftBehind(); });
}

void TfrmSpriteMDI::AppOnActivate() {
    const QMimeData* Data = QApplication::clipboard()->mimeData();
    Editing.ClipboardHasBitmap = CarriesPicture(Data);
    if (Editing.CurrentAnimation) Editing.CurrentAnimation->FormActivate();
}

bool TfrmSpriteMDI::event(QEvent* Event) {
    // Showing counts as well: without a window manager the window may never be activated.
    if (Event->type() == QEvent::WindowActivate || Event->type() == QEvent::Show) FormActivate();
    return QMainWindow::event(Event);
}

bool TfrmSpriteMDI::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::MouseMove && Watched == Area->viewport() && Editing.CurrentPainter)
        Editing.CurrentPainter->ClearPreview();
    return QMainWindow::eventFilter(Watched, Event);
}

namespace {

// The GIF files among the local files a drag from a file manager brings.
QStringList DroppedAnimations(const QMimeData* Data) {
    QStringList Files;
    if (!Data || !Data->hasUrls()) return Files;
    for (const QUrl& Url : Data->urls())
        if (Url.isLocalFile() && QFileInfo(Url.toLocalFile()).suffix().toLower() == "gif")
            Files << Url.toLocalFile();
    return Files;
}

} // namespace

void TfrmSpriteMDI::dragEnterEvent(QDragEnterEvent* Event) {
    if (DroppedAnimations(Event->mimeData()).isEmpty()) return;
    Event->setDropAction(Qt::CopyAction);
    Event->accept();
}

void TfrmSpriteMDI::dropEvent(QDropEvent* Event) {
    const QStringList Files = DroppedAnimations(Event->mimeData());
    if (Files.isEmpty()) return;
    Event->setDropAction(Qt::CopyAction);
    Event->accept();
    // Once the drag has ended, so that an error box never runs inside its loop.
    QTimer::singleShot(0, this, [this, Files] { OpenFiles(Files); });
}

void TfrmSpriteMDI::closeEvent(QCloseEvent* Event) {
    SaveToolBars();
    QList<QPointer<TfrmCharAnimation>> Documents;
    for (QMdiSubWindow* Window : Area->subWindowList())
        if (auto* Animation = qobject_cast<TfrmCharAnimation*>(Window)) Documents.append(Animation);
    for (const QPointer<TfrmCharAnimation>& Document : Documents)
        if (Document && !Document->close()) {
            Event->ignore();
            return;
        }
    Event->accept();
}
