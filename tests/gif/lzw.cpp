// LZW codes where they can be counted; giflib must decode every encoding back.
#include <random>

#include "gif/DynArrB.h"
#include "gif/LzwEncoder.h"
#include "giflib_viewer.h"
#include "reader_builder.h"
#include "support/PictureAssert.h"

namespace {

// Bytes in which no pair of neighbours repeats an earlier pair: after the first, each byte
// adds one entry to the code table and is written as a code of its own, so where the
// widths grow and the table fills is known.
Bytes DistinctPairs(std::size_t Count) {
    std::vector<bool> Used(65536);
    Bytes Data{0};
    while (Data.size() < Count) {
        int Next = (Data.back() * 37 + 11) % 256;
        while (Used[std::size_t(Data.back() * 256 + Next)])
            Next = (Next + 1) % 256;
        Used[std::size_t(Data.back() * 256 + Next)] = true;
        Data.push_back(std::uint8_t(Next));
    }
    return Data;
}

Bytes Encoded(const Bytes& Data) {
    Bytes Out;
    WriteImageData(AppendTo(Out), EncodeImageData(Data.data(), Data.size()));
    return Out;
}

// Image data as the only frame, one row high, of a GIF with a 256-colour table, decoded by
// giflib: its pixels, or nothing when giflib refuses it.
Bytes DecodedByGiflib(const Bytes& ImageData, std::size_t Width) {
    const int W = int(Width);
    const GifBytes File = GifBuilder(W, 1, std::vector<TRgbColor>(256))
                              .ImageWithData(0, 0, W, 1, ImageData)
                              .Trailer();
    const giflib_viewer::GiflibFile Gif = giflib_viewer::ReadWithGiflib(File);
    if (!Gif || Gif->ImageCount != 1) return {};
    return Bytes(Gif->SavedImages[0].RasterBits, Gif->SavedImages[0].RasterBits + Width);
}

// Data (one row for giflib, so at most 65535 bytes) must decode back with giflib. Returns
// the image data.
Bytes ExpectSoundEncoding(const Bytes& Data, const std::string& What) {
    SCOPED_TRACE(What + ", " + std::to_string(Data.size()) + " bytes");
    const Bytes Ours = Encoded(Data);
    EXPECT_TRUE(DecodedByGiflib(Ours, Data.size()) == Data) << "giflib decodes other pixels";
    return Ours;
}

Bytes RandomBytes(std::size_t Count, unsigned Seed, int Alphabet = 256) {
    std::mt19937 Random(Seed);
    Bytes Data(Count);
    for (auto& B : Data)
        B = std::uint8_t(Random() % unsigned(Alphabet));
    return Data;
}

} // namespace

TEST(LzwEncoder, KnownCodesAndGiflibDecodesEveryEncoding) {
    // Codes 256, 7, 257 at 9 bits each: 256 | 7 << 9 | 257 << 18 = 0x04040F00. Code 258 is
    // used in the very step that forms it: 256, 5, 258, 257 = 0x80C080B00.
    EXPECT_BYTES(Encoded({7}), Bytes({0x08, 0x04, 0x00, 0x0F, 0x04, 0x04, 0x00}));
    EXPECT_BYTES(Encoded({5, 5, 5}), Bytes({0x08, 0x05, 0x00, 0x0B, 0x08, 0x0C, 0x08, 0x00}));
    EXPECT_THROW(EncodeImageData(std::make_unique<TBigByteArray>(0)), std::invalid_argument);
    Bytes Runs;
    for (int I = 0; Runs.size() < 30000; ++I)
        Runs.insert(Runs.end(), std::size_t(I % 97 + 1), std::uint8_t(I % 5 * 40));
    const std::pair<const char*, Bytes> Cases[] = {
        {"one long run", Bytes(20000, 0)},
        {"runs of varying length", Runs},
        {"random bytes", RandomBytes(30000, 1)},
        {"random bytes of four values", RandomBytes(60000, 2, 4)},
    };
    for (const auto& [What, Data] : Cases)
        ExpectSoundEncoding(Data, What);
}

TEST(LzwEncoder, WidthGrowsUpToTwelveBitsAndRestartsAfterCode4095) {
    // The byte at 3838 forms code 4095 (258 + 3837). Clear and the first byte at 9 bits,
    // 254 codes at 9, 512 at 10, 1024 at 11 and 2048 at 12, and the end code make 43276
    // bits, so the length pins down every point where the width grew.
    const Bytes Ending = DistinctPairs(3839);
    ExpectSoundEncoding(Ending, "table full at the last byte");
    EXPECT_EQ(EncodeImageData(Ending.data(), Ending.size()).Total(), 5410u);
    // One byte more: the clear code takes the end code's 12 bits, and that byte and the end
    // code follow at 9 bits each.
    const Bytes OneLeft = DistinctPairs(3840);
    ExpectSoundEncoding(OneLeft, "table full, one byte left");
    EXPECT_EQ(EncodeImageData(OneLeft.data(), OneLeft.size()).Total(), 5412u);
    ExpectSoundEncoding(DistinctPairs(12000), "several restarts");
    // The codes are cut into blocks of 255 bytes, none of them empty: 224 bytes give 226
    // codes of 9 bits, 255 bytes; 225 give 256.
    const Bytes One = ExpectSoundEncoding(DistinctPairs(224), "255 bytes of codes");
    EXPECT_EQ(std::make_tuple(One.size(), One[1]), std::make_tuple(1 + 1 + 255 + 1u, 255));
    const Bytes Two = ExpectSoundEncoding(DistinctPairs(225), "256 bytes of codes");
    EXPECT_EQ(std::make_tuple(Two.size(), Two[1], Two[257]),
              std::make_tuple(1 + 1 + 255 + 1 + 1 + 1u, 255, 1));
}

TEST(BigByteArray, IsIndexedFromOneAndChecksEveryAccessAndAllocation) {
    TBigByteArray Array(3);
    Array.Items(3) = 30;
    EXPECT_EQ(Array.Data()[2], 30);
    for (std::int32_t Bad : {0, 4})
        EXPECT_THROW(Array.Items(Bad) = 1, EIndexOutOfBounds);
    EXPECT_THROW(TBigByteArray(-5), ENotEnoughMemory);
}
