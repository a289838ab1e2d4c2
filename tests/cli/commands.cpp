// vimbrel-cli as a user runs it: the built program, its output, its files and its exit
// status.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GifReader.h"
#include "imaging/PxBitmap.h"

namespace fs = std::filesystem;

namespace {

const fs::path Program = fs::path(VIMBREL_APP_DIR) / "vimbrel-cli";
const fs::path Fixtures = fs::path(VIMBREL_SOURCE_DIR) / "tests" / "gif" / "data" / "fixtures";

std::string ReadText(const fs::path& Path) {
    std::ifstream File(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

std::string Quoted(const std::string& Text) {
    std::string Out = "'";
    for (char Char : Text)
        Out += Char == '\'' ? std::string("'\\''") : std::string(1, Char);
    return Out + "'";
}

bool EndsWith(const std::string& Text, const std::string& End) {
    return Text.size() >= End.size() &&
           Text.compare(Text.size() - End.size(), End.size(), End) == 0;
}

// The colours of every cel's pixels, cel after cel, row by row.
std::vector<RgbColor> CelColors(const GifReadResult& Animation) {
    std::vector<RgbColor> Colors;
    for (int Index = 0; Index < Animation.Sprite->CelCount(); ++Index) {
        const TPxBitmap& Cel = Animation.Sprite->CelBitmap(Index);
        for (int Y = 0; Y < Cel.Height(); ++Y)
            for (int X = 0; X < Cel.Width(); ++X)
                Colors.push_back(Cel.ColorTable()[Cel.IndexAt(X, Y)]);
    }
    return Colors;
}

struct Outcome {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// A fresh folder for one test, removed afterwards.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> Counter{0};
        Folder = fs::temp_directory_path() / ("vimbrel-cli-test-" + std::to_string(::getpid()) +
                                              "-" + std::to_string(Counter++));
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }

    Outcome Run(const std::vector<std::string>& Args) {
        std::string Command = Quoted(Program.string());
        for (const std::string& Arg : Args)
            Command += " " + Quoted(Arg);
        const fs::path Out = Folder / "stdout", Err = Folder / "stderr";
        const int Raw = std::system(
            (Command + " >" + Quoted(Out.string()) + " 2>" + Quoted(Err.string())).c_str());
        const Outcome Result = {WIFEXITED(Raw) ? WEXITSTATUS(Raw) : 128 + WTERMSIG(Raw),
                                ReadText(Out), ReadText(Err)};
        fs::remove(Out);
        fs::remove(Err);
        return Result;
    }

    fs::path Folder;
};

} // namespace

TEST_F(CliTest, InfoDescribesTheAnimation) {
    const Outcome Asis = Run({"info", (Fixtures / "gs-disposal-asis.gif").string()});
    EXPECT_EQ(Asis.Status, 0);
    EXPECT_EQ(Asis.Out, "Size: 8 x 8\n"
                        "Cels: 3\n"
                        "Cel 0: delay 200 ms, disposal 1 (No Disposal)\n"
                        "Cel 1: delay 200 ms, disposal 1 (No Disposal)\n"
                        "Cel 2: delay 200 ms, disposal 1 (No Disposal)\n"
                        "Background transparent: no\n"
                        "Loop count: 3\n"
                        "Comments: none\n");
    EXPECT_EQ(Asis.Err, "");

    const Outcome Commented = Run({"info", (Fixtures / "gs-comment.gif").string()});
    EXPECT_TRUE(EndsWith(Commented.Out, "Cel 1: delay 100 ms, disposal 2 (Restore Background "
                                        "Color)\nBackground transparent: no\nLoop count: 0\n"
                                        "Comments:\n  made with gifsicle\n"))
        << Commented.Out;

    const fs::path Damaged = fs::path(VIMBREL_SOURCE_DIR) / "tests" / "gif" / "data" / "damaged" /
                             "bad-codes-in-middle.gif";
    const Outcome Opened = Run({"info", Damaged.string()});
    EXPECT_EQ(Opened.Status, 0);
    EXPECT_TRUE(EndsWith(Opened.Out, "Comments: none\nDamaged: damaged image data (image 1)\n"))
        << Opened.Out;
}

TEST_F(CliTest, FramesWritesEachCelAsTheReaderComposedIt) {
    const fs::path Gif = Fixtures / "im-transparent.gif";
    const fs::path Target = Folder / "new" / "frames";
    const Outcome Result = Run({"frames", Gif.string(), Target.string()});
    ASSERT_EQ(Result.Status, 0) << Result.Err;
    EXPECT_EQ(Result.Out, "Wrote 2 cels to " + Target.string() + "\n");
    EXPECT_EQ(ReadText(Target / "info.txt"), Run({"info", Gif.string()}).Out);

    const GifReadResult Animation = ReadGifFile(Gif.string());
    ASSERT_TRUE(Animation.Opened()) << Animation.Error;
    const std::vector<RgbColor> Colors = CelColors(Animation);
    ASSERT_EQ(Colors.size(), 2u * 8 * 8);
    for (std::size_t Cel = 0; Cel < 2; ++Cel) {
        std::string Expected = "P6\n8 8\n255\n";
        for (std::size_t k = Cel * 64; k < (Cel + 1) * 64; ++k)
            Expected += {char(Colors[k].Red), char(Colors[k].Green), char(Colors[k].Blue)};
        EXPECT_EQ(ReadText(Target / ("cel-00" + std::to_string(Cel) + ".ppm")), Expected) << Cel;
    }
    EXPECT_FALSE(fs::exists(Target / "cel-002.ppm"));
}

TEST_F(CliTest, ResaveKeepsCelsAndSettings) {
    for (const char* Name :
         {"gs-disposal-background.gif", "im-transparent.gif", "gs-comment.gif"}) {
        SCOPED_TRACE(Name);
        const fs::path Output = Folder / Name;
        const Outcome Result = Run({"resave", (Fixtures / Name).string(), Output.string()});
        ASSERT_EQ(Result.Status, 0) << Result.Err;
        EXPECT_EQ(Result.Err, "");

        // Everything info tells, and every pixel, comes back.
        EXPECT_EQ(Run({"info", Output.string()}).Out,
                  Run({"info", (Fixtures / Name).string()}).Out);
        const GifReadResult Before = ReadGifFile((Fixtures / Name).string());
        const GifReadResult After = ReadGifFile(Output.string());
        ASSERT_TRUE(After.Opened()) << After.Error;
        EXPECT_EQ(CelColors(After), CelColors(Before));
    }
}

TEST_F(CliTest, FailuresGoToStandardErrorWithAStatus) {
    const std::string Missing = (Folder / "missing.gif").string();
    const std::string Text = (Folder / "text.gif").string();
    std::ofstream(Text) << "not a picture at all";
    const std::string Gif = (Fixtures / "im-gif87a.gif").string();
    const std::string Nowhere = (Folder / "no" / "such" / "x.gif").string();
    const std::string Usage = "Usage:\n  vimbrel-cli info FILE.gif";
    struct Failure {
        std::vector<std::string> Args;
        int Status;
        std::string Says;
    };
    for (const Failure& Case : std::vector<Failure>{
             {{"info", Missing},
              1,
              "vimbrel-cli: " + Missing + ": Cannot open " + Missing +
                  ": No such file or directory.\n"},
             {{"frames", Text, (Folder / "out").string()}, 1, "The file is not a GIF file"},
             {{"frames", Gif, Text}, 1, "cannot make the folder " + Text},
             {{"resave", Gif, Nowhere}, 1, "vimbrel-cli: " + Nowhere + ": "},
             {{}, 2, Usage},
             {{"info"}, 2, "wrong number of arguments for info\n" + Usage},
             {{"frames", "a.gif"}, 2, "wrong number of arguments for frames\n" + Usage},
             {{"convert", "a", "b"}, 2, "unknown command convert\n" + Usage}}) {
        const Outcome Result = Run(Case.Args);
        EXPECT_EQ(Result.Status, Case.Status) << Case.Says;
        EXPECT_EQ(Result.Out, "");
        EXPECT_NE(Result.Err.find(Case.Says), std::string::npos) << Result.Err;
    }
    EXPECT_FALSE(fs::exists(Folder / "out"));
    EXPECT_EQ(Run({"--help"}).Status, 0);
}
