#pragma once
// Compares the cels the reader made with the frames a viewer shows (raw RGBA, 4 bytes a
// pixel, rows top-down). A cel can only hold palette colours, so each expected colour is
// first taken to its nearest user colour; where the viewer shows nothing (alpha 0), the
// editor shows the background colour, which is then what the cel must hold.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GifReader.h"
#include "imaging/PxBitmap.h"

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& Path) {
    std::ifstream File(Path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(File),
                                     std::istreambuf_iterator<char>());
}

inline std::string ColorText(RgbColor Color) {
    char Text[16];
    std::snprintf(Text, sizeof Text, "#%02x%02x%02x", Color.Red, Color.Green, Color.Blue);
    return Text;
}

// Frame is Width * Height * 4 bytes starting at Offset of Rgba.
inline ::testing::AssertionResult CelShowsFrame(const GifReadResult& Result, int CelIndex,
                                                const std::vector<std::uint8_t>& Rgba,
                                                std::size_t Offset = 0) {
    const TSprite& Sprite = *Result.Sprite;
    if (CelIndex >= Sprite.CelCount())
        return ::testing::AssertionFailure()
               << "cel " << CelIndex << " missing (" << Sprite.CelCount() << " cels)";
    const std::size_t Pixels = std::size_t(Sprite.Width()) * std::size_t(Sprite.Height());
    if (Rgba.size() < Offset + Pixels * 4)
        return ::testing::AssertionFailure() << "expected frame too short";
    const TPxPalette& Palette = *Result.Palette;
    const TPxBitmap& Cel = Sprite.CelBitmap(CelIndex);
    const RgbColor Background =
        Palette.Entry(Palette.NearestUserIndex(RgbColor::FromRef(Sprite.BackColor()))).Color();
    int Wrong = 0;
    std::ostringstream First;
    for (int Y = 0; Y < Sprite.Height(); ++Y)
        for (int X = 0; X < Sprite.Width(); ++X) {
            const std::uint8_t* P = &Rgba[Offset + (std::size_t(Y) * Sprite.Width() + X) * 4];
            const RgbColor Expected =
                P[3] == 0 ? Background
                          : Palette.Entry(Palette.NearestUserIndex({P[0], P[1], P[2]})).Color();
            const RgbColor Actual = Cel.ColorTable()[Cel.IndexAt(X, Y)];
            if (Actual != Expected && Wrong++ == 0)
                First << "first at (" << X << ", " << Y << "): cel " << ColorText(Actual)
                      << ", frame " << ColorText(Expected) << (P[3] == 0 ? " (background)" : "");
        }
    if (Wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cel " << CelIndex << ": " << Wrong << " of " << Pixels
                                         << " pixels differ, " << First.str();
}
