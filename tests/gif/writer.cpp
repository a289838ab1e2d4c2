// The GIF writer's file layout byte for byte; giflib reading it back is the round trip's.
#include "gif/GifWriter.h"
#include "gif/LzwEncoder.h"
#include "model/Spritez.h"
#include "reader_builder.h"
#include "support/PictureAssert.h"

namespace {

// A file whose global colour table holds the palette's user colours, padded with black.
GifBuilder FileStart(int W, int H, int Background, const TPxPalette& Palette) {
    std::vector<TRgbColor> UserColors;
    for (int Index = 10; Index <= 245; ++Index)
        UserColors.push_back(Palette.Entry(Index).Color());
    return GifBuilder(W, H, UserColors, Background);
}

// The colour numbers as the writer codes an image: code size, then data blocks.
GifBytes Coded(const Bytes& Numbers) {
    Bytes Out;
    WriteImageData(AppendTo(Out), EncodeImageData(Numbers.data(), Numbers.size()));
    return Out;
}

Bytes Written(const TSprite& Sprite, const TPxPalette& Palette, const TGifWriteSettings& Settings) {
    Bytes Out;
    WriteGif(AppendTo(Out), Sprite, Palette, Settings);
    return Out;
}

// Colour numbers: palette entry minus 10.
constexpr std::uint8_t White = CubeIndex(255, 255, 255) - 10, Red = CubeIndex(255, 0, 0) - 10;
constexpr std::uint8_t Blue = CubeIndex(0, 0, 255) - 10, Green = CubeIndex(0, 255, 0) - 10;
const PictureLegend Legend{{White + 10, '.'}, {Red + 10, 'r'}, {Blue + 10, 'b'}, {Green + 10, 'g'}};

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
    GifBuilder Expected = FileStart(4, 3, White, *Palette);
    Expected.Comment(Text.substr(0, 255)).Comment(Text.substr(255)).Loop(1000);
    // The first cel is whole; 205 ms are 20 hundredths.
    Expected.GraphicControl(1, 20, White).ImageWithData(0, 0, 4, 3, Coded(Full1));
    // Unchanged: the top-left 2 x 2 of its own pixels, 9 ms written as 0.
    Expected.GraphicControl(1, 0, White).ImageWithData(0, 0, 2, 2, Coded(Corner));
    // One pixel changed: a 1 x 1 image there.
    Expected.GraphicControl(0, 100, White).ImageWithData(2, 1, 1, 1, Coded({Green}));
    // Disposal 2: whole, although nothing changed.
    Expected.GraphicControl(2, 3, White).ImageWithData(0, 0, 4, 3, Coded(Full2));
    // After a cel that clears its area the viewer shows no picture to build on: whole.
    Expected.GraphicControl(1, 4, White).ImageWithData(0, 0, 4, 3, Coded(Full2));
    // Disposal 3 of its own does not matter; unchanged, so 2 x 2.
    Expected.GraphicControl(3, 5, White).ImageWithData(0, 0, 2, 2, Coded(Corner));
    // After a cel that restores the picture before it: whole.
    Expected.GraphicControl(1, 6, White).ImageWithData(0, 0, 4, 3, Coded(Full2));
    EXPECT_BYTES(Written(*Sprite, *Palette, Settings), Expected.Trailer());
}

TEST(GifWriter, ColourNumbersAndChangedRectanglesOfOddCels) {
    auto Palette = MakeCubePalette();
    // Black matches system entry 0 first, so every pixel of these cels is index 0; entry 10
    // is black as well: another index of the same colour is no change, and the 2 x 2 corner
    // is cut to the sprite. Each system entry is written as its nearest user colour: grey
    // green (192, 220, 192) as (204, 204, 204), white as the user white.
    auto Sprite = TSprite::Create(1, 3, *Palette, RGB(0, 0, 0));
    for (int I = 0; I < 3; ++I)
        Sprite->Cel(Sprite->AddCel(10 * I)).SetDisposal(1);
    ASSERT_EQ(Sprite->CelBitmap(0).IndexAt(0, 0), 0);
    Sprite->CelBitmap(1).ScanLine(2)[0] = 10;
    Sprite->CelBitmap(2).ScanLine(0)[0] = 8;
    Sprite->CelBitmap(2).ScanLine(1)[0] = 255;
    const std::uint8_t Grey = CubeIndex(204, 204, 204) - 10;
    GifBuilder Expected = FileStart(1, 3, 0, *Palette);
    Expected.Loop(0).GraphicControl(1, 0).ImageWithData(0, 0, 1, 3, Coded({0, 0, 0}));
    Expected.GraphicControl(1, 1).ImageWithData(0, 0, 1, 2, Coded({0, 0}));
    Expected.GraphicControl(1, 2).ImageWithData(0, 0, 1, 2, Coded({Grey, White}));
    EXPECT_BYTES(Written(*Sprite, *Palette, {}), Expected.Trailer());
    // Without cels the trailer follows the looping extension; a comment ends at its first
    // zero byte.
    auto Empty = TSprite::Create(5, 5, *Palette, RGB(0, 0, 0));
    TGifWriteSettings Settings;
    Settings.Comments = {std::string("ab\0cd", 5), "ef"};
    EXPECT_BYTES(Written(*Empty, *Palette, Settings),
                 FileStart(5, 5, 0, *Palette).Comment("ab").Loop(0).Trailer());
    EXPECT_THROW(Written(*TSprite::Create(65536, 1, *Palette, 0), *Palette, {}), std::length_error);
}
