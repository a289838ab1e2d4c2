// GIF output and input on full-size frames. "x_giflib" is how many times faster our LZW
// encoder is than giflib's EGifPutLine on the same frames at the same code size (both
// timed in the same iteration); "x_target" is a time as a fraction of its target (below 1.0
// meets it); "x_cels" is the peak heap use of opening a file as a multiple of the bytes
// of its cels, "x_frame" the peak heap use of writing a scaled copy as a multiple of the
// bytes of one scaled frame.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <malloc.h>
#include <unistd.h>

#include "BenchSamples.h"
#include "gif/Exchange.h"
#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "gif/LzwEncoder.h"
#include "imaging/Palette.h"
#include "model/Spritez.h"

// ---- Heap accounting ----
//
// Every allocation of the process passes through these replacements, which keep the number
// of bytes in use and its peak, so that the reader's own allocations and giflib's are both
// counted.

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {
std::size_t HeapInUse = 0;
std::size_t HeapPeak = 0;

void* Counted(void* Block) {
    if (Block) {
        HeapInUse += malloc_usable_size(Block);
        HeapPeak = std::max(HeapPeak, HeapInUse);
    }
    return Block;
}
void Uncount(void* Block) {
    if (Block) HeapInUse -= malloc_usable_size(Block);
}
} // namespace

extern "C" {
void* malloc(std::size_t Size) {
    return Counted(__libc_malloc(Size));
}
void* calloc(std::size_t Count, std::size_t Size) {
    return Counted(__libc_calloc(Count, Size));
}
void* realloc(void* Block, std::size_t Size) {
    const std::size_t Old = Block ? malloc_usable_size(Block) : 0;
    void* Moved = __libc_realloc(Block, Size);
    if (!Moved) return nullptr; // the old block is still there, still counted
    HeapInUse -= Old;
    return Counted(Moved);
}
void* reallocarray(void* Block, std::size_t Count, std::size_t Size) {
    if (Size != 0 && Count > SIZE_MAX / Size) return nullptr;
    return realloc(Block, Count * Size);
}
void free(void* Block) {
    Uncount(Block);
    __libc_free(Block);
}
void* memalign(std::size_t Alignment, std::size_t Size) {
    return Counted(__libc_memalign(Alignment, Size));
}
void* aligned_alloc(std::size_t Alignment, std::size_t Size) {
    return memalign(Alignment, Size);
}
int posix_memalign(void** Result, std::size_t Alignment, std::size_t Size) {
    void* Block = memalign(Alignment, Size);
    if (!Block) return ENOMEM;
    *Result = Block;
    return 0;
}
void* valloc(std::size_t Size) {
    return memalign(sysconf(_SC_PAGESIZE), Size);
}
void* pvalloc(std::size_t Size) {
    const std::size_t Page = std::size_t(sysconf(_SC_PAGESIZE));
    return memalign(Page, (Size + Page - 1) / Page * Page);
}
}

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int Width = 640;
constexpr int Height = 480;
constexpr int CelCount = 100;

double SecondsSince(Clock::time_point Start) {
    return std::chrono::duration<double>(Clock::now() - Start).count();
}

std::unique_ptr<TSprite> MovingShapes(TPxPalette& Palette) {
    auto Sprite = TSprite::Create(Width, Height, Palette, RGB(204, 204, 255));
    AddMovingShapes(*Sprite, CelCount, DisposalRestoreBackground);
    Sprite->SetCurrent(0);
    return Sprite;
}

// Colour numbers of every tenth cel, as the writer hands them to the encoder.
std::vector<Bytes> ShapeFrames() {
    auto Palette = ShippedPalette();
    auto Sprite = MovingShapes(*Palette);
    std::vector<Bytes> Frames;
    for (int Cel = 0; Cel < CelCount; Cel += 10) {
        Bytes Frame;
        for (int Y = 0; Y < Height; ++Y) {
            const std::uint8_t* Row = Sprite->CelBitmap(Cel).ScanLine(Y);
            for (int X = 0; X < Width; ++X)
                Frame.push_back(std::uint8_t(Row[X] - 10));
        }
        Frames.push_back(std::move(Frame));
    }
    return Frames;
}

// Dithered noise: the worst case, where the string table fills every few thousand pixels.
std::vector<Bytes> NoiseFrames() {
    std::mt19937 Random(99);
    std::vector<Bytes> Frames(3, Bytes(std::size_t(Width) * Height));
    for (Bytes& Frame : Frames)
        for (std::size_t I = 0; I < Frame.size(); ++I)
            Frame[I] = std::uint8_t((I % Width) / 3 % 200 + Random() % 36);
    return Frames;
}

std::size_t EncodeOurs(const std::vector<Bytes>& Frames, Bytes& Out) {
    Out.clear();
    const ByteSink Sink = [&](const std::uint8_t* P, std::size_t N) {
        Out.insert(Out.end(), P, P + N);
    };
    for (const Bytes& Frame : Frames)
        WriteImageData(Sink, EncodeImageData(Frame.data(), Frame.size()));
    return Out.size();
}

int GiflibWrite(GifFileType* Gif, const GifByteType* Data, int Count) {
    auto* Out = static_cast<Bytes*>(Gif->UserData);
    Out->insert(Out->end(), Data, Data + Count);
    return Count;
}

// The same frames through giflib: a 256-colour map makes it use code size 8 as well.
std::size_t EncodeGiflib(const std::vector<Bytes>& Frames, Bytes& Out) {
    Out.clear();
    int Error = 0;
    GifFileType* Gif = EGifOpen(&Out, GiflibWrite, &Error);
    ColorMapObject* Map = GifMakeMapObject(256, nullptr);
    EGifPutScreenDesc(Gif, Width, Height, 8, 0, Map);
    const std::size_t Header = Out.size();
    for (const Bytes& Frame : Frames) {
        EGifPutImageDesc(Gif, 0, 0, Width, Height, false, nullptr);
        EGifPutLine(Gif, const_cast<GifPixelType*>(Frame.data()), Width * Height);
    }
    EGifCloseFile(Gif, &Error);
    GifFreeMapObject(Map);
    return Out.size() - Header - Frames.size() * 10 - 1;
}

void AgainstGiflib(benchmark::State& State, const std::vector<Bytes>& Frames) {
    Bytes Ours, Theirs;
    double OurSeconds = 0, TheirSeconds = 0;
    std::size_t OurSize = 0, TheirSize = 0;
    for (auto _ : State) {
        const auto T0 = Clock::now();
        OurSize = EncodeOurs(Frames, Ours);
        benchmark::ClobberMemory();
        const auto T1 = Clock::now();
        TheirSize = EncodeGiflib(Frames, Theirs);
        benchmark::ClobberMemory();
        const auto T2 = Clock::now();
        const double Seconds = std::chrono::duration<double>(T1 - T0).count();
        OurSeconds += Seconds;
        TheirSeconds += std::chrono::duration<double>(T2 - T1).count();
        State.SetIterationTime(Seconds);
    }
    State.counters["x_giflib"] = TheirSeconds / OurSeconds;
    State.counters["size_vs_giflib"] = double(OurSize) / double(TheirSize);
    State.SetBytesProcessed(State.iterations() * std::int64_t(Frames.size()) * Width * Height);
}

void BM_EncodeMovingShapes(benchmark::State& State) {
    static const std::vector<Bytes> Frames = ShapeFrames();
    AgainstGiflib(State, Frames);
}
BENCHMARK(BM_EncodeMovingShapes)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_EncodeNoise(benchmark::State& State) {
    static const std::vector<Bytes> Frames = NoiseFrames();
    AgainstGiflib(State, Frames);
}
BENCHMARK(BM_EncodeNoise)->UseManualTime()->Unit(benchmark::kMillisecond);

std::string ScratchFile() {
    const char* Folder = std::getenv("TMPDIR");
    return std::string(Folder && *Folder ? Folder : "/tmp") + "/bench_gif_" +
           std::to_string(getpid()) + ".gif";
}

// Saves the animation to a scratch file in every iteration; "x_target" against 0.5 s.
void TimeSaving(benchmark::State& State, const TSprite& Sprite, const TPxPalette& Palette) {
    const std::string Path = ScratchFile();
    double Seconds = 0;
    for (auto _ : State) {
        const auto T0 = Clock::now();
        const TGifWriteResult Result = SaveGifFile(Path, Sprite, Palette, {});
        const double Taken = SecondsSince(T0);
        if (!Result) State.SkipWithError(Result.Reason.c_str());
        Seconds += Taken;
        State.SetIterationTime(Taken);
    }
    State.counters["x_target"] = Seconds / double(State.iterations()) / 0.5;
    State.counters["file_MB"] =
        double(std::ifstream(Path, std::ios::ate | std::ios::binary).tellg()) / 1e6;
    std::remove(Path.c_str());
}

// A 640 x 480 animation of 100 cels saved to a file (target: under 0.5 s). New cels clear
// their area, so every cel is written whole.
void BM_SaveAnimation(benchmark::State& State) {
    auto Palette = ShippedPalette();
    auto Sprite = MovingShapes(*Palette);
    TimeSaving(State, *Sprite, *Palette);
}
BENCHMARK(BM_SaveAnimation)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same with every cel kept under the next one, so that only changed rectangles are
// stored: the comparison of each cel with the one before it is timed too.
void BM_SaveAnimationChangedRects(benchmark::State& State) {
    auto Palette = ShippedPalette();
    auto Sprite = MovingShapes(*Palette);
    Sprite->SetDisposalAll(DisposalNone);
    TimeSaving(State, *Sprite, *Palette);
}
BENCHMARK(BM_SaveAnimationChangedRects)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same file opened again (target: under 0.5 s), with the peak heap use while opening
// (target: under twice the bytes of the cels).
void BM_OpenAnimation(benchmark::State& State) {
    const std::string Path = ScratchFile();
    {
        auto Palette = ShippedPalette();
        auto Sprite = MovingShapes(*Palette);
        if (!SaveGifFile(Path, *Sprite, *Palette, {})) State.SkipWithError("cannot save");
    }
    double Seconds = 0, PeakRatio = 0;
    for (auto _ : State) {
        HeapPeak = HeapInUse;
        const std::size_t Before = HeapInUse;
        const auto T0 = Clock::now();
        TGifReadResult Result = ReadGifFile(Path);
        const double Taken = SecondsSince(T0);
        if (!Result.Opened() || Result.Sprite->CelCount() != CelCount) {
            State.SkipWithError("the file did not open with all its cels");
            break;
        }
        const double CelBytes = double(Result.Sprite->CelBitmap(0).ImageSize()) * CelCount;
        PeakRatio = std::max(PeakRatio, double(HeapPeak - Before) / CelBytes);
        Seconds += Taken;
        State.SetIterationTime(Taken);
    }
    State.counters["x_target"] = Seconds / double(State.iterations()) / 0.5;
    State.counters["x_cels"] = PeakRatio;
    std::remove(Path.c_str());
}
BENCHMARK(BM_OpenAnimation)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same animation as a copy 8 times as large, every cel whole (2.0 G pixels in all):
// written one frame at a time, the peak heap use stays near one scaled frame ("x_frame").
// The bytes go to a counting sink, so only the writer's own memory is measured.
void TimeScaledCopy(benchmark::State& State, const std::function<void(const ByteSink&)>& Write,
                    double FrameBytes) {
    double PeakRatio = 0, Megabytes = 0;
    for (auto _ : State) {
        HeapPeak = HeapInUse;
        const std::size_t Before = HeapInUse;
        std::size_t Written = 0;
        const auto T0 = Clock::now();
        Write([&](const std::uint8_t*, std::size_t Count) { Written += Count; });
        State.SetIterationTime(SecondsSince(T0));
        PeakRatio = std::max(PeakRatio, double(HeapPeak - Before) / FrameBytes);
        Megabytes = double(Written) / 1e6;
    }
    State.counters["x_frame"] = PeakRatio;
    State.counters["file_MB"] = Megabytes;
    State.SetItemsProcessed(State.iterations() * std::int64_t(CelCount) * Width * Height * 64);
}

void BM_SaveScaledCopy8x(benchmark::State& State) {
    auto Palette = ShippedPalette();
    auto Sprite = MovingShapes(*Palette);
    TGifWriteSettings Settings;
    Settings.Scale = 8;
    TimeScaledCopy(
        State, [&](const ByteSink& Sink) { WriteGif(Sink, *Sprite, *Palette, Settings); },
        double(Width) * Height * 64);
}
BENCHMARK(BM_SaveScaledCopy8x)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// The same cels in one sprite sheet at 8 times (10 x 10 cels, 51200 x 38400 pixels), written
// a row at a time: "x_frame" is the peak heap use as a multiple of one scaled cel.
void BM_SaveSheet8x(benchmark::State& State) {
    auto Palette = ShippedPalette();
    auto Sprite = MovingShapes(*Palette);
    const TSheetLayout Layout = PlanSheet(CelCount, Width, Height, {0, 8, 0});
    TimeScaledCopy(
        State, [&](const ByteSink& Sink) { WriteSheetPng(Sink, *Sprite, *Palette, false, Layout); },
        double(Width) * Height * 64);
}
BENCHMARK(BM_SaveSheet8x)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
