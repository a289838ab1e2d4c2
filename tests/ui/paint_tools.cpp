// The paint tools driven by main-window commands and real mouse events in the painter's
// image; the brush-shape flyout and the Text dialog.
#include <QComboBox>
#include <QFontComboBox>
#include <QPlainTextEdit>
#include <QToolButton>

#include "imaging/brush.h"
#include "model/undo.h"
#include "support/WindowTests.h"
#include "ui/painter/brushfly.h"
#include "ui/painter/frmTextSelection.h"

using namespace painter_test;

namespace {
const auto* const Installed = ::testing::AddGlobalTestEnvironment(new TWindows);
} // namespace

TEST(PaintTools, LineClicksStampOnceAndDragsFollowTheWalkEitherWay) {
    TPaintDocument Doc(1, 10, 7, 3);
    RunCommand("tbutLine");
    // A click stamps the size-2 brush once.
    RunCommand("mniSize2");
    Doc.Click(8, 1);
    RunCommand("mniSize1");
    // The second line is dragged about (and back over its start) before it is let go.
    Doc.Drag({{1, 0}, {5, 2}});
    Doc.Drag({{0, 4}, {9, 6}, {0, 4}, {2, 2}, {3, 5}});
    Doc.Drag({{6, 4}, {7, 5}});
    Doc.Drag({{9, 5}, {9, 6}});
    EXPECT_PICTURE(Doc.Cel(), Legend,
                   {".##....##.", //
                    "...##..##.", //
                    ".....#....", //
                    "..........", //
                    "###...##..", //
                    "...#...#.#", //
                    ".........#"});
}

TEST(PaintTools, RectanglesOutlineWithTheBrushAndFillInTheRightColour) {
    TPaintDocument Doc(1, 12, 8, 3);
    RunCommand("tbutRectangle");
    Doc.Click(0, 7);
    Doc.Drag({{1, 1}, {9, 7}, {5, 4}});
    RunCommand("tbutSolidRectangle");
    Doc.Click(11, 0);
    Doc.Click(11, 2, Qt::RightButton);
    // Dragged from the bottom right, the fill is the right colour inside a black outline.
    Doc.Drag({{11, 7}, {8, 5}, {7, 4}});
    EXPECT_PICTURE(Doc.Cel(), Legend,
                   {"...........#", //
                    ".#####......", //
                    ".#...#.....r", //
                    ".#...#......", //
                    ".#####.#####", //
                    ".......#rrr#", //
                    ".......#rrr#", //
                    "#......#####"});
}

TEST(PaintTools, EllipsesUseTheBrushSizeAsTheirOutline) {
    TPaintDocument Doc(1, 20, 12, 3);
    RunCommand("mniSize2");
    RunCommand("tbutCircle");
    Doc.Drag({{1, 1}, {12, 11}, {9, 9}});
    RunCommand("tbutSolidCircle");
    Doc.Drag({{19, 11}, {11, 2}}, Qt::LeftButton);

    // The same as the sprite's own ellipses with the box as dragged and pen width 2.
    auto Reference = TSprite::Create(20, 12, Doc.Palette(), RGB(255, 255, 255));
    Reference->AddCel(100);
    Reference->EllipseOnCel(1, 1, 9, 9, PALETTERGB(0, 0, 0), 0, 2, 0);
    Reference->SolidEllipseOnCel(19, 11, 11, 2, PALETTERGB(0, 0, 0), Doc.Palette().GetColor(Red), 2,
                                 0);
    EXPECT_EQ(PictureOf(Doc.Cel(), Legend), PictureOf(Reference->CelBitmap(0), Legend));
}

TEST(PaintTools, FillPickupAndPolylines) {
    TPaintDocument Doc(1, 8, 5, 3);
    PaintPicture(Doc.Cel(), Legend, {"..#.....", "..#.....", "###.....", "........", "...r...."});
    Doc.Animation->ShowPainterCel();
    RunCommand("tbutFill");
    Doc.Click(1, 0, Qt::RightButton);
    Doc.Click(7, 0);
    EXPECT_PICTURE(Doc.Cel(), Legend, {"rr######", "rr######", "########", "########", "###r####"});

    // Pickup with the right button changes only the right colour, which the brush then uses.
    RunCommand("tbutPickupColor");
    const COLORREF LeftBefore = Doc.Painter->LeftColor();
    Doc.Painter->SetDrawColor(Doc.Palette().GetColor(White), true);
    Doc.Click(3, 4, Qt::RightButton);
    EXPECT_EQ(std::make_pair(Doc.Painter->LeftColor(), Doc.Painter->RightColor()),
              std::make_pair(LeftBefore, Doc.Palette().GetColor(Red)));
    RunCommand("tbutBrush");
    Doc.Click(7, 4, Qt::RightButton);
    EXPECT_EQ(Doc.Cel().IndexAt(7, 4), Red);

    // Three clicks of a polyline commit two segments.
    TPaintDocument Poly(1, 8, 5, 3);
    RunCommand("tbutLines");
    Poly.Click(1, 0);
    Poly.Click(5, 0);
    Poly.Hover(7, 4);
    Poly.Click(7, 2);
    EXPECT_PICTURE(Poly.Cel(), Legend,
                   {".#####..", "......#.", ".......#", "........", "........"});
}

TEST(PaintTools, PaintOnAllPaintsEveryCelAndOneRecordUndoesThemAll) {
    TPaintDocument Doc(3, 6, 4, 3);
    RunCommand("sbutPaintOnAll");
    Doc.Animation->CelList()->SetCurrent(1);
    PaintPicture(Doc.Cel(2), Legend, {"......", "...r..", "......", "......"});
    RunCommand("tbutBrush");
    Doc.Drag({{0, 3}, {1, 3}});
    RunCommand("tbutSolidRectangle");
    Doc.Drag({{1, 0}, {4, 3}});
    const Picture Boxed{".####.", ".#rr#.", ".#rr#.", "#####."};
    EXPECT_PICTURE(Doc.Cel(0), Legend, Boxed);
    // The fill works on each cel's own region: cel 2's red pixel is no wall for it.
    RunCommand("tbutFill");
    Doc.Click(0, 0);
    const Picture Filled{"#####.", "##rr#.", "##rr#.", "#####."};
    for (int i = 0; i < 3; ++i)
        EXPECT_PICTURE(Doc.Cel(i), Legend, Filled) << i;
    EXPECT_EQ(Doc.History().UndoNodes().back()->Kind(), ukAllCels);

    for (int k = 0; k < 3; ++k)
        RunCommand("sbutUndo");
    EXPECT_PICTURE(Doc.Cel(0), Legend, Blank(6, 4));
    EXPECT_PICTURE(Doc.Cel(2), Legend, {"......", "...r..", "......", "......"});
}

TEST(PaintTools, BrushShapeFlyoutChoosesTheShape) {
    TPaintDocument Doc(1, 9, 9, 1);
    RunCommand("sbutBrushShape");
    ASSERT_TRUE(frmBrushFly->isVisible());
    QTest::mouseClick(frmBrushFly->ShapeButton(shHorzLine), Qt::LeftButton);
    EXPECT_TRUE(frmSpriteMDI->Command("mniHorzLine")->isChecked());
    // The painter's brush follows: a size-1 horizontal line covers three pixels.
    Doc.Click(4, 4);
    EXPECT_EQ(PictureOf(Doc.Cel(), Legend)[4], "...###...");
}

TEST(PaintTools, TextDialogRendersTheConfirmedSize) {
    auto* Fonts = frmText->findChild<QFontComboBox*>("cboFonts");
    auto* Sizes = frmText->findChild<QComboBox*>("cboSizes");
    auto* Memo = frmText->findChild<QPlainTextEdit*>("memString");
    ASSERT_TRUE(Fonts && Sizes && Memo);
    Fonts->setCurrentFont(QFont("DejaVu Sans"));
    Memo->setPlainText("Ab");

    QTimer::singleShot(0, frmText, [&] {
        Sizes->setEditText("20");
        frmText->OKBtnClick();
    });
    frmText->exec();
    // Rendered without smoothing at 96 pixels per inch: 20 points are 27 pixels.
    EXPECT_GE(frmText->RenderMask()->Height, 27);
    EXPECT_LE(frmText->RenderMask()->Height, 34);
}
