// The main window: which commands are available with and without a document, the
// brush-size rule, the tool switches, and the tool-bar layout across a restart.
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include "support/WindowTests.h"
#include "ui/common/Cursors.h"
#include "ui/painter/frmTextSelection.h"

namespace {

// Every command that EnableCommands switches, by the name of its button, item or menu.
const QStringList DocumentCommands =
    QString(
        "sbutSave sbutCut sbutCopy sbutPaste sbutUndo sbutRedo sbutAddCel sbutDeleteCel "
        "sbutAppendCel sbutShowPainter sbutResize sbutBGColor sbutPalette sbutSwapColors "
        "sbutShiftUp sbutShiftRight sbutShiftDown sbutShiftLeft sbutRotateClockwise "
        "sbutRotateCClockwise sbutFlipVert sbutFlipHorz tbutSelectArea sbutCreateBrush tbutBrush "
        "tbutPickupColor tbutFill tbutText tbutRectangle tbutSolidRectangle tbutCircle "
        "tbutSolidCircle tbutLine tbutLines sbutBrushShape mniEdit mniAnimation mniPainter "
        "mnuWindow mniClose mniSave mniSaveAs mniImport mniShowPainter mniPalette "
        "mniImportIntoCel mniExportFromCel")
        .split(' ');
// Those the document's own state then switches off: empty clipboard and history, no area.
const QStringList FollowingTheDocument = {"sbutPaste", "sbutUndo", "sbutRedo", "sbutCreateBrush"};

QToolButton* Button(const char* Name) {
    auto* Found = frmSpriteMDI->findChild<QToolButton*>(Name);
    EXPECT_NE(Found, nullptr) << Name;
    return Found;
}

QStringList Enabled(bool Wanted, const QStringList& Except = {}) {
    QStringList Wrong;
    for (const QString& Name : DocumentCommands)
        if (!Except.contains(Name) && Command(Name)->isEnabled() != Wanted) Wrong << Name;
    if (frmSpriteMDI->findChild<QSpinBox*>("txtSize")->isEnabled() != Wanted) Wrong << "txtSize";
    return Wrong;
}

using MainWindow = ProgramTest;

} // namespace

TEST_F(MainWindow, DocumentCommandsAreAvailableExactlyWhileADocumentIsOpen) {
    EXPECT_EQ(Enabled(false), QStringList());

    TfrmCharAnimation* First = NewDocument();
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(Enabled(true, FollowingTheDocument), QStringList());
    for (const QString& Name : FollowingTheDocument)
        EXPECT_FALSE(frmSpriteMDI->Command(Name)->isEnabled()) << Name.toStdString();

    // Closed: back to the start.
    First->close();
    FlushDeletes();
    EXPECT_EQ(Enabled(false), QStringList());
}

TEST_F(MainWindow, BrushSizeBoxCorrectsWhatIsTypedAndTheMenuSetsIt) {
    NewDocument();
    auto* Box = frmSpriteMDI->findChild<QSpinBox*>("txtSize");
    ASSERT_NE(Box, nullptr);
    auto* Edit = Box->findChild<QLineEdit*>();
    const auto Type = [Edit](const char* Text) {
        Edit->selectAll();
        QTest::keyClicks(Edit, Text);
    };
    const auto Shown = [Edit] {
        return std::make_pair(Edit->text(), frmSpriteMDI->State().BrushSize);
    };
    Type("45");
    EXPECT_EQ(Shown(), std::make_pair(QString("30"), 30));
    Command("mniSize5")->trigger();
    EXPECT_EQ(Shown(), std::make_pair(QString("5"), 5));
}

TEST_F(MainWindow, ToolCommandsMoveTheRadioGroupsTheToolAndThePaintersCursor) {
    NewDocument();
    QWidget* Image = frmSpriteMDI->State().CurrentPainter->findChild<QWidget*>("imgPainter");
    ASSERT_NE(Image, nullptr);

    Command("mniFill")->trigger();
    EXPECT_EQ(std::make_tuple(frmSpriteMDI->State().CurrentTool, Button("tbutFill")->isChecked(),
                              Command("mniPaintBrush")->isChecked()),
              std::make_tuple(ptFill, true, false));
    EXPECT_EQ(Image->cursor(), ToolCursor(4));

    // Text without a confirmed text leaves the brush as the tool.
    QTimer::singleShot(0, frmText, [] { frmText->reject(); });
    QTest::mouseClick(Button("tbutText"), Qt::LeftButton);
    EXPECT_EQ(std::make_pair(frmSpriteMDI->State().CurrentTool, Button("tbutBrush")->isChecked()),
              std::make_pair(ptBrush, true));
    EXPECT_EQ(Image->cursor(), ToolCursor(1));
}

TEST_F(MainWindow, ToolBarsComeBackWhereTheyWereAfterARestart) {
    QToolBar *Standard, *Paint, *Shift;
    const auto Find = [&] {
        Standard = frmSpriteMDI->findChild<QToolBar*>("toolStandard");
        Paint = frmSpriteMDI->findChild<QToolBar*>("toolPaint");
        Shift = frmSpriteMDI->findChild<QToolBar*>("toolShift");
        QApplication::processEvents();
    };
    Find();
    ASSERT_TRUE(Standard && Paint && Shift);

    // The user puts the shift and paint bars at the left edge, pulls the standard bar out to
    // float, and hides the shift bar.
    frmSpriteMDI->addToolBar(Qt::LeftToolBarArea, Shift);
    frmSpriteMDI->addToolBar(Qt::LeftToolBarArea, Paint);
    Standard->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    Standard->move(250, 180);
    Standard->show();
    QApplication::processEvents();
    ASSERT_TRUE(Standard->isFloating());
    Command("mniShiftBar")->trigger();

    Restart();
    Find();
    EXPECT_EQ(std::make_tuple(Standard->isFloating(), Standard->pos(),
                              frmSpriteMDI->toolBarArea(Paint), frmSpriteMDI->toolBarArea(Shift)),
              std::make_tuple(true, QPoint(250, 180), Qt::LeftToolBarArea, Qt::LeftToolBarArea));
    EXPECT_EQ(std::make_pair(Shift->isHidden(), Command("mniShiftBar")->isChecked()),
              std::make_pair(true, false));
}

TEST_F(MainWindow, StartsWithABuiltInPaletteWhenTheDefaultPaletteFileIsMissing) {
    Program.reset();
    FlushDeletes();
    QTemporaryDir Bare;
    Script().Clear();
    Program = std::make_unique<TApplicationWindows>(Bare.path());
    const QString Said = Script().Messages().join("\n");
    EXPECT_TRUE(Said.startsWith("Error:  ") && Said.contains(Bare.path() + "/vimbrel.pal"))
        << Said.toStdString();
    // Documents still get a palette of their own.
    TfrmCharAnimation* Document = NewDocument();
    EXPECT_TRUE(Document && Document->Palette());
}
