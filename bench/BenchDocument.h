#pragma once
// A document for the windows' benchmarks, made as the editor makes one (MakeDocument) in an
// MDI area of its own on the offscreen screen, with a plain host that keeps the editing
// state: there is no main window, so nothing reads or writes the user's settings or keeps
// copies of unsaved work among the user's files.
#include <QApplication>
#include <QMdiArea>
#include <QPointer>
#include <QSize>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

#include "BenchSamples.h"
#include "ui/animation/Document.h"
#include "ui/animation/f_charanim.h"
#include "ui/common/DocumentHost.h"
#include "ui/painter/f_painter.h"

// Runs the benchmarks of the program on the offscreen platform: main() of the windows'
// benchmarks.
inline int RunOnScreen(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication Application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

struct TBenchDocument {
    TPlainHost Host;
    QMdiArea Area;
    QPointer<TfrmCharAnimation> Animation;
    QPointer<TfrmPainter> Painter;

    // An animation window of WindowSize with one blank cel on the shipped palette and its
    // painter, shown and active, playback stopped.
    explicit TBenchDocument(QSize WindowSize)
        : Animation(MakeDocument(Host, Area, ShippedPalette(), "Animation [1]", 1)),
          Painter(Animation->Painter()) {
        Area.resize(1280, 1024);
        Area.show();
        Animation->resize(WindowSize);
        Animation->show();
        Painter->show();
        Animation->FormActivate();
        Animation->AnimationTimer()->stop();
        QCoreApplication::processEvents();
    }
    ~TBenchDocument() {
        if (!Animation) return;
        Animation->Modified = false;
        Animation->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TPxPalette& Palette() { return *Animation->Palette(); }
};
