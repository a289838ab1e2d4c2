// Documents: captions and their numbers, saving and opening GIF files with their settings,
// open and save errors, and the recent-files list across a restart.
#include <QFile>
#include <QMdiArea>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>

#include "support/WindowTests.h"
#include "ui/shell/f_palette.h"

namespace {

class Documents : public ProgramTest {
protected:
    QString Path(const QString& Name) const { return Folder.filePath(Name); }
    TfrmCharAnimation* Open(const QString& FileName) {
        Script().AnswerFile(FileName);
        Command("Open1")->trigger();
        return frmSpriteMDI->State().CurrentAnimation;
    }
    void Save(const char* Name, const QString& Answer) {
        Script().AnswerFile(Answer);
        Command(Name)->trigger();
    }

    QTemporaryDir Folder;
};

} // namespace

TEST_F(Documents, SavedFilesHoldTheCelsAndSettingsAndOpenAsTheyWereSaved) {
    TfrmCharAnimation* Document = NewDocument();
    TfrmPainter* Painter = Document->Painter();
    TSprite& Sprite = *Document->Sprite();
    Sprite.CelBitmap(0).Canvas().SetPixel(1, 1, RGB(255, 0, 0));
    Sprite.CelBitmap(2).Canvas().SetPixel(3, 5, RGB(0, 0, 255));
    Sprite.Cel(3).SetDelay(400);
    Document->Comments = {"hello"};
    Document->LoopCount = 3;
    Document->Modified = true;

    // Untitled: the save dialog, which may be cancelled.
    Save("sbutSave", "");
    EXPECT_EQ(std::make_pair(Document->windowTitle(), bool(Document->Modified)),
              std::make_pair(QString("Animation [1]"), true));

    Script().Clear();
    Save("mniSave", Path("cels.gif"));
    EXPECT_FALSE(Document->Modified);
    EXPECT_EQ(Painter->windowTitle(), "Painter : " + Path("cels.gif"));
    EXPECT_EQ(frmSpriteMDI->RecentFiles(), QStringList{Path("cels.gif")});

    // Titled: written back to its file without a question.
    Sprite.CelBitmap(3).Canvas().SetPixel(0, 0, RGB(255, 0, 0));
    Document->Modified = true;
    Script().Clear();
    Command("mniSave")->trigger();
    EXPECT_EQ(std::make_pair(Script().Asked.size(), bool(Document->Modified)),
              std::make_pair(std::size_t(0), false));

    TfrmCharAnimation* Opened = Open(Path("cels.gif"));
    ASSERT_NE(Opened, Document);
    EXPECT_EQ(Opened->Sprite()->SaveAllBits(), Sprite.SaveAllBits());
    // The default delay is the last cel's.
    EXPECT_EQ(std::make_tuple(Opened->Comments, int(Opened->LoopCount),
                              Opened->findChild<QSpinBox*>("spinDefaultFrameRate")->value(),
                              bool(Opened->Modified)),
              std::make_tuple(std::vector<std::string>{"hello"}, 3, 400, false));
}

TEST_F(Documents, AFileThatIsNoGifLeavesNoWindowAndADamagedOneOpensWithAWarningNamingIt) {
    QFile Text(Path("notes.gif"));
    ASSERT_TRUE(Text.open(QIODevice::WriteOnly));
    Text.write("These are notes, not a picture.\n");
    Text.close();
    Open(Path("notes.gif"));
    EXPECT_EQ(Script().Messages(), QStringList("Error:  Unable to open the file.  The file may be "
                                               "invalid or there may be a drive error."));
    FlushDeletes();
    EXPECT_TRUE(frmSpriteMDI->MdiArea()->subWindowList().isEmpty());
    EXPECT_TRUE(frmSpriteMDI->RecentFiles().isEmpty());

    Script().Clear();
    const QString Damaged =
        QString(VIMBREL_SOURCE_DIR) + "/tests/gif/data/damaged/cut-in-last-image.gif";
    ASSERT_NE(Open(Damaged), nullptr);
    const QStringList Messages = Script().Messages();
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages[0].contains(Damaged)) << Messages[0].toStdString();
}

TEST_F(Documents, RecentFilesKeepTheEightLatestSavedFirstAcrossARestart) {
    TfrmCharAnimation* Document = NewDocument();
    QStringList Saved;
    for (int i = 1; i <= 9; ++i) {
        Saved.prepend(Path(QString("take%1.gif").arg(i)));
        Save("mniSaveAs", Saved.front());
    }
    const QStringList Latest = Saved.mid(0, 8);
    EXPECT_EQ(frmSpriteMDI->RecentFiles(), Latest);

    // A save that fails keeps caption, Modified and the list. The folder cannot be made: its
    // name is taken by a plain file.
    ASSERT_TRUE(QFile(Path("plain")).open(QIODevice::WriteOnly));
    Document->Modified = true;
    Script().Clear();
    Save("mniSaveAs", Path("plain/lost.gif"));
    EXPECT_EQ(Script().Messages(), QStringList("Error:  Unable to save the file.  There may be a "
                                               "drive error or the drive is out of space."));
    EXPECT_EQ(std::make_tuple(Document->windowTitle(), bool(Document->Modified),
                              frmSpriteMDI->RecentFiles()),
              std::make_tuple(Saved[0], true, Latest));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    Document->Modified = false;
    Restart();
    EXPECT_EQ(frmSpriteMDI->RecentFiles(), Latest);
    Command("mruRecentFiles3")->trigger();
    ASSERT_NE(frmSpriteMDI->State().CurrentAnimation, nullptr);
    EXPECT_EQ(frmSpriteMDI->State().CurrentAnimation->windowTitle(), Saved[2]);
}

TEST_F(Documents, EditPaletteGivesTheDocumentTheEditedColoursOrRefusesDuringASelection) {
    TfrmCharAnimation* Document = NewDocument();
    // Entry 10 is the one the editor's sliders edit when it opens.
    Document->Sprite()->CelBitmap(0).Canvas().SetPixel(2, 2, PALETTEINDEX(10));
    const TPxPalette* Before = Document->Palette();
    const auto Shown = [Document] {
        return TRgbColor::FromRef(Document->Sprite()->CelBitmap(0).Canvas().Pixel(2, 2));
    };

    const TRgbColor Old = Shown();
    frmSpriteMDI->State().CurrentPainter->SelectionFloating = true;
    Command("sbutPalette")->trigger();
    EXPECT_EQ(Script().Messages(),
              QStringList{"Can't modify palette when selecting an area or using a custom brush.  "
                          "Select a built in brush type before editing the palette."});
    frmSpriteMDI->State().CurrentPainter->SelectionFloating = false;

    QTimer::singleShot(0, frmPalette, [] {
        frmPalette->findChild<QSlider*>("trkRed")->setValue(200);
        frmPalette->findChild<QSlider*>("trkGreen")->setValue(100);
        frmPalette->findChild<QSlider*>("trkBlue")->setValue(50);
        frmPalette->accept();
    });
    Command("sbutPalette")->trigger();
    const TPxPalette* After = Document->Palette();
    ASSERT_NE(After, Before);
    EXPECT_EQ(After->Entry(10).Color(), (TRgbColor{200, 100, 50}));
    // The cels are on the new colours, and keep their look as near as they allow.
    EXPECT_EQ(Document->Sprite()->CelBitmap(3).ColorTablePtr(), After->Handle());
    EXPECT_EQ(Shown(), After->Entry(After->NearestUserIndex(Old)).Color());
    EXPECT_TRUE(Document->Modified);
}
