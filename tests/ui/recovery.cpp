// Recovery of unsaved work: the copies kept of unsaved documents, and what the next start
// offers after the program was killed, a file's rewrite in place among it.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMdiArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

#include "gif/GifWriter.h"
#include "support/WindowTests.h"
#include "ui/shell/Recovery.h"

namespace {

TRecovery& Kept() {
    return frmSpriteMDI->Recovery();
}

// A stroke of the brush in palette entry PaletteIndex through the cel points Points.
void Stroke(TfrmCharAnimation* Document, int PaletteIndex, const std::vector<TPoint>& Points) {
    Document->Painter()->SetDrawColor(Document->Palette()->GetColor(PaletteIndex), false);
    DragCels(*Document->Painter(), Points);
}

QByteArray Contents(const QString& FileName) {
    QFile File(FileName);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

QStringList RunFolders(const QString& Area) {
    return QDir(Area).entryList({"run-*"}, QDir::Dirs);
}

std::vector<TfrmCharAnimation*> Documents() {
    std::vector<TfrmCharAnimation*> Found;
    for (QMdiSubWindow* Window : frmSpriteMDI->MdiArea()->subWindowList())
        if (auto* Document = qobject_cast<TfrmCharAnimation*>(Window)) Found.push_back(Document);
    std::sort(Found.begin(), Found.end(),
              [](auto* A, auto* B) { return A->Caption() < B->Caption(); });
    return Found;
}

// What a person sees of a document: its caption, its colours, and each cel's delay,
// disposal and the colours of its pixels.
std::string Seen(TfrmCharAnimation* Document) {
    std::ostringstream Out;
    Out << Document->Caption().toStdString() << "\ncolours";
    for (int Index = FirstUserColor; Index <= LastUserColor; ++Index)
        Out << " " << Document->Palette()->Entry(Index).Color().Ref();
    const TSprite& Sprite = *Document->Sprite();
    for (int Cel = 0; Cel < Sprite.CelCount(); ++Cel) {
        Out << "\ncel " << Cel << ": delay " << Sprite.Cel(Cel).Delay() << ", disposal "
            << Sprite.Cel(Cel).Disposal() << ", pixels";
        const TPxBitmap& Bitmap = Sprite.CelBitmap(Cel);
        for (int Y = 0; Y < Bitmap.Height(); ++Y)
            for (int X = 0; X < Bitmap.Width(); ++X)
                Out << " " << Bitmap.ColorTable()[Bitmap.IndexAt(X, Y)].Ref();
    }
    return Out.str() + "\n";
}

// A folder of the recovery area as a program killed with copies in it leaves it: unlocked.
QString LeftFolder(const QString& Area) {
    const QString Folder = Area + "/run-0000000001-1-abcdef";
    QDir().mkpath(Folder);
    QFile(Folder + "/lock").open(QIODevice::WriteOnly);
    return Folder;
}

void PutCopy(const QString& Folder, int Number, const QByteArray& Gif, const QString& Caption) {
    QFile File(Folder + QString("/copy-%1.gif").arg(Number));
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Gif);
    QFile Info(Folder + QString("/copy-%1.json").arg(Number));
    ASSERT_TRUE(Info.open(QIODevice::WriteOnly));
    Info.write(QJsonDocument(QJsonObject{{"caption", Caption}, {"fileName", ""}}).toJson());
}

using Recovery = ProgramTest;

} // namespace

TEST_F(Recovery, TheCopyIsWhatSaveWritesAndGoesWithTheSave) {
    TfrmCharAnimation* Document = NewDocument();
    const QString Area = Kept().Area();

    // A stroke, and a selection lifted, moved and left floating: the copy holds both, as
    // Save would drop the selection into the cel, and the selection goes on floating.
    Stroke(Document, 40, {{2, 2}, {20, 9}, {30, 30}});
    Command("tbutSelectArea")->trigger();
    DragCels(*Document->Painter(), {{1, 1}, {12, 12}});
    DragCels(*Document->Painter(), {{5, 5}, {40, 20}});
    ASSERT_TRUE(Document->Painter()->SelectionFloating);
    Kept().WriteCopies();
    Kept().Wait();
    const QString Copy = Kept().CopyOf(Document);
    const QByteArray Copied = Contents(Copy);
    QTemporaryDir Folder;
    Script().AnswerFile(Folder.filePath("saved.gif"));
    Command("mniSaveAs")->trigger();
    Kept().Wait();
    EXPECT_EQ(Contents(Folder.filePath("saved.gif")), Copied);
    EXPECT_FALSE(QFile::exists(Copy));

    // A normal end leaves nothing behind.
    ASSERT_EQ(RunFolders(Area).size(), 1);
    Restart();
    EXPECT_TRUE(RunFolders(Area).isEmpty());
}

TEST_F(Recovery, CopiesLeftBehindAreOfferedUntilTheUserSaysWhatBecomesOfThem) {
    const QString Area = Kept().Area();
    const QString Left = LeftFolder(Area);
    const QByteArray Gif = Contents(VIMBREL_SOURCE_DIR "/tests/gif/data/peterdn/animated_loop.gif");
    ASSERT_FALSE(Gif.isEmpty());
    PutCopy(Left, 1, "GIF89a cut short", "/nowhere/walk.gif");
    PutCopy(Left, 2, Gif, "Animation [5]");

    // Yes recovers what can be read, as a modified document with its caption; the copy that
    // cannot be read is reported and stays.
    Script().Answer(TAnswer::Yes);
    Restart();
    QCoreApplication::processEvents(); // the first activation offers the copies
    ASSERT_EQ(Script().Asked.size(), 2u) << "the question, then the error";
    const QString Question = Script().Asked.front().Text;
    EXPECT_TRUE(Question.contains("\n    /nowhere/walk.gif, kept ") &&
                Question.contains("\n    Animation [5], kept "))
        << Question.toStdString();
    ASSERT_EQ(Documents().size(), 1u);
    TfrmCharAnimation* Recovered = Documents().front();
    EXPECT_EQ(std::make_tuple(Recovered->Caption(), bool(Recovered->Modified),
                              Recovered->Sprite()->CelCount()),
              std::make_tuple(QString("Animation [5]"), true, 4));
    EXPECT_EQ(Script().Messages(),
              QStringList{"Error:  Unable to recover /nowhere/walk.gif.  Its copy cannot be read; "
                          "it is kept as " +
                          Left + "/copy-1.gif."});
    // It is this program's copy now.
    EXPECT_EQ(Contents(Kept().CopyOf(Recovered)), Gif);

    // No discards the rest.
    Script().Clear();
    Script().Answer(TAnswer::No); // the recovered document is not saved on the way out
    Script().Answer(TAnswer::No); // the damaged copy is discarded
    Restart();
    QCoreApplication::processEvents();
    EXPECT_TRUE(RunFolders(Area).isEmpty());
}

// The child edits two documents, one of them saved to a file with a second name, waits for
// their copies, writes down what it shows, and is killed half way through saving the named
// one again, between writing it in place and cutting it to length. The parent starts the
// program again, puts the old file back and recovers both documents.
TEST_F(Recovery, AKilledProgramsWorkComesBackAsItWasOnScreen) {
    const QString Home = QDir::homePath();
    const QString Linked = Home + "/walk.gif", Expected = Home + "/expected.txt";
    if (qEnvironmentVariableIsSet("VIMBREL_RECOVERY_CHILD")) {
        TfrmCharAnimation* Untitled = NewDocument();
        Stroke(Untitled, 40, {{3, 3}, {40, 12}, {20, 50}});
        auto Edited = TPxPalette::CreateCopy(*Untitled->Palette());
        Edited->SetColor(60, RGB(1, 2, 3));
        frmSpriteMDI->SetPalette(std::move(Edited));
        Stroke(Untitled, 60, {{10, 40}, {50, 45}});
        Untitled->findChild<QSpinBox*>("spinFrameRate")->setValue(730);

        // Saved with a busy first cel, which then goes: the file shrinks, and written over
        // the old one it leaves the old one's tail behind.
        TfrmCharAnimation* Named = NewDocument();
        for (int I = 0; I < 16; ++I)
            Stroke(Named, 20 + 13 * I, {{4 * I, 0}, {63 - 4 * I, 63}});
        Script().AnswerFile(Linked);
        Command("mniSaveAs")->trigger();
        std::filesystem::create_hard_link(Linked.toStdString(), (Home + "/run.gif").toStdString());
        std::filesystem::copy_file(Linked.toStdString(), (Home + "/before.gif").toStdString());
        Command("sbutDeleteCel")->trigger();
        Stroke(Named, 150, {{5, 5}, {5, 55}});

        Kept().WriteCopies();
        Kept().Wait();
        std::ofstream Out(Expected.toStdString());
        for (TfrmCharAnimation* Document : Documents())
            Out << Seen(Document);
        Out.close();
        SetSaveStepHook([](TSaveStep Step) {
            if (Step == TSaveStep::WrittenInPlace) ::raise(SIGKILL);
        });
        Command("sbutSave")->trigger();
        FAIL() << "the save went on";
        return;
    }

    const pid_t Child = ::fork();
    if (Child == 0) {
        ::setenv("VIMBREL_TEST_HOME", QFile::encodeName(Home).constData(), 1);
        ::setenv("VIMBREL_RECOVERY_CHILD", "1", 1);
        const std::string Filter =
            "--gtest_filter=Recovery.AKilledProgramsWorkComesBackAsItWasOnScreen";
        ::execl("/proc/self/exe", "child", Filter.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFSIGNALED(Status) && WTERMSIG(Status) == SIGKILL) << "status " << Status;
    const QByteArray Before = Contents(Home + "/before.gif");
    ASSERT_FALSE(Before.isEmpty());

    Script().Answer(TAnswer::Yes); // put the old file back
    Script().Answer(TAnswer::Yes); // recover the documents
    Restart();
    QCoreApplication::processEvents();
    ASSERT_EQ(Script().Asked.size(), 2u);
    EXPECT_TRUE(Script().Asked[0].Text.startsWith("Saving " + Linked + " was cut short"));
    EXPECT_TRUE(Script().Asked[1].Text.contains("\n    " + Linked + ", kept "));
    EXPECT_EQ(Contents(Linked), Before);

    std::string Shown;
    for (TfrmCharAnimation* Document : Documents())
        Shown += Seen(Document);
    EXPECT_TRUE(Shown == ReadText(Expected.toStdString())) << "the recovered documents differ";
}
