// The animation window of a document on the offscreen platform: opening a GIF of 100 cels
// of 640 x 480 (which the painter of the document takes up as well) until the strip and the
// preview are drawn, repainting a strip of 100 cels of 64 x 64, and
// one playback step. Opening is set beside the GIF reader alone, and the strip beside Qt
// alone drawing the same 100 pictures, so the ratios say what the window adds.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <random>

#include <benchmark/benchmark.h>

#include "BenchDocument.h"
#include "BenchSamples.h"
#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "imaging/Palette.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "ui/animation/f_charanim.h"
#include "ui/common/CelImage.h"
#include "ui/common/Files.h"

namespace {

// Count cels of Width x Height: a noisy backdrop with a block that moves from cel to cel,
// as an animation drawn by hand changes a part of each frame.
std::unique_ptr<TSprite> MovingBlock(TPxPalette& Palette, int Width, int Height, int Count) {
    auto Sprite = TSprite::Create(Width, Height, Palette, RGB(255, 255, 255));
    std::mt19937 Random(20240611);
    std::uniform_int_distribution<int> Color(FirstUserColor, FirstUserColor + 215);
    std::vector<std::uint8_t> Backdrop(std::size_t(Width) * Height);
    for (auto& Pixel : Backdrop)
        Pixel = std::uint8_t(Color(Random));
    for (int i = 0; i < Count; ++i) {
        Sprite->AddCel(100);
        TPxBitmap& Cel = Sprite->CelBitmap(i);
        for (int y = 0; y < Height; ++y)
            std::copy_n(&Backdrop[std::size_t(y) * Width], Width, Cel.ScanLine(y));
        const int Side = std::max(1, Width / 8);
        const int Left = (i * 7) % std::max(1, Width - Side),
                  Top = (i * 5) % std::max(1, Height - Side);
        for (int y = Top; y < Top + Side && y < Height; ++y)
            std::fill_n(Cel.ScanLine(y) + Left, std::min(Side, Width - Left),
                        std::uint8_t(Color(Random)));
    }
    return Sprite;
}

struct TBigGif {
    QTemporaryDir Folder;
    QString FileName = Folder.filePath("big.gif");
    TBigGif() {
        auto Palette = ShippedPalette();
        auto Sprite = MovingBlock(*Palette, 640, 480, 100);
        if (!SaveGifFile(CorePath(FileName), *Sprite, *Palette, {}))
            qFatal("cannot write the benchmark's GIF file");
    }
};

const TBigGif& BigGif() {
    static TBigGif File;
    return File;
}

// A document whose animation window is shown at Width x Height.
struct TWindow {
    TBenchDocument Document;
    TfrmCharAnimation* Window = Document.Animation;
    QWidget* Strip = Window->findChild<QWidget*>("imgCharAnim");
    QWidget* Preview = Window->findChild<QWidget*>("imgRunAnimation");

    TWindow(int Width, int Height) : Document(QSize(Width, Height)) {}
};

void BM_OpenGifUntilDrawn(benchmark::State& State) {
    const TBigGif& File = BigGif();
    TWindow Shown(291, 297);
    for (auto _ : State) {
        if (!Shown.Window->LoadFromGIF(File.FileName)) State.SkipWithError("not opened");
        Shown.Strip->repaint();
        Shown.Preview->repaint();
    }
    State.counters["cels"] = double(Shown.Window->CelList()->CelCount());
}
BENCHMARK(BM_OpenGifUntilDrawn)->Unit(benchmark::kMillisecond)->Iterations(5);

// The reader alone, without a window: what opening costs before anything is shown.
void BM_ReadGifFileAlone(benchmark::State& State) {
    const TBigGif& File = BigGif();
    for (auto _ : State)
        benchmark::DoNotOptimize(ReadGifFile(CorePath(File.FileName)));
}
BENCHMARK(BM_ReadGifFileAlone)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StripRepaint100Cels(benchmark::State& State) {
    TWindow Shown(1500, 700);
    Shown.Window->SetSprite(MovingBlock(*Shown.Window->Palette(), 64, 64, 100));
    TCelList& Cels = *Shown.Window->CelList();
    if (Cels.Columns() * (Cels.VisibleRows() - 1) < 100) State.SkipWithError("strip too small");
    for (auto _ : State) {
        Cels.Refresh();
        Shown.Strip->repaint();
    }
    State.counters["columns"] = Cels.Columns();
}
BENCHMARK(BM_StripRepaint100Cels)->Unit(benchmark::kMillisecond);

// Qt alone: the same 100 pictures converted and drawn 1:1 into an image of the strip's size.
void BM_QtDraws100IndexedImages(benchmark::State& State) {
    auto Palette = ShippedPalette();
    auto Sprite = MovingBlock(*Palette, 64, 64, 100);
    QImage Target(1400, 560, QImage::Format_RGB32);
    for (auto _ : State) {
        QPainter Painter(&Target);
        for (int i = 0; i < 100; ++i)
            Painter.drawImage((i % 17) * 72, (i / 17) * 84, CelImage(Sprite->CelBitmap(i)));
    }
}
BENCHMARK(BM_QtDraws100IndexedImages)->Unit(benchmark::kMillisecond);

void BM_PlaybackStep(benchmark::State& State) {
    const int Side = int(State.range(0));
    TWindow Shown(291 + Side, 297 + Side);
    Shown.Window->SetSprite(MovingBlock(*Shown.Window->Palette(), Side, Side * 3 / 4, 10));
    Shown.Window->sbutPlayClick();
    for (auto _ : State) {
        Shown.Window->timeAnimationTimer();
        Shown.Preview->repaint();
    }
}
BENCHMARK(BM_PlaybackStep)->Arg(64)->Arg(640)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunOnScreen(argc, argv);
}
