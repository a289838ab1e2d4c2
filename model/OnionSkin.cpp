#include "model/OnionSkin.h"

#include <algorithm>
#include <array>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "model/Spritez.h"

std::vector<TOnionCel> OnionCels(int Current, int Count, int Before, int After) {
    std::vector<TOnionCel> Cels;
    if (Count <= 1 || Current < 0 || Current >= Count) return Cels;
    Before = std::clamp(Before, 0, 3);
    After = std::clamp(After, 0, 3);
    const auto Add = [&](int Index, bool IsAfter, int Distance) {
        if (Index == Current) return;
        for (const TOnionCel& Listed : Cels)
            if (Listed.Index == Index) return;
        Cels.push_back({Index, IsAfter, Distance});
    };
    for (int Distance = 1; Distance <= std::max(Before, After); ++Distance) {
        if (Distance <= Before)
            Add(((Current - Distance) % Count + Count) % Count, false, Distance);
        if (Distance <= After) Add((Current + Distance) % Count, true, Distance);
    }
    return Cels;
}

std::uint8_t OnionTint(const TPxPalette& Palette, int Index, TRgbColor Tint, int Distance) {
    // The share of the tint in the shown colour, in twelfths: 1/2, 2/3, 3/4.
    static constexpr int Twelfths[] = {6, 8, 9};
    const int Share = Twelfths[std::clamp(Distance, 1, 3) - 1];
    const TRgbColor C = Palette.Entry(Index).Color();
    const auto Mix = [Share](int Own, int Toward) {
        return std::uint8_t((Own * (12 - Share) + Toward * Share + 6) / 12);
    };
    return std::uint8_t(Palette.NearestUserIndex(
        {Mix(C.Red, Tint.Red), Mix(C.Green, Tint.Green), Mix(C.Blue, Tint.Blue)}));
}

void TOnionLayer::Clear() {
    Pixels.clear();
    LayerWidth = LayerHeight = 0;
    Shown = 0;
}

void TOnionLayer::Build(const TSprite& Sprite, int Current, int Before, int After) {
    Clear();
    const std::vector<TOnionCel> Cels = OnionCels(Current, Sprite.CelCount(), Before, After);
    if (Cels.empty() || Sprite.Width() <= 0 || Sprite.Height() <= 0) return;
    LayerWidth = Sprite.Width();
    LayerHeight = Sprite.Height();
    Background = Sprite.CelBitmap(Current).Canvas().MatchIndex(Sprite.BackColor());
    Pixels.assign(std::size_t(LayerWidth) * std::size_t(LayerHeight), 0);
    const TPxPalette& Palette = Sprite.Palette();
    // The nearest cel lies on top: the cels come nearest first, and a pixel already shown
    // stays as it is.
    for (const TOnionCel& Cel : Cels) {
        std::array<std::uint8_t, 256> Tinted{};
        std::array<bool, 256> Known{};
        const TPxBitmap& Source = Sprite.CelBitmap(Cel.Index);
        const TRgbColor Tint = Cel.After ? OnionAfterTint : OnionBeforeTint;
        for (int y = 0; y < LayerHeight; ++y) {
            const std::uint8_t* Src = Source.ScanLine(y);
            std::uint8_t* Dst = Pixels.data() + std::size_t(y) * std::size_t(LayerWidth);
            for (int x = 0; x < LayerWidth; ++x) {
                const std::uint8_t Index = Src[x];
                if (Index == Background || Dst[x] != 0) continue;
                if (!Known[Index]) {
                    Tinted[Index] = OnionTint(Palette, Index, Tint, Cel.Distance);
                    Known[Index] = true;
                }
                Dst[x] = Tinted[Index];
                ++Shown;
            }
        }
    }
}

void TOnionLayer::ComposeRow(std::uint8_t* Row, int X0, int X1, int Y, int Zoom) const {
    if (Empty() || Zoom < 1 || Y < 0) return;
    const int CelY = Y / Zoom;
    if (CelY >= LayerHeight) return;
    const std::uint8_t* Layer = Pixels.data() + std::size_t(CelY) * std::size_t(LayerWidth);
    const int First = std::max(X0, 0), Last = std::min(X1, LayerWidth * Zoom);
    // The dark squares of the checkerboard are the view pixels whose coordinates add up to
    // an even number.
    for (int x = First + ((First + Y) & 1); x < Last; x += 2) {
        std::uint8_t& Shown = Row[x - X0];
        if (Shown != Background) continue;
        if (const std::uint8_t Under = Layer[x / Zoom]) Shown = Under;
    }
}
