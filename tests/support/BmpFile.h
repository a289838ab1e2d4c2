#pragma once
// BMP files built byte by byte, so that tests can hand the reader every kind and every
// fault without a picture library in between.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Color.h"
#include "support/PictureAssert.h"

struct BmpFile {
    std::int32_t Width = 0;
    // Negative for rows stored top-down.
    std::int32_t Height = 0;
    int Bits = 8;
    // 0 plain rows, 1 run-length 8 bits, 2 run-length 4 bits, 3 bit fields.
    std::uint32_t Compression = 0;
    // Written as it stands; its length is the header's count of colours used.
    std::vector<TRgbColor> Table;
    // Red, green and blue masks for bit fields, written after a 40-byte header.
    std::array<std::uint32_t, 3> Masks{};
    // The old 12-byte header, with three-byte table entries.
    bool CoreHeader = false;
    // The pixel data exactly as stored: rows or runs.
    Bytes Pixels;

    Bytes Encode() const;
};

// Rows of indices, one hexadecimal digit a pixel ("01f2"), packed Bits (1, 4 or 8) a pixel
// into stored rows, each padded to whole 32-bit words, the last row first (bottom-up).
Bytes PackRows(const Picture& Rows, int Bits);
// An indexed file of Rows with Table, as PackRows stores them.
Bytes IndexedBmp(int Bits, const std::vector<TRgbColor>& Table, const Picture& Rows);
