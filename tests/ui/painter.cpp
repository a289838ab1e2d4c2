// The painter window: the zoomed view and its coordinates, the palette strip and swatches,
// the zoom list, brush strokes from real mouse events, the hover preview, and undo and
// redo, in a document made as the main window makes one.
#include <QComboBox>
#include <QImage>
#include <QLabel>

#include "model/undo.h"
#include "support/WindowTests.h"

using namespace painter_test;

namespace {

const auto* const Installed = ::testing::AddGlobalTestEnvironment(new TWindows);

QColor ColorOfEntry(const TPxPalette& Palette, int Index) {
    const TRgbColor C = Palette.Entry(Index).Color();
    return QColor(C.Red, C.Green, C.Blue);
}

// What the widget shows on screen, as its paint event draws it.
QImage Shown(QWidget* Widget) {
    return Widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(Painter, ViewEnlargesTheCelAndMapsPointsByTruncating) {
    TTestDocument Doc(1, 4, 3);
    PaintPicture(Doc.Cel(), Legend, {"#..r", ".#..", "..#."});
    Doc.Painter->ShowPainterCel();
    Doc.SetZoom(10);
    ASSERT_EQ(Doc.Image()->size(), QSize(40, 30));
    EXPECT_TRUE(Doc.ViewShowsCel());
    // On screen the blocks keep their edges: no smoothing between cel pixels.
    EXPECT_EQ(Shown(Doc.Image()).pixelColor(30, 0), ColorOfEntry(Doc.Palette(), Red));

    // View point (19, 9) is cel pixel (1, 0); a size-2 brush covers (0..1, -1..0).
    Doc.ImageStroke({{19, 9}});
    EXPECT_PICTURE(Doc.Cel(), Legend, {"##.r", ".#..", "..#."});
}

TEST(Painter, StripAndSwatchesPickAndShowTheDrawingColours) {
    TTestDocument Doc(1, 4, 4);
    QWidget* Strip = Doc.Painter->findChild<QWidget*>("imgPalette");
    QWidget* Swatches = Doc.Painter->findChild<QWidget*>("imgDrawColors");
    ASSERT_TRUE(Strip && Swatches);
    EXPECT_EQ(Strip->accessibleName(), "Palette");
    // Column 3 of the first row is entry 13; the right button on row 2, column 0 is 26.
    QTest::mouseClick(Strip, Qt::LeftButton, {}, {3 * 8 + 4, 5});
    QTest::mouseClick(Strip, Qt::RightButton, {}, {4, 15});
    EXPECT_EQ(std::make_tuple(Doc.Painter->LeftColor(), Doc.Painter->RightColor()),
              std::make_tuple(Doc.Palette().GetColor(13), Doc.Palette().GetColor(26)));

    const QImage Colors = Shown(Swatches);
    EXPECT_EQ(std::make_pair(Colors.pixelColor(12, 10), Colors.pixelColor(32, 10)),
              std::make_pair(ColorOfEntry(Doc.Palette(), 13), ColorOfEntry(Doc.Palette(), 26)));
}

TEST(Painter, ZoomAndRedoAreRefusedWhileASelectionFloatsOrACustomBrushIsInUse) {
    TTestDocument Doc(1, 5, 5);
    Doc.ImageStroke({{4, 4}});
    Doc.Painter->sbutUndoClick();
    Doc.Painter->CustomBrush = true;
    Doc.SetZoom(7);
    Doc.Painter->Redo();
    EXPECT_EQ(Script().Messages(),
              QStringList({"Can't zoom when selecting an area or using a custom brush.  "
                           "Select a built in brush type before zooming.",
                           "Can't Redo when selecting an area or using a custom brush.  Select "
                           "a built in brush type before attempting to Redo changes."}));
    EXPECT_EQ(std::make_tuple(Doc.ZoomList()->currentText(), Doc.Image()->size(),
                              Doc.Painter->UndoHistory().CanRedo()),
              std::make_tuple(QString("3x"), QSize(15, 15), true))
        << "the list is put back";
    Doc.Painter->CustomBrush = false;
}

TEST(Painter, BrushStrokesPaintExactlyTheWalkedPixelsInTheButtonsColour) {
    // Size 2, square: each stamp covers the point and the pixels above and to the left.
    const Picture Walked{"............", //
                         ".#####......", //
                         ".######.....", //
                         ".....###....", //
                         "......###...", //
                         ".......##...", //
                         "............", //
                         "............"};
    TTestDocument Doc(1, 12, 8);
    Doc.SetZoom(1);
    Doc.ImageStroke({{2, 2}, {5, 2}, {8, 5}}, Qt::LeftButton);
    EXPECT_PICTURE(Doc.Cel(), Legend, Walked);
    Doc.Painter->SetDrawColor(Doc.Palette().GetColor(Red), true);
    Doc.ImageStroke({{11, 7}, {10, 7}}, Qt::RightButton);
    Picture Both = Walked;
    Both[6] = Both[7] = ".........rrr";
    EXPECT_PICTURE(Doc.Cel(), Legend, Both);
    EXPECT_EQ(Doc.Painter->DrawColor(), Doc.Palette().GetColor(Red));
}

TEST(Painter, HoverPreviewShowsTheBrushInTheViewOnly) {
    TTestDocument Doc(1, 6, 6);
    Doc.SetZoom(2);
    Doc.Hover(2, 2);
    EXPECT_EQ(frmSpriteMDI->findChild<QLabel*>("pnlStatusPosition")->text(), "X:2  Y:2");
    const TPxBitmap& View = *Doc.Painter->ViewBitmap();
    // At cel point (5, 5) the size-2 brush covers view pixels 8..11; the preview at (2, 2) is
    // taken away, and the cel is not painted.
    Doc.Hover(5, 5);
    EXPECT_EQ(std::make_tuple(View.IndexAt(2, 2), View.IndexAt(9, 9), Doc.Cel().IndexAt(4, 4)),
              std::make_tuple(White, Black, White));
}

TEST(Painter, HistoryKeepsThe32NewestEditsAndANewEditEndsRedo) {
    TTestDocument Doc(1, 70, 2);
    Doc.SetZoom(1);
    const TPxUndo& History = Doc.Painter->UndoHistory();
    // 33 clicks, each stamping its own 2 x 2 square at x = 2k .. 2k + 1.
    for (int k = 0; k < 33; ++k)
        Doc.ImageStroke({{2 * k + 1, 1}});
    EXPECT_EQ(History.UndoNodes().size(), 32u);
    Doc.Animation->Modified = false;
    for (int k = 0; k < 32; ++k)
        Doc.Painter->sbutUndoClick();
    EXPECT_TRUE(Doc.Animation->Modified) << "undone, the pictures differ from the saved ones";
    // The first edit was dropped, so it stays.
    EXPECT_EQ(std::make_tuple(History.CanUndo(), Doc.Cel().IndexAt(0, 0), Doc.Cel().IndexAt(2, 0)),
              std::make_tuple(false, Black, White));

    Doc.Painter->Redo();
    Doc.Painter->Redo();
    EXPECT_EQ(std::make_tuple(Doc.Cel().IndexAt(5, 0), Doc.Cel().IndexAt(6, 0)),
              std::make_tuple(Black, White));
    Doc.ImageStroke({{40, 1}});
    EXPECT_FALSE(History.CanRedo()) << "a new edit empties the redo stack";
}

TEST(PainterDocument, DeletingTheLastCelIsUndoneWithoutANewRecord) {
    TTestDocument Doc(3, 4, 2, 1);
    Doc.Cel(2).ScanLine(1)[3] = Red;
    Doc.Cels().SetCurrent(2);
    Doc.Animation->sbutDeleteClick();
    ASSERT_EQ(Doc.Sprite().CelCount(), 2);

    Doc.Painter->sbutUndoClick();
    ASSERT_EQ(Doc.Sprite().CelCount(), 3) << "the cel comes back at the end";
    EXPECT_PICTURE(Doc.Cel(2), Legend, {"....", "...r"});
    // The append records nothing.
    EXPECT_EQ(std::make_tuple(Doc.Cels().Current(), Doc.Animation->PreviewIndex,
                              Doc.History().UndoNodes().size(), Doc.History().RedoNodes().size()),
              std::make_tuple(2, 2, std::size_t(0), std::size_t(1)));
}

TEST(PainterDocument, ANewBackgroundIsAskedForAndDiscardsTheHistory) {
    TTestDocument Doc(2, 5, 5, 1);
    Doc.ImageStroke({{2, 2}});
    ASSERT_TRUE(Doc.UndoEnabled());
    Script().Answer(TAnswer::Cancel);
    RunCommand("sbutBGColor");
    EXPECT_TRUE(Doc.UndoEnabled()) << "cancelled";
    Script().Answer(TAnswer::Ok);
    RunCommand("sbutBGColor");
    EXPECT_EQ(Script().Asked.back().Kind, TBoxKind::Information);
    EXPECT_FALSE(Doc.History().CanUndo());
    EXPECT_FALSE(Doc.UndoEnabled());
    EXPECT_EQ(Doc.Cel(1).Canvas().Pixel(0, 0), RGB(0, 0, 0)) << "every cel, in the left colour";
}
