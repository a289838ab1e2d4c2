#pragma once
// Writes PNG files of 8-bit palette indices: the palette as the file's colour table (PLTE),
// one entry that may be fully transparent (tRNS), and the rows deflated by zlib.
//
// The rows are asked for one at a time, top-down, so a picture far larger than memory (a
// sprite sheet of many large cels at a high scale) is written with one row in hand. Plain
// functions, no state; any thread, as long as the row source is.
#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/Color.h"
#include "imaging/FileReplace.h"

// The largest width or height a PNG file can state.
constexpr std::int64_t MaxPngSide = 0x7FFFFFFF;

struct TIndexedPng {
    int Width = 0;
    int Height = 0;
    // 1 to 256 colours; every pixel is an index into it.
    std::vector<TRgbColor> Palette;
    // The entry shown fully transparent, or -1 for none.
    int TransparentIndex = -1;
};

// Fills Row with the Width indices of row Y; Y goes from 0 to Height - 1, once each.
using PngRowSource = std::function<void(int Y, std::uint8_t* Row)>;

// The whole file, handed to Sink piece by piece. Throws std::length_error for a size a PNG
// cannot state (below 1 pixel) and std::invalid_argument for a palette of no or more than
// 256 colours or a transparent index outside it; Sink and Rows may throw to abandon it.
void WriteIndexedPng(const ByteSink& Sink, const TIndexedPng& Image, const PngRowSource& Rows);
