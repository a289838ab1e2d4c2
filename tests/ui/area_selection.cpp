// Area selection, the brushes made from a selection and from text, and the flying palette,
// driven by main-window commands and real mouse events in the painter's image.
#include <QToolButton>

#include "support/WindowTests.h"
#include "ui/painter/FlyPal.h"
#include "ui/painter/frmTextSelection.h"

using namespace painter_test;

namespace {

const auto* const Installed = ::testing::AddGlobalTestEnvironment(new TWindows);

int Count(const TPxBitmap& Cel, int Index) {
    int Found = 0;
    for (int y = 0; y < Cel.Height(); ++y)
        for (int x = 0; x < Cel.Width(); ++x)
            Found += Cel.IndexAt(x, y) == Index;
    return Found;
}

} // namespace

TEST(AreaSelection, AClickLiftsOnePixelAndMarksTheDocumentModified) {
    TPaintDocument Click(1, 6, 4, 3);
    PaintPicture(Click.Cel(), Legend, {"......", "..#...", "......", "......"});
    Click.Animation->ShowPainterCel();
    RunCommand("tbutSelectArea");
    Click.Click(2, 1);
    EXPECT_PICTURE(Click.Cel(), Legend, Blank(6, 4)) << "the pixel floats above its hole";
    EXPECT_TRUE(Click.Animation->Modified);
    EXPECT_TRUE(frmSpriteMDI->Command("mniCreateCustomBrush")->isEnabled());

    RunCommand("tbutBrush");
    EXPECT_TRUE(Click.ViewShowsCel()) << "dropped, the marquee is gone";
    EXPECT_PICTURE(Click.Cel(), Legend, {"......", "..#...", "......", "......"});
    EXPECT_FALSE(frmSpriteMDI->Command("sbutCreateBrush")->isEnabled());
}

TEST(AreaSelection, BandsAreHeldToTheCel) {
    TPaintDocument Doc(1, 10, 6, 3);
    RunCommand("tbutSelectArea");
    // Dragged past the right and bottom edges, the band reaches the last column and row.
    Doc.ImageStroke({Doc.At(6, 3), QPoint(45, 40), Doc.At(14, 9)});
    const TRect Area = Doc.Painter->Selection();
    EXPECT_EQ(std::vector<int>({Area.Left, Area.Top, Area.Right, Area.Bottom}),
              std::vector<int>({6, 3, 10, 6}));
}

TEST(AreaSelection, AMovedSelectionKeepsWhatLiesUnderItsBackgroundAndOnlyWhatLandsInside) {
    TPaintDocument Doc(1, 8, 5, 3);
    const Picture Before{"........", ".#...rr.", "..#..rr.", "........", "........"};
    PaintPicture(Doc.Cel(), Legend, Before);
    Doc.Animation->ShowPainterCel();
    RunCommand("tbutSelectArea");
    Doc.Drag({{1, 1}, {3, 3}});
    Doc.Press(2, 2);
    EXPECT_EQ(frmSpriteMDI->State().CurrentTool, ptMoveArea);
    Doc.Move(4, 2);
    Doc.Move(6, 2);
    Doc.Release(6, 2);
    EXPECT_EQ(frmSpriteMDI->State().CurrentTool, ptSelectArea);
    // Saving drops it first, so the file holds the moved pixels, not the hole they left; its
    // background pixels leave the red under them alone.
    const Picture Dropped{"........", ".....#r.", ".....r#.", "........", "........"};
    const ScratchFolder Folder;
    const std::string File = (Folder / "moved.gif").string();
    ASSERT_TRUE(Doc.Animation->SaveToGIF(QString::fromStdString(File)));
    EXPECT_PICTURE(Doc.Cel(), Legend, Dropped);
    EXPECT_TRUE(Doc.ViewShowsCel());
    // Lifting, moving and dropping recorded nothing: one undo goes back to before.
    RunCommand("sbutUndo");
    EXPECT_PICTURE(Doc.Cel(), Legend, Before);

    // Dragged past the left edge, only what lands inside the cel is kept.
    Doc.Drag({{1, 1}, {4, 4}});
    Doc.ImageStroke({Doc.At(2, 2), QPoint(1, 4), QPoint(-30, 4), QPoint(1, 4)});
    RunCommand("tbutBrush");
    EXPECT_PICTURE(Doc.Cel(), Legend, {"........", "#....rr.", ".....rr.", "........", "........"});
}

TEST(AreaSelection, LiftingOnAllCelsCutsEveryCelAndCarriesTheCurrentCelsPixels) {
    TPaintDocument Doc(3, 5, 3, 1);
    PaintPicture(Doc.Cel(0), Legend, {".....", ".#...", "....."});
    PaintPicture(Doc.Cel(1), Legend, {".....", ".rr..", "....."});
    PaintPicture(Doc.Cel(2), Legend, {".....", "..#..", "...#."});
    Doc.Cels().SetCurrent(1);
    RunCommand("sbutPaintOnAll");
    RunCommand("tbutSelectArea");
    Doc.Drag({{1, 1}, {3, 2}});
    RunCommand("tbutBrush");
    EXPECT_PICTURE(Doc.Cel(0), Legend, {".....", ".rr..", "....."});
    EXPECT_PICTURE(Doc.Cel(2), Legend, {".....", ".rr..", "...#."});
}

TEST(AreaSelection, ACustomBrushFromAFiveByThreeSelectionIsHeldByItsMiddle) {
    TPaintDocument Doc(1, 16, 14, 3);
    Doc.Sprite().RectangleOnCel(1, 1, 5, 3, PALETTERGB(0, 0, 0), PALETTERGB(0, 0, 0), 0);
    Doc.Cel().ScanLine(2)[3] = White;
    Doc.Animation->ShowPainterCel();
    RunCommand("tbutSelectArea");
    Doc.Drag({{1, 1}, {6, 4}});
    RunCommand("sbutCreateBrush");
    EXPECT_TRUE(Doc.Painter->CustomBrush);
    // Stamped at (10, 10), rows 8 to 12 show rows 0 to 4 shifted 7 columns right.
    Doc.Click(10, 10);
    const Picture Cel = PictureOf(Doc.Cel(), Legend);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(Cel[8 + y], std::string(7, '.') + Cel[y].substr(0, 9)) << y;
    EXPECT_TRUE(Doc.ViewShowsCel());
}

// The main window's test cancels the Text command.
TEST(AreaSelection, ATextBrushStampsOnlyItsGlyphsInTheButtonsColourUntilAnotherToolIsChosen) {
    TPaintDocument Doc(1, 90, 30, 1);
    Doc.Sprite().RectangleOnCel(0, 0, 89, 29, PALETTERGB(0, 0, 0), PALETTERGB(0, 0, 0), 0);
    Doc.Animation->ShowPainterCel();
    // White text is drawn on pure red, so that it still stamps; none of the red comes along.
    Doc.Painter->SetDrawColor(Doc.Palette().GetColor(White), true);
    RunCommand("tbutLine");
    QTimer::singleShot(0, frmText, [] { frmText->OKBtnClick(); });
    RunCommand("tbutText");
    ASSERT_TRUE(Doc.Painter->TextBrush);
    Doc.Click(45, 15, Qt::RightButton);
    EXPECT_GT(Count(Doc.Cel(), White), 20);
    EXPECT_EQ(Count(Doc.Cel(), White) + Count(Doc.Cel(), Black), 90 * 30);
    RunCommand("tbutBrush");
    EXPECT_FALSE(Doc.Painter->CustomBrush);
}

TEST(FlyingPalette, PicksByButtonAndScrollsThePaintersStripToTheRow) {
    TPaintDocument Doc(1, 4, 4, 1);
    const TPxPalette& Palette = Doc.Palette();
    auto* Button = Doc.Painter->findChild<QToolButton*>("sbutPalette");
    QWidget* Swatches = frmPalFly->findChild<QWidget*>("imgPalette");
    ASSERT_TRUE(Button && Button->isEnabled() && Swatches);
    QTest::mouseClick(Button, Qt::LeftButton);
    ASSERT_TRUE(frmPalFly->isVisible());
    EXPECT_EQ(std::make_pair(frmPalFly->Painter(), int(frmPalFly->PickedButton)),
              std::make_pair(Doc.Painter.data(), 2));
    const COLORREF RightBefore = Doc.Painter->RightColor();
    Doc.Painter->SetPaletteTopRow(6);
    QTest::mouseClick(Swatches, Qt::LeftButton, {}, {3 * 8 + 4, 5});
    EXPECT_FALSE(frmPalFly->isVisible());
    EXPECT_EQ(std::make_tuple(Doc.Painter->LeftColor(), Doc.Painter->RightColor(),
                              Doc.Painter->PaletteTopRow()),
              std::make_tuple(Palette.GetColor(13), RightBefore, 0));
}
