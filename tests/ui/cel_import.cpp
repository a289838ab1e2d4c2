// Pictures in and out of cels: imported and exported files, Paste, and cels and grid pieces
// dropped on the strip. Every file is written by the test into its own folder.
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWindow>

#include "support/BmpFile.h"
#include "support/WindowTests.h"
#include "ui/animation/QSize.h"
#include "ui/shell/frmimprt.h"

namespace {

constexpr int Red = CubeIndex(255, 0, 0);
constexpr int Blue = CubeIndex(0, 0, 255);
const PictureLegend Legend{{CubeIndex(255, 255, 255), '.'}, {Red, 'r'}, {Blue, 'b'}};

const QString PaletteQuestion = "The source and destination color palettes are different.  Do "
                                "you want to copy the source palette to the animation?";

QList<QRgb> TableOf(const TPxPalette& Palette) {
    QList<QRgb> Table;
    for (int i = 0; i < 256; ++i)
        Table.push_back(qRgb(Palette.Entry(i).Red, Palette.Entry(i).Green, Palette.Entry(i).Blue));
    return Table;
}

// The cube palette with a colour of its own, so that what comes from a document on the cube
// palette brings a different palette.
std::unique_ptr<TPxPalette> OwnPalette() {
    std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    Palette->SetColor(FirstUserColor, RGB(1, 2, 3));
    return Palette;
}

// An 8-bit BMP whose table is the user colours of Table (all 256 colours of a palette) and
// whose pixels are Rows drawn through the legend: what exporting a cel on that palette writes.
QString WriteBmp(const QString& FileName, const QList<QRgb>& Table, const Picture& Rows) {
    QImage Image(int(Rows[0].size()), int(Rows.size()), QImage::Format_Indexed8);
    Image.setColorTable(Table.mid(FirstUserColor, UserColorCount));
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            for (const auto& [Index, Named] : Legend)
                if (Rows[Y][X] == Named) Image.setPixel(X, Y, uint(Index - FirstUserColor));
    EXPECT_TRUE(Image.save(FileName, "BMP"));
    return FileName;
}

const auto* const Installed = ::testing::AddGlobalTestEnvironment(new TWindows);

// Count cels of Width x Height on a palette of its own.
struct TDocument : TTestDocument {
    TDocument(int Width, int Height, int Count = 3)
        : TTestDocument(Count, Width, Height, 3, OwnPalette()) {}
};

// Answers the size question, if it comes, with the resize choice or the other one, OK or
// Cancel; Shown says whether it came.
class TSizeAnswer {
public:
    TSizeAnswer(bool Resize, bool Ok = true) {
        QObject::connect(&Timer, &QTimer::timeout, [this, Resize, Ok] {
            if (!frmQSize->isVisible()) return;
            Timer.stop();
            Shown = true;
            Owner = frmQSize->parentWidget();
            Transient = frmQSize->windowHandle()->transientParent();
            frmQSize->findChild<QRadioButton*>(Resize ? "radResize" : "radNothing")->click();
            Ok ? frmQSize->accept() : frmQSize->reject();
        });
        Timer.start(5);
    }
    bool Shown = false;
    // Where the question opened: its parent and the window it is kept above.
    QWidget* Owner = nullptr;
    QWindow* Transient = nullptr;

private:
    QTimer Timer;
};

// Answers No to the palette question, after which the focus moves to the main window, as
// the window manager moves it when a box closes.
class TFocusMovesOn : public TScriptedQuestions {
public:
    TAnswer YesNoCancel(TBoxKind, const QString&) override {
        frmSpriteMDI->show();
        frmSpriteMDI->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frmSpriteMDI));
        return TAnswer::No;
    }
};

class CelImport : public ::testing::Test {
protected:
    void SetUp() override { Script().Clear(); }
    QString File(const QString& Name) const { return Folder.filePath(Name); }
    QTemporaryDir Folder;
};

} // namespace

TEST_F(CelImport, OnlyADifferentPaletteOrSizeIsAskedAboutAndEitherCancelChangesNothing) {
    // A picture on the document's own palette asking nothing is the exchange test's.
    TDocument Document(4, 3, 2);
    Document.Cel(1).ScanLine(0)[0] = Red;
    PaintPicture(Document.Cel(0), Legend, {"r..b", ".rb.", "...."});
    const QList<QRgb> Same = TableOf(*Document.Animation->Palette());
    QList<QRgb> Other = Same;
    Other[Red] = qRgb(250, 10, 10);
    const QString TallFile = WriteBmp(File("tall.bmp"), Same, {"r...", ".r..", "..r.", "...r"});
    const QString OtherTall =
        WriteBmp(File("othertall.bmp"), Other, {"r...", "r...", "r...", "r..."});
    {
        // Yes to the palette, then Cancel to the size: neither is applied.
        const TSizeAnswer Answer(true, false);
        Script().AnswerFile(OtherTall);
        Script().Answer(TAnswer::Yes);
        Document.Animation->Importcel1Click();
        EXPECT_TRUE(Answer.Shown);
    }
    ASSERT_EQ(Script().Asked.size(), 2u);
    EXPECT_EQ(std::make_pair(Script().Asked[0].What, Script().Asked[1].Text),
              std::make_pair(QString("dlgImport"), PaletteQuestion));
    EXPECT_EQ(TableOf(*Document.Animation->Palette()), Same);
    EXPECT_PICTURE(Document.Cel(0), Legend, {"r..b", ".rb.", "...."});
    EXPECT_FALSE(Document.Animation->Modified);

    // The resize choice stretches every cel to the picture's size and ends the history.
    {
        const TSizeAnswer Answer(true);
        Script().Clear();
        Script().AnswerFile(TallFile);
        Document.Animation->Importcel1Click();
    }
    EXPECT_EQ(Script().Asked.size(), 1u) << "no palette question";
    EXPECT_PICTURE(Document.Cel(0), Legend, {"r...", ".r..", "..r.", "...r"});

    // Yes: the file's palette reaches the window and every cel.
    Script().AnswerFile(OtherTall);
    Script().Answer(TAnswer::Yes);
    Document.Animation->Importcel1Click();
    EXPECT_EQ(TableOf(*Document.Animation->Palette()), Other);
    EXPECT_EQ(Document.Cel(1).IndexAt(0, 0), Red) << "the other cel moved onto the new palette";
}

TEST_F(CelImport, OnlyBmpPngAndJpgFilesAndPastedPicturesAreTakenAndOversizedOnesChangeNothing) {
    TDocument Document(4, 3);
    QImage Solid(4, 3, QImage::Format_RGB32);
    Solid.fill(qRgb(255, 0, 0));
    for (const char* Name : {"CEL.JPG", "picture.gif"})
        ASSERT_TRUE(Solid.save(File(Name), "JPG"));
    // A header claiming 40000 x 2 pixels over a few bytes of runs.
    BmpFile Huge;
    Huge.Width = 40000, Huge.Height = 2;
    Huge.Compression = 1;
    Huge.Table = {{255, 0, 0}};
    Huge.Pixels = {0, 1};
    const Bytes HugeFile = Huge.Encode();
    QFile Out(File("huge.bmp"));
    ASSERT_TRUE(Out.open(QIODevice::WriteOnly));
    Out.write(reinterpret_cast<const char*>(HugeFile.data()), qint64(HugeFile.size()));
    Out.close();
    const QString Refused = "You may only import a .BMP, .PNG or .JPG file into a cel.  To import "
                            "a GIF file, load it into its own animation window, then drag and "
                            "drop it into the proper cel.";
    for (const auto& [Name, Says] :
         {std::pair{"picture.gif", Refused},
          {"huge.bmp", "Error:  The picture is too large: 40000 x 2 pixels.  A picture may "
                       "have at most 32768 pixels a side and 67108864 "
                       "pixels in all."}}) {
        Script().Clear();
        Script().AnswerFile(File(Name));
        Document.Animation->Importcel1Click();
        EXPECT_EQ(Script().Messages(), QStringList(Says)) << Name;
    }
    EXPECT_PICTURE(Document.Cel(0), Legend, {"....", "....", "...."});
    EXPECT_FALSE(Document.Animation->Modified);

    // The extension counts in either case; a JPEG has no palette of its own to copy.
    Script().Clear();
    Script().AnswerFile(File("CEL.JPG"));
    Script().Answer(TAnswer::No);
    Document.Animation->Importcel1Click();
    EXPECT_PICTURE(Document.Cel(0), Legend, {"rrrr", "rrrr", "rrrr"});

    // Another program's picture on the clipboard.
    QImage Image(4, 3, QImage::Format_RGB32);
    Image.fill(qRgb(10, 10, 250));
    Image.setPixel(1, 1, qRgb(250, 10, 10));
    QApplication::clipboard()->setImage(Image);
    frmSpriteMDI->AppOnActivate();
    ASSERT_TRUE(frmSpriteMDI->State().ClipboardHasBitmap);
    Document.Animation->Modified = false;
    Script().Clear();
    Script().Answer(TAnswer::No);
    frmSpriteMDI->sbutPasteClick();
    ASSERT_EQ(Script().Asked.size(), 1u);
    EXPECT_EQ(Script().Asked[0].Text, PaletteQuestion);
    EXPECT_PICTURE(Document.Cel(0), Legend, {"bbbb", "brbb", "bbbb"});
    EXPECT_TRUE(Document.Animation->Modified);
}

// A cel exported as PNG and imported again is the exchange test's.
TEST_F(CelImport, ACelExportedOrCopiedComesBackExactlyAndFailedExportsSaySo) {
    const std::string DefaultFile = std::string(VIMBREL_APP_DIR) + "/vimbrel.pal";
    TTestDocument Document(3, 6, 2, 3, TPxPalette::CreateFromFile(DefaultFile));
    const std::unique_ptr<TPxPalette> Default = TPxPalette::CreateFromFile(DefaultFile);
    // Painted as every tool paints, through the canvas; red is a reserved colour.
    for (int i = 0; i < 12; ++i)
        Document.Cel(0).Canvas().SetPixel(i % 6, i / 6,
                                          i % 5 ? Default->GetColor(11 + 20 * i) : RGB(255, 0, 0));
    const std::vector<std::uint8_t> Painted = Document.Cel(0).CopyBits();

    Script().AnswerFile(File("cel.bmp"));
    Document.Animation->ExportCel1Click();
    EXPECT_EQ(QImage(File("cel.bmp")).colorCount(), UserColorCount);

    frmSpriteMDI->sbutCopyClick();
    Document.Cels().SetCurrent(2);
    Script().Clear();
    frmSpriteMDI->sbutPasteClick();
    EXPECT_TRUE(Script().Asked.empty()) << "a copy brings its own palette";
    EXPECT_EQ(Document.Cel(2).CopyBits(), Painted);

    Script().Clear();
    for (const char* Name : {"missing/cel.bmp", "cel.tga"}) {
        Script().AnswerFile(File(Name));
        Document.Animation->ExportCel1Click();
    }
    EXPECT_EQ(Script().Messages(),
              QStringList({"Error:  Unable to save to file.  The file may be invalid or there may "
                           "be a drive error.",
                           "You may only export a cel as a .BMP, .PNG or .JPG file."}));
}

// A cel dropped within its own strip is the failure test's, which drops one out of memory.
TEST_F(CelImport, ACelFromAnotherWindowAsksForPaletteAndSize) {
    TTestDocument Small(1, 3, 2);
    PaintPicture(Small.Cel(0), Legend, {"rb.", "brr"});
    Small.PressCel(0);
    const std::unique_ptr<QMimeData> Data(Small.Animation->CelDragData());

    TDocument Large(4, 3, 2);
    Script().Answer(TAnswer::No);
    {
        const TSizeAnswer Answer(false);
        // Through the events a drag ends with, as the strip gets them.
        QDragEnterEvent Enter(Large.CelPoint(1), Qt::CopyAction, Data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(Large.Strip(), &Enter);
        QDropEvent Drop(QPointF(Large.CelPoint(1)), Qt::CopyAction, Data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(Large.Strip(), &Drop);
        QCoreApplication::processEvents();
        EXPECT_EQ(std::make_pair(Answer.Shown, Drop.isAccepted()), std::make_pair(true, true));
    }
    ASSERT_EQ(Script().Asked.size(), 1u);
    EXPECT_EQ(Script().Asked[0].Text, PaletteQuestion);
    EXPECT_PICTURE(Large.Cel(1), Legend, {"rb..", "brr.", "...."});
    EXPECT_EQ(std::make_tuple(Large.Sprite().Width(), Large.Cels().Current(),
                              bool(Large.Animation->Modified)),
              std::make_tuple(4, 1, true));

    // Once the window it came from is closed, the drag is refused.
    Small.Animation->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(Large.Animation->imgCharAnimDragOver(Data.get(), Large.CelPoint(0).x(),
                                                      Large.CelPoint(0).y()));
}

// That a piece of the cel's size fills it is the exchange test's, which cuts a sprite sheet
// back into its cels.
TEST_F(CelImport, AGridPieceOfAnotherSizeIsAskedAboutAboveTheImportWindow) {
    QImage Sheet(68, 34, QImage::Format_RGB32);
    Sheet.fill(qRgb(25, 100, 200));
    ASSERT_TRUE(Sheet.save(File("sheet.bmp"), "BMP"));
    TfrmImport Window(QString(VIMBREL_APP_DIR) + "/vimbrel.pal");
    ASSERT_TRUE(Window.OpenPicture(File("sheet.bmp")));
    Window.imgImportMouseMove(40, 10);
    const std::unique_ptr<QMimeData> Data(Window.SelectedCelMimeData());

    // The size question opens above the import window, which stays on top while its piece is
    // dropped, though the focus went elsewhere when the palette question closed.
    TDocument Smaller(32, 32, 2);
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    std::unique_ptr<TQuestions> Kept = SetQuestions(std::make_unique<TFocusMovesOn>());
    {
        const TSizeAnswer Answer(false);
        Smaller.DropOnCel(Data.get(), 0);
        EXPECT_EQ(std::make_tuple(Answer.Shown, Answer.Owner, Answer.Transient),
                  std::make_tuple(true, static_cast<QWidget*>(&Window), Window.windowHandle()));
    }
    SetQuestions(std::move(Kept));
    frmSpriteMDI->hide();
}
