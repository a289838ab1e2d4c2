#pragma once
// What a viewer shows of a GIF file, decoded by giflib rather than by our own reader, so
// that the files the writer makes are checked by an independent decoder.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include <gif_lib.h>

namespace giflib_viewer {

using Bytes = std::vector<std::uint8_t>;

inline int ReadFromMemory(GifFileType* Gif, GifByteType* Out, int Count) {
    auto* Source = static_cast<std::pair<const Bytes*, std::size_t>*>(Gif->UserData);
    const std::size_t Take = std::min(std::size_t(Count), Source->first->size() - Source->second);
    std::copy_n(Source->first->data() + Source->second, Take, Out);
    Source->second += Take;
    return int(Take);
}

inline void CloseGiflib(GifFileType* Gif) {
    int Error = 0;
    DGifCloseFile(Gif, &Error);
}
using GiflibFile = std::unique_ptr<GifFileType, void (*)(GifFileType*)>;

// The whole file as giflib's high-level reader sees it; null when giflib refuses it.
inline GiflibFile ReadWithGiflib(const Bytes& File) {
    std::pair<const Bytes*, std::size_t> Source(&File, 0);
    int Error = 0;
    GiflibFile Gif(DGifOpen(&Source, ReadFromMemory, &Error), CloseGiflib);
    if (Gif && DGifSlurp(Gif.get()) != GIF_OK) Gif.reset();
    return Gif;
}

// One pixel of the screen; a viewer shows the page beneath where nothing is drawn.
struct ViewedPixel {
    GifColorType Color{};
    bool Drawn = false;
};
using ViewedFrame = std::vector<ViewedPixel>;

// The screen after each image, rows top-down, as a browser composes it: the screen starts
// with nothing drawn, a transparent pixel leaves what is beneath, and each frame's disposal
// is applied before the next one is drawn (disposal 2 clears its rectangle to nothing).
// Pixels off the screen are dropped.
inline std::vector<ViewedFrame> ViewerFrames(const GifFileType& Gif) {
    const int W = Gif.SWidth, H = Gif.SHeight;
    ViewedFrame Screen(std::size_t(W) * std::size_t(H)), Saved;
    std::vector<ViewedFrame> Frames;
    for (int I = 0; I < Gif.ImageCount; ++I) {
        GraphicsControlBlock Control{};
        Control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(const_cast<GifFileType*>(&Gif), I, &Control);
        const SavedImage& Image = Gif.SavedImages[I];
        const GifImageDesc& D = Image.ImageDesc;
        const ColorMapObject* Colors = D.ColorMap ? D.ColorMap : Gif.SColorMap;
        // Calls Visit(screen position, image pixel) for each pixel of the image on screen.
        auto ForEachPixel = [&](auto Visit) {
            for (int K = 0; K < D.Width * D.Height; ++K) {
                const int X = D.Left + K % D.Width, Y = D.Top + K / D.Width;
                if (X < W && Y < H) Visit(std::size_t(Y) * std::size_t(W) + std::size_t(X), K);
            }
        };
        if (Control.DisposalMode == DISPOSE_PREVIOUS) Saved = Screen;
        ForEachPixel([&](std::size_t At, int K) {
            const int Index = Image.RasterBits[K];
            if (Index == Control.TransparentColor) return;
            Screen[At].Drawn = true;
            Screen[At].Color = Colors && Index < Colors->ColorCount ? Colors->Colors[Index]
                                                                    : GifColorType{0, 0, 0};
        });
        Frames.push_back(Screen);
        if (Control.DisposalMode == DISPOSE_BACKGROUND)
            ForEachPixel([&](std::size_t At, int) { Screen[At] = ViewedPixel{}; });
        if (Control.DisposalMode == DISPOSE_PREVIOUS) Screen = Saved;
    }
    return Frames;
}

} // namespace giflib_viewer
