// JPEG encoding of exported cels: what is written decodes back to the picture within the
// loss of a high-quality file, is baseline with full-resolution colour, and a failure
// never touches the file that was there.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/FileReplace.h"
#include "imaging/Jpeg.h"

namespace {

// Blocks of flat colour 8 pixels square with a one-pixel dot of another colour in each,
// as sprites are drawn; the colours come from a seeded generator.
RgbPicture Sprite(int Width, int Height, unsigned Seed) {
    std::mt19937 Random(Seed);
    std::uniform_int_distribution<int> Channel(0, 255);
    RgbPicture Picture(Width, Height);
    for (int By = 0; By < Height; By += 8)
        for (int Bx = 0; Bx < Width; Bx += 8) {
            const RgbColor Flat{std::uint8_t(Channel(Random)), std::uint8_t(Channel(Random)),
                                std::uint8_t(Channel(Random))};
            for (int y = By; y < std::min(By + 8, Height); ++y)
                for (int x = Bx; x < std::min(Bx + 8, Width); ++x)
                    Picture.Set(x, y, Flat);
        }
    return Picture;
}

int LargestDifference(const RgbPicture& A, const RgbPicture& B) {
    int Largest = 0;
    for (std::size_t i = 0; i < A.Pixels.size(); ++i)
        Largest = std::max(Largest, std::abs(int(A.Pixels[i]) - int(B.Pixels[i])));
    return Largest;
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& File) {
    std::ifstream In(File, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

class TempFolder {
public:
    TempFolder() {
        Path = std::filesystem::temp_directory_path() /
               ("vimbrel-jpeg-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(Path);
    }
    ~TempFolder() { std::filesystem::remove_all(Path); }
    std::filesystem::path Path;
};

} // namespace

TEST(JpegEncode, FlatBlocksComeBackCloseAtHighQualityAndExactInSize) {
    for (auto [Width, Height] : {std::pair{64, 40}, std::pair{37, 21}, std::pair{1, 1}}) {
        SCOPED_TRACE(std::to_string(Width) + " x " + std::to_string(Height));
        const RgbPicture Original = Sprite(Width, Height, unsigned(Width * 131 + Height));
        const RgbPicture Back = DecodeJpeg(EncodeJpeg(Original));
        ASSERT_EQ(Back.Width, Width);
        ASSERT_EQ(Back.Height, Height);
        EXPECT_TRUE(Back.Palette.empty());
        EXPECT_LE(LargestDifference(Original, Back), 8);
    }
}

TEST(JpegEncode, OnePixelDotsKeepTheirColourBecauseColourIsNotSubsampled) {
    RgbPicture Picture(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            Picture.Set(x, y, {255, 255, 255});
    Picture.Set(5, 5, {255, 0, 0});
    Picture.Set(10, 12, {0, 0, 255});
    const std::vector<std::uint8_t> Bytes = EncodeJpeg(Picture);

    // A baseline frame (SOF0) whose three components are all sampled 1 x 1.
    std::size_t Frame = 0;
    for (std::size_t i = 2; i + 1 < Bytes.size(); ++i)
        if (Bytes[i] == 0xFF && Bytes[i + 1] == 0xC0) {
            Frame = i;
            break;
        }
    ASSERT_NE(Frame, 0u);
    ASSERT_EQ(Bytes[Frame + 9], 3);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(Bytes[Frame + 11 + 3 * c], 0x11) << "component " << c;

    const RgbPicture Back = DecodeJpeg(Bytes);
    const RgbColor Red = Back.At(5, 5), Blue = Back.At(10, 12);
    EXPECT_GT(Red.Red, 200);
    EXPECT_LT(Red.Green, 90);
    EXPECT_LT(Red.Blue, 90);
    EXPECT_GT(Blue.Blue, 200);
    EXPECT_LT(Blue.Red, 90);
}

TEST(JpegEncode, LowerQualityMakesASmallerFile) {
    RgbPicture Noise(48, 48);
    std::mt19937 Random(7);
    for (std::uint8_t& Byte : Noise.Pixels)
        Byte = std::uint8_t(Random());
    EXPECT_LT(EncodeJpeg(Noise, 30).size(), EncodeJpeg(Noise, 95).size());
    // Out-of-range qualities are held to 1..100 rather than refused.
    EXPECT_NO_THROW(EncodeJpeg(Noise, 0));
    EXPECT_NO_THROW(EncodeJpeg(Noise, 500));
}

TEST(JpegEncode, FilesAreWrittenWholeOrNotAtAll) {
    TempFolder Folder;
    const std::filesystem::path File = Folder.Path / "cel.jpg";
    const RgbPicture Picture = Sprite(24, 16, 3);
    SaveJpegFile(File.string(), Picture);
    EXPECT_EQ(ReadAll(File), EncodeJpeg(Picture));
    EXPECT_EQ(LoadJpegFile(File.string()).Width, 24);

    // A picture without pixels is refused before the file is touched.
    const std::vector<std::uint8_t> Before = ReadAll(File);
    EXPECT_THROW(SaveJpegFile(File.string(), RgbPicture()), JpegError);
    RgbPicture Short(4, 4);
    Short.Pixels.resize(10);
    EXPECT_THROW(SaveJpegFile(File.string(), Short), JpegError);
    EXPECT_THROW(EncodeJpeg(RgbPicture(70000, 1)), JpegError);
    EXPECT_EQ(ReadAll(File), Before);

    // A folder that is not there: the file layer's error, and nothing is left behind.
    EXPECT_THROW(SaveJpegFile((Folder.Path / "missing" / "cel.jpg").string(), Picture),
                 FileWriteError);
    EXPECT_FALSE(std::filesystem::exists(Folder.Path / "missing"));
}
