// Two public GIF test suites and the damaged files the fuzz target found: every file opens
// or fails with a reason, and where the editor's composition rules agree with a viewer's
// the cels show the frames the suite expects.
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GifReader.h"
#include "reader_frames.h"

namespace fs = std::filesystem;

namespace {

const fs::path Data = VIMBREL_TEST_DATA;

std::string ReadText(const fs::path& Path) {
    const std::vector<std::uint8_t> Bytes = ReadBytes(Path);
    return std::string(Bytes.begin(), Bytes.end());
}

std::vector<fs::path> FilesIn(const fs::path& Folder, const std::string& Extension) {
    std::vector<fs::path> Files;
    for (const fs::directory_entry& Entry : fs::directory_iterator(Folder))
        if (Entry.path().extension() == Extension) Files.push_back(Entry.path());
    std::sort(Files.begin(), Files.end());
    return Files;
}

// A pygif .conf file: "key = value" lines in [sections].
std::map<std::string, std::map<std::string, std::string>> ReadConf(const fs::path& Path) {
    std::map<std::string, std::map<std::string, std::string>> Sections;
    std::istringstream Text(ReadText(Path));
    std::string Line, Section;
    while (std::getline(Text, Line)) {
        if (!Line.empty() && Line[0] == '[') {
            Section = Line.substr(1, Line.find(']') - 1);
        } else if (const std::size_t Equal = Line.find(" = "); Equal != std::string::npos) {
            Sections[Section][Line.substr(0, Equal)] = Line.substr(Equal + 3);
        }
    }
    return Sections;
}

} // namespace

TEST(GifReaderSuites, PygifFilesOpenOrFailAndShowTheFramesWhereTheRulesAgree) {
    // Where the editor's rules differ from a viewer's on purpose:
    const std::set<std::string> Differ = {
        "animation-multi-image",    // images without graphic control clear the picture
        "images-combine",           // the same
        "dispose-restore-previous", // disposal 3 draws over the picture before
        "high-color",               // local colours go into one palette of 236
        "image-outside-bg",         // an image of the screen's size is drawn at (0, 0)
        "image-overlap-bg",         // the same
    };
    // The suite folds images without a delay into the next frame; the editor keeps one cel
    // per image, so these frames are the cels that end each group.
    const std::map<std::string, std::vector<int>> FrameCels = {
        {"animation-multi-image-explicit-zero-delay", {0, 2, 4, 6}}, {"images-overlap", {1}}};

    std::set<std::string> Failed;
    int Compared = 0;
    for (const fs::path& ConfPath : FilesIn(Data / "pygif", ".conf")) {
        const std::string Name = ConfPath.stem().string();
        SCOPED_TRACE(Name);
        auto Conf = ReadConf(ConfPath);
        const GifReadResult Result = ReadGifFile((Data / "pygif" / (Name + ".gif")).string());
        if (!Result.Opened()) {
            EXPECT_FALSE(Result.Error.empty());
            Failed.insert(Name);
            continue;
        }
        std::vector<std::string> Frames;
        std::istringstream List(Conf["config"]["frames"]);
        for (std::string Frame; std::getline(List, Frame, ',');)
            Frames.push_back(Frame);
        if (Frames.empty() || Differ.count(Name)) continue;

        const std::vector<int> Cels =
            FrameCels.count(Name) ? FrameCels.at(Name) : std::vector<int>();
        EXPECT_EQ(Cels.empty() ? int(Frames.size()) : Cels.back() + 1, Result.Sprite->CelCount());
        for (std::size_t k = 0; k < Frames.size(); ++k) {
            const int Cel = Cels.empty() ? int(k) : Cels[k];
            std::map<std::string, std::string>& Frame = Conf[Frames[k]];
            const fs::path Pixels = Data / "pygif" / Frame["pixels"];
            if (!fs::exists(Pixels)) continue; // the two 65535-pixel lines were left out
            EXPECT_TRUE(CelShowsFrame(Result, Cel, ReadBytes(Pixels)));
            if (Frame.count("delay")) {
                EXPECT_EQ(Result.Sprite->Cel(Cel).Delay(), std::stoi(Frame["delay"]) * 10);
            }
            ++Compared;
        }
        const std::string Loops = Conf["config"]["loop-count"];
        EXPECT_EQ(Result.LoopCount, Loops == "infinite" ? 0 : std::stoi(Loops));
        const std::string Comment = Conf["config"]["comment"];
        const bool Plain = std::all_of(Comment.begin(), Comment.end(), [](char Char) {
            return Char >= ' ' && Char < 127 && Char != '\\';
        });
        if (!Comment.empty() && Plain) {
            EXPECT_EQ(Result.Comments,
                      (std::vector<std::string>{Comment.substr(1, Comment.size() - 2)}));
        }
    }
    EXPECT_GE(Compared, 80);

    // No pixels to show, no image, or LZW data giflib refuses (code size above 8, a code
    // not yet in the table). Every other file opens.
    EXPECT_EQ(Failed, (std::set<std::string>{
                          "image-zero-height", "image-zero-size", "image-zero-width",
                          "invalid-code", "max-codes", "max-size", "no-data", "overflow-codes-max",
                          "overflow-codes", "zero-height", "zero-size", "zero-width"}));
}

TEST(GifReaderSuites, PeterdnFilesShowTheFramesWhereTheRulesAgree) {
    // Where the editor's rules differ from a viewer's on purpose, only the frames before
    // the first difference are compared.
    const std::map<std::string, int> Differ = {
        // Partial frames with disposal 2 clear the picture before they are drawn.
        {"animated_transparent_loop", 1},
        {"animated_transparent_frame_restorebackground_loop", 1},
        // Disposal 3 draws over the picture before.
        {"animated_transparent_firstframerestoreprev_loop", 1},
        {"animated_transparent_frame_restoreprev_loop", 2},
        {"animated_transparent_restoreprev_loop", 2},
        // An image of the screen's size is drawn at (0, 0), wherever the file puts it.
        {"animated_transparent_loop_frames_out_of_bounds", 0},
    };
    // Every file of the suite is listed, with its frames.
    std::istringstream Manifest(ReadText(Data / "peterdn" / "frames.txt"));
    int Files = 0, Compared = 0;
    for (std::string Line; std::getline(Manifest, Line); ++Files) {
        std::istringstream Fields(Line);
        std::string Name;
        Fields >> Name;
        SCOPED_TRACE(Name);
        const GifReadResult Result = ReadGifFile((Data / "peterdn" / (Name + ".gif")).string());
        ASSERT_TRUE(Result.Opened()) << Result.Error;
        int Cel = 0;
        for (std::string Frame; Fields >> Frame; ++Cel) {
            if (Differ.count(Name) && Cel >= Differ.at(Name)) continue;
            EXPECT_TRUE(CelShowsFrame(Result, Cel, ReadBytes(Data / "peterdn" / "frames" / Frame)));
            ++Compared;
        }
        EXPECT_EQ(Cel, Result.Sprite->CelCount());
    }
    EXPECT_EQ(std::size_t(Files), FilesIn(Data / "peterdn", ".gif").size());
    EXPECT_EQ(Compared, 4 * 4 + 4 + 2 + 7);
}

TEST(GifReaderSuites, DamagedFilesOpenWithWhatDecodedOrSayWhy) {
    struct Expectation {
        const char* Name;
        int Cels;         // 0: the file does not open
        const char* Text; // the first fault, or the reason it does not open
    };
    const std::vector<Expectation> Files = {
        {"bad-codes-in-middle.gif", 2, "damaged image data (image 1)"},
        {"cut-in-interlaced-image.gif", 1, "the file ends inside the image data (image 0)"},
        {"cut-in-last-image.gif", 3, "the file ends inside the image data (image 2)"},
        {"empty-image-in-middle.gif", 3, ""},
        {"fuzz-bad-code-size.gif", 1, "invalid LZW code size (image 0)"},
        {"fuzz-cut-in-colour-table.gif", 0, "The file ends inside its header: it is cut short."},
        {"fuzz-cut-in-data.gif", 1, "the file ends inside the image data (image 0)"},
        {"fuzz-cut-in-descriptor.gif", 1, "the file ends inside an image descriptor (image 1)"},
        {"fuzz-cut-in-extension.gif", 1, "the file ends inside an extension"},
        {"fuzz-damaged-data.gif", 1, "damaged image data (image 0)"},
        {"fuzz-huge-screen.gif", 0,
         "The animation is too large to open: its cels would need more than 1024 MiB of memory."},
        {"fuzz-no-good-image.gif", 0,
         "The file holds no image that can be decoded (damaged image data (image 0))."},
        {"fuzz-no-image.gif", 0, "The file holds no image that can be decoded."},
        {"fuzz-unknown-record.gif", 1, "unknown record after the last readable one"},
        {"fuzz-zero-screen.gif", 0, "The picture has no pixels: its logical screen is 1792 x 0."},
        {"no-trailer.gif", 3, ""},
    };
    EXPECT_EQ(FilesIn(Data / "damaged", ".gif").size(), Files.size());
    // The two without a fault are made from a sound file, by dropping its trailer or by
    // putting an image of 0 x 0 pixels between its first two images: their cels are the
    // sound file's.
    const std::vector<std::uint8_t> Sound =
        ReadBytes(Data / "fixtures" / "gs-disposal-asis.frames.rgba");
    for (const Expectation& File : Files) {
        SCOPED_TRACE(File.Name);
        const GifReadResult Result = ReadGifFile((Data / "damaged" / File.Name).string());
        if (File.Cels == 0) {
            EXPECT_FALSE(Result.Opened());
            EXPECT_EQ(Result.Error, File.Text);
            continue;
        }
        ASSERT_TRUE(Result.Opened()) << Result.Error;
        EXPECT_EQ(Result.Sprite->CelCount(), File.Cels);
        EXPECT_EQ(Result.Faults.empty() ? "" : Result.Faults.front(), File.Text);
        for (int Cel = 0; *File.Text == '\0' && Cel < 3; ++Cel)
            EXPECT_TRUE(CelShowsFrame(Result, Cel, Sound, std::size_t(Cel) * 8 * 8 * 4));
    }
}
