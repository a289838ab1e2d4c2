// The GIF writer's file layout, checked byte for byte. That giflib reads the files back as a
// viewer shows them is checked by the round trip of every test file.

#include "gif/GifWriter.h"
#include "gif/LzwEncoder.h"
#include "model/Spritez.h"
#include "support/PictureAssert.h"

namespace {

ByteSink AppendTo(Bytes& Out) {
    return [&Out](const std::uint8_t* P, std::size_t N) { Out.insert(Out.end(), P, P + N); };
}

Bytes Le16(unsigned Value) {
    return {std::uint8_t(Value), std::uint8_t(Value >> 8)};
}

// Header, screen descriptor and global colour table.
Bytes FileStart(int W, int H, std::uint8_t Background, const TPxPalette& Palette) {
    Bytes Out =
        Bytes{'G', 'I', 'F', '8', '9', 'a'} + Le16(W) + Le16(H) + Bytes{0xF7, Background, 0};
    Palette.WriteGifColorTable(AppendTo(Out));
    return Out;
}

Bytes Comment(const std::string& Piece) {
    return Bytes{0x21, 0xFE, std::uint8_t(Piece.size())} + Bytes(Piece.begin(), Piece.end()) +
           Bytes{0};
}

Bytes Loop(unsigned LoopCount) {
    return Bytes{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1} +
           Le16(LoopCount) + Bytes{0};
}

// Graphic control extension, image descriptor and the image data of the colour numbers.
Bytes Frame(std::uint8_t Packed, unsigned Delay, std::uint8_t Transparent, int Left, int Top,
            int Width, int Height, const Bytes& Numbers) {
    EXPECT_EQ(Numbers.size(), std::size_t(Width * Height));
    Bytes Out = Bytes{0x21, 0xF9, 0x04, Packed} + Le16(Delay) + Bytes{Transparent, 0, 0x2C} +
                Le16(Left) + Le16(Top) + Le16(Width) + Le16(Height) + Bytes{0};
    WriteImageData(AppendTo(Out), EncodeImageData(Numbers.data(), Numbers.size()));
    return Out;
}

const Bytes Trailer{0x3B};

Bytes Written(const TSprite& Sprite, const TPxPalette& Palette, const GifWriteSettings& Settings) {
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
    GifWriteSettings Settings;
    Settings.BackgroundTransparent = true;
    Settings.LoopCount = 1000;
    Settings.Comments = {std::string(148, 'x'), std::string(148, 'y')}; // 300 bytes with CR LF
    const std::string Text = Settings.Comments[0] + "\r\n" + Settings.Comments[1] + "\r\n";
    const Bytes Full1 = {Red,   Red,   White, White, White, Blue,
                         White, White, White, White, White, Green};
    Bytes Full2 = Full1;
    Full2[6] = Green;
    const Bytes Corner = {Red, Red, White, Blue};
    const Bytes Expected =
        FileStart(4, 3, White, *Palette) + Comment(Text.substr(0, 255)) +
        Comment(Text.substr(255)) + Loop(1000) +
        // The first cel is whole; 205 ms are 20 hundredths.
        Frame(0x05, 20, White, 0, 0, 4, 3, Full1) +
        // Unchanged: the top-left 2 x 2 of its own pixels, 9 ms written as 0.
        Frame(0x05, 0, White, 0, 0, 2, 2, Corner) +
        // One pixel changed: a 1 x 1 image there.
        Frame(0x01, 100, White, 2, 1, 1, 1, {Green}) +
        // Disposal 2: whole, although nothing changed.
        Frame(0x09, 3, White, 0, 0, 4, 3, Full2) +
        // After a cel that clears its area the viewer shows no picture to build on: whole.
        Frame(0x05, 4, White, 0, 0, 4, 3, Full2) +
        // Disposal 3 of its own does not matter; unchanged, so 2 x 2.
        Frame(0x0D, 5, White, 0, 0, 2, 2, Corner) +
        // After a cel that restores the picture before it: whole.
        Frame(0x05, 6, White, 0, 0, 4, 3, Full2) + Trailer;
    EXPECT_BYTES(Written(*Sprite, *Palette, Settings), Expected);
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
    EXPECT_BYTES(Written(*Sprite, *Palette, {}),
                 FileStart(1, 3, 0, *Palette) + Loop(0) + Frame(0x04, 0, 0, 0, 0, 1, 3, {0, 0, 0}) +
                     Frame(0x04, 1, 0, 0, 0, 1, 2, {0, 0}) +
                     Frame(0x04, 2, 0, 0, 0, 1, 2, {Grey, White}) + Trailer);
    // Without cels the trailer follows the looping extension; a comment ends at its first
    // zero byte.
    auto Empty = TSprite::Create(5, 5, *Palette, RGB(0, 0, 0));
    GifWriteSettings Settings;
    Settings.Comments = {std::string("ab\0cd", 5), "ef"};
    EXPECT_BYTES(Written(*Empty, *Palette, Settings),
                 FileStart(5, 5, 0, *Palette) + Comment("ab") + Loop(0) + Trailer);
    EXPECT_THROW(Written(*TSprite::Create(65536, 1, *Palette, 0), *Palette, {}), std::length_error);
}

TEST(GifWriter, SaveTellsItsProgressOrWhyItFailed) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(4, 3, *Palette, RGB(255, 255, 255));
    for (int I = 0; I < 3; ++I)
        Sprite->AddCel(100);
    GifWriteSettings Settings;
    Settings.Comments = {"made by the tests"};
    ScratchFolder Folder;
    std::vector<std::pair<int, int>> Progress;
    const GifWriteResult Saved = SaveGifFile((Folder / "new.gif").string(), *Sprite, *Palette,
                                             Settings, [&](int Position, int Maximum) {
                                                 Progress.push_back({Position, Maximum});
                                             });
    ASSERT_TRUE(Saved) << Saved.Reason;
    EXPECT_EQ(Saved.Reason, "");
    EXPECT_EQ(Progress, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_BYTES(ReadBytes(Folder / "new.gif"), Written(*Sprite, *Palette, Settings));
    const GifWriteResult Missing =
        SaveGifFile((Folder / "missing" / "new.gif").string(), *Sprite, *Palette, Settings);
    EXPECT_FALSE(Missing);
    EXPECT_NE(Missing.Reason.find("missing"), std::string::npos) << Missing.Reason;
    const GifWriteResult TooWide = SaveGifFile(
        (Folder / "new.gif").string(), *TSprite::Create(70000, 1, *Palette, 0), *Palette, {});
    EXPECT_NE(TooWide.Reason.find("70000 x 1"), std::string::npos) << TooWide.Reason;
    EXPECT_EQ(Folder.Names(), std::vector<std::string>{"new.gif"});
}
