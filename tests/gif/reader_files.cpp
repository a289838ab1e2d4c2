// The public GIF suites show a viewer's frames where the rules agree; damaged files too.
#include <map>
#include <set>
#include <sstream>

#include "gif/GifReader.h"
#include "support/PictureAssert.h"

namespace {

const fs::path Data = VIMBREL_TEST_DATA;

// Whether a cel shows the viewer's frame (RGBA from Offset of Rgba) as near as user colours
// can; where the viewer shows nothing (alpha 0) the editor shows the background colour.
::testing::AssertionResult CelShowsFrame(const TGifReadResult& Result, int CelIndex,
                                         const Bytes& Rgba, std::size_t Offset = 0) {
    const TSprite& Sprite = *Result.Sprite;
    const int W = Sprite.Width(), Pixels = W * Sprite.Height();
    if (CelIndex >= Sprite.CelCount() || Rgba.size() < Offset + std::size_t(Pixels) * 4)
        return ::testing::AssertionFailure() << "no cel " << CelIndex << " or no frame for it";
    auto UserColor = [&](TRgbColor Color) {
        return Result.Palette->Entry(Result.Palette->NearestUserIndex(Color)).Color();
    };
    const TRgbColor Background = UserColor(TRgbColor::FromRef(Sprite.BackColor()));
    const TPxBitmap& Cel = Sprite.CelBitmap(CelIndex);
    int Wrong = 0, First = -1;
    for (int K = 0; K < Pixels; ++K) {
        const std::uint8_t* P = &Rgba[Offset + std::size_t(K) * 4];
        const TRgbColor Expected = P[3] == 0 ? Background : UserColor({P[0], P[1], P[2]});
        if (Cel.ColorTable()[Cel.IndexAt(K % W, K / W)] != Expected && Wrong++ == 0) First = K;
    }
    if (Wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "cel " << CelIndex << ": " << Wrong << " pixels differ, the first at (" << First % W
           << ", " << First / W << ")";
}

// A pygif .conf file's "key = value" lines, as "section.key" to value.
std::map<std::string, std::string> ReadConf(const fs::path& Path) {
    std::map<std::string, std::string> Values;
    std::istringstream Text(ReadText(Path));
    std::string Line, Section;
    while (std::getline(Text, Line))
        if (!Line.empty() && Line[0] == '[')
            Section = Line.substr(1, Line.find(']') - 1);
        else if (const std::size_t Equal = Line.find(" = "); Equal != std::string::npos)
            Values[Section + "." + Line.substr(0, Equal)] = Line.substr(Equal + 3);
    return Values;
}

} // namespace

TEST(GifReaderFiles, PygifFilesOpenOrFailAndShowTheFramesWhereTheRulesAgree) {
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
        const TGifReadResult Result = ReadGifFile((Data / "pygif" / (Name + ".gif")).string());
        if (!Result.Opened()) {
            EXPECT_FALSE(Result.Error.empty());
            Failed.insert(Name);
            continue;
        }
        std::vector<std::string> Frames;
        std::istringstream List(Conf["config.frames"]);
        for (std::string Frame; std::getline(List, Frame, ',');)
            Frames.push_back(Frame);
        if (Frames.empty() || Differ.count(Name)) continue;
        const std::vector<int> Cels =
            FrameCels.count(Name) ? FrameCels.at(Name) : std::vector<int>();
        EXPECT_EQ(Cels.empty() ? int(Frames.size()) : Cels.back() + 1, Result.Sprite->CelCount());
        for (std::size_t k = 0; k < Frames.size(); ++k) {
            const int Cel = Cels.empty() ? int(k) : Cels[k];
            const fs::path Pixels = Data / "pygif" / Conf[Frames[k] + ".pixels"];
            if (!fs::exists(Pixels)) continue; // the two 65535-pixel lines were left out
            EXPECT_TRUE(CelShowsFrame(Result, Cel, ReadBytes(Pixels)));
            if (const std::string Delay = Conf[Frames[k] + ".delay"]; !Delay.empty()) {
                EXPECT_EQ(Result.Sprite->Cel(Cel).Delay(), std::stoi(Delay) * 10);
            }
            ++Compared;
        }
        const std::string Loops = Conf["config.loop-count"];
        EXPECT_EQ(Result.LoopCount, Loops == "infinite" ? 0 : std::stoi(Loops));
    }
    EXPECT_GE(Compared, 80);
    // No pixels to show, no image, or LZW data giflib refuses (code size above 8, a code
    // not yet in the table). Every other file opens.
    EXPECT_EQ(Failed, (std::set<std::string>{
                          "image-zero-height", "image-zero-size", "image-zero-width",
                          "invalid-code", "max-codes", "max-size", "no-data", "overflow-codes-max",
                          "overflow-codes", "zero-height", "zero-size", "zero-width"}));
}

TEST(GifReaderFiles, DamagedFilesOpenWithWhatDecodedOrSayWhy) {
    // The reason a file does not open, or its cels and its first fault.
    const std::map<std::string, std::string> Outcomes = {
        {"bad-codes-in-middle", "2 cels, damaged image data (image 1)"},
        {"cut-in-interlaced-image", "1 cels, the file ends inside the image data (image 0)"},
        {"cut-in-last-image", "3 cels, the file ends inside the image data (image 2)"},
        {"empty-image-in-middle", "3 cels"},
        {"fuzz-bad-code-size", "1 cels, invalid LZW code size (image 0)"},
        {"fuzz-cut-in-colour-table", "The file ends inside its header: it is cut short."},
        {"fuzz-cut-in-data", "1 cels, the file ends inside the image data (image 0)"},
        {"fuzz-cut-in-descriptor", "1 cels, the file ends inside an image descriptor (image 1)"},
        {"fuzz-cut-in-extension", "1 cels, the file ends inside an extension"},
        {"fuzz-damaged-data", "1 cels, damaged image data (image 0)"},
        {"fuzz-huge-screen",
         "The animation is too large to open: its cels would need more than 1024 MiB of memory."},
        {"fuzz-no-good-image",
         "The file holds no image that can be decoded (damaged image data (image 0))."},
        {"fuzz-no-image", "The file holds no image that can be decoded."},
        {"fuzz-unknown-record", "1 cels, unknown record after the last readable one"},
        {"fuzz-zero-screen", "The picture has no pixels: its logical screen is 1792 x 0."},
        {"no-trailer", "3 cels"},
    };
    // The two without a fault are a sound file without its trailer or with a 0 x 0 image
    // inserted: their cels are the sound file's.
    const Bytes Sound = ReadBytes(Data / "fixtures" / "gs-disposal-asis.frames.rgba");
    const std::vector<fs::path> Files = FilesIn(Data / "damaged", ".gif");
    EXPECT_EQ(Files.size(), Outcomes.size());
    for (const fs::path& File : Files) {
        SCOPED_TRACE(File.filename());
        const TGifReadResult Result = ReadGifFile(File.string());
        const std::string Outcome =
            !Result.Opened() ? Result.Error
                             : std::to_string(Result.Sprite->CelCount()) + " cels" +
                                   (Result.Faults.empty() ? "" : ", " + Result.Faults.front());
        EXPECT_EQ(Outcome, Outcomes.count(File.stem()) ? Outcomes.at(File.stem()) : "not listed");
        for (int Cel = 0; Outcome == "3 cels" && Cel < 3; ++Cel)
            EXPECT_TRUE(CelShowsFrame(Result, Cel, Sound, std::size_t(Cel) * 8 * 8 * 4));
    }
}
