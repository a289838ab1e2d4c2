// Files exchanged with other programs through the windows: cels as PNG files and back,
// sprite sheets and back through Import from Grid with their delays, scaled GIF copies that
// leave the document alone, palettes of the kinds people share and of pictures, and GIF
// files from the command line or a file manager. Every file is written into the test's own
// folder.
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUrl>

#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "support/PngDecode.h"
#include "support/WindowTests.h"
#include "ui/animation/f_export.h"
#include "ui/animation/f_new.h"
#include "ui/common/Files.h"
#include "ui/shell/f_palette.h"
#include "ui/shell/frmimprt.h"

namespace {

const auto* const Installed = ::testing::AddGlobalTestEnvironment(new TWindows);

// 236 different user colours, none of them a system colour, so that every colour names one
// entry.
std::unique_ptr<TPxPalette> DistinctPalette() {
    std::vector<TRgbColor> Colors;
    for (int i = 0; i < UserColorCount; ++i)
        Colors.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 37 + 1)});
    return TPxPalette::CreateFromColorMap(Colors);
}

// Count cels of 5 x 4 on the distinct palette, each with its own pattern of user colours and
// the background colour in its corners.
struct TExchangeDocument : TTestDocument {
    explicit TExchangeDocument(int Count) : TTestDocument(Count, 5, 4, 3, DistinctPalette()) {
        for (int Cel = 0; Cel < Count; ++Cel)
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 5; ++x)
                    this->Cel(Cel).ScanLine(y)[x] =
                        std::uint8_t(FirstUserColor + (x * 7 + y * 13 + Cel * 41) % UserColorCount);
        for (int Cel = 0; Cel < Count; ++Cel)
            this->Cel(Cel).ScanLine(0)[0] = this->Cel(Cel).ScanLine(3)[4] = Background();
    }
    std::uint8_t Background() {
        return std::uint8_t(FirstUserColor + GifBackgroundIndex(Sprite(), Palette()));
    }
};

// Answers the export dialog, once it shows, with Scale and for a sheet Columns and Spacing.
void AnswerExport(int Scale, int Columns = 0, int Spacing = 0) {
    auto* Timer = new QTimer;
    QObject::connect(Timer, &QTimer::timeout, [=] {
        for (QWidget* Window : QApplication::topLevelWidgets()) {
            auto* Dialog = qobject_cast<TdlgExportOptions*>(Window);
            if (!Dialog || !Dialog->isVisible()) continue;
            Timer->stop();
            Timer->deleteLater();
            auto* Scales = Dialog->findChild<QComboBox*>("cboScale");
            Scales->setCurrentIndex(Scales->findData(Scale));
            if (Columns) Dialog->findChild<QSpinBox*>("spinColumns")->setValue(Columns);
            if (Spacing) Dialog->findChild<QSpinBox*>("spinSpacing")->setValue(Spacing);
            QTest::mouseClick(Dialog->findChild<QPushButton*>("butOk"), Qt::LeftButton);
            return;
        }
    });
    Timer->start(5);
}

QByteArray Contents(const QString& FileName) {
    QFile File(FileName);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

void WriteText(const QString& FileName, const QByteArray& Text) {
    QFile File(FileName);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Text);
}

QMimeData* FilesData(const QStringList& Files) {
    auto* Data = new QMimeData;
    QList<QUrl> Urls;
    for (const QString& File : Files)
        Urls << QUrl::fromLocalFile(File);
    Data->setUrls(Urls);
    return Data;
}

int WindowCount() {
    return int(frmSpriteMDI->MdiArea()->subWindowList().size());
}

} // namespace

TEST(Exchange, ACelExportedAsPngComesBackWithTheSameIndicesAndClearPixelsAsTheBackground) {
    QTemporaryDir Folder;
    TExchangeDocument Doc(3);
    Doc.Animation->BackgroundTransparent = true;
    const QString Png = Folder.filePath("cel.png");

    Script().Clear();
    Script().AnswerFile(Png);
    AnswerExport(1);
    Doc.Animation->ExportCel1Click();
    const QByteArray Bytes = Contents(Png);
    const DecodedPng Decoded =
        DecodeIndexedPng(std::vector<std::uint8_t>(Bytes.begin(), Bytes.end()));
    ASSERT_EQ(Decoded.Error, "");
    ASSERT_EQ(Decoded.Palette.size(), std::size_t(UserColorCount));
    EXPECT_EQ(Decoded.Alpha[Doc.Background() - FirstUserColor], 0);

    // Into cel 1 with Import Cel, into cel 2 dropped from a file manager: no question, since
    // the palettes are the same, and each change can be undone.
    const std::vector<std::vector<std::uint8_t>> Before = Doc.Sprite().SaveAllBits();
    Doc.Animation->Modified = false;
    Doc.Cels().SetCurrent(1);
    Script().AnswerFile(Png);
    Doc.Animation->Importcel1Click();
    const std::unique_ptr<QMimeData> Dropped(FilesData({Png}));
    Doc.DropOnCel(Dropped.get(), 2);
    EXPECT_EQ(Script().Messages(), QStringList());
    EXPECT_EQ(Doc.Cel(1).CopyBits(), Doc.Cel(0).CopyBits());
    EXPECT_EQ(Doc.Cel(2).CopyBits(), Doc.Cel(0).CopyBits());
    EXPECT_TRUE(Doc.Animation->Modified);
    Doc.Painter->sbutUndoClick();
    Doc.Painter->sbutUndoClick();
    EXPECT_EQ(Doc.Sprite().SaveAllBits(), Before);

    // A picture with an alpha channel: what is less than half opaque is the background.
    QImage Clear(5, 4, QImage::Format_ARGB32);
    Clear.fill(qRgba(0, 255, 1, 255));
    Clear.setPixel(2, 1, qRgba(200, 0, 0, 100));
    Clear.save(Folder.filePath("clear.png"));
    Script().Clear();
    Script().AnswerFile(Folder.filePath("clear.png"));
    Script().Answer(TAnswer::No);
    Doc.Animation->Importcel1Click();
    EXPECT_EQ(Doc.Cel(1).IndexAt(2, 1), Doc.Background());
    EXPECT_EQ(Doc.Cel(1).IndexAt(0, 0), FirstUserColor);
}

TEST(Exchange, ASpriteSheetComesBackThroughImportFromGridAsTheSameCelsWithTheirDelays) {
    QTemporaryDir Folder;
    const QString Sheet = Folder.filePath("walk.png");
    TExchangeDocument Source(3);
    Source.Animation->BackgroundTransparent = true;
    for (int Cel = 0; Cel < 3; ++Cel)
        Source.Sprite().Cel(Cel).SetDelay(70 + 10 * Cel);
    Script().Clear();
    Script().AnswerFile(Sheet);
    AnswerExport(2, 2, 3);
    RunCommand("mniExportSheet");
    ASSERT_TRUE(QFile::exists(Folder.filePath("walk.json")));
    const QImage Written(Sheet);
    // Two columns of 10 x 8 with 3 pixels between them, two rows.
    EXPECT_EQ(Written.size(), QSize(23, 19));

    TTestDocument Target(3, 5, 4, 3, DistinctPalette());
    ASSERT_TRUE(frmImport->OpenPicture(Sheet));
    ASSERT_EQ(frmImport->SheetFrames().size(), 3u);
    for (int Cel = 0; Cel < 3; ++Cel) {
        const TSheetFrame& Frame = frmImport->SheetFrames()[std::size_t(Cel)];
        frmImport->imgImportMouseMove(Frame.X + Frame.W - 1, Frame.Y + Frame.H - 1);
        const std::unique_ptr<QMimeData> Piece(frmImport->SelectedCelMimeData());
        Target.DropOnCel(Piece.get(), Cel);
        EXPECT_EQ(Target.Sprite().Cel(Cel).Delay(), Source.Sprite().Cel(Cel).Delay()) << Cel;
    }
    EXPECT_EQ(Script().Messages(), QStringList());
    EXPECT_EQ(Target.Sprite().SaveAllBits(), Source.Sprite().SaveAllBits());

    // Frames reaching beyond the picture are not cut: the grid is the user's again.
    WriteText(Folder.filePath("walk.json"),
              R"({"frames": [{"frame": {"x": 0, "y": 0, "w": 100000, "h": 4}},
                             {"frame": {"x": -2, "y": 0, "w": 4, "h": 4}}]})");
    ASSERT_TRUE(frmImport->OpenPicture(Sheet));
    EXPECT_TRUE(frmImport->SheetFrames().empty());
}

TEST(Exchange, AScaledCopyIsWrittenAtTheChosenScaleAndLeavesTheDocumentAsItWas) {
    QTemporaryDir Folder;
    TExchangeDocument Doc(2);
    Doc.Animation->Modified = false;
    const QString Caption = Doc.Animation->Caption();
    const QString Copy = Folder.filePath("big.gif");
    Script().Clear();
    Script().AnswerFile(Copy);
    AnswerExport(4);
    RunCommand("mniExportScaled");
    EXPECT_FALSE(Doc.Animation->Modified);
    EXPECT_EQ(Doc.Animation->Caption(), Caption);
    // The GIF writer's tests check the copy pixel by pixel.
    const TGifReadResult Read = ReadGifFile(Copy.toStdString());
    ASSERT_TRUE(Read.Opened());
    EXPECT_EQ(std::make_tuple(Read.Sprite->CelCount(), Read.Sprite->Width(), Read.Sprite->Height()),
              std::make_tuple(2, 20, 16));
}

TEST(Exchange, PalettesOfTheKindsPeopleShareLoadAndSaveByTheirNames) {
    // The palette tests read and write each kind; here the editor and the New Animation
    // dialog take them by their names.
    QTemporaryDir Folder;
    const std::unique_ptr<TPxPalette> Start = DistinctPalette();
    WriteText(Folder.filePath("shared.hex"), "ff0000\n00ff80\n");
    frmPalette->SetWorkingPalette(*Start);
    Script().Clear();
    Script().AnswerFile(Folder.filePath("shared.hex"));
    frmPalette->butLoadClick();
    EXPECT_EQ(frmPalette->WorkingPalette().Entry(FirstUserColor + 1).Color(),
              (TRgbColor{0, 255, 128}));

    frmPalette->SetWorkingPalette(*Start);
    Script().AnswerFile(Folder.filePath("saved.gpl"));
    frmPalette->butSaveClick();
    EXPECT_TRUE(Contents(Folder.filePath("saved.gpl")).startsWith("GIMP Palette"));

    // The New Animation dialog lists the shared kinds, and a new document takes its colours.
    frmNew->ListPalettes(Folder.path(), "shared.hex");
    EXPECT_EQ(frmNew->PalettePath(), Folder.filePath("shared.hex"));
    const QPointer<TfrmCharAnimation> Made = frmSpriteMDI->CreateAnimationWindow();
    EXPECT_EQ(Made->Palette()->Entry(FirstUserColor + 1).Color(), (TRgbColor{0, 255, 128}));
    Made->close();
    FlushDeletes();
    frmNew->ListPalettes(frmSpriteMDI->State().AppDir + "/palettes", "vimbrel.pal");
}

TEST(Exchange, GifFilesFromTheCommandLineOrAFileManagerOpenAsDocuments) {
    QTemporaryDir Folder;
    {
        TExchangeDocument Doc(2);
        ASSERT_TRUE(Doc.Animation->SaveToGIF(Folder.filePath("a.gif")));
        ASSERT_TRUE(Doc.Animation->SaveToGIF(Folder.filePath("b.gif")));
    }
    FlushDeletes();
    const int Before = WindowCount();
    Script().Clear();
    frmSpriteMDI->OpenFiles(
        {Folder.filePath("a.gif"), Folder.filePath("missing.gif"), Folder.filePath("b.gif")});
    EXPECT_EQ(Script().Messages(), QStringList(FileErrors::Open));
    EXPECT_EQ(WindowCount(), Before + 4) << "two documents, each with its painter";

    const std::unique_ptr<QMimeData> Data(
        FilesData({Folder.filePath("a.gif"), Folder.filePath("notes.txt")}));
    QDragEnterEvent Enter(QPoint(20, 20), Qt::CopyAction, Data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(frmSpriteMDI, &Enter);
    EXPECT_TRUE(Enter.isAccepted());
    QDropEvent Drop(QPointF(20, 20), Qt::CopyAction, Data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(frmSpriteMDI, &Drop);
    EXPECT_TRUE(Drop.isAccepted());
    QTest::qWait(20);
    EXPECT_EQ(WindowCount(), Before + 6);
    EXPECT_EQ(frmSpriteMDI->State().CurrentAnimation->Caption(), Folder.filePath("a.gif"));

    for (QMdiSubWindow* Window : frmSpriteMDI->MdiArea()->subWindowList())
        if (auto* Animation = qobject_cast<TfrmCharAnimation*>(Window)) Animation->close();
    FlushDeletes();
}
