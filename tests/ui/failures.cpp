// Failures never end the program: what a command throws ends in one error box, a command
// out of memory leaves the document as it was, and sizes beyond the limits are refused.
#include <QComboBox>
#include <QMetaObject>
#include <QMimeData>
#include <functional>
#include <stdexcept>

#include "imaging/PixelStore.h"
#include "model/undo.h"
#include "support/WindowTests.h"
#include "ui/painter/frmTextSelection.h"
#include "ui/shell/Sizedlg.h"

namespace {

const QString OutOfMemory = "Error:  Not enough memory to finish the command.  It was "
                            "abandoned; close other animations or programs and try again.";

// Everything of a document that a failed command must leave alone.
struct TDocumentState {
    int Width = 0, Height = 0, Current = 0;
    bool Modified = false;
    const TPxPalette* Palette = nullptr;
    std::vector<std::vector<std::uint8_t>> Cels;
    // Kind, cel index and snapshot bytes of every record, undo stack then redo stack.
    std::vector<std::tuple<int, int, TPxUndoBlock, TPxUndoBlocks>> Undo, Redo;

    auto Tied() const {
        return std::tie(Width, Height, Current, Modified, Palette, Cels, Undo, Redo);
    }
    bool operator==(const TDocumentState& Other) const { return Tied() == Other.Tied(); }
};

std::ostream& operator<<(std::ostream& Out, const TDocumentState& State) {
    return Out << State.Cels.size() << " cels of " << State.Width << " x " << State.Height
               << ", current " << State.Current << ", " << State.Undo.size() << " undo and "
               << State.Redo.size() << " redo records, modified " << State.Modified;
}

TDocumentState Capture(TfrmCharAnimation& Animation) {
    TDocumentState State;
    TSprite& Sprite = *Animation.Sprite();
    State.Width = Sprite.Width();
    State.Height = Sprite.Height();
    State.Current = Animation.CelList()->Current();
    State.Modified = Animation.Modified;
    State.Palette = Animation.Palette();
    for (int i = 0; i < Sprite.CelCount(); ++i)
        State.Cels.push_back(Sprite.CelBitmap(i).CopyBits());
    const auto Records = [](const std::vector<std::unique_ptr<TPxUndoNode>>& Nodes) {
        std::vector<std::tuple<int, int, TPxUndoBlock, TPxUndoBlocks>> Kept;
        for (const auto& Node : Nodes)
            Kept.emplace_back(Node->Kind(), Node->CelIndex(), Node->Bits(), Node->CelBits());
        return Kept;
    };
    const TPxUndo& History = Animation.Painter()->UndoHistory();
    State.Undo = Records(History.UndoNodes());
    State.Redo = Records(History.RedoNodes());
    return State;
}

// Runs Command from the event loop, as a click or a key does, and lets the box that a
// failure leaves behind show.
void RunFromEventLoop(const std::function<void()>& Command) {
    QMetaObject::invokeMethod(qApp, Command, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

class Failures : public ProgramTest {
protected:
    void TearDown() override {
        SimulateOutOfMemory(-1);
        ProgramTest::TearDown();
    }

    // A document with history both ways: cel 0 painted, cel 2 painted and the paint undone,
    // then saved (not modified), the painter at zoom 1.
    TfrmCharAnimation* EditedDocument() {
        TfrmCharAnimation* Animation = NewDocument();
        Painter()->findChild<QComboBox*>("cboZoom")->setCurrentIndex(0);
        Stroke(3, 3);
        Animation->CelList()->SetCurrent(2);
        Stroke(10, 20);
        Command("mniUndo")->trigger();
        Animation->Modified = false;
        Script().Clear();
        return Animation;
    }
    TfrmPainter* Painter() const { return frmSpriteMDI->State().CurrentPainter; }
    void Stroke(int X, int Y) { DragCels(*Painter(), {{X, Y}, {X + 5, Y + 2}}); }

    // Runs Command with memory running out at its first allocation, its second, and so on
    // until it gets through, which is the state returned.
    TDocumentState SurvivesEveryFailure(TfrmCharAnimation& Animation,
                                        const std::function<void()>& Command) {
        const TDocumentState Before = Capture(Animation);
        for (int After = 0; After < 200; ++After) {
            Script().Clear();
            SimulateOutOfMemory(After);
            RunFromEventLoop(Command);
            SimulateOutOfMemory(-1);
            QCoreApplication::processEvents();
            if (Script().Messages().isEmpty()) {
                EXPECT_GT(After, 0) << "the command allocates nothing";
                return Capture(Animation);
            }
            EXPECT_EQ(Script().Messages(), QStringList{OutOfMemory}) << "at allocation " << After;
            EXPECT_EQ(Capture(Animation), Before) << "at allocation " << After;
            if (HasFailure()) break;
        }
        ADD_FAILURE() << "the command never got through";
        return Before;
    }
};

TEST_F(Failures, CelCommandsThatRunOutOfMemoryChangeNothingAndTheNextOneWorks) {
    TfrmCharAnimation* Animation = EditedDocument();
    TDocumentState After =
        SurvivesEveryFailure(*Animation, [] { Command("mniInsertCel")->trigger(); });
    EXPECT_EQ(std::make_tuple(After.Cels.size(), std::get<0>(After.Undo.back()), After.Redo.size()),
              std::make_tuple(std::size_t(5), int(ukCelInserted), std::size_t(0)));

    // A stroke on every cel, which snapshots them all first.
    Command("sbutPaintOnAll")->trigger();
    After = SurvivesEveryFailure(*Animation, [this] { Stroke(30, 30); });
    EXPECT_EQ(std::get<0>(After.Undo.back()), int(ukAllCels));
}

TEST_F(Failures, ResizeCelsThatRunsOutOfMemoryKeepsEveryCelAndThePainterAtTheOldSize) {
    TfrmCharAnimation* Animation = EditedDocument();
    const TDocumentState After = SurvivesEveryFailure(*Animation, [] {
        QTimer::singleShot(0, dlgSize, [] {
            dlgSize->SetSize(90, 40);
            dlgSize->SetStretch(true);
            dlgSize->accept();
        });
        Command("sbutResize")->trigger();
    });
    EXPECT_EQ(std::make_tuple(After.Width, After.Height, After.Undo.size(), After.Redo.size()),
              std::make_tuple(90, 40, std::size_t(0), std::size_t(0)));
    EXPECT_EQ(std::make_pair(Painter()->ViewBitmap()->Width(), Painter()->ViewBitmap()->Height()),
              std::make_pair(90, 40));
}

TEST_F(Failures, ACelDroppedInItsOwnStripThatRunsOutOfMemoryKeepsTheRedoHistory) {
    TfrmCharAnimation* Animation = EditedDocument();
    const std::unique_ptr<QMimeData> Dragged(Animation->CelDragData());
    const QPoint On = CelPoint(*Animation, 0);
    const TDocumentState After = SurvivesEveryFailure(
        *Animation, [&] { Animation->imgCharAnimDragDrop(Dragged.get(), On.x(), On.y()); });
    EXPECT_EQ(std::make_pair(std::get<0>(After.Undo.back()), After.Redo.size()),
              std::make_pair(int(ukCelImage), std::size_t(0)));
    EXPECT_EQ(After.Cels[0], After.Cels[2]);
}

TEST_F(Failures, ACelDroppedWithItsPaletteKeepsTheCelsOnTheWindowsPaletteWhateverFails) {
    // The target is edited and not the active document; the source has a colour of its own.
    TfrmCharAnimation* Target = EditedDocument();
    TfrmCharAnimation* Source = NewDocument();
    std::unique_ptr<TPxPalette> Other = TPxPalette::CreateCopy(*Source->Palette());
    Other->SetColor(FirstUserColor, RGB(1, 2, 3));
    Source->ChangePalette(std::move(Other));
    const std::unique_ptr<QMimeData> Dragged(Source->CelDragData());
    const QPoint On = CelPoint(*Target, 0);
    const TDocumentState Before = Capture(*Target);
    // Until the cels are on the new palette a failure changes nothing; the copy of the picture
    // that follows may still fail, but the palette change stays, as it cannot be undone.
    for (int After = 0; After < 200 && !HasFailure(); ++After) {
        Script().Clear();
        SimulateOutOfMemory(After);
        RunFromEventLoop([&] {
            Script().Answer(TAnswer::Yes);
            Target->imgCharAnimDragDrop(Dragged.get(), On.x(), On.y());
        });
        SimulateOutOfMemory(-1);
        QCoreApplication::processEvents();
        ASSERT_EQ(&Target->CelList()->Palette(), Target->Palette()) << "at allocation " << After;
        const TDocumentState Now = Capture(*Target);
        if (Now.Palette == Before.Palette) {
            EXPECT_EQ(Now, Before) << "at allocation " << After;
        }
        if (Script().Messages().isEmpty()) break;
    }
    EXPECT_EQ(Target->Palette()->Entry(FirstUserColor).Color(), (TRgbColor{1, 2, 3}));
}

TEST_F(Failures, AnyExceptionEndsInOneErrorBoxEvenInsideAModalDialog) {
    const std::pair<std::function<void()>, QString> Cases[] = {
        {[] { throw std::length_error("bitmap too large"); },
         "Error:  The command needs a picture larger than memory can hold.  It was abandoned."},
        {[] { throw std::runtime_error("the decoder stopped"); },
         "Error:  The command could not be finished (the decoder stopped).  It was abandoned."},
        {[] { throw 42; }, "Error:  The command could not be finished.  It was abandoned."},
    };
    for (const auto& [Throw, Text] : Cases) {
        Script().Clear();
        RunFromEventLoop(Throw);
        EXPECT_EQ(Script().Messages(), QStringList{Text});
    }
    // Inside the text dialog's own loop the failure ends there; the dialog stays open.
    Script().Clear();
    bool OpenAfterwards = false;
    QTimer::singleShot(0, frmText, [&] {
        RunFromEventLoop([] { throw std::bad_alloc(); });
        OpenAfterwards = frmText->isVisible();
        frmText->reject();
    });
    frmText->exec();
    EXPECT_TRUE(OpenAfterwards);
    EXPECT_EQ(Script().Messages(), QStringList{OutOfMemory});
}

TEST_F(Failures, AZoomTheViewCannotHoldIsRefusedAndLargeCelsFallBackToOneThatFits) {
    TfrmCharAnimation* Animation = NewDocument();
    auto* Zoom = Painter()->findChild<QComboBox*>("cboZoom");
    // 4000 x 4000 pixels at zoom 3 would be 144 million view pixels.
    Animation->ResizeAnimation(4000, 4000, false);
    EXPECT_EQ(
        std::make_tuple(Painter()->Zoom(), Zoom->currentText(), Painter()->ViewBitmap()->Width()),
        std::make_tuple(2, QString("2x"), 8000));
    Zoom->setCurrentIndex(2);
    EXPECT_EQ(Script().Messages(),
              QStringList{"Can't zoom to 3x: the view of cels of 4000 x 4000 pixels would have "
                          "more than 128 million pixels.  Choose 2x or less."});
    EXPECT_EQ(Painter()->Zoom(), 2);
}

TEST_F(Failures, SizesBeyondTheLimitsAreRefusedBeforeAnythingIsMade) {
    // 3500 tiny cels would take more than 1 GiB at 640 x 480.
    TfrmCharAnimation* Animation = NewDocument();
    auto Many = TSprite::Create(2, 2, *Animation->Palette(), RGB(255, 255, 255));
    for (int i = 0; i < 3500; ++i)
        Many->AddCel(100);
    Animation->SetSprite(std::move(Many));
    QTimer::singleShot(0, dlgSize, [] {
        dlgSize->SetSize(640, 480);
        dlgSize->accept();
    });
    Command("sbutResize")->trigger();
    EXPECT_EQ(Script().Messages(),
              QStringList{"Error:  3500 cels of 640 x 480 pixels would take 1026 MiB, and the "
                          "cels of an animation can take at most 1024 MiB.  Choose a smaller "
                          "size."});
    EXPECT_EQ(std::make_pair(Animation->Sprite()->Width(), Animation->Sprite()->CelCount()),
              std::make_pair(2, 3500));

    // A text brush larger than 4096 pixels either way is refused when it is confirmed, and
    // the dialog stays open for a smaller size.
    Script().Clear();
    bool OpenAfterwards = false;
    QTimer::singleShot(0, frmText, [&] {
        frmText->findChild<QComboBox*>("cboSizes")->setEditText("999");
        frmText->OKBtnClick();
        OpenAfterwards = frmText->isVisible();
        frmText->reject();
    });
    Command("tbutText")->trigger();
    EXPECT_TRUE(Script().Messages().join("").startsWith("Error:  This text would make a brush"));
    EXPECT_EQ(std::make_pair(OpenAfterwards, bool(Painter()->TextBrush)),
              std::make_pair(true, false));
}

} // namespace
