// The imaging core's hot paths on a full-size 640 x 480 cel. Every byte operation is timed
// against memcpy of the same bytes in the same iteration; "x_memcpy" is the ratio of the two
// (1.0 = as fast as a plain copy). Times are per iteration.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "imaging/brush.h"

namespace {

constexpr int CelWidth = 640;
constexpr int CelHeight = 480;

// The default palette the editor ships: a 6 x 6 x 6 colour cube and 20 greys.
std::unique_ptr<TPxPalette> MakePalette() {
    return TPxPalette::CreateFromFile(VIMBREL_APP_DIR "/vimbrel.pal");
}

void FillRandomUserColors(TPxBitmap& Bitmap, unsigned Seed) {
    std::mt19937 Random(Seed);
    std::uniform_int_distribution<int> Index(FirstUserColor, LastUserColor);
    for (int Y = 0; Y < Bitmap.Height(); ++Y)
        for (int X = 0; X < Bitmap.Width(); ++X)
            Bitmap.ScanLine(Y)[X] = std::uint8_t(Index(Random));
}

using Clock = std::chrono::steady_clock;

// Times Operation and Copy (the memcpy of the same bytes) in every iteration, reports the
// operation's time as the iteration time and the ratio between the two as a counter.
template <class OperationFn, class CopyFn>
void AgainstMemcpy(benchmark::State& State, OperationFn Operation, CopyFn Copy) {
    double OperationSeconds = 0, CopySeconds = 0;
    for (auto _ : State) {
        const auto T0 = Clock::now();
        Operation();
        benchmark::ClobberMemory();
        const auto T1 = Clock::now();
        Copy();
        benchmark::ClobberMemory();
        const auto T2 = Clock::now();
        const double Seconds = std::chrono::duration<double>(T1 - T0).count();
        OperationSeconds += Seconds;
        CopySeconds += std::chrono::duration<double>(T2 - T1).count();
        State.SetIterationTime(Seconds);
    }
    const double Iterations = double(State.iterations());
    State.counters["memcpy_us"] = CopySeconds / Iterations * 1e6;
    State.counters["x_memcpy"] = OperationSeconds / CopySeconds;
}

void BM_FloodFillWholeCel(benchmark::State& State) {
    const auto Palette = MakePalette();
    TPxBitmap Cel(8, CelWidth, CelHeight, *Palette);
    std::memset(Cel.Bits(), 20, std::size_t(Cel.ImageSize()));
    std::vector<std::uint8_t> Copy(std::size_t(Cel.ImageSize()));
    TPxCanvas& Canvas = Cel.Canvas();
    Canvas.Brush.Style = bsSolid;
    int Current = 20, Other = 100;
    AgainstMemcpy(
        State,
        [&] {
            Canvas.Brush.Color = PALETTEINDEX(Other);
            Canvas.FloodFill(CelWidth / 2, CelHeight / 2, PALETTEINDEX(Current));
            std::swap(Current, Other);
        },
        [&] { std::memcpy(Copy.data(), Cel.Bits(), Copy.size()); });
    // Each fill must have repainted the whole cel, or the figure means nothing.
    for (int Y = 0; Y < CelHeight; ++Y)
        for (int X = 0; X < CelWidth; ++X)
            if (Cel.IndexAt(X, Y) != Current) {
                State.SkipWithError("the fill did not cover the cel");
                return;
            }
}
BENCHMARK(BM_FloodFillWholeCel)->UseManualTime()->Unit(benchmark::kMillisecond);

// A size-30 round brush stamped once per pixel along a line across the cel; the copy moves
// the brush's 30 rows of 30 bytes to the same places.
void BM_StampBrushAlongLine(benchmark::State& State) {
    const auto Palette = MakePalette();
    TPxBitmap Cel(8, CelWidth, CelHeight, *Palette);
    std::memset(Cel.Bits(), 20, std::size_t(Cel.ImageSize()));
    const auto Brush = TPxBrush::Create(30, shCircle, Palette->GetColor(190), *Palette);
    const TPxBitmap& Stamp = Brush->Bitmap();
    std::vector<std::uint8_t> Target(std::size_t(Cel.ImageSize()));
    const int Half = Brush->Size() / 2;
    const int Y = CelHeight / 2;
    AgainstMemcpy(
        State,
        [&] {
            for (int X = 0; X < CelWidth; ++X)
                Brush->Stamp(Cel.Canvas(), X, Y);
        },
        [&] {
            for (int X = 0; X < CelWidth; ++X) {
                // The same clipping as the stamp at the cel's left and right edges.
                const int Left = std::max(X - Half, 0);
                const int Right = std::min(X - Half + Stamp.Width(), CelWidth);
                for (int Row = 0; Row < Stamp.Height(); ++Row)
                    std::memcpy(Target.data() + std::size_t(Y - Half + Row) * CelWidth + Left,
                                Stamp.ScanLine(Row) + (Left - (X - Half)),
                                std::size_t(Right - Left));
            }
        });
    State.counters["stamps"] = CelWidth;
}
BENCHMARK(BM_StampBrushAlongLine)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_DrawToWholeCel(benchmark::State& State) {
    const auto Palette = MakePalette();
    TPxBitmap Source(8, CelWidth, CelHeight, *Palette);
    TPxBitmap Target(8, CelWidth, CelHeight, *Palette);
    FillRandomUserColors(Source, 1);
    std::vector<std::uint8_t> Copy(std::size_t(Source.ImageSize()));
    AgainstMemcpy(
        State, [&] { Source.DrawTo(Target, 0, 0); },
        [&] { std::memcpy(Copy.data(), Source.Bits(), Copy.size()); });
    State.SetBytesProcessed(State.iterations() * Source.ImageSize());
}
BENCHMARK(BM_DrawToWholeCel)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The same with a transparent index, the way cels are composed for the preview.
void BM_DrawToWholeCelTransparent(benchmark::State& State) {
    const auto Palette = MakePalette();
    TPxBitmap Source(8, CelWidth, CelHeight, *Palette);
    TPxBitmap Target(8, CelWidth, CelHeight, *Palette);
    FillRandomUserColors(Source, 2);
    Source.SetTransparentColor(Palette->GetColor(10));
    std::vector<std::uint8_t> Copy(std::size_t(Source.ImageSize()));
    AgainstMemcpy(
        State, [&] { Source.DrawTo(Target, 0, 0); },
        [&] { std::memcpy(Copy.data(), Source.Bits(), Copy.size()); });
    State.SetBytesProcessed(State.iterations() * Source.ImageSize());
}
BENCHMARK(BM_DrawToWholeCelTransparent)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_RemapWholeCel(benchmark::State& State) {
    const auto Palette = MakePalette();
    TPxBitmap Source(8, CelWidth, CelHeight, *Palette);
    TPxBitmap Target(8, CelWidth, CelHeight, *Palette);
    FillRandomUserColors(Source, 3);
    std::array<std::uint8_t, 256> Map;
    for (int I = 0; I < 256; ++I)
        Map[I] = std::uint8_t(FirstUserColor + (I * 7) % UserColorCount);
    std::vector<std::uint8_t> Copy(std::size_t(Source.ImageSize()));
    AgainstMemcpy(
        State, [&] { Target.Remap(Map, Source); },
        [&] { std::memcpy(Copy.data(), Source.Bits(), Copy.size()); });
    State.SetBytesProcessed(State.iterations() * Source.ImageSize());
}
BENCHMARK(BM_RemapWholeCel)->UseManualTime()->Unit(benchmark::kMicrosecond);

// 256 distinct colours, none of them a palette colour, so no match ends early.
std::vector<TRgbColor> QueryColors() {
    std::vector<TRgbColor> Colors;
    for (int I = 0; I < 256; ++I)
        Colors.push_back({std::uint8_t(7 + I), std::uint8_t(200 - (I * 37) % 180),
                          std::uint8_t(13 + (I * 91) % 230)});
    return Colors;
}

template <class PaletteFn> void MatchAll(benchmark::State& State, PaletteFn PaletteFor) {
    const std::vector<TRgbColor> Colors = QueryColors();
    int Sum = 0;
    for (auto _ : State) {
        const TPxPalette& Palette = PaletteFor(); // outside the timed part
        const auto T0 = Clock::now();
        for (const TRgbColor& Color : Colors)
            Sum += Palette.NearestUserIndex(Color);
        benchmark::DoNotOptimize(Sum);
        State.SetIterationTime(std::chrono::duration<double>(Clock::now() - T0).count());
    }
    State.SetItemsProcessed(State.iterations() * std::int64_t(Colors.size()));
}

// Every pass on a palette that has never answered these colours.
void BM_NearestColorCold(benchmark::State& State) {
    const auto Base = MakePalette();
    std::unique_ptr<TPxPalette> Fresh;
    MatchAll(State, [&]() -> const TPxPalette& {
        Fresh = TPxPalette::CreateCopy(*Base);
        return *Fresh;
    });
}
BENCHMARK(BM_NearestColorCold)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The same colours again on one palette: answered from its cache.
void BM_NearestColorWarm(benchmark::State& State) {
    const auto Palette = MakePalette();
    MatchAll(State, [&]() -> const TPxPalette& { return *Palette; });
}
BENCHMARK(BM_NearestColorWarm)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
