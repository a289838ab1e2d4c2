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
const fs::path GifData = fs::path(VIMBREL_SOURCE_DIR) / "tests" / "gif" / "data";

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
        Command += " >" + Quoted(Out.string()) + " 2>" + Quoted(Err.string());
        const int Raw = std::system(Command.c_str());
        Outcome Result;
        Result.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : 128 + WTERMSIG(Raw);
        Result.Out = ReadText(Out);
        Result.Err = ReadText(Err);
        fs::remove(Out);
        fs::remove(Err);
        return Result;
    }

    fs::path Folder;
};

const std::string AsisInfo = "Size: 8 x 8\n"
                             "Cels: 3\n"
                             "Cel 0: delay 200 ms, disposal 1 (No Disposal)\n"
                             "Cel 1: delay 200 ms, disposal 1 (No Disposal)\n"
                             "Cel 2: delay 200 ms, disposal 1 (No Disposal)\n"
                             "Background transparent: no\n"
                             "Loop count: 3\n"
                             "Comments: none\n";

} // namespace

TEST_F(CliTest, InfoDescribesTheAnimation) {
    const Outcome Asis = Run({"info", (GifData / "fixtures" / "gs-disposal-asis.gif").string()});
    EXPECT_EQ(Asis.Status, 0);
    EXPECT_EQ(Asis.Out, AsisInfo);
    EXPECT_EQ(Asis.Err, "");

    const Outcome Damaged =
        Run({"info", (GifData / "damaged" / "bad-codes-in-middle.gif").string()});
    EXPECT_EQ(Damaged.Status, 0);
    EXPECT_EQ(Damaged.Out, "Size: 8 x 8\n"
                           "Cels: 2\n"
                           "Cel 0: delay 200 ms, disposal 1 (No Disposal)\n"
                           "Cel 1: delay 200 ms, disposal 1 (No Disposal)\n"
                           "Background transparent: no\n"
                           "Loop count: 3\n"
                           "Comments: none\n"
                           "Damaged: damaged image data (image 1)\n");

    const Outcome Commented = Run({"info", (GifData / "fixtures" / "gs-comment.gif").string()});
    EXPECT_NE(Commented.Out.find("Cel 1: delay 100 ms, disposal 2 (Restore Background Color)\n"
                                 "Background transparent: no\n"
                                 "Loop count: 0\n"
                                 "Comments:\n"
                                 "  made with gifsicle\n"),
              std::string::npos)
        << Commented.Out;
}

TEST_F(CliTest, FramesWritesEachCelAsTheReaderComposedIt) {
    const fs::path Gif = GifData / "fixtures" / "im-transparent.gif";
    const fs::path Target = Folder / "new" / "frames";
    const Outcome Result = Run({"frames", Gif.string(), Target.string()});
    ASSERT_EQ(Result.Status, 0) << Result.Err;
    EXPECT_EQ(Result.Out, "Wrote 2 cels to " + Target.string() + "\n");
    EXPECT_EQ(ReadText(Target / "info.txt"), Run({"info", Gif.string()}).Out);

    const GifReadResult Animation = ReadGifFile(Gif.string());
    ASSERT_TRUE(Animation.Opened());
    for (int Index = 0; Index < 2; ++Index) {
        const std::string Ppm = ReadText(Target / ("cel-00" + std::to_string(Index) + ".ppm"));
        const std::string Header = "P6\n8 8\n255\n";
        ASSERT_EQ(Ppm.size(), Header.size() + 8 * 8 * 3);
        EXPECT_EQ(Ppm.substr(0, Header.size()), Header);
        const TPxBitmap& Cel = Animation.Sprite->CelBitmap(Index);
        for (int Y = 0; Y < 8; ++Y)
            for (int X = 0; X < 8; ++X) {
                const RgbColor Color = Cel.ColorTable()[Cel.IndexAt(X, Y)];
                const std::size_t At = Header.size() + std::size_t(Y * 8 + X) * 3;
                EXPECT_EQ(std::uint8_t(Ppm[At]), Color.Red);
                EXPECT_EQ(std::uint8_t(Ppm[At + 1]), Color.Green);
                EXPECT_EQ(std::uint8_t(Ppm[At + 2]), Color.Blue);
            }
    }
    EXPECT_FALSE(fs::exists(Target / "cel-002.ppm"));
}

TEST_F(CliTest, ResaveKeepsCelsAndSettings) {
    for (const char* Name : {"gs-disposal-asis.gif", "gs-disposal-background.gif",
                             "im-transparent.gif", "gs-comment.gif", "im-interlaced.gif"}) {
        SCOPED_TRACE(Name);
        const fs::path Input = GifData / "fixtures" / Name;
        const fs::path Output = Folder / Name;
        const Outcome Result = Run({"resave", Input.string(), Output.string()});
        ASSERT_EQ(Result.Status, 0) << Result.Err;
        EXPECT_EQ(Result.Err, "");

        const GifReadResult Before = ReadGifFile(Input.string());
        const GifReadResult After = ReadGifFile(Output.string());
        ASSERT_TRUE(After.Opened()) << After.Error;
        EXPECT_EQ(After.BackgroundTransparent, Before.BackgroundTransparent);
        EXPECT_EQ(After.LoopCount, Before.LoopCount);
        EXPECT_EQ(After.Comments, Before.Comments);
        ASSERT_EQ(After.Sprite->CelCount(), Before.Sprite->CelCount());
        for (int Index = 0; Index < Before.Sprite->CelCount(); ++Index) {
            EXPECT_EQ(After.Sprite->Cel(Index).Delay(), Before.Sprite->Cel(Index).Delay());
            EXPECT_EQ(After.Sprite->Cel(Index).Disposal(), Before.Sprite->Cel(Index).Disposal());
            const TPxBitmap& A = After.Sprite->CelBitmap(Index);
            const TPxBitmap& B = Before.Sprite->CelBitmap(Index);
            for (int Y = 0; Y < B.Height(); ++Y)
                for (int X = 0; X < B.Width(); ++X)
                    ASSERT_EQ(A.ColorTable()[A.IndexAt(X, Y)], B.ColorTable()[B.IndexAt(X, Y)])
                        << "cel " << Index << " at " << X << ", " << Y;
        }
    }
}

TEST_F(CliTest, FailuresGoToStandardErrorWithAStatus) {
    const Outcome Missing = Run({"info", (Folder / "missing.gif").string()});
    EXPECT_EQ(Missing.Status, 1);
    EXPECT_EQ(Missing.Out, "");
    EXPECT_EQ(Missing.Err, "vimbrel-cli: " + (Folder / "missing.gif").string() + ": Cannot open " +
                               (Folder / "missing.gif").string() +
                               ": No such file or directory.\n");

    const fs::path Text = Folder / "text.gif";
    std::ofstream(Text) << "not a picture at all";
    const Outcome NotGif = Run({"frames", Text.string(), (Folder / "out").string()});
    EXPECT_EQ(NotGif.Status, 1);
    EXPECT_NE(NotGif.Err.find("The file is not a GIF file"), std::string::npos) << NotGif.Err;
    EXPECT_FALSE(fs::exists(Folder / "out"));

    const fs::path Gif = GifData / "fixtures" / "im-gif87a.gif";
    const Outcome IntoFile = Run({"frames", Gif.string(), Text.string()});
    EXPECT_EQ(IntoFile.Status, 1);
    EXPECT_NE(IntoFile.Err.find("cannot make the folder"), std::string::npos) << IntoFile.Err;

    const Outcome NoFolder =
        Run({"resave", Gif.string(), (Folder / "no" / "such" / "x.gif").string()});
    EXPECT_EQ(NoFolder.Status, 1);
    EXPECT_EQ(NoFolder.Out, "");
    EXPECT_NE(NoFolder.Err.find((Folder / "no" / "such" / "x.gif").string()), std::string::npos);

    const Outcome NoZero = Run({"info", (GifData / "pygif" / "zero-size.gif").string()});
    EXPECT_EQ(NoZero.Status, 1);
    EXPECT_NE(NoZero.Err.find("The picture has no pixels"), std::string::npos);

    for (const std::vector<std::string>& Args :
         {std::vector<std::string>{}, {"info"}, {"frames", "a.gif"}, {"convert", "a", "b"}}) {
        const Outcome Usage = Run(Args);
        EXPECT_EQ(Usage.Status, 2);
        EXPECT_EQ(Usage.Out, "");
        EXPECT_NE(Usage.Err.find("Usage:\n  vimbrel-cli info FILE.gif"), std::string::npos);
    }
    EXPECT_NE(Run({"convert", "a", "b"}).Err.find("unknown command convert"), std::string::npos);
    EXPECT_EQ(Run({"--help"}).Status, 0);
}
