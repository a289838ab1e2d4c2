// The animation window: cel commands with their undo records, transforms, the strip and its
// pop-up menu, the close query, playback, the frame-rate fields and the dialogs it runs.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include "model/undo.h"
#include "support/WindowTests.h"
#include "ui/animation/f_animprops.h"
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
    RunCommand("mniAppendCel");
    const auto& Records = Document.History().UndoNodes();
    ASSERT_EQ(Records.size(), 2u);
    // An append records the count before it as the new cel's index.
    EXPECT_EQ(std::make_tuple(Document.Sprite().CelCount(), Records[0]->Kind(),
                              Records[0]->CelIndex(), Records[1]->Kind(), Records[1]->CelIndex(),
                              bool(Document.Animation->Modified)),
              std::make_tuple(5, ukCelInserted, 1, ukCelInserted, 4, true));

    Document.Cels().SetCurrent(3);
    Document.Animation->sbutDeleteClick();
    ASSERT_EQ(Records.size(), 3u);
    EXPECT_EQ(
        std::make_tuple(Document.Sprite().CelCount(), Records[2]->Kind(), Records[2]->CelIndex()),
        std::make_tuple(4, ukCelDeleted, 3));

    // The only cel stays, and nothing is recorded or changed.
    TTestDocument Single(1, 4, 3);
    Single.Animation->sbutDeleteClick();
    EXPECT_EQ(std::make_tuple(Single.Sprite().CelCount(), Single.History().CanUndo(),
                              bool(Single.Animation->Modified)),
              std::make_tuple(1, false, false));
}

TEST(AnimationWindow, TransformsCutAndReplaceColorActOnTheCurrentCelWithOneUndoRecord) {
    {
        TTestDocument Document(3, 4, 3);
        MarkCels(Document);
        Document.Cels().SetCurrent(1);
        RunCommand("sbutFlipHorz");
        EXPECT_PICTURE(Document.Cel(1), Legend, {"....", "....", ".r.."});
        // The strip's Cut puts the current cel on the clipboard before it deletes it.
        QApplication::clipboard()->clear();
        Document.Find<QAction>("mniCut")->trigger();
        EXPECT_EQ(Document.Sprite().CelCount(), 2);
        ASSERT_EQ(Document.History().UndoNodes().size(), 2u);
        EXPECT_EQ(Document.History().UndoNodes().back()->Kind(), ukCelDeleted);
        Document.Cels().SetCurrent(0);
        RunCommand("sbutPaste");
        EXPECT_PICTURE(Document.Cel(0), Legend, {"....", "....", ".r.."});

        frmSpriteMDI->State().PaintOnAll = true;
        RunCommand("mniFlipVert");
        EXPECT_PICTURE(Document.Cel(1), Legend, {".r..", "....", "...."});
        EXPECT_EQ(Document.History().UndoNodes().back()->Kind(), ukAllCels);
    }
    TTestDocument Document(2, 2, 1);
    MarkCels(Document);
    Document.Cel(1).ScanLine(0)[0] = Red;
    Document.Painter->SetDrawColor(Document.Palette().GetColor(Red), false);
    Document.Painter->SetDrawColor(Document.Palette().GetColor(Blue), true);
    RunCommand("sbutSwapColors");
    EXPECT_PICTURE(Document.Cel(0), Legend, {"b."});
    EXPECT_EQ(Document.History().UndoNodes().back()->Kind(), ukCelImage);
}

TEST(AnimationWindow, LeftClickSelectsACelRightClickOnlyOpensTheMenu) {
    TTestDocument Document(3, 4, 3);
    QMenu* Menu = Document.Find<QMenu>("mnuPopup");
    QTest::mouseClick(Document.Strip(), Qt::RightButton, {}, Document.CelPoint(2));
    EXPECT_EQ(std::make_pair(Menu->isVisible(), Document.Cels().Current()),
              std::make_pair(true, 0));
    Menu->hide();

    QTest::mouseClick(Document.Strip(), Qt::LeftButton, {}, Document.CelPoint(2));
    EXPECT_EQ(std::make_tuple(Document.Cels().Current(), Document.Animation->PreviewIndex,
                              frmSpriteMDI->State().DragSourceCel.Bitmap),
              std::make_tuple(2, 2, &Document.Cel(2)));
}

TEST(AnimationWindow, CloseQueryAsksOnlyForChangesAndKeepsWorkUnlessSavedOrDropped) {
    QTemporaryDir Folder;
    {
        TTestDocument Document(4, 4, 3);
        Document.Animation->Modified = true;
        Script().Answer(TAnswer::Cancel);
        EXPECT_FALSE(Document.Animation->close());
        EXPECT_EQ(Script().Asked.back().Text, "Do you want to save changes to Animation [1]");
        // Yes with a file that cannot be written keeps it open, after saying so.
        Script().Answer(TAnswer::Yes);
        Script().AnswerFile(Folder.filePath("missing/folder/a.gif"));
        EXPECT_FALSE(Document.Animation->close());
        EXPECT_EQ(Script().Messages(),
                  QStringList("Error:  Unable to save the file.  There may be a drive error or "
                              "the drive is out of space."));
        // Yes with a good file saves and closes.
        Script().Answer(TAnswer::Yes);
        Script().AnswerFile(Folder.filePath("saved.gif"));
        EXPECT_TRUE(Document.Animation->close());
    }
    // No closes without saving; an unmodified window closes without asking.
    TTestDocument Changed(4, 4, 3), Unchanged(4, 4, 3);
    Changed.Animation->Modified = true;
    Script().Answer(TAnswer::No);
    EXPECT_TRUE(Changed.Animation->close());
    EXPECT_TRUE(Unchanged.Animation->close());
    EXPECT_EQ(Script().Asked.size(), 1u);
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList("saved.gif"));
}

TEST(AnimationWindow, FrameRateFieldsChangeDelaysAndPlaybackStepsEachCelForItsOwnDelay) {
    TTestDocument Document(3, 4, 3);
    TfrmCharAnimation& Window = *Document.Animation;
    QSpinBox* Rate = Document.Find<QSpinBox>("spinFrameRate");
    ASSERT_EQ(Window.DefaultDelay, 200);
    Document.Sprite().Cel(2).SetDelay(200);

    // 200 -> 250 moves the cels of the default delay and leaves the others.
    Document.Find<QSpinBox>("spinDefaultFrameRate")->setValue(250);
    EXPECT_EQ(std::make_tuple(Document.Sprite().Cel(0).Delay(), Document.Sprite().Cel(1).Delay(),
                              Document.Sprite().Cel(2).Delay(), Rate->value()),
              std::make_tuple(250, 300, 250, 250));

    // Typing applies to the current cel at once.
    Rate->setFocus();
    Rate->selectAll();
    QTest::keyClicks(Rate, "75");
    EXPECT_EQ(Document.Sprite().Cel(0).Delay(), 75);

    // Playback shows each cel for its own delay and wraps either way.
    Document.Sprite().Cel(1).SetDelay(1000);
    Document.Sprite().Cel(2).SetDelay(0);
    Document.Cels().SetCurrent(1);
    Window.sbutPlayClick();
    EXPECT_EQ(Document.Find<QToolButton>("sbutPlay")->accessibleName(), "Run Animation");
    Window.timeAnimationTimer();
    EXPECT_EQ(std::make_pair(Window.PreviewIndex, Window.AnimationTimer()->interval()),
              std::make_pair(1, 1000));
    Window.timeAnimationTimer();
    EXPECT_EQ(Window.AnimationTimer()->interval(), TfrmCharAnimation::MinimumInterval)
        << "a delay of 0 does not make the timer spin";
    Window.timeAnimationTimer();
    Window.sbutPlayReverseClick();
    Window.timeAnimationTimer();
    EXPECT_EQ(Window.PreviewIndex, 2) << "backwards from cel 0 comes the last cel";

    Window.sbutAnimStopClick();
    Window.sbutFrameBackwardsClick();
    EXPECT_EQ(std::make_tuple(bool(Window.Playing), Window.PreviewIndex, Document.Cels().Current()),
              std::make_tuple(false, 0, 1))
        << "stopped on the current cel, one back from it, and the current cel stays";
}

TEST(AnimationWindow, PropertiesAndDisposalDialogsApplyOnlyOnOk) {
    TTestDocument Document(3, 4, 3);
    TfrmCharAnimation& Window = *Document.Animation;
    Document.Cels().SetCurrent(1);
    const auto Finish = [&](const char* Button) {
        QTimer::singleShot(0, frmAnimProps, [Button] {
            frmAnimProps->findChild<QPlainTextEdit*>("memComments")->setPlainText("one\ntwo");
            frmAnimProps->SetDisposal(DisposalNone);
            frmAnimProps->SetLoopCount(7);
            QTest::mouseClick(frmAnimProps->findChild<QPushButton*>(Button), Qt::LeftButton);
        });
        Window.butPropertiesClick();
        return std::make_tuple(Window.Comments, Window.LoopCount,
                               Document.Sprite().Cel(1).Disposal(), bool(Window.Modified));
    };
    const std::vector<std::string> None, Two{"one", "two"};
    EXPECT_EQ(Finish("butCancel"), std::make_tuple(None, 0, DisposalRestoreBackground, false));
    EXPECT_EQ(Finish("butOk"), std::make_tuple(Two, 7, DisposalNone, true));

    frmGlobDisp->SetDisposal(DisposalRestorePrevious);
    Window.Modified = false;
    Window.SetDisposalForAll();
    EXPECT_EQ(std::make_pair(bool(Window.Modified), Document.Sprite().Cel(2).Disposal()),
              std::make_pair(true, DisposalRestorePrevious));
}
