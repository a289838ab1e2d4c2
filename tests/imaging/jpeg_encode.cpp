// Exported cels as JPEG: close to the picture, baseline, colour at full resolution.
#include <random>

#include "imaging/Jpeg.h"
#include "support/PictureAssert.h"

namespace {

// Blocks of flat colour 8 pixels square, as sprites are drawn, each block's colour seeded
// by its place.
TRgbPicture Sprite(int Width, int Height, unsigned Seed) {
    TRgbPicture Picture(Width, Height);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            std::mt19937 Random(Seed + unsigned(x / 8 * 1000 + y / 8));
            Picture.Set(x, y,
                        {std::uint8_t(Random()), std::uint8_t(Random()), std::uint8_t(Random())});
        }
    return Picture;
}

int LargestDifference(const TRgbPicture& A, const TRgbPicture& B) {
    int Largest = 0;
    for (std::size_t i = 0; i < A.Pixels.size(); ++i)
        Largest = std::max(Largest, std::abs(int(A.Pixels[i]) - int(B.Pixels[i])));
    return Largest;
}

} // namespace

TEST(JpegEncode, PicturesComeBackCloseAsBaselineWithFullResolutionColour) {
    for (auto [Width, Height] : {std::pair{64, 40}, {37, 21}, {1, 1}}) {
        const TRgbPicture Original = Sprite(Width, Height, unsigned(Width * 131 + Height));
        const TRgbPicture Back = DecodeJpeg(EncodeJpeg(Original));
        ASSERT_EQ(std::make_pair(Back.Width, Back.Height), std::make_pair(Width, Height));
        EXPECT_TRUE(Back.Palette.empty());
        EXPECT_LE(LargestDifference(Original, Back), 8) << Width << " x " << Height;
    }
    // One-pixel dots keep their colour: a baseline frame (SOF0) samples its three
    // components 1 x 1.
    TRgbPicture Dots(16, 16);
    std::fill(Dots.Pixels.begin(), Dots.Pixels.end(), 255);
    Dots.Set(5, 5, {255, 0, 0});
    Dots.Set(10, 12, {0, 0, 255});
    const Bytes Encoded = EncodeJpeg(Dots);
    const Bytes Frame{0xFF, 0xC0};
    const std::size_t At = std::size_t(
        std::search(Encoded.begin(), Encoded.end(), Frame.begin(), Frame.end()) - Encoded.begin());
    ASSERT_LT(At + 18, Encoded.size());
    EXPECT_EQ((Bytes{Encoded[At + 9], Encoded[At + 11], Encoded[At + 14], Encoded[At + 17]}),
              Bytes({3, 0x11, 0x11, 0x11}));
    const TRgbPicture Back = DecodeJpeg(Encoded);
    const TRgbColor Red = Back.At(5, 5), Blue = Back.At(10, 12);
    EXPECT_TRUE(Red.Red > 200 && Red.Green < 90 && Red.Blue < 90);
    EXPECT_TRUE(Blue.Blue > 200 && Blue.Red < 90);
    // Lower quality makes a smaller file; qualities out of range are held to 1..100.
    TRgbPicture Noise(48, 48);
    std::mt19937 Random(7);
    for (std::uint8_t& Byte : Noise.Pixels)
        Byte = std::uint8_t(Random());
    EXPECT_LT(EncodeJpeg(Noise, 30).size(), EncodeJpeg(Noise, 95).size());
    EXPECT_EQ(EncodeJpeg(Noise, 0), EncodeJpeg(Noise, 1));
    EXPECT_EQ(EncodeJpeg(Noise, 500), EncodeJpeg(Noise, 100));
    // Pictures JPEG cannot hold are refused.
    TRgbPicture Short(4, 4);
    Short.Pixels.resize(10);
    for (const TRgbPicture& Bad : {TRgbPicture(), Short, TRgbPicture(70000, 1)})
        EXPECT_THROW(EncodeJpeg(Bad), EJpegError);
}
