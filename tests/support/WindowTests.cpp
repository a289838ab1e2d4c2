#include "support/WindowTests.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QMdiArea>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/ViewZoom.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "support/ScriptedQuestions.h"
#include "ui/animation/Document.h"
#include "ui/animation/f_new.h"
#include "ui/shell/Forms.h"
#include "ui/shell/SpriteMDI.h"

void TWindows::SetUp() {
    Windows = std::make_unique<TApplicationWindows>(VIMBREL_APP_DIR);
    frmSpriteMDI->FormActivate();
}

void TWindows::TearDown() {
    Windows.reset();
}

void ProgramTest::SetUp() {
    QSettings().clear();
    QApplication::clipboard()->clear();
    Script().Clear();
    Start();
}

void ProgramTest::TearDown() {
    Program.reset();
    FlushDeletes();
}

void ProgramTest::Start() {
    Program = std::make_unique<TApplicationWindows>(VIMBREL_APP_DIR);
    frmSpriteMDI->resize(1000, 700);
    frmSpriteMDI->show();
    frmSpriteMDI->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frmSpriteMDI));
}

void ProgramTest::Restart() {
    frmSpriteMDI->close();
    Program.reset();
    FlushDeletes();
    Start();
}

TfrmCharAnimation* ProgramTest::NewDocument() {
    QTimer::singleShot(0, frmNew, [] { frmNew->accept(); });
    Command("NewSpriteLibrary")->trigger();
    return frmSpriteMDI->State().CurrentAnimation;
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QAction* Command(const QString& Name) {
    QAction* Found = frmSpriteMDI->Command(Name);
    EXPECT_NE(Found, nullptr) << Name.toStdString();
    return Found ? Found : new QAction(frmSpriteMDI);
}

void RunCommand(const char* Name) {
    QAction* Action = frmSpriteMDI->Command(Name);
    ASSERT_TRUE(Action) << Name;
    ASSERT_TRUE(Action->isEnabled()) << Name;
    Action->trigger();
}

TTestDocument::TTestDocument(int Count, int Width, int Height, int Zoom,
                             std::unique_ptr<TPxPalette> Palette)
    : Animation(MakeDocument(*frmSpriteMDI, *frmSpriteMDI->MdiArea(),
                             Palette ? std::move(Palette) : MakeCubePalette(), "Animation [1]", 1)),
      Painter(Animation->Painter()) {
    auto Cels = TSprite::Create(Width, Height, *Animation->Palette(), RGB(255, 255, 255));
    for (int i = 0; i < Count; ++i)
        Cels->AddCel(200 + 100 * i);
    Cels->SetCurrent(0);
    Animation->SetSprite(std::move(Cels));
    Animation->show();
    Painter->show();
    Animation->FormActivate();
    Animation->AnimationTimer()->stop();
    frmSpriteMDI->UpdateCommandStates();
    SetZoom(Zoom);
    Animation->Modified = false;
    Script().Clear();
}

TTestDocument::~TTestDocument() {
    frmSpriteMDI->Command("mniSize2")->trigger();
    frmSpriteMDI->SetBrushShape(0);
    frmSpriteMDI->tbutBrushClick();
    frmSpriteMDI->State().PaintOnAll = false;
    frmSpriteMDI->Command("sbutPaintOnAll")->setChecked(false);
    frmSpriteMDI->Command("mniPaintOnAll")->setChecked(false);
    if (Animation) {
        Animation->Modified = false;
        Animation->close();
    }
    FlushDeletes();
}

TPaintDocument::TPaintDocument(int Count, int Width, int Height, int Zoom)
    : TTestDocument(Count, Width, Height, Zoom) {
    RunCommand("mniSize1");
    Painter->SetDrawColor(Palette().GetColor(painter_test::Red), true);
    Animation->Modified = false;
    Script().Clear();
}

QComboBox* TTestDocument::ZoomList() const {
    return Painter->findChild<QComboBox*>("cboZoom");
}

void TTestDocument::SetZoom(int Zoom) {
    ZoomList()->setCurrentIndex(Zoom - 1);
}

QPoint TTestDocument::At(int X, int Y) const {
    const int Zoom = Painter->Zoom();
    return {X * Zoom + Zoom / 2, Y * Zoom + Zoom / 2};
}

void TTestDocument::ImageStroke(const std::vector<QPoint>& Points, Qt::MouseButton Button) {
    QTest::mousePress(Image(), Button, {}, Points.front());
    for (std::size_t i = 1; i < Points.size(); ++i)
        QTest::mouseMove(Image(), Points[i]);
    QTest::mouseRelease(Image(), Button, {}, Points.back());
}

void DragCels(TfrmPainter& Painter, const std::vector<TPoint>& Points, Qt::MouseButton Button) {
    auto* Image = Painter.findChild<QWidget*>("imgPainter");
    const int Zoom = Painter.Zoom();
    const auto At = [Zoom](TPoint P) {
        return QPoint(P.X * Zoom + Zoom / 2, P.Y * Zoom + Zoom / 2);
    };
    QTest::mousePress(Image, Button, {}, At(Points.front()));
    for (std::size_t i = 1; i < Points.size(); ++i)
        QTest::mouseMove(Image, At(Points[i]));
    QTest::mouseRelease(Image, Button, {}, At(Points.back()));
}

bool TTestDocument::ViewShowsCel() {
    const int Zoom = Painter->Zoom();
    TPxBitmap Expected(8, Cel().Width() * Zoom, Cel().Height() * Zoom, Palette());
    ZoomCel(Sprite().CelBitmap(Cels().Current()), Expected, Zoom);
    return Expected.CopyBits() == Painter->ViewBitmap()->CopyBits();
}

QPoint CelPoint(const TfrmCharAnimation& Animation, int Index) {
    const TCelList& List = *Animation.CelList();
    const int Column = (Index - List.FirstVisible()) % List.Columns();
    const int Row = (Index - List.FirstVisible()) / List.Columns();
    return {List.MarginX() + Column * List.PitchX() + List.CelWidth() / 2,
            List.MarginY() + Row * List.PitchY() + List.CelHeight() / 2};
}
