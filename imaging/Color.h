#pragma once
// Colour values as the whole program passes them around: a 32-bit value in one of three
// forms (plain RGB, an index into the palette, or "the palette entry nearest to this RGB").
#include <cstdint>

using COLORREF = std::uint32_t;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

constexpr COLORREF RGB(std::uint8_t Red, std::uint8_t Green, std::uint8_t Blue) {
    return COLORREF(Red) | (COLORREF(Green) << 8) | (COLORREF(Blue) << 16);
}
constexpr COLORREF PALETTEINDEX(int Index) {
    return 0x01000000u + COLORREF(Index & 0xFF);
}
constexpr COLORREF PALETTERGB(std::uint8_t Red, std::uint8_t Green, std::uint8_t Blue) {
    return 0x02000000u | RGB(Red, Green, Blue);
}
constexpr std::uint8_t GetRValue(COLORREF Color) {
    return std::uint8_t(Color);
}
constexpr std::uint8_t GetGValue(COLORREF Color) {
    return std::uint8_t(Color >> 8);
}
constexpr std::uint8_t GetBValue(COLORREF Color) {
    return std::uint8_t(Color >> 16);
}
constexpr bool IsPaletteIndex(COLORREF Color) {
    return (Color >> 24) == 0x01;
}
constexpr bool IsPaletteRgb(COLORREF Color) {
    return (Color >> 24) == 0x02;
}

// One colour, as colour tables, palettes and plain pictures store it.
struct TRgbColor {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;

    constexpr bool operator==(const TRgbColor& Other) const {
        return Red == Other.Red && Green == Other.Green && Blue == Other.Blue;
    }
    constexpr bool operator!=(const TRgbColor& Other) const { return !(*this == Other); }
    // The plain RGB colour value of this colour.
    constexpr COLORREF Ref() const { return RGB(Red, Green, Blue); }
    // The RGB part of any colour value; a palette index has none and gives black.
    static constexpr TRgbColor FromRef(COLORREF Color) {
        return {GetRValue(Color), GetGValue(Color), GetBValue(Color)};
    }
};

// Sum of squared channel differences: the one distance every nearest-colour match uses.
constexpr int ColorDistance(const TRgbColor& A, const TRgbColor& B) {
    const int dr = int(A.Red) - int(B.Red);
    const int dg = int(A.Green) - int(B.Green);
    const int db = int(A.Blue) - int(B.Blue);
    return dr * dr + dg * dg + db * db;
}

// A rectangle of pixel coordinates; whether Right and Bottom are inclusive is said by
// each operation that takes one.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

struct TPoint {
    int X = 0;
    int Y = 0;
};
