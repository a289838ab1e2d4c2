// The recovery copy of a document of 100 cels of 640 x 480 (the shared moving shapes), as
// the editor keeps it once a minute while there are unsaved changes. Each round times, for
// the same document: a plain memcpy of its pixels into memory already in use, the part of
// the copy that runs on the user-interface thread (the snapshot of the pixels), the part
// that runs on the worker (encoding and writing the GIF, synced), and a full Save.
// "first_ms" is the first snapshot, into fresh memory; the later ones reuse the memory of
// the one before, as while the user goes on painting, and "snapshot_ms" is their mean.
// "x_memcpy" is that as a multiple of the memcpy, "x_frame" as a fraction of one frame at
// 60 Hz (below 1.0, painting misses no frame for it), "x_save" the worker's part as a
// multiple of the Save.
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchSamples.h"
#include "imaging/PxBitmap.h"
#include "model/Spritez.h"
#include "ui/animation/f_charanim.h"
#include "ui/shell/Forms.h"
#include "ui/shell/Recovery.h"
#include "ui/shell/SpriteMDI.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point Start) {
    return std::chrono::duration<double>(Clock::now() - Start).count();
}

void BM_RecoveryCopy640x480x100(benchmark::State& State) {
    TApplicationWindows Windows(VIMBREL_APP_DIR);
    TfrmCharAnimation* Document = frmSpriteMDI->CreateAnimationWindow();
    auto Sprite = TSprite::Create(640, 480, *Document->Palette(), RGB(255, 255, 255));
    AddMovingShapes(*Sprite, 100, DisposalNone);
    Sprite->SetCurrent(0);
    Document->SetSprite(std::move(Sprite));
    const TSprite& Cels = *Document->Sprite();
    const std::size_t CelBytes = std::size_t(Cels.CelBitmap(0).ImageSize());
    std::vector<std::uint8_t> Pixels(CelBytes * std::size_t(Cels.CelCount()), 1);
    TRecovery& Recovery = frmSpriteMDI->Recovery();
    QTemporaryDir Folder;
    double Copied = 0, First = 0, Snapshot = 0, Worker = 0, Saved = 0;
    for (auto _ : State) {
        auto Start = Clock::now();
        for (int Cel = 0; Cel < Cels.CelCount(); ++Cel)
            std::memcpy(Pixels.data() + CelBytes * std::size_t(Cel), Cels.CelBitmap(Cel).Bits(),
                        CelBytes);
        benchmark::DoNotOptimize(Pixels.data());
        Copied += Since(Start);

        Document->Modified = true;
        Start = Clock::now();
        Recovery.WriteCopies();
        (First == 0 ? First : Snapshot) += Since(Start);
        Start = Clock::now();
        Recovery.Wait();
        Worker += Since(Start);
        if (Recovery.CopyOf(Document).isEmpty()) State.SkipWithError("no copy written");

        Start = Clock::now();
        if (!Document->SaveToGIF(Folder.filePath("saved.gif"))) State.SkipWithError("not saved");
        Saved += Since(Start);
    }
    const double Rounds = double(State.iterations());
    State.counters["first_ms"] = 1000 * First;
    State.counters["snapshot_ms"] = 1000 * Snapshot / (Rounds - 1);
    State.counters["worker_ms"] = 1000 * Worker / Rounds;
    State.counters["x_memcpy"] = Snapshot / (Rounds - 1) / (Copied / Rounds);
    State.counters["x_frame"] = Snapshot / (Rounds - 1) / (1.0 / 60);
    State.counters["x_save"] = Worker / Saved;
    Document->Modified = false;
    Document->close();
}
BENCHMARK(BM_RecoveryCopy640x480x100)->Unit(benchmark::kMillisecond)->Iterations(6);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication Application(argc, argv);
    QApplication::setOrganizationName("Ostra Vale Software");
    QApplication::setApplicationName("Ostra Vale Vimbrel");
    // The copies go to Qt's test location, not among the user's own.
    QStandardPaths::setTestModeEnabled(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
