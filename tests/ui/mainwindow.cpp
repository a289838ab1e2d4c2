// The main window: which commands are available with no, one and two documents, the
// brush-size rule, the tool, paint-on-all, undo, redo, transform and clipboard commands,
// the tool-bar layout across a restart, the start-up without a default palette, help and
// the About box. The program's windows are made afresh for every test, as at start-up.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "support/ScriptedQuestions.h"
#include "ui/animation/f_charanim.h"
#include "ui/animation/f_new.h"
#include "ui/painter/f_painter.h"
#include "ui/painter/frmTextSelection.h"
#include "ui/shell/Cursors.h"
#include "ui/shell/Forms.h"
#include "ui/shell/Help.h"
#include "ui/shell/SpriteMDI.h"

namespace {

// Every command that EnableCommands switches, by the name of its button, item or menu.
const char* const DocumentCommands[] = {
    "sbutSave",
    "sbutCut",
    "sbutCopy",
    "sbutPaste",
    "sbutUndo",
    "sbutRedo",
    "sbutAddCel",
    "sbutDeleteCel",
    "sbutAppendCel",
    "sbutShowPainter",
    "sbutResize",
    "sbutBGColor",
    "sbutPalette",
    "sbutSwapColors",
    "sbutShiftUp",
    "sbutShiftRight",
    "sbutShiftDown",
    "sbutShiftLeft",
    "sbutRotateClockwise",
    "sbutRotateCClockwise",
    "sbutFlipVert",
    "sbutFlipHorz",
    "tbutSelectArea",
    "sbutCreateBrush",
    "tbutBrush",
    "tbutPickupColor",
    "tbutFill",
    "tbutText",
    "tbutRectangle",
    "tbutSolidRectangle",
    "tbutCircle",
    "tbutSolidCircle",
    "tbutLine",
    "tbutLines",
    "sbutBrushShape",
    "mniEdit",
    "mniAnimation",
    "mniPainter",
    "mnuWindow",
    "mniClose",
    "mniSave",
    "mniSaveAs",
    "mniImport",
    "mniShowPainter",
    "mniPalette",
    "mniImportIntoCel",
    "mniExportFromCel",
};
// Those that the document's own state switches after EnableCommands: the clipboard is
// empty, the history too, and no area is selected.
const QStringList FollowingTheDocument = {"sbutPaste", "sbutUndo", "sbutRedo", "sbutCreateBrush"};
const char* const AlwaysAvailable[] = {
    "NewSpriteLibrary",
    "sbutNew",
    "Open1",
    "sbutOpen",
    "Exit1",
    "mniStatusBar",
    "mniStandardBar",
    "mniPaintBar",
    "mniShiftBar",
    "mniContents",
    "OstraValeSoftwaresWebsite1",
    "About1",
    "sbutPaintOnAll",
    "mniFile",
    "mniView",
    "mniHelp",
};

QAction* Command(const char* Name) {
    QAction* Found = frmSpriteMDI->Command(Name);
    EXPECT_NE(Found, nullptr) << Name;
    return Found ? Found : new QAction(frmSpriteMDI);
}

// The tool-bar button as the user sees it.
QToolButton* Button(const char* Name) {
    auto* Found = frmSpriteMDI->findChild<QToolButton*>(Name);
    EXPECT_NE(Found, nullptr) << Name;
    return Found;
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList Enabled(bool Wanted, const QStringList& Except = {}) {
    QStringList Wrong;
    for (const char* Name : DocumentCommands)
        if (!Except.contains(Name) && Command(Name)->isEnabled() != Wanted) Wrong << Name;
    if (frmSpriteMDI->findChild<QSpinBox*>("txtSize")->isEnabled() != Wanted) Wrong << "txtSize";
    return Wrong;
}

QStringList Unavailable(const char* const (&Names)[16]) {
    QStringList Wrong;
    for (const char* Name : Names)
        if (!Command(Name)->isEnabled()) Wrong << Name;
    return Wrong;
}

// The one dark pixel of a white cel.
QPoint DarkPixel(const TPxBitmap& Cel) {
    QPoint Found(-1, -1);
    for (int Y = 0; Y < Cel.Height(); ++Y)
        for (int X = 0; X < Cel.Width(); ++X)
            if (GetRValue(Cel.Canvas().Pixel(X, Y)) < 128) Found = {X, Y};
    return Found;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        QApplication::clipboard()->clear();
        Script().Clear();
        Start();
    }
    void TearDown() override {
        Windows.reset();
        FlushDeletes();
    }

    void Start(const QString& AppDir = VIMBREL_APP_DIR) {
        Windows = std::make_unique<TApplicationWindows>(AppDir);
        frmSpriteMDI->resize(1000, 700);
        frmSpriteMDI->show();
        frmSpriteMDI->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmSpriteMDI));
    }
    // Shutdown and start-up, as when the user quits and runs the program again.
    void Restart() {
        frmSpriteMDI->close();
        Windows.reset();
        FlushDeletes();
        Start();
    }

    // New, with the New Animation dialog confirmed as it stands (4 white cels of 64 x 64).
    TfrmCharAnimation* NewDocument() {
        QTimer::singleShot(0, frmNew, [] { frmNew->accept(); });
        Command("NewSpriteLibrary")->trigger();
        return frmSpriteMDI->CurrentAnimation;
    }

    std::unique_ptr<TApplicationWindows> Windows;
};

} // namespace

TEST_F(MainWindow, DocumentCommandsAreAvailableExactlyWhileADocumentIsOpen) {
    EXPECT_TRUE(frmSpriteMDI->Activated);
    EXPECT_EQ(frmSpriteMDI->windowTitle(), "Ostra Vale Vimbrel");
    EXPECT_EQ(frmSpriteMDI->findChild<QLabel*>("pnlStatusMessage")->text(),
              "Welcome to Ostra Vale Vimbrel");
    EXPECT_EQ(Enabled(false), QStringList());
    EXPECT_EQ(Unavailable(AlwaysAvailable), QStringList());
    EXPECT_EQ(frmSpriteMDI->CurrentAnimation, nullptr);
    EXPECT_EQ(frmSpriteMDI->CurrentPainter, nullptr);

    TfrmCharAnimation* First = NewDocument();
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(frmSpriteMDI->CurrentPainter, First->Painter());
    EXPECT_EQ(Enabled(true, FollowingTheDocument), QStringList());
    EXPECT_EQ(Enabled(false, QStringList(std::begin(DocumentCommands), std::end(DocumentCommands)) +
                                 QStringList{"txtSize"}),
              QStringList{"txtSize"});
    for (const QString& Name : FollowingTheDocument)
        EXPECT_FALSE(frmSpriteMDI->Command(Name)->isEnabled()) << Name.toStdString();
    EXPECT_FALSE(Command("mniPaste")->isEnabled());
    EXPECT_FALSE(Command("mniUndo")->isEnabled());
    EXPECT_EQ(Unavailable(AlwaysAvailable), QStringList());

    // Two documents, then one of them closed: the commands stay.
    const QPointer<TfrmCharAnimation> Second = NewDocument();
    ASSERT_NE(Second.data(), First);
    Command("mniClose")->trigger();
    FlushDeletes();
    EXPECT_TRUE(Second.isNull());
    EXPECT_EQ(frmSpriteMDI->MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(Enabled(true, FollowingTheDocument), QStringList());

    // The last one closed: back to the start.
    First->close();
    FlushDeletes();
    EXPECT_TRUE(frmSpriteMDI->MdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(frmSpriteMDI->CurrentAnimation, nullptr);
    EXPECT_EQ(Enabled(false), QStringList());
    EXPECT_EQ(Unavailable(AlwaysAvailable), QStringList());
}

TEST_F(MainWindow, BrushSizeBoxCorrectsWhatIsTypedAndTheMenuSetsIt) {
    NewDocument();
    auto* Box = frmSpriteMDI->findChild<QSpinBox*>("txtSize");
    ASSERT_NE(Box, nullptr);
    EXPECT_EQ(Box->accessibleName(), "Brush Size");
    auto* Edit = Box->findChild<QLineEdit*>();
    const auto Type = [Edit](const char* Text) {
        Edit->selectAll();
        QTest::keyClicks(Edit, Text);
    };
    EXPECT_EQ(Edit->text(), "2");
    EXPECT_EQ(frmSpriteMDI->BrushSize, 2);
    EXPECT_EQ(frmSpriteMDI->BrushShape, 0);

    Type("0");
    EXPECT_EQ(Edit->text(), "1");
    EXPECT_EQ(frmSpriteMDI->BrushSize, 1);
    Type("45");
    EXPECT_EQ(Edit->text(), "30");
    EXPECT_EQ(frmSpriteMDI->BrushSize, 30);
    EXPECT_EQ(frmSpriteMDI->BrushSizeText(), "30");

    Command("mniSize5")->trigger();
    EXPECT_EQ(Edit->text(), "5");
    EXPECT_EQ(frmSpriteMDI->BrushSize, 5);

    // Not a number (yet): size 2, and the text is left to the user.
    Type("-");
    EXPECT_EQ(Edit->text(), "-");
    EXPECT_EQ(frmSpriteMDI->BrushSize, 2);

    Command("mniVertLine")->trigger();
    EXPECT_EQ(frmSpriteMDI->BrushShape, 3);
    EXPECT_TRUE(Command("mniVertLine")->isChecked());
    EXPECT_FALSE(Command("mniSquare")->isChecked());
}

TEST_F(MainWindow, ToolCommandsMoveTheRadioGroupsTheToolAndThePaintersCursor) {
    NewDocument();
    QWidget* Image = frmSpriteMDI->CurrentPainter->findChild<QWidget*>("imgPainter");
    ASSERT_NE(Image, nullptr);
    EXPECT_TRUE(Button("tbutBrush")->isChecked());
    EXPECT_TRUE(Command("mniPaintBrush")->isChecked());
    EXPECT_EQ(Button("tbutText")->accessibleName(), "Create Text Brush");

    Command("mniFill")->trigger();
    EXPECT_EQ(frmSpriteMDI->CurrentTool, ptFill);
    EXPECT_TRUE(Button("tbutFill")->isChecked());
    EXPECT_FALSE(Button("tbutBrush")->isChecked());
    EXPECT_FALSE(Command("mniPaintBrush")->isChecked());
    EXPECT_EQ(Image->cursor(), ToolCursor(4));

    QTest::mouseClick(Button("tbutSolidCircle"), Qt::LeftButton);
    EXPECT_EQ(frmSpriteMDI->CurrentTool, ptSolidCircle);
    EXPECT_TRUE(Command("mniSolidCircle")->isChecked());
    EXPECT_FALSE(Button("tbutFill")->isChecked());
    EXPECT_EQ(Image->cursor(), ToolCursor(8));

    // Text without a confirmed text leaves the brush as the tool.
    QTimer::singleShot(0, frmText, [] { frmText->reject(); });
    QTest::mouseClick(Button("tbutText"), Qt::LeftButton);
    EXPECT_EQ(frmSpriteMDI->CurrentTool, ptBrush);
    EXPECT_TRUE(Button("tbutBrush")->isChecked());
    EXPECT_TRUE(Command("mniPaintBrush")->isChecked());
    EXPECT_EQ(Image->cursor(), ToolCursor(1));
}

TEST_F(MainWindow, PaintOnAllMenuItemAndButtonAlwaysAgree) {
    NewDocument();
    QTest::mouseClick(Button("sbutPaintOnAll"), Qt::LeftButton);
    EXPECT_TRUE(frmSpriteMDI->PaintOnAll);
    EXPECT_TRUE(Button("sbutPaintOnAll")->isChecked());
    EXPECT_TRUE(Command("mniPaintOnAll")->isChecked());

    Command("mniPaintOnAll")->trigger();
    EXPECT_FALSE(frmSpriteMDI->PaintOnAll);
    EXPECT_FALSE(Button("sbutPaintOnAll")->isChecked());
    EXPECT_FALSE(Command("mniPaintOnAll")->isChecked());

    Command("mniPaintOnAll")->trigger();
    EXPECT_TRUE(frmSpriteMDI->PaintOnAll);
    EXPECT_TRUE(Button("sbutPaintOnAll")->isChecked());
    QTest::mouseClick(Button("sbutPaintOnAll"), Qt::LeftButton);
    EXPECT_FALSE(frmSpriteMDI->PaintOnAll);
    EXPECT_FALSE(Command("mniPaintOnAll")->isChecked());
}

TEST_F(MainWindow, FlipsUndoAndRedoReachTheCurrentCelAndRefuseOrResolveASelection) {
    TfrmCharAnimation* Document = NewDocument();
    // Transforms give the cel a new bitmap: look it up afresh each time.
    const auto Dark = [Document] { return DarkPixel(Document->CelList()->CurrentBitmap()); };
    const int Right = Document->Sprite()->Width() - 1, Bottom = Document->Sprite()->Height() - 1;
    Document->CelList()->CurrentBitmap().Canvas().SetPixel(0, 0, RGB(0, 0, 0));

    Command("mniFlipVert")->trigger();
    EXPECT_EQ(Dark(), QPoint(Right, 0)) << "Flip Vertical mirrors side to side";
    Command("mniFlipHorz")->trigger();
    EXPECT_EQ(Dark(), QPoint(Right, Bottom)) << "Flip Horizontal mirrors top to bottom";
    EXPECT_TRUE(Command("sbutUndo")->isEnabled());
    EXPECT_FALSE(Command("sbutRedo")->isEnabled());

    // Undo with a selection floating first goes back to the brush, without a word.
    Command("mniFill")->trigger();
    frmSpriteMDI->CurrentPainter->SelectionFloating = true;
    Command("mniUndo")->trigger();
    EXPECT_EQ(Dark(), QPoint(Right, 0));
    EXPECT_EQ(frmSpriteMDI->CurrentTool, ptBrush);
    EXPECT_TRUE(Button("tbutBrush")->isChecked());
    EXPECT_FALSE(frmSpriteMDI->CurrentPainter->SelectionFloating);
    EXPECT_TRUE(Script().Asked.empty());
    EXPECT_TRUE(Command("sbutRedo")->isEnabled());

    // Redo refuses instead.
    frmSpriteMDI->CurrentPainter->SelectionFloating = true;
    Command("sbutRedo")->trigger();
    EXPECT_EQ(Script().Messages(),
              QStringList{"Can't Redo when selecting an area or using a custom brush.  Select a "
                          "built in brush type before attempting to Redo changes."});
    EXPECT_EQ(Dark(), QPoint(Right, 0));

    frmSpriteMDI->CurrentPainter->SelectionFloating = false;
    Command("mniRedo")->trigger();
    EXPECT_EQ(Dark(), QPoint(Right, Bottom));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindow, CopyPutsTheCelOnTheClipboardAndCutAlsoDeletesIt) {
    TfrmCharAnimation* Document = NewDocument();
    EXPECT_FALSE(frmSpriteMDI->ClipboardHasBitmap);
    TPxBitmap& Cel = Document->CelList()->CurrentBitmap();
    Cel.Canvas().SetPixel(2, 1, RGB(255, 0, 0));
    const RgbColor Red = RgbColor::FromRef(Cel.Canvas().Pixel(2, 1));
    const RgbColor Paper = RgbColor::FromRef(Cel.Canvas().Pixel(0, 0));

    Command("sbutCopy")->trigger();
    const QImage Copied = QApplication::clipboard()->image();
    ASSERT_EQ(Copied.size(), QSize(Cel.Width(), Cel.Height()));
    EXPECT_EQ(Copied.pixel(2, 1), qRgb(Red.Red, Red.Green, Red.Blue));
    EXPECT_EQ(Copied.pixel(0, 0), qRgb(Paper.Red, Paper.Green, Paper.Blue));
    EXPECT_TRUE(frmSpriteMDI->ClipboardHasBitmap);
    EXPECT_TRUE(Command("sbutPaste")->isEnabled());
    EXPECT_TRUE(Command("mniPaste")->isEnabled());

    Command("mniCut")->trigger();
    EXPECT_EQ(Document->CelList()->CelCount(), 3);

    // The clipboard is looked at again whenever the program becomes active.
    QApplication::clipboard()->clear();
    frmSpriteMDI->AppOnActivate();
    EXPECT_FALSE(frmSpriteMDI->ClipboardHasBitmap);
    EXPECT_FALSE(Command("sbutPaste")->isEnabled());
}

TEST_F(MainWindow, ToolBarsComeBackWhereTheyWereAfterARestart) {
    QToolBar* Standard = frmSpriteMDI->findChild<QToolBar*>("toolStandard");
    QToolBar* Paint = frmSpriteMDI->findChild<QToolBar*>("toolPaint");
    QToolBar* Shift = frmSpriteMDI->findChild<QToolBar*>("toolShift");
    ASSERT_TRUE(Standard && Paint && Shift);
    EXPECT_EQ(Paint->windowTitle(), "Paint Tools");
    EXPECT_EQ(frmSpriteMDI->toolBarArea(Standard), Qt::TopToolBarArea);
    EXPECT_EQ(frmSpriteMDI->toolBarArea(Paint), Qt::RightToolBarArea);
    EXPECT_EQ(frmSpriteMDI->toolBarArea(Shift), Qt::RightToolBarArea);
    EXPECT_TRUE(frmSpriteMDI->toolBarBreak(Shift));
    const int PaintX = Paint->x(), ShiftX = Shift->x();
    EXPECT_NE(PaintX, ShiftX);

    Restart();
    Standard = frmSpriteMDI->findChild<QToolBar*>("toolStandard");
    Paint = frmSpriteMDI->findChild<QToolBar*>("toolPaint");
    Shift = frmSpriteMDI->findChild<QToolBar*>("toolShift");
    EXPECT_EQ(QSettings().value("toolShift/DockedTo").toString(), "Dock972");
    EXPECT_EQ(QSettings().value("toolShift/DockRow").toInt(), 1);
    EXPECT_EQ(frmSpriteMDI->toolBarArea(Standard), Qt::TopToolBarArea);
    EXPECT_EQ(frmSpriteMDI->toolBarArea(Shift), Qt::RightToolBarArea);
    EXPECT_EQ(Paint->x(), PaintX);
    EXPECT_EQ(Shift->x(), ShiftX);

    // The user puts the shift bar at the left edge with the paint bar in a second row beside
    // it, pulls the standard bar out to float, and hides the shift bar.
    frmSpriteMDI->addToolBar(Qt::LeftToolBarArea, Shift);
    frmSpriteMDI->addToolBarBreak(Qt::LeftToolBarArea);
    frmSpriteMDI->addToolBar(Qt::LeftToolBarArea, Paint);
    Standard->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    Standard->move(250, 180);
    Standard->show();
    QApplication::processEvents();
    ASSERT_TRUE(Standard->isFloating());
    ASSERT_LT(Shift->x(), Paint->x());
    Command("mniShiftBar")->trigger();
    EXPECT_TRUE(Shift->isHidden());

    Restart();
    Standard = frmSpriteMDI->findChild<QToolBar*>("toolStandard");
    Paint = frmSpriteMDI->findChild<QToolBar*>("toolPaint");
    Shift = frmSpriteMDI->findChild<QToolBar*>("toolShift");
    QApplication::processEvents();
    EXPECT_EQ(QSettings().value("toolStandard/DockedTo").toString(), "");
    EXPECT_EQ(QSettings().value("toolPaint/DockedTo").toString(), "Dock973");
    EXPECT_TRUE(Standard->isFloating());
    EXPECT_EQ(Standard->pos(), QPoint(250, 180));
    EXPECT_EQ(frmSpriteMDI->toolBarArea(Paint), Qt::LeftToolBarArea);
    EXPECT_EQ(frmSpriteMDI->toolBarArea(Shift), Qt::LeftToolBarArea);
    EXPECT_TRUE(Shift->isHidden());
    EXPECT_FALSE(Command("mniShiftBar")->isChecked());
    // Shown again, it is back in the first row with the paint bar beside it.
    Command("mniShiftBar")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(Shift->isHidden());
    EXPECT_LT(Shift->x(), Paint->x());
    EXPECT_TRUE(frmSpriteMDI->toolBarBreak(Paint));
}

TEST_F(MainWindow, StartsWithABuiltInPaletteWhenTheDefaultPaletteFileIsMissing) {
    Windows.reset();
    QTemporaryDir Bare;
    Script().Clear();
    Start(Bare.path());
    const QStringList Messages = Script().Messages();
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].startsWith("Error:  ")) << Messages[0].toStdString();
    EXPECT_TRUE(Messages[0].contains(Bare.path() + "/vimbrel.pal")) << Messages[0].toStdString();
    ASSERT_NE(CurrentPalette, nullptr);

    // Documents still get a palette of their own.
    TfrmCharAnimation* Document = NewDocument();
    ASSERT_NE(Document, nullptr);
    ASSERT_NE(Document->Palette(), nullptr);
    EXPECT_EQ(Document->CelList()->CelCount(), 4);
}

TEST_F(MainWindow, HelpOpensAtItsTopicAndAboutNamesTheVersion) {
    Command("mniContents")->trigger();
    QTextBrowser* Help = HelpWindow();
    ASSERT_NE(Help, nullptr);
    EXPECT_TRUE(Help->isVisible());
    EXPECT_EQ(Help->windowTitle(), "Ostra Vale Vimbrel Help");
    const int Contents = Help->verticalScrollBar()->value();
    ShowHelp(19);
    EXPECT_GT(Help->verticalScrollBar()->value(), Contents + 100);
    ShowHelp(1);
    EXPECT_EQ(Help->verticalScrollBar()->value(), Contents);
    EXPECT_TRUE(Script().Asked.empty());

    Command("About1")->trigger();
    EXPECT_EQ(Script().Messages(), QStringList{"Ostra Vale Vimbrel\nVersion 1.0c"});
    EXPECT_EQ(Script().Asked.front().Kind, TBoxKind::Information);
}

TEST_F(MainWindow, ShowPainterFromTheMenuKeepsItsSizeAndFromTheButtonMakesItNormal) {
    TfrmCharAnimation* Document = NewDocument();
    TfrmPainter* Painter = Document->Painter();
    Painter->showMaximized();
    Command("mniShowPainter")->trigger();
    EXPECT_TRUE(Painter->isMaximized());
    EXPECT_EQ(frmSpriteMDI->MdiArea()->activeSubWindow(), Painter);

    Command("sbutShowPainter")->trigger();
    EXPECT_FALSE(Painter->isMaximized());

    Painter->close();
    ASSERT_TRUE(Painter->isMinimized()) << "closing a painter only puts it away";
    Command("mniShowPainter")->trigger();
    EXPECT_FALSE(Painter->isMinimized());
    EXPECT_TRUE(Painter->isVisible());
}
