#include "imaging/PxBitmap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "imaging/Palette.h"

// ---- bitmap --------------------------------------------------------------------------

TPxBitmap::TPxBitmap(int BitCount_, int Width_, int Height_, const TPxPalette& Palette_,
                     TPixelBlock Pixels_)
    : Bpp(BitCount_), PixelWidth(std::max(Width_, 0)), PixelHeight(std::max(Height_, 0)),
      RowBytes((PixelWidth + 3) & ~3), Pixels(std::move(Pixels_)), Table(Palette_.Handle()),
      OwnerPalette(&Palette_) {
    if (std::int64_t(RowBytes) * PixelHeight > INT_MAX) throw std::length_error("bitmap too large");
    if (Pixels.Size() != std::size_t(RowBytes) * PixelHeight)
        throw std::length_error("TPxBitmap: the pixel block does not fit the size");
}

TPxBitmap::TPxBitmap(int BitCount_, int Width_, int Height_, const TPxPalette& Palette_)
    : TPxBitmap(BitCount_, Width_, Height_, Palette_,
                TPixelBlock::Zeroed(ImageBytes(Width_, Height_))) {}

std::size_t TPxBitmap::ImageBytes(int Width, int Height) {
    const std::int64_t Bytes =
        ((std::int64_t(std::max(Width, 0)) + 3) & ~std::int64_t(3)) * std::max(Height, 0);
    // Refused by the constructor before a byte is taken.
    if (Bytes > INT_MAX) throw std::length_error("bitmap too large");
    return std::size_t(Bytes);
}

std::vector<std::uint8_t> TPxBitmap::CopyBits() const {
    if (Pixels.Size() > 0) ClaimPixelMemory();
    return std::vector<std::uint8_t>(Pixels.Data(), Pixels.Data() + Pixels.Size());
}

void TPxBitmap::SetBits(const std::vector<std::uint8_t>& Block) {
    if (Block.size() != Pixels.Size())
        throw std::length_error("SetBits: the block comes from a bitmap of another size");
    if (!Block.empty()) std::memcpy(Pixels.Data(), Block.data(), Pixels.Size());
}

void TPxBitmap::SetTransparentColor(COLORREF Color) {
    IsTransparent = true;
    TransparentIdx = OwnerPalette->Handle()->Nearest(OwnerPalette->ColorOf(Color));
}

namespace {
// The part of a W x H source that lands inside a TW x TH target when its top-left corner
// is placed at (X, Y); empty when nothing does.
struct TClip {
    int Sx0, Sy0, Sx1, Sy1; // inclusive source columns and rows
    bool Empty;
};

TClip ClipTo(int W, int H, int TW, int TH, int X, int Y) {
    TClip C{};
    C.Empty = X > TW - 1 || Y > TH - 1 || X + W - 1 < 0 || Y + H - 1 < 0 || W <= 0 || H <= 0;
    if (C.Empty) return C;
    C.Sx0 = X < 0 ? -X : 0;
    C.Sy0 = Y < 0 ? -Y : 0;
    C.Sx1 = X + W - 1 <= TW - 1 ? W - 1 : TW - 1 - X;
    C.Sy1 = Y + H - 1 <= TH - 1 ? H - 1 : TH - 1 - Y;
    return C;
}
} // namespace

namespace {
// Copies Count bytes except those equal to Skip. A picture with few transparent pixels goes
// as whole runs between them (memchr and memcpy at full speed); once they turn out to be
// frequent, as in a brush, the rest of the row goes through a select that the compiler
// turns into vector code.
void CopySkipping(std::uint8_t* Dst, const std::uint8_t* Src, int Count, std::uint8_t Skip) {
    int Found = 0;
    while (Count > 0) {
        const void* Hit = std::memchr(Src, Skip, std::size_t(Count));
        const int Run = Hit ? int(static_cast<const std::uint8_t*>(Hit) - Src) : Count;
        std::memcpy(Dst, Src, std::size_t(Run));
        if (!Hit) return;
        Src += Run + 1;
        Dst += Run + 1;
        Count -= Run + 1;
        if (++Found * 32 > Count) break;
    }
    for (int i = 0; i < Count; ++i)
        Dst[i] = Src[i] != Skip ? Src[i] : Dst[i];
}
} // namespace

void TPxBitmap::DrawTo(TPxBitmap& Target, int X, int Y) const {
    const TClip C = ClipTo(PixelWidth, PixelHeight, Target.Width(), Target.Height(), X, Y);
    if (C.Empty) return;
    const int Count = C.Sx1 - C.Sx0 + 1;
    for (int sy = C.Sy0; sy <= C.Sy1; ++sy) {
        const std::uint8_t* Src = ScanLine(sy) + C.Sx0;
        std::uint8_t* Dst = Target.ScanLine(Y + sy) + X + C.Sx0;
        if (!IsTransparent) {
            std::memcpy(Dst, Src, std::size_t(Count));
            continue;
        }
        CopySkipping(Dst, Src, Count, std::uint8_t(TransparentIdx));
    }
}

void TPxBitmap::Draw(TPxCanvas& Target, int X, int Y) const {
    TPxBitmap& Dest = Target.Bitmap();
    const TClip C = ClipTo(PixelWidth, PixelHeight, Dest.Width(), Dest.Height(), X, Y);
    if (C.Empty) return;
    const auto& Lut = Table->TranslationTo(Dest.ColorTable());
    const bool Skipping = IsTransparent && TransparentIdx < 256;
    const std::uint8_t Skip = std::uint8_t(TransparentIdx);
    for (int sy = C.Sy0; sy <= C.Sy1; ++sy) {
        const std::uint8_t* Src = ScanLine(sy);
        std::uint8_t* Dst = Dest.ScanLine(Y + sy) + X;
        for (int sx = C.Sx0; sx <= C.Sx1; ++sx)
            if (!Skipping || Src[sx] != Skip) Dst[sx] = Lut[Src[sx]];
    }
}

void TPxBitmap::StretchDraw(TPxCanvas& Target, int X, int Y, int W, int H) const {
    TPxBitmap& Dest = Target.Bitmap();
    if (W <= 0 || H <= 0 || PixelWidth == 0 || PixelHeight == 0) return;
    const auto& Lut = Table->TranslationTo(Dest.ColorTable());
    const int Dx0 = std::max(X, 0), Dx1 = std::min(X + W, Dest.Width());
    const int Dy0 = std::max(Y, 0), Dy1 = std::min(Y + H, Dest.Height());
    for (int dy = Dy0; dy < Dy1; ++dy) {
        // Rows and columns are repeated or dropped, never blended.
        const int sy = int(std::int64_t(dy - Y) * PixelHeight / H);
        const std::uint8_t* Src = ScanLine(sy);
        std::uint8_t* Dst = Dest.ScanLine(dy);
        for (int dx = Dx0; dx < Dx1; ++dx)
            Dst[dx] = Lut[Src[std::int64_t(dx - X) * PixelWidth / W]];
    }
}

void TPxBitmap::CopyRect(TPxCanvas& Target, const TRect& Rect) const {
    TPxBitmap& Dest = Target.Bitmap();
    const int Left = std::max({Rect.Left, 0}), Top = std::max(Rect.Top, 0);
    const int Right = std::min({Rect.Right, PixelWidth - 1, Dest.Width() - 1});
    const int Bottom = std::min({Rect.Bottom, PixelHeight - 1, Dest.Height() - 1});
    if (Left > Right || Top > Bottom) return;
    const auto& Lut = Table->TranslationTo(Dest.ColorTable());
    for (int y = Top; y <= Bottom; ++y) {
        const std::uint8_t* Src = ScanLine(y);
        std::uint8_t* Dst = Dest.ScanLine(y);
        for (int x = Left; x <= Right; ++x)
            Dst[x] = Lut[Src[x]];
    }
}

void TPxBitmap::PasteIndexed(int X, int Y, int LastCol, int LastRow, const std::uint8_t* Data,
                             const std::vector<TRgbColor>& ColorMap, bool Transparent,
                             COLORREF TransparentColor) {
    if (LastCol < 0 || LastRow < 0 || !Data) return;
    // Every source index maps to one user colour, so the matching is done once per index
    // (and once per colour map, by the palette's matching table).
    const std::array<std::uint8_t, 256>& Nearest =
        OwnerPalette->MatchHandle()->NearestOfEach(ColorMap);
    std::array<std::uint8_t, 256> Lut;
    for (int k = 0; k < 256; ++k)
        Lut[k] = std::uint8_t(FirstUserColor + Nearest[k]);
    const int Skip =
        Transparent ? OwnerPalette->NearestUserIndex(OwnerPalette->ColorOf(TransparentColor)) : -1;
    const std::size_t RowLength = std::size_t(LastCol) + 1;
    for (int r = 0; r <= LastRow; ++r) {
        const int y = Y + r;
        if (y < 0 || y >= PixelHeight) continue;
        const std::uint8_t* Src = Data + RowLength * r;
        std::uint8_t* Dst = ScanLine(y);
        const int c0 = std::max(0, -X), c1 = std::min(LastCol, PixelWidth - 1 - X);
        for (int c = c0; c <= c1; ++c) {
            const std::uint8_t i = Lut[Src[c]];
            if (i != Skip) Dst[X + c] = i;
        }
    }
}

void TPxBitmap::Remap(const std::array<std::uint8_t, 256>& Map, const TPxBitmap& Source) {
    const int W = std::min(PixelWidth, Source.PixelWidth);
    const int H = std::min(PixelHeight, Source.PixelHeight);
    for (int y = 0; y < H; ++y) {
        const std::uint8_t* Src = Source.ScanLine(y);
        std::uint8_t* Dst = ScanLine(y);
        for (int x = 0; x < W; ++x)
            Dst[x] = Map[Src[x]];
    }
}

TRgbPicture TPxBitmap::ToBitmap() const {
    TRgbPicture Picture(PixelWidth, PixelHeight);
    Picture.Palette.assign(Table->Entries().begin(), Table->Entries().end());
    for (int y = 0; y < PixelHeight; ++y)
        for (int x = 0; x < PixelWidth; ++x)
            Picture.Set(x, y, (*Table)[IndexAt(x, y)]);
    return Picture;
}

// ---- canvas --------------------------------------------------------------------------

std::uint8_t TPxCanvas::MatchIndex(COLORREF Color) const {
    const TColorTable& Table = Owner.ColorTable();
    const TRgbColor Rgb = IsPaletteIndex(Color) ? Table[Color & 0xFF] : TRgbColor::FromRef(Color);
    return Table.Nearest(Rgb);
}

COLORREF TPxCanvas::Pixel(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= Owner.Width() || Y >= Owner.Height()) return CLR_INVALID;
    return Owner.ColorTable()[Owner.IndexAt(X, Y)].Ref();
}

void TPxCanvas::SetPixel(int X, int Y, COLORREF Color) {
    if (X < 0 || Y < 0 || X >= Owner.Width() || Y >= Owner.Height()) return;
    Owner.ScanLine(Y)[X] = MatchIndex(Color);
}

void TPxCanvas::FillSpan(int Y, int X0, int X1, std::uint8_t Index) {
    if (Y < 0 || Y >= Owner.Height()) return;
    X0 = std::max(X0, 0);
    X1 = std::min(X1, Owner.Width() - 1);
    if (X0 <= X1) std::memset(Owner.ScanLine(Y) + X0, Index, std::size_t(X1 - X0 + 1));
}

void TPxCanvas::PenDot(int X, int Y, std::uint8_t Index) {
    if (Pen.Width <= 1) {
        if (X >= 0 && Y >= 0 && X < Owner.Width() && Y < Owner.Height())
            Owner.ScanLine(Y)[X] = Index;
        return;
    }
    const int Start = -(Pen.Width / 2);
    for (int dy = 0; dy < Pen.Width; ++dy)
        FillSpan(Y + Start + dy, X + Start, X + Start + Pen.Width - 1, Index);
}

void TPxCanvas::MoveTo(int X, int Y) {
    PenPos = {X, Y};
}

void TPxCanvas::LineTo(int X, int Y) {
    const std::uint8_t Index = MatchIndex(Pen.Color);
    int x = PenPos.X, y = PenPos.Y;
    const int dx = std::abs(X - x), dy = -std::abs(Y - y);
    const int sx = x < X ? 1 : -1, sy = y < Y ? 1 : -1;
    int Error = dx + dy;
    while (x != X || y != Y) {
        PenDot(x, y, Index);
        const int E2 = 2 * Error;
        if (E2 >= dy) {
            Error += dy;
            x += sx;
        }
        if (E2 <= dx) {
            Error += dx;
            y += sy;
        }
    }
    PenPos = {X, Y};
}

void TPxCanvas::FillRect(const TRect& Rect) {
    const std::uint8_t Index = MatchIndex(Brush.Color);
    const int Last = std::min(Rect.Bottom, Owner.Height());
    for (int y = std::max(Rect.Top, 0); y < Last; ++y)
        FillSpan(y, Rect.Left, Rect.Right - 1, Index);
}

void TPxCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    const int Left = std::min(X1, X2), Right = std::max(X1, X2) - 1;
    const int Top = std::min(Y1, Y2), Bottom = std::max(Y1, Y2) - 1;
    if (Left > Right || Top > Bottom) return;
    if (Brush.Style == bsSolid) FillRect({Left, Top, Right + 1, Bottom + 1});
    const std::uint8_t Index = MatchIndex(Pen.Color);
    const int W = std::max(Pen.Width, 1);
    // Only the rows on the bitmap are visited, however far the box reaches beyond it.
    const int Last = std::min(Bottom, Owner.Height() - 1);
    for (int y = std::max(Top, 0); y <= Last; ++y) {
        if (y < Top + W || y > Bottom - W) {
            FillSpan(y, Left, Right, Index);
        } else {
            FillSpan(y, Left, std::min(Left + W - 1, Right), Index);
            FillSpan(y, std::max(Right - W + 1, Left), Right, Index);
        }
    }
}

namespace {
// Half the extent, in pixels from the centre line, of the ellipse across a W-wide box at
// distance D from its centre along the other axis (whose half-size is B). A pixel belongs
// when its centre lies inside the ellipse whose radii are a quarter pixel short of the box;
// that keeps small circles round (3 gives a plus, 5 the usual rounded square). Every line
// across the box keeps at least its middle pixel(s), so the shape reaches all four sides.
double HalfExtent(int W, double D, double B) {
    const double A = W / 2.0 - 0.25;
    const double T = std::max(1.0 - (D / B) * (D / B), 0.0);
    return std::max(A * std::sqrt(T), (W % 2 == 0) ? 0.5 : 0.0) + 1e-9;
}

// Row spans of the ellipse inscribed in a W x H box: for row j, the columns First[j] to
// Last[j] (box-relative, First > Last for an empty row). Measured across rows and across
// columns and joined, so flat and tall ellipses both stay closed; symmetric about both axes.
void EllipseSpans(int W, int H, std::vector<int>& First, std::vector<int>& Last) {
    First.assign(std::size_t(std::max(H, 0)), 1);
    Last.assign(std::size_t(std::max(H, 0)), 0);
    if (W <= 0 || H <= 0) return;
    const double Cx = (W - 1) / 2.0, Cy = (H - 1) / 2.0;
    const double B = H / 2.0 - 0.25, A = W / 2.0 - 0.25;
    for (int j = 0; j < H; ++j) {
        const double Half = HalfExtent(W, j - Cy, B);
        First[j] = int(std::ceil(Cx - Half));
        Last[j] = int(std::floor(Cx + Half));
    }
    for (int i = 0; i < W; ++i) {
        const double Half = HalfExtent(H, i - Cx, A);
        const int Top = std::max(int(std::ceil(Cy - Half)), 0);
        const int Bottom = std::min(int(std::floor(Cy + Half)), H - 1);
        for (int j = Top; j <= Bottom; ++j) {
            First[j] = std::min(First[j], i);
            Last[j] = std::max(Last[j], i);
        }
    }
}
} // namespace

void TPxCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    const int Left = std::min(X1, X2), Top = std::min(Y1, Y2);
    const int W = std::max(X1, X2) - Left, H = std::max(Y1, Y2) - Top;
    if (W <= 0 || H <= 0) return;
    std::vector<int> First, Last;
    EllipseSpans(W, H, First, Last);

    if (Brush.Style == bsSolid) {
        const std::uint8_t Fill = MatchIndex(Brush.Color);
        for (int j = 0; j < H; ++j)
            FillSpan(Top + j, Left + First[j], Left + Last[j], Fill);
    }

    // The outline is the ellipse minus its interior. The interior of a row lies strictly
    // inside its own span and inside both neighbouring rows' spans, which keeps a one-pixel
    // outline closed; a wider pen also removes the ellipse of the box shrunk by its width.
    const int PenWidth = std::max(Pen.Width, 1);
    std::vector<int> InFirst, InLast;
    EllipseSpans(W - 2 * PenWidth, H - 2 * PenWidth, InFirst, InLast);
    const std::uint8_t Outline = MatchIndex(Pen.Color);
    for (int j = 0; j < H; ++j) {
        if (First[j] > Last[j]) continue;
        int I0 = First[j] + 1, I1 = Last[j] - 1;
        if (j == 0 || j == H - 1) {
            I0 = 1;
            I1 = 0;
        } else {
            I0 = std::max({I0, First[j - 1], First[j + 1]});
            I1 = std::min({I1, Last[j - 1], Last[j + 1]});
        }
        if (PenWidth > 1) {
            const int k = j - PenWidth;
            if (k < 0 || k >= int(InFirst.size()) || InFirst[k] > InLast[k]) {
                I0 = 1;
                I1 = 0;
            } else {
                I0 = std::max(I0, InFirst[k] + PenWidth);
                I1 = std::min(I1, InLast[k] + PenWidth);
            }
        }
        if (I0 > I1) {
            FillSpan(Top + j, Left + First[j], Left + Last[j], Outline);
        } else {
            FillSpan(Top + j, Left + First[j], Left + I0 - 1, Outline);
            FillSpan(Top + j, Left + I1 + 1, Left + Last[j], Outline);
        }
    }
}

void TPxCanvas::FloodFill(int X, int Y, COLORREF Color) {
    const int W = Owner.Width(), H = Owner.Height();
    if (X < 0 || Y < 0 || X >= W || Y >= H || Brush.Style != bsSolid) return;
    const TColorTable& Table = Owner.ColorTable();
    const TRgbColor Surface =
        IsPaletteIndex(Color) ? Table[Color & 0xFF] : TRgbColor::FromRef(Color);
    // The surface is every pixel showing that colour, whichever entry holds it.
    bool Inside[256];
    for (int k = 0; k < 256; ++k)
        Inside[k] = Table[k] == Surface;
    const std::uint8_t Fill = MatchIndex(Brush.Color);
    if (!Inside[Owner.IndexAt(X, Y)] || Inside[Fill]) return;

    // Scan-line fill: each entry is a pixel known to lie on the surface; its whole run on
    // that row is painted and the runs touching it above and below are queued.
    std::vector<TPoint> Pending{{X, Y}};
    while (!Pending.empty()) {
        const TPoint P = Pending.back();
        Pending.pop_back();
        std::uint8_t* Row = Owner.ScanLine(P.Y);
        if (!Inside[Row[P.X]]) continue;
        int x0 = P.X, x1 = P.X;
        while (x0 > 0 && Inside[Row[x0 - 1]])
            --x0;
        while (x1 < W - 1 && Inside[Row[x1 + 1]])
            ++x1;
        std::memset(Row + x0, Fill, std::size_t(x1 - x0 + 1));
        for (const int Ny : {P.Y - 1, P.Y + 1}) {
            if (Ny < 0 || Ny >= H) continue;
            const std::uint8_t* Next = Owner.ScanLine(Ny);
            for (int x = x0; x <= x1; ++x) {
                if (!Inside[Next[x]]) continue;
                Pending.push_back({x, Ny});
                while (x <= x1 && Inside[Next[x]])
                    ++x;
            }
        }
    }
}
