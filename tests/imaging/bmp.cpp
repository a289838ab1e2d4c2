#include "imaging/Bmp.h"

#include <random>
#include <stdexcept>
#include <tuple>

#include "imaging/Limits.h"
#include "imaging/Png.h"
#include "support/BmpFile.h"
#include "support/PictureAssert.h"
#include "support/PngDecode.h"

namespace {

// A 5 x 3 picture (an odd width, so rows end inside a byte and need padding) of the
// colours below, one hexadecimal digit a pixel.
const Picture Indices{"01234", "50123", "45012"};
const std::vector<TRgbColor> Odd{{12, 34, 56}, {200, 1, 2},  {3, 201, 4},
                                 {5, 6, 202},  {70, 80, 90}, {255, 254, 253}};
// Colours every bit-field width holds exactly.
const std::vector<TRgbColor> Pure{{0, 0, 0},   {255, 0, 0},   {0, 255, 0},
                                  {0, 0, 255}, {255, 255, 0}, {255, 255, 255}};

int Digit(char C) {
    return C <= '9' ? C - '0' : C - 'a' + 10;
}

::testing::AssertionResult Shows(const TRgbPicture& Got, const std::vector<TRgbColor>& Colors,
                                 const Picture& Rows) {
    Picture Drawn(std::size_t(Got.Height), std::string(std::size_t(Got.Width), '?'));
    for (int y = 0; y < Got.Height; ++y)
        for (int x = 0; x < Got.Width; ++x)
            for (std::size_t i = 0; i < Colors.size(); ++i)
                if (Got.At(x, y) == Colors[i]) Drawn[y][x] = "0123456789abcdef"[i];
    if (Drawn == Rows) return ::testing::AssertionSuccess();
    auto Failure = ::testing::AssertionFailure() << "picture differs; read, then expected:\n";
    for (const Picture* Shown : {static_cast<const Picture*>(&Drawn), &Rows})
        for (const std::string& Row : *Shown)
            Failure << "  " << Row << "\n";
    return Failure;
}

// Rows of colours stored Bits a pixel, each channel in its mask (red, green, blue), bottom-up,
// padded. Pure colours fill a channel's bits or leave them empty, whatever its width.
Bytes TrueColorRows(int Bits, const std::array<std::uint32_t, 3>& Masks) {
    Bytes Out;
    for (auto Row = Indices.rbegin(); Row != Indices.rend(); ++Row) {
        Bytes Stored;
        for (char C : *Row) {
            const TRgbColor Color = Pure[Digit(C)];
            const std::uint32_t Pixel = (Color.Red ? Masks[0] : 0) | (Color.Green ? Masks[1] : 0) |
                                        (Color.Blue ? Masks[2] : 0);
            for (int Byte = 0; Byte < Bits / 8; ++Byte)
                Stored.push_back(std::uint8_t(Pixel >> (8 * Byte)));
        }
        Stored.resize((Stored.size() + 3) / 4 * 4, 0);
        Out = Out + Stored;
    }
    return Out;
}

BmpFile Runs(int Bits, const Bytes& Data, std::int32_t Width = 5, std::int32_t Height = 3) {
    BmpFile File;
    File.Width = Width;
    File.Height = Height;
    File.Bits = Bits;
    File.Compression = Bits == 8 ? 1 : 2;
    File.Table = Odd;
    File.Pixels = Data;
    return File;
}

// Bottom row first: stored indices with a pad byte and the end of the row; a run and stored
// indices; a move past one pixel, stored indices and the end of the picture.
const Bytes Rle8{0, 5, 4, 5, 0, 1, 2, 0, 0, 0, 1, 5, 0, 4, 0, 1,
                 2, 3, 0, 0, 0, 2, 1, 0, 0, 4, 1, 2, 3, 4, 0, 1};
const Bytes Rle4{0,    5,    0x45, 0x01, 0x20, 0,    0, 0,    1, 0x50, 0, 4,
                 0x01, 0x23, 0,    0,    2,    0x01, 2, 0x23, 1, 0x40, 0, 1};

TRgbPicture Decode(const Bytes& Data) {
    return DecodeBmp(Data.data(), Data.size());
}

// The text of the EBmpError that decoding Data throws; empty when it decodes.
std::string Refusal(const Bytes& Data) {
    try {
        Decode(Data);
    } catch (const EBmpError& Error) {
        return Error.what();
    }
    return "";
}

} // namespace

TEST(Bmp, EveryKindReadsToItsColoursAndKeepsItsColourTable) {
    for (int Bits : {4, 8}) {
        const TRgbPicture Picture = Decode(IndexedBmp(Bits, Odd, Indices));
        EXPECT_TRUE(Shows(Picture, Odd, Indices)) << Bits << " bits";
        EXPECT_EQ(Picture.Palette, Odd);
    }
    const Picture Mono{"0101100111", "1000000001", "0011111100"};
    const TRgbPicture One = Decode(IndexedBmp(1, {Odd[0], Odd[5]}, Mono));
    EXPECT_TRUE(Shows(One, {Odd[0], Odd[5]}, Mono));

    BmpFile Core;
    Core.CoreHeader = true;
    Core.Width = 5, Core.Height = 3;
    Core.Table = Odd;
    Core.Pixels = PackRows(Indices, 8);
    EXPECT_TRUE(Shows(Decode(Core.Encode()), Odd, Indices)) << "12-byte header";
    BmpFile TopDown = Core;
    TopDown.CoreHeader = false;
    TopDown.Height = -3;
    TopDown.Pixels = PackRows(Picture(Indices.rbegin(), Indices.rend()), 8);
    EXPECT_TRUE(Shows(Decode(TopDown.Encode()), Odd, Indices)) << "top-down";
    // Indices beyond the table are black.
    const TRgbPicture Short = Decode(IndexedBmp(8, {Odd[0], Odd[1]}, {"015"}));
    EXPECT_TRUE(Shows(Short, {Odd[0], Odd[1], {0, 0, 0}}, {"012"}));

    // Runs, stored indices with their padding, the end of a row, a move and the end of the
    // picture; the pixel moved past takes the first colour.
    EXPECT_TRUE(Shows(Decode(Runs(8, Rle8).Encode()), Odd, Indices)) << "run-length 8";
    EXPECT_TRUE(Shows(Decode(Runs(4, Rle4).Encode()), Odd, Indices)) << "run-length 4";

    // Plain 16 bits are 5-5-5; 32 bits may carry alpha in the top byte, which is ignored.
    const std::array<std::uint32_t, 3> Rgb555{0x7C00, 0x03E0, 0x001F},
        Rgb565{0xF800, 0x07E0, 0x001F}, Rgb888{0xFF0000, 0x00FF00, 0x0000FF},
        Bgr888{0x0000FF, 0x00FF00, 0xFF0000};
    const std::tuple<int, std::uint32_t, std::array<std::uint32_t, 3>> Kinds[] = {
        {24, 0, Rgb888}, {16, 0, Rgb555}, {16, 3, Rgb565}, {32, 0, Rgb888}, {32, 3, Bgr888}};
    for (const auto& [Bits, Compression, Masks] : Kinds) {
        BmpFile File;
        File.Width = 5, File.Height = 3;
        File.Bits = Bits;
        File.Compression = Compression;
        File.Masks = Compression == 3 ? Masks : std::array<std::uint32_t, 3>{};
        File.Pixels = TrueColorRows(Bits, Masks);
        if (Bits == 32 && Compression == 0)
            for (std::size_t K = 3; K < File.Pixels.size(); K += 4)
                File.Pixels[K] = 0xFF;
        const TRgbPicture Picture = Decode(File.Encode());
        EXPECT_TRUE(Shows(Picture, Pure, Indices)) << Bits << " bits, kind " << Compression;
        EXPECT_TRUE(Picture.Palette.empty());
    }
}

TEST(Bmp, DamagedFilesAndSizesOverTheLimitsAreRefused) {
    const Bytes Whole = IndexedBmp(8, Odd, Indices);
    // Cut in the file header, the picture header, the colour table and the top row's last
    // pixel; only the top row's padding missing still holds every pixel.
    for (std::size_t Length : {std::size_t(0), std::size_t(1), std::size_t(13), std::size_t(30),
                               std::size_t(60), Whole.size() - 4})
        EXPECT_NE(Refusal(Bytes(Whole.begin(), Whole.begin() + std::ptrdiff_t(Length))), "")
            << "cut to " << Length;
    EXPECT_TRUE(Shows(Decode(Bytes(Whole.begin(), Whole.end() - 3)), Odd, Indices));

    // Runs that stop before the picture is complete; ending without the end mark once the
    // last pixel is reached is whole, and an early end mark leaves the rest the first colour.
    for (std::size_t Length : {Rle8.size() - 4, Rle8.size() / 2, std::size_t(3)})
        EXPECT_NE(
            Refusal(Runs(8, Bytes(Rle8.begin(), Rle8.begin() + std::ptrdiff_t(Length))).Encode()),
            "")
            << "runs cut to " << Length;
    EXPECT_TRUE(Shows(Decode(Runs(8, Bytes(Rle8.begin(), Rle8.end() - 2)).Encode()), Odd, Indices));
    EXPECT_TRUE(Shows(Decode(Runs(8, {0, 1}).Encode()), Odd, {"00000", "00000", "00000"}));

    BmpFile Kind = Runs(8, {0, 1});
    Kind.Height = -3;
    EXPECT_NE(Refusal(Kind.Encode()), "") << "run-length rows top-down";
    for (auto [Bits, Compression] : {std::pair{2, 0u}, {8, 4u}, {24, 1u}, {8, 3u}}) {
        Kind = Runs(8, PackRows(Indices, 8));
        Kind.Bits = Bits;
        Kind.Compression = Compression;
        EXPECT_EQ(Refusal(Kind.Encode()), "Unsupported kind of BMP picture")
            << Bits << ", " << Compression;
    }
    Bytes Header = Whole;
    Header[14] = 20;
    EXPECT_EQ(Refusal(Header), "Unknown kind of BMP header");
    Header = Whole;
    Header[0] = 'P';
    EXPECT_EQ(Refusal(Header), "Not a BMP picture");
    EXPECT_EQ(Refusal(Runs(8, {0, 1}, 0, 3).Encode()), "BMP picture without pixels");

    // A few bytes of runs may claim any size: the header is held to the limits first.
    for (auto [Width, Height] : {std::pair{MaxPictureSide + 1, 1},
                                 {1, MaxPictureSide + 1},
                                 {8193, 8192},
                                 {16000, 16000}}) {
        try {
            Decode(Runs(8, {0, 1}, Width, Height).Encode());
            ADD_FAILURE() << Width << " x " << Height << " was read";
        } catch (const EPictureTooLarge& Error) {
            EXPECT_EQ(std::make_pair(Error.Width, Error.Height),
                      std::make_pair(std::int64_t(Width), std::int64_t(Height)));
        }
    }
    EXPECT_EQ(Decode(Runs(8, {0, 1}, MaxPictureSide, 1).Encode()).Width, MaxPictureSide);

    try {
        LoadBmpFile("no such picture.bmp");
        ADD_FAILURE() << "a missing file was read";
    } catch (const EBmpError& Error) {
        EXPECT_EQ(std::string(Error.what()).rfind("no such picture.bmp: No such file", 0), 0u)
            << Error.what();
    }
}

TEST(Bmp, ACelIsWrittenWithItsUserColoursAndComesBackOnTheSamePalette) {
    const std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    TPxBitmap Cel(8, 5, 2, *Palette);
    // Reserved entries 0 (black) and 255 (white) go to the user colours of the same colour.
    const std::uint8_t Painted[2][5] = {{0, 255, CubeIndex(255, 0, 0), 245, 10},
                                        {CubeIndex(0, 51, 102), 11, 0, 0, 255}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            Cel.ScanLine(y)[x] = Painted[y][x];

    const Bytes File = EncodeBmp(Cel);
    EXPECT_EQ(File.size(), 14u + 40 + 236 * 4 + 2 * 8);
    const TRgbPicture Read = Decode(File);
    ASSERT_EQ(Read.Palette.size(), std::size_t(UserColorCount));
    for (int i = 0; i < UserColorCount; ++i)
        ASSERT_EQ(Read.Palette[i], Palette->Entry(FirstUserColor + i).Color()) << i;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Read.At(x, y), Cel.ColorTable()[Cel.IndexAt(x, y)]) << x << ", " << y;
    EXPECT_TRUE(TPxPalette::CreateFromGraphic(Read)->Equals(*Palette));
}

// Transparency is checked on the cels written for other programs.
TEST(Png, IndicesAndPaletteReadBackByLibpng) {
    // Random indices deflate badly, so the data runs over several IDAT chunks.
    std::mt19937 Random(16);
    TIndexedPng Image;
    Image.Width = 301;
    Image.Height = 257;
    for (int i = 0; i < 200; ++i)
        Image.Palette.push_back(
            {std::uint8_t(Random()), std::uint8_t(Random()), std::uint8_t(Random())});
    std::vector<std::uint8_t> Indices(std::size_t(Image.Width) * Image.Height);
    for (std::uint8_t& Index : Indices)
        Index = std::uint8_t(Random() % 200);
    Bytes File;
    WriteIndexedPng(AppendTo(File), Image, [&](int Y, std::uint8_t* Row) {
        std::copy_n(&Indices[std::size_t(Y) * Image.Width], Image.Width, Row);
    });

    const DecodedPng Read = DecodeIndexedPng(File);
    ASSERT_EQ(Read.Error, "");
    EXPECT_EQ(std::make_tuple(Read.Width, Read.Height, Read.Palette),
              std::make_tuple(301, 257, Image.Palette));
    EXPECT_EQ(Read.Indices, Indices);

    const auto Fill = [](int, std::uint8_t*) {};
    const auto Sink = AppendTo(File);
    EXPECT_THROW(WriteIndexedPng(Sink, {0, 5, {{}}, -1}, Fill), std::length_error);
    EXPECT_THROW(WriteIndexedPng(Sink, {5, 5, {}, -1}, Fill), std::invalid_argument);
    EXPECT_THROW(WriteIndexedPng(Sink, {5, 5, std::vector<TRgbColor>(257), -1}, Fill),
                 std::invalid_argument);
    EXPECT_THROW(WriteIndexedPng(Sink, {5, 5, {{}, {}}, 2}, Fill), std::invalid_argument);
}
