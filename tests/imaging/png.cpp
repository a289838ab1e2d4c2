// Indexed PNG files as libpng reads them back: size, palette, transparency and every index.
#include <random>
#include <stdexcept>

#include "imaging/Png.h"
#include "support/PictureAssert.h"
#include "support/PngDecode.h"

namespace {

int Occurrences(const Bytes& File, const std::string& Word) {
    int Count = 0;
    for (auto At = File.begin();
         (At = std::search(At, File.end(), Word.begin(), Word.end())) != File.end(); ++At)
        ++Count;
    return Count;
}

} // namespace

TEST(Png, IndicesPaletteAndTransparencyReadBackByLibpng) {
    // Random indices deflate badly, so the data runs over several IDAT chunks.
    std::mt19937 Random(16);
    TIndexedPng Image;
    Image.Width = 301;
    Image.Height = 257;
    for (int i = 0; i < 200; ++i)
        Image.Palette.push_back(
            {std::uint8_t(Random()), std::uint8_t(Random()), std::uint8_t(Random())});
    Image.TransparentIndex = 7;
    std::vector<std::uint8_t> Indices(std::size_t(Image.Width) * Image.Height);
    for (std::uint8_t& Index : Indices)
        Index = std::uint8_t(Random() % 200);
    std::vector<int> Asked;
    Bytes File;
    WriteIndexedPng(AppendTo(File), Image, [&](int Y, std::uint8_t* Row) {
        Asked.push_back(Y);
        std::copy_n(&Indices[std::size_t(Y) * Image.Width], Image.Width, Row);
    });
    ASSERT_EQ(Asked.size(), 257u);
    EXPECT_TRUE(std::is_sorted(Asked.begin(), Asked.end()) && Asked.back() == 256);
    EXPECT_GT(Occurrences(File, "IDAT"), 1);

    const DecodedPng Read = DecodeIndexedPng(File);
    ASSERT_EQ(Read.Error, "");
    EXPECT_EQ(std::make_pair(Read.Width, Read.Height), std::make_pair(301, 257));
    EXPECT_EQ(Read.Palette, Image.Palette);
    std::vector<std::uint8_t> Alpha(200, 255);
    Alpha[7] = 0;
    EXPECT_EQ(Read.Alpha, Alpha);
    EXPECT_EQ(Read.Indices, Indices);

    // Without a transparent entry there is no tRNS chunk; one pixel of one colour will do.
    Image = {1, 1, {{1, 2, 3}}, -1};
    File.clear();
    WriteIndexedPng(AppendTo(File), Image, [](int, std::uint8_t* Row) { Row[0] = 0; });
    EXPECT_EQ(Occurrences(File, "tRNS"), 0);
    EXPECT_EQ(DecodeIndexedPng(File).Alpha, std::vector<std::uint8_t>{255});

    const auto Fill = [](int, std::uint8_t*) {};
    const auto Sink = AppendTo(File);
    EXPECT_THROW(WriteIndexedPng(Sink, {0, 5, {{}}, -1}, Fill), std::length_error);
    EXPECT_THROW(WriteIndexedPng(Sink, {5, 5, {}, -1}, Fill), std::invalid_argument);
    EXPECT_THROW(WriteIndexedPng(Sink, {5, 5, std::vector<TRgbColor>(257), -1}, Fill),
                 std::invalid_argument);
    EXPECT_THROW(WriteIndexedPng(Sink, {5, 5, {{}, {}}, 2}, Fill), std::invalid_argument);
}
