#pragma once
// What libpng, an independent decoder, reads from a PNG file of palette indices: the size,
// the palette, the alpha of each entry and the indices row by row.
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Color.h"

struct DecodedPng {
    int Width = 0;
    int Height = 0;
    std::vector<TRgbColor> Palette;
    // One per palette entry; 255 for the entries that tRNS leaves out.
    std::vector<std::uint8_t> Alpha;
    // Width * Height indices, rows top-down.
    std::vector<std::uint8_t> Indices;
    // libpng's complaint; empty when the file decoded as an 8-bit indexed picture.
    std::string Error;

    std::uint8_t At(int X, int Y) const { return Indices[std::size_t(Y) * Width + X]; }
};

DecodedPng DecodeIndexedPng(const std::vector<std::uint8_t>& File);
