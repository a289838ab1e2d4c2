#include "imaging/ViewZoom.h"

#include <algorithm>
#include <cstring>

#include "imaging/Limits.h"
#include "imaging/PxBitmap.h"

namespace {
std::int64_t FloorDiv(std::int64_t Value, std::int64_t Divisor) {
    return Value >= 0 ? Value / Divisor : -((-Value + Divisor - 1) / Divisor);
}
} // namespace

void ZoomCelArea(const TPxBitmap& Cel, TPxBitmap& View, int Zoom, TRect Area) {
    if (Zoom < 1) return;
    Area.Left = std::max(Area.Left, 0);
    Area.Top = std::max(Area.Top, 0);
    Area.Right = std::min({Area.Right, Cel.Width(), (View.Width() + Zoom - 1) / Zoom});
    Area.Bottom = std::min({Area.Bottom, Cel.Height(), (View.Height() + Zoom - 1) / Zoom});
    if (Area.Left >= Area.Right || Area.Top >= Area.Bottom) return;
    const int Vx0 = Area.Left * Zoom;
    const int Vx1 = std::min(Area.Right * Zoom, View.Width());
    for (int y = Area.Top; y < Area.Bottom; ++y) {
        const std::uint8_t* Src = Cel.ScanLine(y);
        const int Vy0 = y * Zoom;
        const int Vy1 = std::min(Vy0 + Zoom, View.Height());
        std::uint8_t* First = View.ScanLine(Vy0);
        if (Zoom == 1) {
            std::memcpy(First + Vx0, Src + Area.Left, std::size_t(Vx1 - Vx0));
        } else {
            std::uint8_t* Dst = First + Vx0;
            for (int x = Area.Left; x < Area.Right; ++x) {
                const int Run = std::min(Zoom, Vx1 - x * Zoom);
                std::memset(Dst, Src[x], std::size_t(Run));
                Dst += Run;
            }
        }
        // Every other row of the block repeats the first.
        for (int Vy = Vy0 + 1; Vy < Vy1; ++Vy)
            std::memcpy(View.ScanLine(Vy) + Vx0, First + Vx0, std::size_t(Vx1 - Vx0));
    }
}

void ZoomCel(const TPxBitmap& Cel, TPxBitmap& View, int Zoom) {
    ZoomCelArea(Cel, View, Zoom, {0, 0, Cel.Width(), Cel.Height()});
}

int FittingZoom(int CelWidth, int CelHeight, int Wanted) {
    const std::uint64_t Pixels =
        std::uint64_t(std::max(CelWidth, 0)) * std::uint64_t(std::max(CelHeight, 0));
    int Zoom = std::max(Wanted, 1);
    while (Zoom > 1 && Pixels * std::uint64_t(Zoom) * std::uint64_t(Zoom) > MaxViewPixels)
        --Zoom;
    return Zoom;
}

TRect StampZoomed(const TPxBitmap& Stamp, TPxBitmap& View, int Zoom, int Left, int Top) {
    if (Zoom < 1) return {};
    const std::int64_t Z = Zoom;
    // The stamp pixels whose blocks reach into the view.
    const int Sx0 = int(std::max<std::int64_t>(0, FloorDiv(-std::int64_t(Left), Z)));
    const int Sy0 = int(std::max<std::int64_t>(0, FloorDiv(-std::int64_t(Top), Z)));
    const int Sx1 = int(std::min<std::int64_t>(
        Stamp.Width(), FloorDiv(View.Width() - std::int64_t(Left) + Z - 1, Z)));
    const int Sy1 = int(std::min<std::int64_t>(
        Stamp.Height(), FloorDiv(View.Height() - std::int64_t(Top) + Z - 1, Z)));
    const bool Skipping = Stamp.Transparent();
    const std::uint32_t Skip = Stamp.TransparentIndex();
    const auto Opaque = [&](std::uint8_t Index) { return !Skipping || Index != Skip; };
    for (int sy = Sy0; sy < Sy1; ++sy) {
        const std::uint8_t* Src = Stamp.ScanLine(sy);
        const int Vy0 = std::max(Top + sy * Zoom, 0);
        const int Vy1 = std::min(Top + (sy + 1) * Zoom, View.Height());
        std::uint8_t* First = View.ScanLine(Vy0);
        // Run by run of opaque stamp pixels: the first view row of the blocks is written,
        // the others repeat it.
        for (int sx = Sx0; sx < Sx1;) {
            if (!Opaque(Src[sx])) {
                ++sx;
                continue;
            }
            const int RunStart = sx;
            for (; sx < Sx1 && Opaque(Src[sx]); ++sx) {
                const int Vx0 = std::max(Left + sx * Zoom, 0);
                const int Vx1 = std::min(Left + (sx + 1) * Zoom, View.Width());
                std::memset(First + Vx0, Src[sx], std::size_t(Vx1 - Vx0));
            }
            const int Vx0 = std::max(Left + RunStart * Zoom, 0);
            const int Vx1 = std::min(Left + sx * Zoom, View.Width());
            for (int Vy = Vy0 + 1; Vy < Vy1; ++Vy)
                std::memcpy(View.ScanLine(Vy) + Vx0, First + Vx0, std::size_t(Vx1 - Vx0));
        }
    }
    const std::int64_t Right = std::int64_t(Left) + std::int64_t(Stamp.Width()) * Z;
    const std::int64_t Bottom = std::int64_t(Top) + std::int64_t(Stamp.Height()) * Z;
    return {std::max(Left, 0), std::max(Top, 0), int(std::min<std::int64_t>(Right, View.Width())),
            int(std::min<std::int64_t>(Bottom, View.Height()))};
}

TRect CelAreaOfView(const TRect& ViewArea, int Zoom, int CelWidth, int CelHeight) {
    if (Zoom < 1) return {};
    const auto FloorDiv = [Zoom](int V) { return V >= 0 ? V / Zoom : -((-V + Zoom - 1) / Zoom); };
    TRect Area{FloorDiv(ViewArea.Left), FloorDiv(ViewArea.Top), FloorDiv(ViewArea.Right + Zoom - 1),
               FloorDiv(ViewArea.Bottom + Zoom - 1)};
    Area.Left = std::clamp(Area.Left, 0, CelWidth);
    Area.Top = std::clamp(Area.Top, 0, CelHeight);
    Area.Right = std::clamp(Area.Right, Area.Left, CelWidth);
    Area.Bottom = std::clamp(Area.Bottom, Area.Top, CelHeight);
    return Area;
}
