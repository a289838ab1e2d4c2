// The painter as an animator uses it: onion skin and pixel grid, previews, zoom, scrolling and
// panning, Escape, the painter put away, and the status bar as a screen reader reads it.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include "support/WindowTests.h"

using namespace painter_test;

namespace {

using AnimatorView = ProgramTest;

// The image as the screen shows it, one screen pixel per view pixel.
QImage Shown(const TTestDocument& Doc) {
    return Doc.Image()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb ScreenColor(TTestDocument& Doc, int Index) {
    const TRgbColor C = Doc.Palette().Entry(Index).Color();
    return qRgb(C.Red, C.Green, C.Blue);
}

void Wheel(QWidget* Image, QPoint At, int Turn, Qt::KeyboardModifiers Modifiers) {
    QWheelEvent Event(QPointF(At), QPointF(Image->mapToGlobal(At)), QPoint(), QPoint(0, Turn),
                      Qt::NoButton, Modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Image, &Event);
}

} // namespace

TEST_F(AnimatorView, OnionSkinAndPixelGridAreOnTheScreenOnlyAndNeverReachTheCelOrFile) {
    ScratchFolder Folder;
    TPaintDocument Doc(3, 8, 6, 3);
    PaintPicture(Doc.Cel(0), Legend,
                 {"........", ".##.....", ".##.....", "........", "........", "........"});
    PaintPicture(Doc.Cel(2), Legend,
                 {"........", "........", "........", "........", "....rr..", "........"});
    Doc.PressCel(1);
    const std::string Off = (Folder / "off.gif").string(), On = (Folder / "on.gif").string();
    ASSERT_TRUE(Doc.Animation->SaveToGIF(QFile::decodeName(Off.c_str())));

    RunCommand("sbutOnionSkin");
    RunCommand("mniOnionAfter1");
    ASSERT_FALSE(Doc.Painter->OnionLayer().Empty());
    // The previous cel and the next in two colours, each through a checkerboard.
    const QImage Screen = Shown(Doc);
    const std::uint8_t Before = Doc.Painter->OnionLayer().At(1, 1);
    const std::uint8_t After = Doc.Painter->OnionLayer().At(4, 4);
    EXPECT_EQ(std::make_tuple(Screen.pixel(3, 3), Screen.pixel(4, 3), Screen.pixel(12, 12)),
              std::make_tuple(ScreenColor(Doc, Before), ScreenColor(Doc, White),
                              ScreenColor(Doc, After)));
    EXPECT_TRUE(Doc.ViewShowsCel()) << "the view the tools draw into holds the cel only";

    // The file is the same byte for byte.
    ASSERT_TRUE(Doc.Animation->SaveToGIF(QFile::decodeName(On.c_str())));
    EXPECT_BYTES(ReadBytes(On), ReadBytes(Off));

    // With the onion skin off, the pixel grid lies between the pixels.
    RunCommand("sbutOnionSkin");
    RunCommand("mniPixelGrid");
    Doc.SetZoom(4);
    EXPECT_EQ(Shown(Doc).pixel(5, 5), ScreenColor(Doc, White));
    EXPECT_NE(Shown(Doc).pixel(4, 5), ScreenColor(Doc, White)) << "between pixels 0 and 1";
}

TEST_F(AnimatorView, ShapePreviewsShowExactlyWhatTheReleasePaints) {
    for (const char* Tool :
         {"tbutLine", "tbutRectangle", "tbutSolidRectangle", "tbutCircle", "tbutSolidCircle"}) {
        SCOPED_TRACE(Tool);
        TPaintDocument Doc(1, 14, 11, 3);
        // A backslash brush leaves gaps in a rectangle's border.
        frmSpriteMDI->SetBrushShape(4);
        RunCommand("mniSize3");
        RunCommand(Tool);
        Doc.Press(2, 9);
        Doc.Move(7, 4);
        Doc.Move(11, 1);
        const Bytes Previewed = Doc.Painter->ViewBitmap()->CopyBits();
        Doc.Release(11, 1);
        EXPECT_BYTES(Doc.Painter->ViewBitmap()->CopyBits(), Previewed);
    }
}

TEST_F(AnimatorView, WheelAndKeysZoomAboutTheCursorScrollAndPan) {
    TTestDocument Doc(1, 128, 128, 3);
    Doc.Painter->resize(260, 260);
    QApplication::processEvents();
    auto* Box = Doc.Painter->findChild<QScrollArea*>("sboxPainter");
    QScrollBar* Across = Box->horizontalScrollBar();
    QScrollBar* Down = Box->verticalScrollBar();
    // The cel pixel under the mouse stays under it.
    const QPoint Mouse = Doc.Image()->mapTo(Box->viewport(), Doc.At(40, 30));
    Wheel(Doc.Image(), Doc.At(40, 30), 360, Qt::ControlModifier);
    EXPECT_EQ(std::make_pair(Doc.Painter->Zoom(),
                             Doc.Image()->mapFrom(Box->viewport(), Mouse) / Doc.Painter->Zoom()),
              std::make_pair(6, QPoint(40, 30)));

    // The plain wheel scrolls down; a middle drag pans.
    const int Top = Down->value();
    Wheel(Doc.Image(), Doc.At(10, 10), -120, Qt::NoModifier);
    EXPECT_GT(Down->value(), Top);
    const int PannedX = Across->value() + 7, PannedY = Down->value() + 5;
    const QPoint From = Doc.At(30, 30);
    QTest::mousePress(Doc.Image(), Qt::MiddleButton, {}, From);
    QMouseEvent Drag(QEvent::MouseMove, QPointF(From - QPoint(7, 5)),
                     QPointF(Doc.Image()->mapToGlobal(From - QPoint(7, 5))), Qt::NoButton,
                     Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(Doc.Image(), &Drag);
    QTest::mouseRelease(Doc.Image(), Qt::MiddleButton, {}, From - QPoint(7, 5));
    EXPECT_EQ(QPoint(Across->value(), Down->value()), QPoint(PannedX, PannedY));

    // + and - in the painter: 6 -> 7 -> 6 -> 5.
    for (const Qt::Key Key : {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Minus})
        QTest::keyClick(Doc.Image(), Key);
    EXPECT_EQ(Doc.Painter->Zoom(), 5);
}

TEST_F(AnimatorView, EscapeDropsTheSelectionWhereItLiesAndCancelsABand) {
    TPaintDocument Doc(1, 8, 5, 3);
    PaintPicture(Doc.Cel(), Legend, {"........", ".#......", "........", "........", "........"});
    RunCommand("tbutSelectArea");
    Doc.Drag({{0, 0}, {3, 3}});
    Doc.Drag({{1, 1}, {4, 2}});
    QTest::keyClick(Doc.Image(), Qt::Key_Escape);
    EXPECT_PICTURE(Doc.Cel(), Legend, {"........", "........", "....#...", "........", "........"});

    // Escape in the middle of a band: the release selects nothing.
    Doc.Press(0, 0);
    Doc.Move(3, 3);
    QTest::keyClick(Doc.Image(), Qt::Key_Escape);
    Doc.Release(4, 4);
    EXPECT_FALSE(Doc.Painter->SelectionFloating);
}

TEST_F(AnimatorView, AMinimisedPainterComesBackOnlyWhenItsAnimationIsActivatedFromElsewhere) {
    TTestDocument First(3, 8, 8), Second(1, 8, 8);
    QMdiArea* Area = frmSpriteMDI->MdiArea();
    Area->setActiveSubWindow(First.Painter);
    First.Painter->close();
    QApplication::processEvents();
    ASSERT_TRUE(First.Painter->isMinimized());
    EXPECT_EQ(Area->activeSubWindow(), First.Animation);
    // Working in the strip of the active animation window leaves the painter put away.
    QTest::mouseClick(First.Strip(), Qt::LeftButton, {}, First.CelPoint(1));
    First.Animation->FormActivate();
    QApplication::processEvents();
    EXPECT_TRUE(First.Painter->isMinimized());
    // Coming from the other document's window brings it back.
    Area->setActiveSubWindow(Second.Animation);
    Area->setActiveSubWindow(First.Animation);
    QApplication::processEvents();
    EXPECT_FALSE(First.Painter->isMinimized());
}

TEST_F(AnimatorView, StatusPanelsAreNamedByWhatTheyShow) {
    const auto NameOf = [](const char* Panel) {
        QAccessibleInterface* Read =
            QAccessible::queryAccessibleInterface(frmSpriteMDI->findChild<QLabel*>(Panel));
        return Read ? Read->text(QAccessible::Name) : QString();
    };
    EXPECT_EQ(NameOf("pnlStatusMessage"), "Welcome to Ostra Vale Vimbrel");
    TTestDocument Doc(1, 8, 8);
    Doc.Hover(5, 2);
    EXPECT_EQ(NameOf("pnlStatusPosition"), "X:5  Y:2");
}
