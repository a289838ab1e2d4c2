// The painter window on the offscreen platform, inside a whole document (the animation
// window with its strip and preview beside it): one mouse move of a brush stroke and one
// hover-preview move, each from the mouse event to the repainted image, with a size-30
// brush at zoom 10 on a 640 x 480 cel; one mouse move of the line, rectangle, solid
// rectangle, circle and solid circle previews and of a dragged selection, one tick of the
// marquee, and one fill of the whole cel, all at zoom 10 on 640 x 480 and including the
// repaint; and one undo and one redo step of a stroke painted on all cels of a 100-cel
// animation of 640 x 480. The stroke is set beside the cel list stamping the same brushes
// alone, so the ratio says what the view and screen add. The same stroke and a repaint of
// the whole visible image are timed again with the onion skin showing 3 cels each way, as
// ratios against the same work without it and against a 16 ms frame, beside the making of
// the onion layer when the view is refreshed.
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <chrono>
#include <memory>

#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "imaging/LineWalk.h"
#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "model/undo.h"

namespace {

// A document with Count white cels of 640 x 480, its painter at zoom 10 with a size-30 square
// brush, in a painter window of 800 x 600.
struct TDocument : TBenchDocument {
    explicit TDocument(int Count) : TBenchDocument(QSize(291, 297)) {
        auto Sprite = TSprite::Create(640, 480, Palette(), RGB(255, 255, 255));
        for (int i = 0; i < Count; ++i)
            Sprite->AddCel(100);
        Animation->SetSprite(std::move(Sprite));
        Painter->resize(800, 600);
        Host.State().BrushSize = 30;
        Painter->findChild<QComboBox*>("cboZoom")->setCurrentIndex(9);
        Painter->UpdateBrush();
        QApplication::processEvents();
    }
    // A figure for a hidden image would time no screen work at all.
    bool Shown() const { return !Image()->visibleRegion().isEmpty(); }
    QWidget* Image() const { return Painter->findChild<QWidget*>("imgPainter"); }
    void Send(QEvent::Type Type, Qt::MouseButton Button, Qt::MouseButtons Buttons, QPoint At) {
        QMouseEvent Event(Type, QPointF(At), QPointF(Image()->mapToGlobal(At)), Button, Buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(Image(), &Event);
    }
};

// The points of a hand-drawn stroke: one cel pixel further per mouse event, to and fro
// across the visible part of the view.
QPoint StrokePoint(long Step) {
    const int Span = 60, Phase = int(Step % (2 * Span));
    const int X = Phase < Span ? Phase : 2 * Span - Phase;
    return {(10 + X) * 10 + 5, (25 + X / 3) * 10 + 5};
}

void BM_BrushStrokeMove(benchmark::State& State) {
    TDocument Document(1);
    if (!Document.Shown()) State.SkipWithError("the image is not on screen");
    Document.Send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, StrokePoint(0));
    long Step = 1;
    for (auto _ : State) {
        Document.Send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, StrokePoint(Step++));
        QApplication::processEvents();
    }
    Document.Send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, StrokePoint(Step));
}
BENCHMARK(BM_BrushStrokeMove)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Seven cels of 640 x 480, each with a black disc and ring of its own place over half its
// width, the fourth current and the onion skin on with 3 cels each way (or off).
struct TOnionDocument : TDocument {
    TOnionDocument() : TDocument(7) {
        TSprite& Sprite = Animation->CelList()->Sprite();
        for (int i = 0; i < Sprite.CelCount(); ++i) {
            TPxCanvas& Canvas = Sprite.CelBitmap(i).Canvas();
            Canvas.Pen.Color = PALETTERGB(0, 0, 0);
            Canvas.Pen.Width = 4;
            Canvas.Brush.Color = PALETTERGB(0, 0, 0);
            Canvas.Brush.Style = i % 2 ? bsClear : bsSolid;
            Canvas.Ellipse(20 + 30 * i, 40, 340 + 30 * i, 440);
            Canvas.Pen.Width = 1;
        }
        Animation->CelList()->SetCurrent(3);
        Host.State().OnionBefore = 3;
        Host.State().OnionAfter = 3;
        SetOnion(true);
    }
    void SetOnion(bool On) {
        Host.State().OnionSkin = On;
        Painter->ShowPainterCel();
        QApplication::processEvents();
    }
};

// Seconds per call of Work, over Count calls.
template <typename TWork> double SecondsEach(int Count, TWork&& Work) {
    const auto Start = std::chrono::steady_clock::now();
    for (int i = 0; i < Count; ++i)
        Work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count() / Count;
}

// Work timed with the onion skin on; afterwards the same work without it gives the ratio,
// and the share of a 16 ms frame is reported beside it.
template <typename TWork>
void OnionRatios(benchmark::State& State, TOnionDocument& Document, TWork&& Work) {
    if (Document.Painter->OnionLayer().Empty()) State.SkipWithError("no onion skin shows");
    const auto Start = std::chrono::steady_clock::now();
    for (auto _ : State)
        Work();
    const double With =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count() /
        double(State.iterations());
    Document.SetOnion(false);
    const double Without = SecondsEach(int(std::min<std::int64_t>(State.iterations(), 200)), Work);
    State.counters["vs_no_onion"] = With / Without;
    State.counters["of_16ms_frame"] = With / 0.016;
}

void BM_OnionSkinBrushStrokeMove(benchmark::State& State) {
    TOnionDocument Document;
    if (!Document.Shown()) State.SkipWithError("the image is not on screen");
    Document.Send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, StrokePoint(0));
    long Step = 1;
    OnionRatios(State, Document, [&] {
        Document.Send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, StrokePoint(Step++));
        QApplication::processEvents();
    });
    Document.Send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, StrokePoint(Step));
}
BENCHMARK(BM_OnionSkinBrushStrokeMove)->Unit(benchmark::kMillisecond)->Repetitions(5);

// What scrolling or zooming asks: the whole visible part of the image painted again.
void BM_OnionSkinWholeRepaint(benchmark::State& State) {
    TOnionDocument Document;
    if (!Document.Shown()) State.SkipWithError("the image is not on screen");
    OnionRatios(State, Document, [&] { Document.Image()->repaint(); });
}
BENCHMARK(BM_OnionSkinWholeRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Making the layer of 6 cels, as every refresh of the view with the onion skin on does.
void BM_OnionLayerBuild(benchmark::State& State) {
    TOnionDocument Document;
    const TSprite& Sprite = Document.Animation->CelList()->Sprite();
    TOnionLayer Layer;
    const auto Start = std::chrono::steady_clock::now();
    for (auto _ : State) {
        Layer.Build(Sprite, 3, 3, 3);
        benchmark::DoNotOptimize(Layer.At(0, 0));
    }
    const double Each =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count() /
        double(State.iterations());
    State.counters["of_16ms_frame"] = Each / 0.016;
}
BENCHMARK(BM_OnionLayerBuild)->Unit(benchmark::kMillisecond);

// The peer: the same stamps through the cel list alone, without the view or the screen.
void BM_CelListStampsTheSameStroke(benchmark::State& State) {
    TDocument Document(1);
    TCelList& Cels = *Document.Animation->CelList();
    auto Brush = TPxBrush::Create(30, shSquare, PALETTERGB(0, 0, 0), Cels.Palette());
    long Step = 1;
    for (auto _ : State) {
        const QPoint From = StrokePoint(Step - 1) / 10, To = StrokePoint(Step) / 10;
        WalkLine(From.x(), From.y(), To.x(), To.y(),
                 [&](int X, int Y) { Cels.DrawBrush(X, Y, *Brush, false); });
        ++Step;
    }
}
BENCHMARK(BM_CelListStampsTheSameStroke)->Unit(benchmark::kMillisecond);

void BM_HoverPreviewMove(benchmark::State& State) {
    TDocument Document(1);
    if (!Document.Shown()) State.SkipWithError("the image is not on screen");
    long Step = 0;
    for (auto _ : State) {
        Document.Send(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, StrokePoint(Step++));
        QApplication::processEvents();
    }
}
BENCHMARK(BM_HoverPreviewMove)->Unit(benchmark::kMillisecond)->Repetitions(5);

// The far corner of a shape dragged from cel (20, 20): one cel pixel further per mouse
// event, to and fro, over a box of about 240 x 150 cel pixels (2400 x 1500 at zoom 10).
QPoint CornerPoint(long Step) {
    const int Span = 60, Phase = int(Step % (2 * Span));
    const int X = Phase < Span ? Phase : 2 * Span - Phase;
    return {(200 + X) * 10 + 5, (150 + X / 3) * 10 + 5};
}

// One mouse move of a tool's preview with the button held: the press at Anchor, then a
// move to each next point, each repainted.
void PreviewMove(benchmark::State& State, TPaintTool Tool, QPoint Anchor, QPoint (*Point)(long)) {
    TDocument Document(1);
    if (!Document.Shown()) State.SkipWithError("the image is not on screen");
    Document.Host.State().CurrentTool = Tool;
    Document.Send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Anchor);
    long Step = 1;
    for (auto _ : State) {
        Document.Send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, Point(Step++));
        QApplication::processEvents();
    }
    Document.Send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Point(Step));
}

// A size-30 line from the stroke's first point, 0 to 60 cel pixels long.
void BM_LinePreviewMove(benchmark::State& State) {
    PreviewMove(State, ptLine, StrokePoint(0), StrokePoint);
}
void BM_RectanglePreviewMove(benchmark::State& State) {
    PreviewMove(State, ptRectangle, {205, 205}, CornerPoint);
}
void BM_SolidRectanglePreviewMove(benchmark::State& State) {
    PreviewMove(State, ptSolidRectangle, {205, 205}, CornerPoint);
}
void BM_CirclePreviewMove(benchmark::State& State) {
    PreviewMove(State, ptCircle, {205, 205}, CornerPoint);
}
void BM_SolidCirclePreviewMove(benchmark::State& State) {
    PreviewMove(State, ptSolidCircle, {205, 205}, CornerPoint);
}
BENCHMARK(BM_LinePreviewMove)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_RectanglePreviewMove)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_SolidRectanglePreviewMove)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_CirclePreviewMove)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_SolidCirclePreviewMove)->Unit(benchmark::kMillisecond)->Repetitions(5);

// A selection of 100 x 80 cel pixels (1000 x 800 in the view) lifted from (10, 10).
void LiftSelection(TDocument& Document) {
    Document.Host.State().CurrentTool = ptSelectArea;
    Document.Send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {105, 105});
    Document.Send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {1105, 905});
    Document.Send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {1105, 905});
    QApplication::processEvents();
}

// One mouse move of the floating selection grabbed in its middle: one cel pixel further
// per event, to and fro.
void BM_SelectionDragMove(benchmark::State& State) {
    TDocument Document(1);
    if (!Document.Shown()) State.SkipWithError("the image is not on screen");
    LiftSelection(Document);
    if (!Document.Painter->SelectionFloating) State.SkipWithError("nothing was lifted");
    Document.Send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {605, 505});
    long Step = 1;
    for (auto _ : State) {
        // From the grab point (605, 505) up to 60 cel pixels to the right and 20 down.
        Document.Send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton,
                      StrokePoint(Step++) + QPoint(500, 250));
        QApplication::processEvents();
    }
    Document.Send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {605, 505});
    Document.Painter->CancelSelection();
}
BENCHMARK(BM_SelectionDragMove)->Unit(benchmark::kMillisecond)->Repetitions(5);

// One tick of the marquee around that selection, repainted.
void BM_MarqueeTick(benchmark::State& State) {
    TDocument Document(1);
    if (!Document.Shown()) State.SkipWithError("the image is not on screen");
    LiftSelection(Document);
    if (!Document.Painter->SelectionFloating) State.SkipWithError("nothing was lifted");
    for (auto _ : State) {
        Document.Painter->timeSelectedAreaTimer();
        QApplication::processEvents();
    }
    Document.Painter->CancelSelection();
}
BENCHMARK(BM_MarqueeTick)->Unit(benchmark::kMillisecond)->Repetitions(5);

// One click of the fill tool that repaints the whole cel (in black and white by turns),
// with its undo snapshot, the strip and the repaint of the view.
void BM_WholeCelFill(benchmark::State& State) {
    TDocument Document(1);
    if (!Document.Shown()) State.SkipWithError("the image is not on screen");
    Document.Host.State().CurrentTool = ptFill;
    bool Right = false;
    for (auto _ : State) {
        const Qt::MouseButton Button = Right ? Qt::RightButton : Qt::LeftButton;
        Document.Send(QEvent::MouseButtonPress, Button, Button, {3005, 2005});
        Document.Send(QEvent::MouseButtonRelease, Button, Qt::NoButton, {3005, 2005});
        QApplication::processEvents();
        Right = !Right;
    }
}
BENCHMARK(BM_WholeCelFill)->Unit(benchmark::kMillisecond)->Repetitions(5);

// One step of a paint-on-all stroke on 100 cels; Undo true measures undoing, false redoing
// (the other direction runs untimed between the steps).
void BM_PaintOnAll100Cels(benchmark::State& State, bool Undo) {
    TDocument Document(100);
    Document.Host.State().PaintOnAll = true;
    Document.Send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {1005, 1005});
    Document.Send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {2005, 1505});
    Document.Send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {2005, 1505});
    QApplication::processEvents();
    const auto& Nodes = Document.Painter->UndoHistory().UndoNodes();
    if (Nodes.size() != 1 || Nodes.back()->Kind() != ukAllCels) {
        State.SkipWithError("the stroke was not recorded as one step on all cels");
        return;
    }
    if (!Undo) Document.Painter->sbutUndoClick();
    for (auto _ : State) {
        if (Undo)
            Document.Painter->sbutUndoClick();
        else
            Document.Painter->Redo();
        QApplication::processEvents();
        State.PauseTiming();
        if (Undo)
            Document.Painter->Redo();
        else
            Document.Painter->sbutUndoClick();
        QApplication::processEvents();
        State.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_PaintOnAll100Cels, Undo, true)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_PaintOnAll100Cels, Redo, false)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    return RunOnScreen(argc, argv);
}
