#include "imaging/Jpeg.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "support/PictureAssert.h"

namespace {

const std::string DataDir = std::string(VIMBREL_TEST_DATA) + "/";

// JPEG is lossy: flat areas come back close to, not equal to, what was stored.
::testing::AssertionResult ColourNear(const TRgbPicture& Picture, int X, int Y, TRgbColor Want,
                                      int Tolerance = 12) {
    const TRgbColor Got = Picture.At(X, Y);
    const int Off = std::max({std::abs(Got.Red - Want.Red), std::abs(Got.Green - Want.Green),
                              std::abs(Got.Blue - Want.Blue)});
    if (Off <= Tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << X << ", " << Y << ") is " << Off << " off in one channel";
}

// Where the first (or last) marker FF Kind lies. Entropy-coded data never holds FF
// followed by anything but 00 or a restart marker, so a plain search finds markers.
std::size_t FindMarker(const Bytes& Data, std::uint8_t Kind, bool Last = false) {
    const Bytes Marker{0xFF, Kind};
    const auto At = Last ? std::find_end(Data.begin(), Data.end(), Marker.begin(), Marker.end())
                         : std::search(Data.begin(), Data.end(), Marker.begin(), Marker.end());
    EXPECT_NE(At, Data.end()) << "no marker FF " << std::hex << int(Kind);
    return std::size_t(At - Data.begin());
}

// The text of the EJpegError that decoding Data throws; empty when it decodes.
std::string Refusal(const Bytes& Data) {
    try {
        DecodeJpeg(Data);
    } catch (const EJpegError& Error) {
        return std::string(Error.what()) + " ";
    }
    return "";
}

} // namespace

TEST(Jpeg, EveryKindOfFileDecodesToRgb) {
    for (const char* Name :
         {"colour.jpg", "progressive.jpg", "cmyk.jpg", "ycck.jpg", "cmyk_plain.jpg"}) {
        SCOPED_TRACE(Name);
        const TRgbPicture Picture = LoadJpegFile(DataDir + Name);
        ASSERT_EQ(std::make_pair(Picture.Width, Picture.Height), std::make_pair(37, 21));
        EXPECT_TRUE(Picture.Palette.empty());
        EXPECT_TRUE(ColourNear(Picture, 4, 4, {255, 0, 0}));
        EXPECT_TRUE(ColourNear(Picture, 27, 11, {0, 255, 0}));
        EXPECT_TRUE(ColourNear(Picture, 36, 20, {0, 0, 255}));
    }
    const TRgbPicture Grey = LoadJpegFile(DataDir + "grey.jpg");
    ASSERT_EQ(std::make_pair(Grey.Width, Grey.Height), std::make_pair(24, 16));
    EXPECT_TRUE(ColourNear(Grey, 20, 12, {255, 255, 255}, 4));
}

TEST(Jpeg, DamagedAndHostileDataIsRefusedWithTheReason) {
    for (const char* Name : {"colour.jpg", "progressive.jpg", "cmyk.jpg"}) {
        const Bytes Whole = ReadBytes(DataDir + Name);
        const std::size_t Scan = FindMarker(Whole, 0xDA);
        for (std::size_t Length : {std::size_t(1), std::size_t(2), std::size_t(40), Scan, Scan + 20,
                                   Whole.size() / 2, Whole.size() - 30, Whole.size() - 2})
            EXPECT_NE(Refusal(Bytes(Whole.begin(), Whole.begin() + std::ptrdiff_t(Length))), "")
                << Name << " cut to " << Length;
    }
    EXPECT_THROW(DecodeJpeg(nullptr, 0), EJpegError);
    std::mt19937 Random(7);
    Bytes Garbage(4000);
    for (auto& Byte : Garbage)
        Byte = std::uint8_t(Random());
    EXPECT_NE(Refusal(Garbage), "");
    // A marker in the middle of the scan data.
    Bytes Data = ReadBytes(DataDir + "colour.jpg");
    const std::size_t Middle = (FindMarker(Data, 0xDA) + Data.size()) / 2;
    Bytes Damaged = Data;
    Damaged[Middle] = 0xFF, Damaged[Middle + 1] = 0xD9;
    EXPECT_NE(Refusal(Damaged), "");
    // A header over the picture limits is refused before anything is allocated or decoded;
    // within them the data that is then missing fails.
    for (auto [Width, Height] : {std::pair{16000, 16000}, {40000, 8}, {8193, 8192}, {1000, 1000}}) {
        Bytes Sized = Data;
        const std::size_t Frame = FindMarker(Sized, 0xC0);
        Sized[Frame + 5] = std::uint8_t(Height >> 8), Sized[Frame + 6] = std::uint8_t(Height);
        Sized[Frame + 7] = std::uint8_t(Width >> 8), Sized[Frame + 8] = std::uint8_t(Width);
        try {
            DecodeJpeg(Sized);
            ADD_FAILURE() << Width << " x " << Height << " decoded";
        } catch (const EPictureTooLarge& Error) {
            EXPECT_NE(Width, 1000);
            EXPECT_EQ(std::make_pair(Error.Width, Error.Height),
                      std::make_pair(std::int64_t(Width), std::int64_t(Height)));
        } catch (const EJpegError&) {
            EXPECT_EQ(Width, 1000);
        }
    }
    // The last scan of a progressive file repeated: libjpeg would only warn and decode on,
    // rescanning the picture each time.
    const Bytes Progressive = ReadBytes(DataDir + "progressive.jpg");
    const auto LastScan = Progressive.begin() + std::ptrdiff_t(FindMarker(Progressive, 0xDA, true));
    auto Repeated = [&](int Times) {
        Bytes Out(Progressive.begin(), Progressive.end() - 2);
        for (int I = 0; I < Times; ++I)
            Out.insert(Out.end(), LastScan, Progressive.end() - 2);
        return Out + Bytes{0xFF, 0xD9};
    };
    EXPECT_EQ(Refusal(Repeated(5)), "");
    EXPECT_NE(Refusal(Repeated(600)).find("scans"), std::string::npos);
    for (auto [Name, Says] :
         {std::pair{"png_named.jpg", "Not a JPEG file"}, {"no such picture.jpg", "No such file"}}) {
        try {
            LoadJpegFile(DataDir + Name);
            ADD_FAILURE() << Name << " decoded";
        } catch (const EJpegError& Error) {
            EXPECT_NE(std::string(Error.what()).find(std::string(Name) + ": " + Says),
                      std::string::npos)
                << Error.what();
        }
    }
    EXPECT_THROW(LoadJpegFile(DataDir), EJpegError) << "a folder opens but cannot be read";
}
