#include "imaging/ViewZoom.h"

#include <algorithm>
#include <cstring>

#include "imaging/PxBitmap.h"

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
