// Files written by other encoders (ImageMagick and gifsicle, see make_fixtures.sh) open
// with the frames a viewer shows wherever the editor's rules agree with a viewer's, and
// with the editor's own pictures where they do not.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GifReader.h"
#include "reader_frames.h"
#include "support/PictureAssert.h"

namespace fs = std::filesystem;

namespace {

const fs::path Fixtures = fs::path(VIMBREL_TEST_DATA) / "fixtures";

struct Fixture {
    GifReadResult Result;
    std::vector<std::uint8_t> Frames; // the viewer's frames, one after the other
    std::size_t FrameBytes = 0;

    explicit Fixture(const std::string& Name)
        : Result(ReadGifFile((Fixtures / (Name + ".gif")).string())),
          Frames(ReadBytes(Fixtures / (Name + ".frames.rgba"))) {
        if (Result.Opened())
            FrameBytes = std::size_t(Result.Sprite->Width()) * Result.Sprite->Height() * 4;
    }
    int FrameCount() const { return FrameBytes ? int(Frames.size() / FrameBytes) : 0; }
    ::testing::AssertionResult CelShows(int Cel, int Frame) const {
        return CelShowsFrame(Result, Cel, Frames, std::size_t(Frame) * FrameBytes);
    }
    std::vector<int> Delays() const {
        std::vector<int> Values;
        for (int Index = 0; Index < Result.Sprite->CelCount(); ++Index)
            Values.push_back(Result.Sprite->Cel(Index).Delay());
        return Values;
    }
    std::vector<int> Disposals() const {
        std::vector<int> Values;
        for (int Index = 0; Index < Result.Sprite->CelCount(); ++Index)
            Values.push_back(Result.Sprite->Cel(Index).Disposal());
        return Values;
    }
};

} // namespace

TEST(GifReaderFixtures, FilesThatComposeAsAViewerShowsThem) {
    for (const char* Name :
         {"gs-disposal-none", "gs-disposal-asis", "gs-disposal-background", "im-transparent",
          "im-local-colors", "im-interlaced", "im-gif87a", "im-zero-delays"}) {
        SCOPED_TRACE(Name);
        const Fixture File(Name);
        ASSERT_TRUE(File.Result.Opened()) << File.Result.Error;
        EXPECT_TRUE(File.Result.Faults.empty());
        ASSERT_EQ(File.Result.Sprite->CelCount(), File.FrameCount());
        for (int Cel = 0; Cel < File.FrameCount(); ++Cel)
            EXPECT_TRUE(File.CelShows(Cel, Cel));
    }
}

TEST(GifReaderFixtures, DelaysDisposalsLoopsAndTransparency) {
    for (const auto& [Name, Disposal] :
         std::vector<std::pair<std::string, int>>{{"gs-disposal-none", 0},
                                                  {"gs-disposal-asis", 1},
                                                  {"gs-disposal-background", 2},
                                                  {"gs-disposal-previous", 3}}) {
        const Fixture File(Name);
        EXPECT_EQ(File.Disposals(), std::vector<int>(3, Disposal)) << Name;
        EXPECT_EQ(File.Delays(), std::vector<int>(3, 200)) << Name;
        EXPECT_EQ(File.Result.LoopCount, 3) << Name;
        EXPECT_FALSE(File.Result.BackgroundTransparent) << Name;
    }
    EXPECT_EQ(Fixture("im-zero-delays").Delays(), (std::vector<int>{100, 100, 100}));
    EXPECT_EQ(Fixture("im-local-colors").Delays(), (std::vector<int>{70, 70}));
    EXPECT_TRUE(Fixture("im-transparent").Result.BackgroundTransparent);
    EXPECT_EQ(Fixture("gs-comment").Result.Comments,
              (std::vector<std::string>{"made with gifsicle"}));
}

TEST(GifReaderFixtures, DisposalThreeDrawsOverThePictureBefore) {
    // A viewer restores the picture before each frame; the editor draws each frame over
    // the last one, which is what a viewer shows for the same frames with disposal 1.
    const Fixture Previous("gs-disposal-previous");
    const Fixture Asis("gs-disposal-asis");
    ASSERT_TRUE(Previous.Result.Opened()) << Previous.Result.Error;
    EXPECT_TRUE(Previous.CelShows(0, 0));
    EXPECT_FALSE(Previous.CelShows(1, 1));
    for (int Cel = 0; Cel < 3; ++Cel)
        EXPECT_TRUE(CelShowsFrame(Previous.Result, Cel, Asis.Frames, Cel * Asis.FrameBytes));
}

TEST(GifReaderFixtures, AFrameWithoutGraphicControlIsDrawnOnAClearedPicture) {
    const Fixture File("gs-comment");
    ASSERT_TRUE(File.Result.Opened()) << File.Result.Error;
    EXPECT_TRUE(File.CelShows(0, 0));
    // The 4 x 4 patch at (1, 1), on the background colour (colour 0, #f0d020).
    const TPxBitmap& Cel = File.Result.Sprite->CelBitmap(1);
    const RgbColor Background{0xF0, 0xD0, 0x20};
    for (int Y = 0; Y < 8; ++Y)
        for (int X = 0; X < 8; ++X) {
            const bool InPatch = X >= 1 && X < 5 && Y >= 1 && Y < 5;
            EXPECT_EQ(Cel.ColorTable()[Cel.IndexAt(X, Y)] == Background, !InPatch)
                << X << ", " << Y;
        }
}

TEST(GifReaderFixtures, ANewTransparentColourKeepsThePicture) {
    // gifsicle gives the second frame another transparent colour (#3060a0, the first
    // frame's blue) than the first (#ff00ff). That colour becomes the background, but the
    // picture composed so far stays, and only the patch's opaque pixels are drawn on it,
    // as a viewer shows it.
    const Fixture File("gs-transparent");
    ASSERT_TRUE(File.Result.Opened()) << File.Result.Error;
    EXPECT_TRUE(File.Result.BackgroundTransparent);
    const PictureLegend Legend = {{10, '.'}, {11, 'm'}, {12, '#'}, {13, 'o'}};
    // The transparent corners show the first transparent colour, magenta.
    EXPECT_PICTURE(File.Result.Sprite->CelBitmap(0), Legend,
                   {"m.......", "........", "..####..", "..####..", "..####..", "..####..",
                    "........", ".......m"});
    EXPECT_PICTURE(File.Result.Sprite->CelBitmap(1), Legend,
                   {"m.......", "........", "..#oo#..", "..#oo#..", "..#oo#..", "..#oo#..",
                    "........", ".......m"});
    EXPECT_EQ(File.Result.Sprite->BackColor(), PALETTERGB(0x30, 0x60, 0xA0));
}
