// The import-from-grid window with sprite sheets written by the test: the red grid and
// selection frame, pointing at cells, grid changes, the pieces dragged away, and pictures it
// refuses.
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "support/ScriptedQuestions.h"
#include "ui/common/PieceDrag.h"
#include "ui/shell/frmimprt.h"

namespace {

// Cell (c, r) of 34 x 34 pixels is one colour; a few single pixels add more colours.
QRgb CellColor(int Column, int Row) {
    return qRgb(20 * Column + 5, 100 + 50 * Row, 7 * Column + 3);
}

QImage SpriteSheet() {
    QImage Sheet(340, 68, QImage::Format_RGB32);
    for (int y = 0; y < 68; ++y)
        for (int x = 0; x < 340; ++x)
            Sheet.setPixel(x, y, CellColor(x / 34, y / 34));
    Sheet.setPixel(70, 40, qRgb(12, 34, 56));
    return Sheet;
}

class ImportGrid : public ::testing::Test {
protected:
    void SetUp() override {
        Script().Clear();
        SheetFile = Folder.filePath("sheet.bmp");
        ASSERT_TRUE(SpriteSheet().save(SheetFile, "BMP"));
        Window.show();
    }

    QSpinBox* Spin(const char* Name) {
        auto* Box = Window.findChild<QSpinBox*>(Name);
        EXPECT_NE(Box, nullptr) << Name;
        return Box;
    }
    QWidget* Image() { return Window.findChild<QWidget*>("imgImport"); }
    // Shown with the red bits flipped by the grid.
    bool Red(int X, int Y) const {
        return Window.ShownImage().pixel(X, Y) == (SpriteSheet().pixel(X, Y) ^ 0x00FF0000);
    }
    bool Plain(int X, int Y) const {
        return Window.ShownImage().pixel(X, Y) == SpriteSheet().pixel(X, Y);
    }

    QTemporaryDir Folder;
    QString SheetFile;
    TfrmImport Window{QString(VIMBREL_APP_DIR) + "/vimbrel.pal"};
};

} // namespace

TEST_F(ImportGrid, OpenShowsTheGridAndThePointerFramesTheCellUnderIt) {
    Window.hide();
    Script().AnswerFile(SheetFile);
    Window.Open1Click();
    ASSERT_EQ(Script().Asked.size(), 1u);
    EXPECT_EQ(std::make_tuple(Script().Asked[0].What, Window.isVisible(), Image()->size()),
              std::make_tuple(QString("openImport"), true, QSize(340, 68)));

    // Ten columns and two rows of 34: lines at x = 0, 34, ... 306 and y = 0, 34, where two
    // lines cross the picture shows through.
    EXPECT_TRUE(Red(0, 20) && Red(306, 20) && Red(339, 34) && Plain(34, 34) && Plain(35, 20));

    // Anywhere in the third cell of the second row frames the cell at (68, 34), one pixel
    // inside it; the old frame goes.
    QTest::mouseMove(Image(), QPoint(90, 60));
    EXPECT_EQ(std::make_pair(Window.SelX(), Window.SelY()), std::make_pair(68, 34));
    EXPECT_TRUE(Plain(1, 10) && Red(69, 50) && Red(101, 50) && Red(80, 35) && Red(80, 67));

    // A grid starting at (5, 5): a pointer at (3, 3) frames the cell at (5, 5).
    Spin("spinStartX")->setValue(5);
    Spin("spinStartY")->setValue(5);
    QTest::mouseMove(Image(), QPoint(3, 3));
    EXPECT_EQ(std::make_pair(Window.SelX(), Window.SelY()), std::make_pair(5, 5));
}

// That a piece holds the picture's own pixels, with no trace of the grid, is the exchange
// test's, which cuts a sprite sheet back into its cels.
TEST_F(ImportGrid, APieceCarriesItsPaletteReachesOtherProgramsAndIsBlackBeyondThePicture) {
    ASSERT_TRUE(Window.OpenPicture(SheetFile));
    QTest::mouseMove(Image(), QPoint(40, 10));
    std::unique_ptr<QMimeData> Data(Window.SelectedCelMimeData());
    const auto Piece = ReadGridPiece(Data.get());
    ASSERT_TRUE(Piece && HasGridPiece(Data.get()));
    EXPECT_EQ(std::make_tuple(Piece->Picture.Width, Piece->Picture.Height, Piece->Picture.At(0, 0)),
              std::make_tuple(34, 34, TRgbColor{25, 100, 10}));
    EXPECT_TRUE(Piece->MakePalette()->Equals(Window.ImportPalette()));
    EXPECT_EQ(qvariant_cast<QImage>(Data->imageData()).pixel(5, 5), CellColor(1, 0))
        << "other programs get the piece as a picture";

    // A 50 x 50 cell at (300, 50) reaches past the right and bottom edges.
    Spin("spinWidth")->setValue(50);
    Spin("spinHeight")->setValue(50);
    QTest::mouseMove(Image(), QPoint(320, 60));
    ASSERT_EQ(std::make_pair(Window.SelX(), Window.SelY()), std::make_pair(300, 50));
    const TPxBitmap& Edge = Window.GetSelectedCel();
    const auto ColorAt = [&Edge](int X, int Y) {
        const TRgbColor c = Edge.ColorTable()[Edge.IndexAt(X, Y)];
        return qRgb(c.Red, c.Green, c.Blue);
    };
    EXPECT_EQ(std::make_tuple(ColorAt(39, 17), ColorAt(40, 17), ColorAt(39, 18)),
              std::make_tuple(CellColor(9, 1), qRgb(0, 0, 0), qRgb(0, 0, 0)));
}

TEST_F(ImportGrid, AGridChangeRedrawsTheLinesAndACellIsAtLeastOnePixel) {
    ASSERT_TRUE(Window.OpenPicture(SheetFile));
    Spin("spinWidth")->setValue(20);
    Spin("spinHeight")->setValue(30);
    EXPECT_TRUE(Plain(55, 34) && Red(55, 30) && Red(40, 10)) << "the old horizontal line goes";

    Spin("spinWidth")->setValue(0);
    EXPECT_TRUE(Red(7, 10) && Red(8, 10));
    QTest::mouseMove(Image(), QPoint(123, 45));
    EXPECT_EQ(
        std::make_tuple(Window.GridCelWidth(), Window.SelX(), Window.GetSelectedCel().Width()),
        std::make_tuple(1, 123, 1));
}

// The limits on a picture's size are the readers' and the cel import's.
TEST_F(ImportGrid, ADamagedPictureIsRefusedAndThePreviousOneStays) {
    ASSERT_TRUE(Window.OpenPicture(SheetFile));
    const QImage Before = Window.ShownImage();
    // Rows that stop inside the last one.
    const QString Cut = Folder.filePath("cut.bmp");
    ASSERT_TRUE(QFile::copy(SheetFile, Cut));
    QFile::resize(Cut, QFileInfo(Cut).size() - 5);
    EXPECT_FALSE(Window.OpenPicture(Cut));
    EXPECT_EQ(Script().Messages(), QStringList("Error:  Unable to open the file.  The file may be "
                                               "invalid or there may be a drive error."));
    EXPECT_TRUE(Window.ShownImage() == Before);
}
