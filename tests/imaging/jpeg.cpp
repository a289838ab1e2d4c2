#include "imaging/Jpeg.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const std::string DataDir = VIMBREL_TEST_DATA;

std::vector<std::uint8_t> ReadFile(const std::string& Name) {
    std::ifstream In(DataDir + "/" + Name, std::ios::binary);
    EXPECT_TRUE(In) << Name;
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// JPEG is lossy: flat areas come back close to, not equal to, what was stored.
::testing::AssertionResult ColourNear(const RgbPicture& Picture, int X, int Y, RgbColor Want,
                                      int Tolerance = 12) {
    const RgbColor Got = Picture.At(X, Y);
    if (std::abs(Got.Red - Want.Red) <= Tolerance &&
        std::abs(Got.Green - Want.Green) <= Tolerance &&
        std::abs(Got.Blue - Want.Blue) <= Tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << X << ", " << Y << ") is (" << int(Got.Red) << ", " << int(Got.Green)
           << ", " << int(Got.Blue) << "), expected about (" << int(Want.Red) << ", "
           << int(Want.Green) << ", " << int(Want.Blue) << ")";
}

constexpr RgbColor Red{255, 0, 0};
constexpr RgbColor Green{0, 255, 0};
constexpr RgbColor Blue{0, 0, 255};

// The offset of each marker segment's FF byte up to the first scan's data, and of every
// further marker that follows entropy-coded data.
std::vector<std::size_t> MarkerOffsets(const std::vector<std::uint8_t>& Data) {
    std::vector<std::size_t> Offsets;
    std::size_t At = 2;
    while (At + 2 <= Data.size() && Data[At] == 0xFF) {
        Offsets.push_back(At);
        const std::uint8_t Kind = Data[At + 1];
        if (Kind == 0xD9 || At + 4 > Data.size()) break;
        At += 2 + (std::size_t(Data[At + 2]) << 8 | Data[At + 3]);
        if (Kind != 0xDA) continue;
        // Entropy-coded data runs to the next FF that is neither stuffing nor a restart.
        while (At + 1 < Data.size() &&
               !(Data[At] == 0xFF && Data[At + 1] != 0 && (Data[At + 1] & 0xF8) != 0xD0))
            ++At;
    }
    return Offsets;
}

std::size_t FindMarker(const std::vector<std::uint8_t>& Data, std::uint8_t Kind) {
    for (std::size_t At : MarkerOffsets(Data))
        if (Data[At + 1] == Kind) return At;
    ADD_FAILURE() << "no marker FF " << std::hex << int(Kind);
    return 0;
}

// The frame header of a baseline or progressive file set to another size.
std::vector<std::uint8_t> WithSize(std::vector<std::uint8_t> Data, int Width, int Height) {
    std::size_t Frame = FindMarker(Data, 0xC0);
    if (Frame == 0) Frame = FindMarker(Data, 0xC2);
    Data[Frame + 5] = std::uint8_t(Height >> 8);
    Data[Frame + 6] = std::uint8_t(Height);
    Data[Frame + 7] = std::uint8_t(Width >> 8);
    Data[Frame + 8] = std::uint8_t(Width);
    return Data;
}

} // namespace

TEST(Jpeg, EveryColourKindDecodesToRgb) {
    for (const char* Name :
         {"colour.jpg", "progressive.jpg", "cmyk.jpg", "ycck.jpg", "cmyk_plain.jpg"}) {
        SCOPED_TRACE(Name);
        const RgbPicture Picture = LoadJpegFile(DataDir + "/" + Name);
        ASSERT_EQ(Picture.Width, 37);
        ASSERT_EQ(Picture.Height, 21);
        ASSERT_EQ(Picture.Pixels.size(), 37u * 21u * 3u);
        EXPECT_TRUE(Picture.Palette.empty());
        EXPECT_TRUE(ColourNear(Picture, 4, 4, Red));
        EXPECT_TRUE(ColourNear(Picture, 11, 11, Red));
        EXPECT_TRUE(ColourNear(Picture, 20, 4, Green));
        EXPECT_TRUE(ColourNear(Picture, 27, 11, Green));
        EXPECT_TRUE(ColourNear(Picture, 35, 4, Blue));
        EXPECT_TRUE(ColourNear(Picture, 4, 19, Blue));
        EXPECT_TRUE(ColourNear(Picture, 36, 20, Blue));
    }
}

TEST(Jpeg, GreyScaleBecomesEqualChannels) {
    const RgbPicture Picture = LoadJpegFile(DataDir + "/grey.jpg");
    ASSERT_EQ(Picture.Width, 24);
    ASSERT_EQ(Picture.Height, 16);
    for (int Y = 0; Y < Picture.Height; ++Y)
        for (int X = 0; X < Picture.Width; ++X) {
            const RgbColor C = Picture.At(X, Y);
            ASSERT_TRUE(C.Red == C.Green && C.Green == C.Blue) << X << ", " << Y;
        }
    EXPECT_TRUE(ColourNear(Picture, 4, 4, {0, 0, 0}, 4));
    EXPECT_TRUE(ColourNear(Picture, 12, 10, {128, 128, 128}, 4));
    EXPECT_TRUE(ColourNear(Picture, 20, 12, {255, 255, 255}, 4));
}

TEST(Jpeg, BytesAndFileGiveTheSamePicture) {
    const RgbPicture FromFile = LoadJpegFile(DataDir + "/progressive.jpg");
    const RgbPicture FromBytes = DecodeJpeg(ReadFile("progressive.jpg"));
    EXPECT_EQ(FromBytes.Width, FromFile.Width);
    EXPECT_EQ(FromBytes.Pixels, FromFile.Pixels);
}

TEST(Jpeg, TruncatedFilesAreRefused) {
    for (const char* Name : {"colour.jpg", "progressive.jpg", "cmyk.jpg"}) {
        const std::vector<std::uint8_t> Whole = ReadFile(Name);
        const std::size_t Scan = FindMarker(Whole, 0xDA);
        for (std::size_t Length : {std::size_t(1), std::size_t(2), std::size_t(40), Scan, Scan + 20,
                                   Whole.size() / 2, Whole.size() - 30, Whole.size() - 2}) {
            SCOPED_TRACE(std::string(Name) + " cut to " + std::to_string(Length));
            const std::vector<std::uint8_t> Cut(Whole.begin(), Whole.begin() + Length);
            EXPECT_THROW(DecodeJpeg(Cut), JpegError);
        }
    }
}

TEST(Jpeg, DataThatIsNoJpegIsRefusedWithTheReason) {
    EXPECT_THROW(DecodeJpeg(std::vector<std::uint8_t>()), JpegError);
    EXPECT_THROW(DecodeJpeg(nullptr, 0), JpegError);

    std::mt19937 Random(7);
    std::vector<std::uint8_t> Garbage(4000);
    for (auto& Byte : Garbage)
        Byte = std::uint8_t(Random());
    EXPECT_THROW(DecodeJpeg(Garbage), JpegError);
    // Garbage behind a valid start of image.
    Garbage[0] = 0xFF;
    Garbage[1] = 0xD8;
    EXPECT_THROW(DecodeJpeg(Garbage), JpegError);

    try {
        LoadJpegFile(DataDir + "/png_named.jpg");
        FAIL() << "a PNG decoded as JPEG";
    } catch (const JpegError& Error) {
        const std::string What = Error.what();
        EXPECT_NE(What.find("png_named.jpg"), std::string::npos) << What;
        EXPECT_NE(What.find("Not a JPEG file"), std::string::npos) << What;
    }

    try {
        LoadJpegFile(DataDir + "/no such picture.jpg");
        FAIL() << "a missing file decoded";
    } catch (const JpegError& Error) {
        EXPECT_NE(std::string(Error.what()).find("no such picture.jpg"), std::string::npos);
    }
    // A folder opens on Linux but cannot be read.
    EXPECT_THROW(LoadJpegFile(DataDir), JpegError);
}

TEST(Jpeg, DamagedScanDataIsRefused) {
    // Bytes in the middle of the scan replaced by a marker the decoder does not expect there.
    std::vector<std::uint8_t> Data = ReadFile("colour.jpg");
    const std::size_t Middle = (FindMarker(Data, 0xDA) + Data.size()) / 2;
    Data[Middle] = 0xFF;
    Data[Middle + 1] = 0xD9;
    EXPECT_THROW(DecodeJpeg(Data), JpegError);
}

TEST(Jpeg, AbsurdSizesAreRefusedBeforeDecoding) {
    const std::vector<std::uint8_t> Data = ReadFile("colour.jpg");
    for (auto [Width, Height] : {std::pair{65000, 65000}, std::pair{16385, 16384}}) {
        try {
            DecodeJpeg(WithSize(Data, Width, Height));
            FAIL() << Width << " x " << Height << " decoded";
        } catch (const JpegError& Error) {
            EXPECT_NE(std::string(Error.what()).find("too large"), std::string::npos)
                << Error.what();
        }
    }
    // The same trick within the limit only fails on the data that is then missing.
    EXPECT_THROW(DecodeJpeg(WithSize(Data, 1000, 1000)), JpegError);
}

TEST(Jpeg, EndlessProgressionIsRefused) {
    // The last refinement scan of a progressive file repeated hundreds of times: libjpeg
    // would only warn and decode on, rescanning the picture each time.
    const std::vector<std::uint8_t> Data = ReadFile("progressive.jpg");
    // A scan may bring its own tables: it starts after the data of the scan before.
    const std::vector<std::size_t> Markers = MarkerOffsets(Data);
    ASSERT_GE(Markers.size(), 3u);
    const std::size_t End = Markers.back();
    ASSERT_EQ(Data[End + 1], 0xD9);
    std::size_t First = Markers.size() - 2;
    ASSERT_EQ(Data[Markers[First] + 1], 0xDA);
    while (First > 0 && Data[Markers[First - 1] + 1] != 0xDA)
        --First;
    ASSERT_GT(First, 0u) << "not a progressive file";
    const std::size_t LastScan = Markers[First];

    auto Repeated = [&](int Times) {
        std::vector<std::uint8_t> Out(Data.begin(), Data.begin() + End);
        for (int I = 0; I < Times; ++I)
            Out.insert(Out.end(), Data.begin() + LastScan, Data.begin() + End);
        Out.insert(Out.end(), {0xFF, 0xD9});
        return Out;
    };
    EXPECT_NO_THROW(DecodeJpeg(Repeated(5)));
    try {
        DecodeJpeg(Repeated(600));
        FAIL() << "600 scans decoded";
    } catch (const JpegError& Error) {
        EXPECT_NE(std::string(Error.what()).find("scans"), std::string::npos) << Error.what();
    }
}

TEST(Jpeg, HarmlessWarningsNeitherFailNorPrint) {
    // Stray bytes between two header segments: libjpeg warns and goes on.
    std::vector<std::uint8_t> Data = ReadFile("colour.jpg");
    const std::size_t Tables = FindMarker(Data, 0xDB);
    Data.insert(Data.begin() + Tables, {'x', 'y', 'z'});

    ::testing::internal::CaptureStderr();
    RgbPicture Picture;
    EXPECT_NO_THROW(Picture = DecodeJpeg(Data));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(Picture.Width, 37);
    EXPECT_TRUE(ColourNear(Picture, 20, 4, Green));
}
