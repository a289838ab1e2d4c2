// The GIF writer's file layout byte for byte, with its changed rectangles, and LZW codes giflib
// decodes back; giflib reading whole files back is the round trip's.
#include <random>

#include "gif/DynArrB.h"
#include "gif/GifWriter.h"
#include "gif/LzwEncoder.h"
#include "giflib_viewer.h"
#include "model/Spritez.h"
#include "reader_builder.h"
#include "support/PictureAssert.h"

namespace {

// Colour numbers: palette entry minus 10.
constexpr std::uint8_t White = CubeIndex(255, 255, 255) - 10, Red = CubeIndex(255, 0, 0) - 10;
constexpr std::uint8_t Blue = CubeIndex(0, 0, 255) - 10, Green = CubeIndex(0, 255, 0) - 10;
const PictureLegend Legend{{White + 10, '.'}, {Red + 10, 'r'}, {Blue + 10, 'b'}, {Green + 10, 'g'}};

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

// The colour numbers as the writer codes an image: code size, then data blocks.
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

Bytes RandomBytes(std::size_t Count, unsigned Seed) {
    std::mt19937 Random(Seed);
    Bytes Data(Count);
    for (auto& B : Data)
        B = std::uint8_t(Random());
    return Data;
}
} // namespace

TEST(GifWriter, StoresOnlyWhatChangedWithDelaysDisposalsAndComments) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(4, 3, *Palette, RGB(250, 250, 250)); // nearest: white
    const int Delays[] = {205, 9, 1000, 30, 40, 50, 60};
    const std::uint8_t Disposals[] = {1, 1, 0, 2, 1, 3, 1};
    for (int I = 0; I < 7; ++I) {
        Sprite->Cel(Sprite->AddCel(Delays[I])).SetDisposal(Disposals[I]);
        PaintPicture(Sprite->CelBitmap(I), Legend,
                     I < 2 ? Picture{"rr..", ".b..", "...g"} : Picture{"rr..", ".bg.", "...g"});
    }
    TGifWriteSettings Settings;
    Settings.BackgroundTransparent = true;
    Settings.LoopCount = 1000;
    Settings.Comments = {std::string(148, 'x'), std::string(148, 'y')}; // 300 bytes with CR LF
    const std::string Text = Settings.Comments[0] + "\r\n" + Settings.Comments[1] + "\r\n";
    const Bytes Full1 = {Red,   Red,   White, White, White, Blue,
                         White, White, White, White, White, Green};
    Bytes Full2 = Full1;
    Full2[6] = Green;
    const Bytes Corner = {Red, Red, White, Blue};
    // The global colour table holds the palette's user colours, padded with black.
    std::vector<TRgbColor> UserColors;
    for (int Index = 10; Index <= 245; ++Index)
        UserColors.push_back(Palette->Entry(Index).Color());
    GifBuilder Expected(4, 3, UserColors, White);
    Expected.Comment(Text.substr(0, 255)).Comment(Text.substr(255)).Loop(1000);
    // The first cel is whole; 205 ms are 20 hundredths.
    Expected.GraphicControl(1, 20, White).ImageWithData(0, 0, 4, 3, Encoded(Full1));
    // Unchanged: the top-left 2 x 2 of its own pixels, 9 ms written as 0.
    Expected.GraphicControl(1, 0, White).ImageWithData(0, 0, 2, 2, Encoded(Corner));
    // One pixel changed: a 1 x 1 image there.
    Expected.GraphicControl(0, 100, White).ImageWithData(2, 1, 1, 1, Encoded({Green}));
    // Disposal 2: whole, although nothing changed.
    Expected.GraphicControl(2, 3, White).ImageWithData(0, 0, 4, 3, Encoded(Full2));
    // After a cel that clears its area the viewer shows no picture to build on: whole.
    Expected.GraphicControl(1, 4, White).ImageWithData(0, 0, 4, 3, Encoded(Full2));
    // Disposal 3 of its own does not matter; unchanged, so 2 x 2.
    Expected.GraphicControl(3, 5, White).ImageWithData(0, 0, 2, 2, Encoded(Corner));
    // After a cel that restores the picture before it: whole.
    Expected.GraphicControl(1, 6, White).ImageWithData(0, 0, 4, 3, Encoded(Full2));
    Bytes Written;
    WriteGif(AppendTo(Written), *Sprite, *Palette, Settings);
    EXPECT_BYTES(Written, Expected.Trailer());
}

TEST(LzwEncoder, GiflibDecodesEveryEncoding) {
    EXPECT_THROW(EncodeImageData(std::make_unique<TBigByteArray>(0)), std::invalid_argument);
    // Distinct pairs fill the code table at a known byte: at the last byte (3838 forms code
    // 4095), one before the end, and several times over; 224 and 225 bytes end on either
    // side of the first 255-byte block.
    const std::pair<const char*, Bytes> Cases[] = {
        {"one long run", Bytes(20000, 0)},
        {"random bytes", RandomBytes(30000, 1)},
        {"table full at the last byte", DistinctPairs(3839)},
        {"table full, one byte left", DistinctPairs(3840)},
        {"several restarts", DistinctPairs(12000)},
        {"one block", DistinctPairs(224)},
        {"two blocks", DistinctPairs(225)},
    };
    for (const auto& [What, Data] : Cases) {
        SCOPED_TRACE(std::string(What) + ", " + std::to_string(Data.size()) + " bytes");
        EXPECT_TRUE(DecodedByGiflib(Encoded(Data), Data.size()) == Data);
    }
}
