// Files exchanged with other programs through the windows: cels as PNG files, sprite sheets
// through Import from Grid, scaled GIF copies, shared palettes, and GIF files from the command
// line or a file manager.
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
#include "support/WindowTests.h"
#include "ui/animation/f_export.h"
#include "ui/animation/f_new.h"
#include "ui/common/Files.h"
#include "ui/shell/f_palette.h"
#include "ui/shell/frmimprt.h"

namespace {

const auto* const Installed = ::testing::AddGlobalTestEnvironment(new TWindows);

// 236 different user colours, none of them a system colour, so each names one entry.
std::unique_ptr<TPxPalette> DistinctPalette() {
    std::vector<TRgbColor> Colors;
    for (int i = 0; i < UserColorCount; ++i)
        Colors.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 37 + 1)});
    return TPxPalette::CreateFromColorMap(Colors);
}

// Count cels of 5 x 4 on the distinct palette, each pixel its own user colour, with the
// background colour in each cel's corners.
struct TExchangeDocument : TTestDocument {
    explicit TExchangeDocument(int Count) : TTestDocument(Count, 5, 4, 3, DistinctPalette()) {
        for (int i = 0; i < Count * 20; ++i)
            Cel(i / 20).ScanLine(i % 20 / 5)[i % 5] =
                std::uint8_t(FirstUserColor + i * 7 % UserColorCount);
        for (int i = 0; i < Count; ++i)
            Cel(i).ScanLine(0)[0] = Cel(i).ScanLine(3)[4] = Background();
        Animation->BackgroundTransparent = true;
    }
    std::uint8_t Background() {
        return std::uint8_t(FirstUserColor + GifBackgroundIndex(Sprite(), Palette()));
    }
};

// Answers the export dialog, which shows next, with Scale and for a sheet Columns and Spacing.
void AnswerExport(int Scale, int Columns = 0, int Spacing = 0) {
    QTimer::singleShot(0, [=] {
        auto* Dialog = qobject_cast<TdlgExportOptions*>(QApplication::activeModalWidget());
        ASSERT_NE(Dialog, nullptr);
        auto* Scales = Dialog->findChild<QComboBox*>("cboScale");
        Scales->setCurrentIndex(Scales->findData(Scale));
        if (Columns) Dialog->findChild<QSpinBox*>("spinColumns")->setValue(Columns);
        if (Spacing) Dialog->findChild<QSpinBox*>("spinSpacing")->setValue(Spacing);
        QTest::mouseClick(Dialog->findChild<QPushButton*>("butOk"), Qt::LeftButton);
    });
}

void WriteText(const QString& FileName, const QByteArray& Text) {
    QFile File(FileName);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write(Text);
}

int WindowCount() {
    return int(frmSpriteMDI->MdiArea()->subWindowList().size());
}

} // namespace

TEST(Exchange, CelsAsPngOrSheetComeBackAsTheyWereAndAScaledCopyLeavesTheDocument) {
    QTemporaryDir Folder;
    TExchangeDocument Doc(3);
    const QString Png = Folder.filePath("cel.png");
    Script().AnswerFile(Png);
    AnswerExport(1);
    Doc.Animation->ExportCel1Click();
    const QImage Written(Png);
    ASSERT_EQ(Written.colorCount(), UserColorCount);
    EXPECT_EQ(qAlpha(Written.color(Doc.Background() - FirstUserColor)), 0);

    // Into cel 1 with Import Cel, into cel 2 dropped from a file manager: no question on the
    // same palette.
    Doc.Cels().SetCurrent(1);
    Script().AnswerFile(Png);
    Doc.Animation->Importcel1Click();
    QMimeData Dropped;
    Dropped.setUrls({QUrl::fromLocalFile(Png)});
    Doc.DropOnCel(&Dropped, 2);
    EXPECT_EQ(Script().Messages(), QStringList());
    EXPECT_EQ(std::make_pair(Doc.Cel(1).CopyBits(), Doc.Cel(2).CopyBits()),
              std::make_pair(Doc.Cel(0).CopyBits(), Doc.Cel(0).CopyBits()));
    EXPECT_TRUE(Doc.Animation->Modified);

    // A picture with an alpha channel: what is less than half opaque is the background.
    QImage Clear(5, 4, QImage::Format_ARGB32);
    Clear.fill(qRgba(0, 255, 1, 255));
    Clear.setPixel(2, 1, qRgba(200, 0, 0, 100));
    Clear.save(Folder.filePath("clear.png"));
    Doc.Cels().SetCurrent(1);
    Script().AnswerFile(Folder.filePath("clear.png"));
    Script().Answer(TAnswer::No);
    Doc.Animation->Importcel1Click();
    EXPECT_EQ(std::make_pair(Doc.Cel(1).IndexAt(2, 1), Doc.Cel(1).IndexAt(0, 0)),
              std::make_pair(Doc.Background(), std::uint8_t(FirstUserColor)));

    // A scaled GIF copy leaves the document as it was.
    Doc.Animation->Modified = false;
    Script().AnswerFile(Folder.filePath("big.gif"));
    AnswerExport(4);
    RunCommand("mniExportScaled");
    const TGifReadResult Read = ReadGifFile(Folder.filePath("big.gif").toStdString());
    ASSERT_TRUE(Read.Opened());
    EXPECT_EQ(std::make_tuple(bool(Doc.Animation->Modified), Read.Sprite->CelCount(),
                              Read.Sprite->Width(), Read.Sprite->Height()),
              std::make_tuple(false, 3, 20, 16));

    // A sprite sheet comes back through Import from Grid as the same cels with their delays.
    const QString Sheet = Folder.filePath("walk.png");
    for (int Cel = 0; Cel < 3; ++Cel)
        Doc.Sprite().Cel(Cel).SetDelay(70 + 10 * Cel);
    Script().AnswerFile(Sheet);
    AnswerExport(2, 2, 3);
    RunCommand("mniExportSheet");
    // Two columns of 10 x 8 with 3 pixels between them, two rows.
    EXPECT_EQ(QImage(Sheet).size(), QSize(23, 19));

    TTestDocument Target(3, 5, 4, 3, DistinctPalette());
    ASSERT_TRUE(frmImport->OpenPicture(Sheet));
    ASSERT_EQ(frmImport->SheetFrames().size(), 3u);
    for (int Cel = 0; Cel < 3; ++Cel) {
        const TSheetFrame& Frame = frmImport->SheetFrames()[std::size_t(Cel)];
        frmImport->imgImportMouseMove(Frame.X + Frame.W - 1, Frame.Y + Frame.H - 1);
        const std::unique_ptr<QMimeData> Piece(frmImport->SelectedCelMimeData());
        Target.DropOnCel(Piece.get(), Cel);
        EXPECT_EQ(Target.Sprite().Cel(Cel).Delay(), Doc.Sprite().Cel(Cel).Delay()) << Cel;
    }
    EXPECT_EQ(Target.Sprite().SaveAllBits(), Doc.Sprite().SaveAllBits());

    // Frames reaching beyond the picture are not cut: the grid is the user's again.
    WriteText(Folder.filePath("walk.json"),
              R"({"frames": [{"frame": {"x": -2, "y": 0, "w": 4, "h": 4}}]})");
    ASSERT_TRUE(frmImport->OpenPicture(Sheet));
    EXPECT_TRUE(frmImport->SheetFrames().empty());
}

TEST(Exchange, PalettesOfTheKindsPeopleShareLoadAndSaveByTheirNames) {
    QTemporaryDir Folder;
    const std::unique_ptr<TPxPalette> Start = DistinctPalette();
    WriteText(Folder.filePath("shared.hex"), "ff0000\n00ff80\n");
    frmPalette->SetWorkingPalette(*Start);
    Script().Clear();
    Script().AnswerFile(Folder.filePath("shared.hex"));
    frmPalette->butLoadClick();
    EXPECT_EQ(frmPalette->WorkingPalette().Entry(FirstUserColor + 1).Color(),
              (TRgbColor{0, 255, 128}));

    Script().AnswerFile(Folder.filePath("saved.gpl"));
    frmPalette->butSaveClick();
    QFile Saved(Folder.filePath("saved.gpl"));
    EXPECT_TRUE(Saved.open(QIODevice::ReadOnly) && Saved.readLine().startsWith("GIMP Palette"));

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
    const QString Folder = QString(VIMBREL_SOURCE_DIR) + "/tests/gif/data/fixtures/";
    const QString A = Folder + "gs-comment.gif";
    const int Before = WindowCount();
    Script().Clear();
    frmSpriteMDI->OpenFiles({A, Folder + "missing.gif", Folder + "im-gif87a.gif"});
    EXPECT_EQ(Script().Messages(), QStringList(FileErrors::Open));
    EXPECT_EQ(WindowCount(), Before + 4) << "two documents, each with its painter";

    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(A), QUrl::fromLocalFile(Folder + "notes.txt")});
    QDragEnterEvent Enter(QPoint(20, 20), Qt::CopyAction, &Data, Qt::LeftButton, {});
    QApplication::sendEvent(frmSpriteMDI, &Enter);
    QDropEvent Drop(QPointF(20, 20), Qt::CopyAction, &Data, Qt::LeftButton, {});
    QApplication::sendEvent(frmSpriteMDI, &Drop);
    EXPECT_EQ(std::make_pair(Enter.isAccepted(), Drop.isAccepted()), std::make_pair(true, true));
    QTest::qWait(20);
    EXPECT_EQ(WindowCount(), Before + 6);
    EXPECT_EQ(frmSpriteMDI->State().CurrentAnimation->Caption(), A);

    for (QMdiSubWindow* Window : frmSpriteMDI->MdiArea()->subWindowList())
        if (auto* Animation = qobject_cast<TfrmCharAnimation*>(Window)) Animation->close();
    FlushDeletes();
}
