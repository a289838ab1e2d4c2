#pragma once
// A whole document for the painter's window tests: the program's once-only windows (made
// once per test program), an animation window with white cels on the cube palette and its
// painter, driven through the main window's commands and real mouse events in cel
// coordinates at a chosen zoom. Header-only; window tests only.
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QMdiArea>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/ViewZoom.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "support/PictureAssert.h"
#include "support/ScriptedQuestions.h"
#include "ui/animation/f_charanim.h"
#include "ui/painter/f_painter.h"
#include "ui/shell/Forms.h"
#include "ui/shell/SpriteMDI.h"

namespace painter_test {

// Drawing in black writes the lowest entry showing black: the system black, entry 0.
constexpr int Black = 0;
constexpr int White = CubeIndex(255, 255, 255);
constexpr int Red = CubeIndex(255, 0, 0);
inline const PictureLegend Legend{{White, '.'}, {Black, '#'}, {Red, 'r'}};

// The once-only windows for the whole test program, activated once as the program's first
// activation does, after which a document enables the commands.
class TWindows : public ::testing::Environment {
public:
    void SetUp() override {
        Windows = std::make_unique<TApplicationWindows>(VIMBREL_APP_DIR);
        frmSpriteMDI->FormActivate();
    }
    void TearDown() override { Windows.reset(); }
    std::unique_ptr<TApplicationWindows> Windows;
};

// Runs a main-window command by its name, as its menu item or button does.
inline void Command(const char* Name) {
    QAction* Action = frmSpriteMDI->Command(Name);
    ASSERT_TRUE(Action) << Name;
    ASSERT_TRUE(Action->isEnabled()) << Name;
    Action->trigger();
}

inline Picture Blank(int Width, int Height) {
    return Picture(std::size_t(Height), std::string(std::size_t(Width), '.'));
}

// Count white cels of Width x Height on the cube palette, the painter at Zoom with a brush
// of size 1, left colour black and right colour red; unmodified, the brush tool chosen.
struct TDocument {
    QPointer<TfrmCharAnimation> Animation = new TfrmCharAnimation(*frmSpriteMDI);
    QPointer<TfrmPainter> Painter = new TfrmPainter(*frmSpriteMDI);
    int Zoom;

    TDocument(int Count, int Width, int Height, int ViewZoom) : Zoom(ViewZoom) {
        frmSpriteMDI->MdiArea()->addSubWindow(Animation);
        Animation->TakePalette(MakeCubePalette());
        frmSpriteMDI->State().CurrentPalette = Animation->Palette();
        Animation->SetCaption("Animation [1]");
        frmSpriteMDI->MdiArea()->addSubWindow(Painter);
        Animation->SetPainterWindow(Painter);
        Painter->AnimationWindow = Animation;
        auto Sprite = TSprite::Create(Width, Height, *Animation->Palette(), RGB(255, 255, 255));
        for (int i = 0; i < Count; ++i)
            Sprite->AddCel(200);
        Animation->SetSprite(std::move(Sprite));
        Animation->show();
        Painter->show();
        Animation->FormActivate();
        frmSpriteMDI->UpdateCommandStates();
        Painter->findChild<QComboBox*>("cboZoom")->setCurrentIndex(Zoom - 1);
        Command("mniSize1");
        Painter->SetDrawColor(Palette().GetColor(Red), true);
        Animation->Modified = false;
        Script().Clear();
    }
    ~TDocument() {
        frmSpriteMDI->Command("mniSize2")->trigger();
        frmSpriteMDI->SetBrushShape(0);
        frmSpriteMDI->tbutBrushClick();
        frmSpriteMDI->State().PaintOnAll = false;
        frmSpriteMDI->Command("sbutPaintOnAll")->setChecked(false);
        if (Animation) {
            Animation->Modified = false;
            Animation->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TPxPalette& Palette() { return *Animation->Palette(); }
    TSprite& Sprite() { return *Animation->Sprite(); }
    TCelList& Cels() { return *Animation->CelList(); }
    TPxBitmap& Cel(int Index = 0) { return Sprite().CelBitmap(Index); }
    QWidget* Image() const { return Painter->findChild<QWidget*>("imgPainter"); }
    // The middle of cel pixel (X, Y) in the image. (QTest takes the point (0, 0) for the
    // middle of the widget, so the tests keep away from it at zoom 1.)
    QPoint At(int X, int Y) const { return {X * Zoom + Zoom / 2, Y * Zoom + Zoom / 2}; }

    void Press(int X, int Y, Qt::MouseButton Button = Qt::LeftButton) {
        QTest::mousePress(Image(), Button, {}, At(X, Y));
    }
    void Move(int X, int Y) { QTest::mouseMove(Image(), At(X, Y)); }
    // A move with no button held. (QTest delivers those only to a window on screen, and the
    // main window of these tests is never shown: the image gets the move from its handler.)
    void Hover(int X, int Y) {
        Painter->imgPainterMouseMove(Qt::NoButton, At(X, Y).x(), At(X, Y).y());
    }
    void Release(int X, int Y, Qt::MouseButton Button = Qt::LeftButton) {
        QTest::mouseRelease(Image(), Button, {}, At(X, Y));
    }
    // A press on the first cel point, moves through the others and a release on the last.
    void Drag(const std::vector<TPoint>& Points, Qt::MouseButton Button = Qt::LeftButton) {
        Press(Points.front().X, Points.front().Y, Button);
        for (std::size_t i = 1; i < Points.size(); ++i)
            Move(Points[i].X, Points[i].Y);
        Release(Points.back().X, Points.back().Y, Button);
    }
    void Click(int X, int Y, Qt::MouseButton Button = Qt::LeftButton) { Drag({{X, Y}}, Button); }
    // The view exactly as the zoomed current cel: nothing previewed or floating over it.
    bool ViewShowsCel() {
        TPxBitmap Expected(8, Cel().Width() * Zoom, Cel().Height() * Zoom, Palette());
        ZoomCel(Sprite().CelBitmap(Cels().Current()), Expected, Zoom);
        return Expected.CopyBits() == Painter->ViewBitmap()->CopyBits();
    }
};

} // namespace painter_test
