#pragma once
// What the window tests share: the program's windows, made once for a test program
// (TWindows) or afresh for every test (ProgramTest), the main window's commands by name, and
// documents made the one way the program makes them. Window tests only.
#include <QAction>
#include <QPoint>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "imaging/Color.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "support/PictureAssert.h"
#include "support/ScriptedQuestions.h"
#include "ui/animation/f_charanim.h"
#include "ui/painter/f_painter.h"
#include "ui/shell/Forms.h"
#include "ui/shell/SpriteMDI.h"

class QComboBox;
class QMimeData;
class QWidget;
class TPxUndo;

// The program's once-only windows made once for a whole test program, activated as the
// program's first activation does, after which a document enables the commands. A test
// program registers it: ::testing::AddGlobalTestEnvironment(new TWindows).
class TWindows : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    std::unique_ptr<TApplicationWindows> Windows;
};

// The whole program made afresh for every test, as at start-up, on cleared settings and
// clipboard, its main window shown and active.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Start();
    // As when the user quits and runs the program again.
    void Restart();
    // New, with the New Animation dialog confirmed as it stands: 4 white cels of 64 x 64.
    TfrmCharAnimation* NewDocument();

    std::unique_ptr<TApplicationWindows> Program;
};

void FlushDeletes();

// A press of Button at the first of the cel points Points in Painter's image, moves through
// the others and a release on the last, as the mouse makes them.
void DragCels(TfrmPainter& Painter, const std::vector<TPoint>& Points,
              Qt::MouseButton Button = Qt::LeftButton);
// The middle of cel Index's picture in Animation's strip.
QPoint CelPoint(const TfrmCharAnimation& Animation, int Index);

// The main window's command of that name; a test goes on with a stand-in if it is missing.
QAction* Command(const QString& Name);
// Runs the command Name as its menu item or button does; it must exist and be enabled.
void RunCommand(const char* Name);

// The colours of the cube palette that painting tests use: drawing in black writes the
// lowest entry showing black, the system black, entry 0.
namespace painter_test {
constexpr int Black = 0;
constexpr int White = CubeIndex(255, 255, 255);
constexpr int Red = CubeIndex(255, 0, 0);
inline const PictureLegend Legend{{White, '.'}, {Black, '#'}, {Red, 'r'}};
// Height rows of Width white pixels.
inline Picture Blank(int Width, int Height) {
    return Picture(std::size_t(Height), std::string(std::size_t(Width), '.'));
}
} // namespace painter_test

// A document made the one way the program makes one (MakeDocument) in the main window's MDI
// area: an animation window with Count white cels of Width x Height (delays 200, 300, 400,
// ...) on the cube palette or the one given, and its painter at Zoom, both shown, active
// and unmodified, the brush tool chosen. The document closes, and the editing state goes
// back to the program's defaults, when the fixture goes.
class TTestDocument {
public:
    TTestDocument(int Count, int Width, int Height, int Zoom = 3,
                  std::unique_ptr<TPxPalette> Palette = nullptr);
    ~TTestDocument();
    TTestDocument(const TTestDocument&) = delete;
    TTestDocument& operator=(const TTestDocument&) = delete;

    QPointer<TfrmCharAnimation> Animation;
    QPointer<TfrmPainter> Painter;

    TPxPalette& Palette() { return *Animation->Palette(); }
    TSprite& Sprite() { return *Animation->Sprite(); }
    TCelList& Cels() { return *Animation->CelList(); }
    TPxBitmap& Cel(int Index = 0) { return Sprite().CelBitmap(Index); }
    const TPxUndo& History() const { return Painter->UndoHistory(); }
    bool UndoEnabled() const { return frmSpriteMDI->Command("sbutUndo")->isEnabled(); }
    // The control Name of the animation window or of the painter; the test fails without it.
    template <typename T> T* Find(const char* Name) const {
        T* Found = Animation->findChild<T*>(Name);
        if (!Found) Found = Painter->findChild<T*>(Name);
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }

    // ---- The painter ----
    QWidget* Image() const { return Painter->findChild<QWidget*>("imgPainter"); }
    QComboBox* ZoomList() const;
    void SetZoom(int Zoom);
    // The middle of cel pixel (X, Y) in the image at the painter's zoom. (QTest takes the
    // point (0, 0) for the middle of the widget, so the tests keep away from it at zoom 1.)
    QPoint At(int X, int Y) const;
    // A press at the first image point, moves through the others and a release on the
    // last, as the mouse makes them.
    void ImageStroke(const std::vector<QPoint>& Points, Qt::MouseButton Button = Qt::LeftButton);
    void Drag(const std::vector<TPoint>& Points, Qt::MouseButton Button = Qt::LeftButton) {
        DragCels(*Painter, Points, Button);
    }
    void Click(int X, int Y, Qt::MouseButton Button = Qt::LeftButton) { Drag({{X, Y}}, Button); }
    void Press(int X, int Y, Qt::MouseButton Button = Qt::LeftButton) {
        QTest::mousePress(Image(), Button, {}, At(X, Y));
    }
    void Move(int X, int Y) { QTest::mouseMove(Image(), At(X, Y)); }
    void Release(int X, int Y, Qt::MouseButton Button = Qt::LeftButton) {
        QTest::mouseRelease(Image(), Button, {}, At(X, Y));
    }
    // A move with no button held. (QTest delivers those only to a window on screen, and the
    // main window of these tests is never shown: the image gets the move from its handler.)
    void Hover(int X, int Y) {
        Painter->imgPainterMouseMove(Qt::NoButton, At(X, Y).x(), At(X, Y).y());
    }
    // The view exactly as the zoomed current cel: nothing previewed or floating over it.
    bool ViewShowsCel();

    // ---- The strip ----
    QWidget* Strip() const { return Animation->findChild<QWidget*>("imgCharAnim"); }
    QPoint CelPoint(int Index) const { return ::CelPoint(*Animation, Index); }
    // A left press on cel Index, and Data dropped on it.
    void PressCel(int Index) {
        Animation->imgCharAnimMouseDown(Qt::LeftButton, CelPoint(Index).x(), CelPoint(Index).y());
    }
    void DropOnCel(const QMimeData* Data, int Index) {
        Animation->imgCharAnimDragDrop(Data, CelPoint(Index).x(), CelPoint(Index).y());
    }
};

// The painting tests' document: a brush of size 1, the left colour black and the right one
// red.
class TPaintDocument : public TTestDocument {
public:
    TPaintDocument(int Count, int Width, int Height, int Zoom);
};
