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

GifReadResult Open(const std::string& Name) {
    return ReadGifFile((Fixtures / (Name + ".gif")).string());
}

// The viewer's frames of Name, one after the other.
std::vector<std::uint8_t> FramesOf(const std::string& Name) {
    return ReadBytes(Fixtures / (Name + ".frames.rgba"));
}

} // namespace

TEST(GifReaderFixtures, FilesThatComposeAsAViewerShowsThem) {
    struct Expectation {
        const char* Name;
        bool Transparent;
        std::vector<int> Delays; // empty: not checked
        int Disposal;            // of every cel; with the loop count, -1: not checked
        int LoopCount;
        int Agree = 99;              // the cels before the first where the rules differ
        const char* Shows = nullptr; // when the cels show the frames of another file
    };
    const std::vector<int> Slow(3, 200);
    const std::vector<Expectation> Files = {
        {"gs-disposal-none", false, Slow, 0, 3},
        {"gs-disposal-asis", false, Slow, 1, 3},
        {"gs-disposal-background", false, Slow, 2, 3},
        // A viewer restores the picture before each frame; the editor draws each one over
        // the last, which is what a viewer shows for the same frames with disposal 1.
        {"gs-disposal-previous", false, Slow, 3, 3, 99, "gs-disposal-asis"},
        // A frame without graphic control is drawn on a cleared picture.
        {"gs-comment", false, {100, 100}, 2, 0, 1},
        {"im-transparent", true, {}, -1, -1},
        {"im-local-colors", false, {70, 70}, -1, -1},
        {"im-interlaced", false, {}, -1, -1},
        {"im-gif87a", false, {}, -1, -1},
        {"im-zero-delays", false, {100, 100, 100}, -1, -1},
    };
    for (const Expectation& File : Files) {
        SCOPED_TRACE(File.Name);
        const GifReadResult Result = Open(File.Name);
        ASSERT_TRUE(Result.Opened()) << Result.Error;
        EXPECT_TRUE(Result.Faults.empty());
        const std::vector<std::uint8_t> Frames = FramesOf(File.Shows ? File.Shows : File.Name);
        const std::size_t FrameBytes =
            std::size_t(Result.Sprite->Width()) * std::size_t(Result.Sprite->Height()) * 4;
        ASSERT_EQ(std::size_t(Result.Sprite->CelCount()) * FrameBytes, Frames.size());
        std::vector<int> Delays;
        for (int Cel = 0; Cel < Result.Sprite->CelCount(); ++Cel) {
            const auto Shows = CelShowsFrame(Result, Cel, Frames, std::size_t(Cel) * FrameBytes);
            // Where the rules differ the test must see it, or it compares nothing.
            EXPECT_EQ(bool(Shows), Cel < File.Agree) << Cel << ": " << Shows.message();
            Delays.push_back(Result.Sprite->Cel(Cel).Delay());
            if (File.Disposal >= 0) {
                EXPECT_EQ(Result.Sprite->Cel(Cel).Disposal(), File.Disposal);
            }
        }
        if (!File.Delays.empty()) {
            EXPECT_EQ(Delays, File.Delays);
        }
        if (File.LoopCount >= 0) {
            EXPECT_EQ(Result.LoopCount, File.LoopCount);
        }
        EXPECT_EQ(Result.BackgroundTransparent, File.Transparent);
    }
}

TEST(GifReaderFixtures, ANewTransparentColourKeepsThePicture) {
    // gifsicle gives the second frame another transparent colour (#3060a0, the first
    // frame's blue) than the first (#ff00ff), only to skip the pixels that stay. The
    // background stays magenta, the blue stays drawn, and only the patch's opaque pixels
    // are drawn on the picture composed so far, as a viewer shows it.
    const GifReadResult File = Open("gs-transparent");
    ASSERT_TRUE(File.Opened()) << File.Error;
    EXPECT_TRUE(File.BackgroundTransparent);
    const PictureLegend Legend = {{10, '.'}, {11, 'm'}, {12, '#'}, {13, 'o'}};
    // The transparent corners show the first transparent colour, magenta.
    EXPECT_PICTURE(File.Sprite->CelBitmap(0), Legend,
                   {"m.......", "........", "..####..", "..####..", "..####..", "..####..",
                    "........", ".......m"});
    EXPECT_PICTURE(File.Sprite->CelBitmap(1), Legend,
                   {"m.......", "........", "..#oo#..", "..#oo#..", "..#oo#..", "..#oo#..",
                    "........", ".......m"});
    EXPECT_EQ(File.Sprite->BackColor(), PALETTERGB(0xFF, 0x00, 0xFF));
}
