// Whole-animation operations on a sprite of 100 cels of 640 x 480, the largest new
// animation. Snapshots are compared with plain memcpy of the same bytes in the same run.
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "imaging/Palette.h"
#include "model/Spritez.h"

namespace {
constexpr int CelCount = 100;
constexpr int Width = 640;
constexpr int Height = 480;

std::unique_ptr<TPxPalette> CubePalette(int Shift) {
    std::vector<TRgbColor> Colors;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                Colors.push_back({std::uint8_t(r * 51), std::uint8_t(g * 51),
                                  std::uint8_t(std::min(255, b * 51 + Shift))});
    return TPxPalette::CreateFromColorMap(Colors);
}

// Two palettes whose colours differ slightly, so moving between them remaps every pixel.
struct Document {
    std::unique_ptr<TPxPalette> First = CubePalette(0);
    std::unique_ptr<TPxPalette> Second = CubePalette(7);
    std::unique_ptr<TSprite> Sprite;

    Document() {
        Sprite = TSprite::Create(Width, Height, *First, RGB(255, 255, 255));
        std::mt19937 Random(20240611);
        std::uniform_int_distribution<int> UserColor(FirstUserColor, FirstUserColor + 215);
        for (int i = 0; i < CelCount; ++i) {
            Sprite->AddCel(100);
            TPxBitmap& Cel = Sprite->CelBitmap(i);
            // Runs of one colour, as drawn pictures have.
            for (int y = 0; y < Height; ++y) {
                std::uint8_t* Row = Cel.ScanLine(y);
                for (int x = 0; x < Width; x += 8)
                    std::memset(Row + x, UserColor(Random), std::min(8, Width - x));
            }
        }
        Sprite->SetCurrent(CelCount / 2);
    }
};

Document& Shared() {
    static Document Instance;
    return Instance;
}

void BM_SaveAllBitsRestoreAllBits(benchmark::State& State) {
    TSprite& Sprite = *Shared().Sprite;
    for (auto _ : State) {
        auto Blocks = Sprite.SaveAllBits();
        Sprite.RestoreAllBits(Blocks);
        benchmark::DoNotOptimize(Blocks.data());
    }
    State.SetBytesProcessed(State.iterations() * 2 * CelCount * Sprite.CelBitmap(0).ImageSize());
}
BENCHMARK(BM_SaveAllBitsRestoreAllBits)->Unit(benchmark::kMillisecond);

// The peer: the same bytes copied out and back into buffers that already exist.
void BM_MemcpySameBytes(benchmark::State& State) {
    TSprite& Sprite = *Shared().Sprite;
    const std::size_t Size = std::size_t(Sprite.CelBitmap(0).ImageSize());
    std::vector<std::vector<std::uint8_t>> Blocks(CelCount, std::vector<std::uint8_t>(Size));
    for (auto _ : State) {
        for (int i = 0; i < CelCount; ++i)
            std::memcpy(Blocks[i].data(), Sprite.CelBitmap(i).Bits(), Size);
        for (int i = 0; i < CelCount; ++i)
            std::memcpy(Sprite.CelBitmap(i).Bits(), Blocks[i].data(), Size);
        benchmark::ClobberMemory();
    }
    State.SetBytesProcessed(State.iterations() * 2 * CelCount * std::int64_t(Size));
}
BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMillisecond);

// A second peer that, like SaveAllBits, copies into blocks it has just allocated and then
// frees them: this shows what fresh memory costs on the machine at hand (the allocator
// may hand 30 MB back to the system after every round and fault it in again).
void BM_MemcpyIntoFreshBlocks(benchmark::State& State) {
    TSprite& Sprite = *Shared().Sprite;
    const std::size_t Size = std::size_t(Sprite.CelBitmap(0).ImageSize());
    for (auto _ : State) {
        std::vector<std::unique_ptr<std::uint8_t[]>> Blocks;
        Blocks.reserve(CelCount);
        for (int i = 0; i < CelCount; ++i) {
            Blocks.emplace_back(new std::uint8_t[Size]);
            std::memcpy(Blocks.back().get(), Sprite.CelBitmap(i).Bits(), Size);
        }
        for (int i = 0; i < CelCount; ++i)
            std::memcpy(Sprite.CelBitmap(i).Bits(), Blocks[i].get(), Size);
        benchmark::ClobberMemory();
    }
    State.SetBytesProcessed(State.iterations() * 2 * CelCount * std::int64_t(Size));
}
BENCHMARK(BM_MemcpyIntoFreshBlocks)->Unit(benchmark::kMillisecond);

void BM_SetPaletteAllCels(benchmark::State& State) {
    Document& Doc = Shared();
    for (auto _ : State) {
        TPxPalette& Target = &Doc.Sprite->Palette() == Doc.First.get() ? *Doc.Second : *Doc.First;
        Doc.Sprite->SetPalette(Target);
    }
}
BENCHMARK(BM_SetPaletteAllCels)->Unit(benchmark::kMillisecond);

void BM_ReplaceColorAll(benchmark::State& State) {
    TSprite& Sprite = *Shared().Sprite;
    const COLORREF Red = PALETTERGB(255, 0, 0), Teal = PALETTERGB(0, 102, 102);
    bool Forward = true;
    for (auto _ : State) {
        Sprite.ReplaceColorAll(Forward ? Red : Teal, Forward ? Teal : Red);
        Forward = !Forward;
    }
}
BENCHMARK(BM_ReplaceColorAll)->Unit(benchmark::kMillisecond);

template <void (TSprite::*Operation)(bool)> void BM_OneCel(benchmark::State& State) {
    TSprite& Sprite = *Shared().Sprite;
    for (auto _ : State)
        (Sprite.*Operation)(false);
}
BENCHMARK_TEMPLATE(BM_OneCel, &TSprite::RotateClockwise)
    ->Name("BM_RotateClockwise")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCel, &TSprite::RotateCClockwise)
    ->Name("BM_RotateCClockwise")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCel, &TSprite::FlipVert)
    ->Name("BM_FlipVert")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCel, &TSprite::FlipHorz)
    ->Name("BM_FlipHorz")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCel, &TSprite::ShiftUp)->Name("BM_ShiftUp")->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCel, &TSprite::ShiftDown)
    ->Name("BM_ShiftDown")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCel, &TSprite::ShiftLeft)
    ->Name("BM_ShiftLeft")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_OneCel, &TSprite::ShiftRight)
    ->Name("BM_ShiftRight")
    ->Unit(benchmark::kMillisecond);

// Console output as usual, remembering each benchmark's time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& Runs) override {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run& R : Runs)
            if (R.run_type == Run::RT_Iteration)
                Times[R.benchmark_name()] = R.GetAdjustedRealTime();
    }
    std::map<std::string, double> Times;
};
} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const auto Ratio = [&](const char* Name, const char* PeerName, const char* Text) {
        const auto Measured = Reporter.Times.find(Name);
        const auto Peer = Reporter.Times.find(PeerName);
        if (Measured != Reporter.Times.end() && Peer != Reporter.Times.end() && Peer->second > 0)
            std::printf("%s: %.2f\n", Text, Measured->second / Peer->second);
    };
    Ratio("BM_SaveAllBitsRestoreAllBits", "BM_MemcpySameBytes",
          "SaveAllBits + RestoreAllBits / memcpy of the same bytes");
    Ratio("BM_SaveAllBitsRestoreAllBits", "BM_MemcpyIntoFreshBlocks",
          "SaveAllBits + RestoreAllBits / memcpy into fresh blocks");
    benchmark::Shutdown();
    return 0;
}
