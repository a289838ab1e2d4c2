#pragma once
// Helpers shared by the tests. A picture is written as rows of characters ("..##..", ".#..#."),
// each character naming one palette index through a legend; mismatches print both sides,
// byte blocks the place where they part.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/FileReplace.h"
#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"

namespace fs = std::filesystem;

using PictureLegend = std::map<std::uint8_t, char>;
using Picture = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

inline Bytes operator+(Bytes A, const Bytes& B) {
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

// The bitmap drawn as characters; an index missing from the legend prints as '?'.
Picture PictureOf(const TPxBitmap& Bitmap, const PictureLegend& Legend);
// Writes Rows into Bitmap through the legend (the reverse of PictureOf).
void PaintPicture(TPxBitmap& Bitmap, const PictureLegend& Legend, const Picture& Rows);

::testing::AssertionResult PictureMatches(const TPxBitmap& Bitmap, const PictureLegend& Legend,
                                          const Picture& Expected);
#define EXPECT_PICTURE(Bitmap, Legend, ...)                                                        \
    EXPECT_TRUE(PictureMatches((Bitmap), (Legend), Picture(__VA_ARGS__)))

::testing::AssertionResult BytesMatch(const Bytes& Actual, const Bytes& Expected);
#define EXPECT_BYTES(Actual, Expected) EXPECT_TRUE(BytesMatch((Actual), (Expected)))

// A palette whose user colours are a 6 x 6 x 6 colour cube (entry 10 + 36r + 6g + b for
// channel steps r, g, b of 51) followed by 20 greys: black is entry 10, white entry 225.
std::unique_ptr<TPxPalette> MakeCubePalette();
constexpr int CubeIndex(int R, int G, int B) {
    return 10 + 36 * (R / 51) + 6 * (G / 51) + B / 51;
}

// A sink that appends what it is given to Out.
inline ByteSink AppendTo(Bytes& Out) {
    return [&Out](const std::uint8_t* P, std::size_t N) { Out.insert(Out.end(), P, P + N); };
}

Bytes ReadBytes(const fs::path& Path);
// The files in Folder whose names end in Extension, sorted.
std::vector<fs::path> FilesIn(const fs::path& Folder, const std::string& Extension);
std::string ReadText(const fs::path& Path);

// A new folder of its own, removed with all it holds at the end, whatever its permissions.
struct ScratchFolder {
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    fs::path operator/(const std::string& Name) const { return Path / Name; }
    // The names in the folder, sorted.
    std::vector<std::string> Names() const;
    fs::path Path;
};
