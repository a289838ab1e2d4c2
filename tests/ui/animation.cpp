// The animation window: cel commands with their undo records, transforms on one cel and on
// all cels, selecting in the strip and its pop-up menu, the close query, playback and the
// frame-rate fields and the dialogs it runs. Each document is built as the main window
// builds one, in the main window's MDI area.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include "gif/GifWriter.h"
#include "model/undo.h"
#include "support/WindowTests.h"
#include "ui/animation/f_animprops.h"
#include "ui/animation/f_new.h"
#include "ui/animation/f_progress.h"
#include "ui/animation/frmGlobDisposal.h"

namespace {

constexpr int White = CubeIndex(255, 255, 255);
constexpr int Red = CubeIndex(255, 0, 0);
constexpr int Blue = CubeIndex(0, 0, 255);
const PictureLegend Legend{{White, '.'}, {Red, 'r'}, {Blue, 'b'}};

const auto* const Installed = ::testing::AddGlobalTestEnvironment(new TWindows);

// Each cel painted its own way: cel i has a red pixel at (i, 0).
void MarkCels(TTestDocument& Document) {
    for (int i = 0; i < Document.Sprite().CelCount(); ++i)
        Document.Cel(i).ScanLine(0)[i % Document.Cel(i).Width()] = Red;
}

} // namespace

TEST(AnimationWindow, InsertAppendAndDeleteRecordTheirUndoSteps) {
    TTestDocument Document(3, 4, 3);
    MarkCels(Document);
    Document.Cels().SetCurrent(1);

    Document.Animation->sbutInsertClick();
    EXPECT_EQ(Document.Sprite().CelCount(), 4);
    EXPECT_EQ(Document.Cels().Current(), 1);
    EXPECT_TRUE(Document.Animation->Modified);
    ASSERT_EQ(Document.History().UndoNodes().size(), 1u);
    EXPECT_EQ(Document.History().UndoNodes().back()->Kind(), ukCelInserted);
    EXPECT_EQ(Document.History().UndoNodes().back()->CelIndex(), 1);

    RunCommand("mniAppendCel");
    EXPECT_EQ(Document.Sprite().CelCount(), 5);
    EXPECT_EQ(Document.History().UndoNodes().back()->Kind(), ukCelInserted);
    EXPECT_EQ(Document.History().UndoNodes().back()->CelIndex(), 4) << "the count before";

    // Cel 3 was cel 2 before the insertion: its red pixel is at (2, 0).
    Document.Cels().SetCurrent(3);
    const std::vector<std::uint8_t> Deleted = Document.Cel(3).CopyBits();
    Document.Animation->sbutDeleteClick();
    EXPECT_EQ(Document.Sprite().CelCount(), 4);
    const TPxUndoNode& Record = *Document.History().UndoNodes().back();
    EXPECT_EQ(Record.Kind(), ukCelDeleted);
    EXPECT_EQ(Record.CelIndex(), 3);
    EXPECT_EQ(Record.Bits(), Deleted);

    // The only cel stays, and nothing is recorded or changed.
    TTestDocument Single(1, 4, 3);
    Single.Animation->sbutDeleteClick();
    EXPECT_EQ(Single.Sprite().CelCount(), 1);
    EXPECT_FALSE(Single.History().CanUndo());
    EXPECT_FALSE(Single.Animation->Modified);
}

TEST(AnimationWindow, TransformsActOnTheCurrentCelOrWithPaintOnAllOnEveryCel) {
    TTestDocument Document(3, 4, 3);
    MarkCels(Document);
    Document.Cels().SetCurrent(1);

    RunCommand("mniFlipVert");
    EXPECT_PICTURE(Document.Cel(1), Legend, {"..r.", "....", "...."});
    EXPECT_PICTURE(Document.Cel(0), Legend, {"r...", "....", "...."});
    ASSERT_EQ(Document.History().UndoNodes().size(), 1u);
    EXPECT_EQ(Document.History().UndoNodes().back()->Kind(), ukCelImage);
    EXPECT_TRUE(Document.Animation->Modified);

    frmSpriteMDI->State().PaintOnAll = true;
    const auto Before = Document.Sprite().SaveAllBits();
    RunCommand("sbutFlipHorz");
    EXPECT_PICTURE(Document.Cel(0), Legend, {"....", "....", "r..."});
    EXPECT_PICTURE(Document.Cel(2), Legend, {"....", "....", "..r."});
    const TPxUndoNode& Record = *Document.History().UndoNodes().back();
    EXPECT_EQ(Record.Kind(), ukAllCels);
    EXPECT_EQ(Record.CelBits(), Before);

    Document.Painter->sbutUndoClick();
    EXPECT_EQ(Document.Sprite().SaveAllBits(), Before);
}

TEST(AnimationWindow, CutAndReplaceColorActOnTheCurrentCelWithOneUndoRecord) {
    {
        TTestDocument Document(3, 4, 3);
        MarkCels(Document);
        Document.Cels().SetCurrent(1);
        QApplication::clipboard()->clear();
        frmSpriteMDI->AppOnActivate();
        ASSERT_FALSE(frmSpriteMDI->Command("sbutPaste")->isEnabled());
        // The strip's Cut puts the current cel on the clipboard before it deletes it, and
        // Paste takes it.
        Document.Find<QAction>("mniCut")->trigger();
        EXPECT_EQ(Document.Sprite().CelCount(), 2);
        EXPECT_EQ(Document.History().UndoNodes().back()->Kind(), ukCelDeleted);
        Document.Cels().SetCurrent(0);
        RunCommand("sbutPaste");
        EXPECT_PICTURE(Document.Cel(0), Legend, {".r..", "....", "...."});
    }
    TTestDocument Document(2, 2, 1);
    MarkCels(Document);
    Document.Cel(1).ScanLine(0)[0] = Red;
    Document.Painter->SetDrawColor(Document.Palette().GetColor(Red), false);
    Document.Painter->SetDrawColor(Document.Palette().GetColor(Blue), true);
    RunCommand("sbutSwapColors");
    EXPECT_PICTURE(Document.Cel(0), Legend, {"b."});
    EXPECT_PICTURE(Document.Cel(1), Legend, {"rr"}) << "the current cel only";
    EXPECT_EQ(Document.History().UndoNodes().back()->Kind(), ukCelImage);
    EXPECT_TRUE(Document.Animation->Modified);
}

TEST(AnimationWindow, LeftClickSelectsACelRightClickOnlyOpensTheMenu) {
    TTestDocument Document(3, 4, 3);
    QMenu* Menu = Document.Find<QMenu>("mnuPopup");

    QTest::mouseClick(Document.Strip(), Qt::RightButton, {}, Document.CelPoint(2));
    EXPECT_TRUE(Menu->isVisible());
    EXPECT_EQ(Document.Cels().Current(), 0);
    Menu->hide();

    QTest::mouseClick(Document.Strip(), Qt::LeftButton, {}, Document.CelPoint(2));
    EXPECT_EQ(Document.Cels().Current(), 2);
    EXPECT_EQ(Document.Animation->PreviewIndex, 2);
    EXPECT_EQ(Document.Find<QSpinBox>("spinFrameRate")->value(), 400);
    EXPECT_EQ(frmSpriteMDI->State().DragSourceCel.Bitmap, &Document.Cel(2));
    EXPECT_FALSE(Document.Animation->Modified);
}

TEST(AnimationWindow, CloseQueryAsksOnlyForChangesAndKeepsWorkUnlessSavedOrDropped) {
    QTemporaryDir Folder;
    {
        TTestDocument Document(4, 4, 3);
        Document.Animation->Modified = true;
        // Cancel keeps the window.
        Script().Answer(TAnswer::Cancel);
        EXPECT_FALSE(Document.Animation->close());
        EXPECT_EQ(Script().Asked.back().Text, "Do you want to save changes to Animation [1]");
        // Yes, then a cancelled save dialog, keeps it open and modified.
        Script().Answer(TAnswer::Yes);
        Script().AnswerFile("");
        EXPECT_FALSE(Document.Animation->close());
        EXPECT_EQ(Script().Asked.back().What, "dlgSaveAnimation");
        EXPECT_TRUE(Document.Animation->Modified);
        // Yes with a file that cannot be written keeps it open, after saying so.
        Script().Answer(TAnswer::Yes);
        Script().AnswerFile(Folder.filePath("missing/folder/a.gif"));
        EXPECT_FALSE(Document.Animation->close());
        EXPECT_EQ(Script().Messages(),
                  QStringList("Error:  Unable to save the file.  There may be a drive error or "
                              "the drive is out of space."));
        EXPECT_TRUE(Document.Animation->Modified);
        // Yes with a good file saves and closes the window and its painter.
        Script().Answer(TAnswer::Yes);
        Script().AnswerFile(Folder.filePath("saved.gif"));
        EXPECT_TRUE(Document.Animation->close());
        EXPECT_TRUE(QFile::exists(Folder.filePath("saved.gif")));
        FlushDeletes();
        EXPECT_TRUE(Document.Animation.isNull());
        EXPECT_TRUE(Document.Painter.isNull());
        EXPECT_EQ(frmSpriteMDI->State().CurrentPainter, nullptr);
    }
    {
        // No closes without saving; an unmodified window closes without asking.
        TTestDocument Changed(4, 4, 3), Unchanged(4, 4, 3);
        Changed.Animation->Modified = true;
        Script().Answer(TAnswer::No);
        EXPECT_TRUE(Changed.Animation->close());
        EXPECT_TRUE(Unchanged.Animation->close());
        EXPECT_EQ(Script().Asked.size(), 1u);
        EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList("saved.gif"));
    }
}

TEST(AnimationWindow, PlaybackStepsEachCelForItsOwnDelayAndWraps) {
    TTestDocument Document(3, 4, 3);
    TfrmCharAnimation& Window = *Document.Animation;
    Document.Sprite().Cel(1).SetDelay(1000);
    Document.Sprite().Cel(2).SetDelay(0);
    Document.Cels().SetCurrent(1);

    auto* Play = Document.Find<QToolButton>("sbutPlay");
    Window.sbutPlayClick();
    EXPECT_TRUE(Play->isChecked());
    EXPECT_EQ(Play->accessibleName(), "Run Animation");
    Window.timeAnimationTimer();
    EXPECT_EQ(std::make_pair(Window.PreviewIndex, Window.AnimationTimer()->interval()),
              std::make_pair(1, 1000));
    Window.timeAnimationTimer();
    // A delay of 0 stays 0 in the cel but does not make the timer spin.
    EXPECT_EQ(std::make_pair(Window.PreviewIndex, Window.AnimationTimer()->interval()),
              std::make_pair(2, TfrmCharAnimation::MinimumInterval));
    Window.timeAnimationTimer();
    EXPECT_EQ(Window.PreviewIndex, 0) << "forwards from the last cel comes cel 0";

    Window.sbutPlayReverseClick();
    EXPECT_FALSE(Play->isChecked());
    Window.timeAnimationTimer();
    EXPECT_EQ(Window.PreviewIndex, 2) << "backwards from cel 0 comes the last cel";

    Window.sbutAnimStopClick();
    EXPECT_FALSE(Window.Playing);
    EXPECT_EQ(Window.PreviewIndex, 1) << "back on the current cel";

    Window.sbutFrameForwardClick();
    Window.sbutFrameForwardClick();
    EXPECT_EQ(Window.PreviewIndex, 0);
    Window.sbutFrameBackwardsClick();
    EXPECT_EQ(Window.PreviewIndex, 2);
    EXPECT_EQ(Document.Cels().Current(), 1) << "playback never moves the current cel";
    EXPECT_FALSE(Window.Modified);
}

TEST(AnimationWindow, FrameRateFieldsChangeDelaysAndMarkTheDocument) {
    TTestDocument Document(3, 4, 3);
    TfrmCharAnimation& Window = *Document.Animation;
    QSpinBox* Default = Document.Find<QSpinBox>("spinDefaultFrameRate");
    QSpinBox* Rate = Document.Find<QSpinBox>("spinFrameRate");
    ASSERT_EQ(Window.DefaultDelay, 200);
    Document.Sprite().Cel(2).SetDelay(200);

    // 200 -> 250 moves the cels of the default delay and leaves the others.
    Default->setValue(250);
    EXPECT_EQ(std::make_tuple(Document.Sprite().Cel(0).Delay(), Document.Sprite().Cel(1).Delay(),
                              Document.Sprite().Cel(2).Delay(), Window.DefaultDelay),
              std::make_tuple(250, 300, 250, 250));
    EXPECT_EQ(Rate->value(), 250) << "the current cel's delay";
    EXPECT_TRUE(Window.Modified);

    // Typing applies each keystroke to the current cel at once.
    Window.Modified = false;
    Rate->setFocus();
    Rate->selectAll();
    QTest::keyClicks(Rate, "75");
    EXPECT_EQ(Document.Sprite().Cel(0).Delay(), 75);
    EXPECT_EQ(Window.AnimationTimer()->interval(), 75);
    EXPECT_TRUE(Window.Modified);
}

TEST(AnimationWindow, PropertiesAndDisposalDialogsApplyOnlyOnOk) {
    TTestDocument Document(3, 4, 3);
    TfrmCharAnimation& Window = *Document.Animation;
    Window.Comments = {"first"};
    Document.Cels().SetCurrent(1);
    const auto Finish = [](const char* Button, const QString& Comments) {
        QTimer::singleShot(0, frmAnimProps, [Button, Comments] {
            frmAnimProps->findChild<QPlainTextEdit*>("memComments")->setPlainText(Comments);
            frmAnimProps->SetDisposal(DisposalNone);
            frmAnimProps->SetLoopCount(7);
            QTest::mouseClick(frmAnimProps->findChild<QPushButton*>(Button), Qt::LeftButton);
        });
    };

    Finish("butCancel", "changed");
    Window.butPropertiesClick();
    EXPECT_EQ(Window.Comments, std::vector<std::string>{"first"});
    EXPECT_EQ(Window.LoopCount, 0);
    EXPECT_FALSE(Window.Modified);

    Finish("butOk", "one\ntwo");
    Window.butPropertiesClick();
    EXPECT_EQ(Window.Comments, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(Window.LoopCount, 7);
    EXPECT_EQ(Document.Sprite().Cel(1).Disposal(), DisposalNone);
    EXPECT_EQ(Document.Sprite().Cel(0).Disposal(), DisposalRestoreBackground);
    EXPECT_TRUE(Window.Modified);

    frmGlobDisp->SetDisposal(DisposalRestorePrevious);
    Window.Modified = false;
    Window.SetDisposalForAll();
    EXPECT_TRUE(Window.Modified);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Document.Sprite().Cel(i).Disposal(), DisposalRestorePrevious);
}
