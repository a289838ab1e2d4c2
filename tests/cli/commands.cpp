// vimbrel-cli as a user runs it: its output, its files and its exit status.
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

#include "gif/Exchange.h"
#include "gif/GifReader.h"
#include "support/PictureAssert.h"
#include "support/PngDecode.h"

namespace {

const fs::path Data = fs::path(VIMBREL_SOURCE_DIR) / "tests" / "gif" / "data";

std::string Quoted(const std::string& Text) {
    std::string Out = "'";
    for (char Char : Text)
        Out += Char == '\'' ? std::string("'\\''") : std::string(1, Char);
    return Out + "'";
}

struct Outcome {
    int Status = -1;
    std::string Out, Err;
};

// Runs the program with Args, and with Setting (NAME=VALUE) in its environment when given,
// its output going through files in Folder.
Outcome RunCli(const ScratchFolder& Folder, const std::vector<std::string>& Args,
               const std::string& Setting = "") {
    std::string Command = (Setting.empty() ? "" : "env " + Quoted(Setting) + " ") +
                          Quoted((fs::path(VIMBREL_APP_DIR) / "vimbrel-cli").string());
    for (const std::string& Arg : Args)
        Command += " " + Quoted(Arg);
    Command += " >" + Quoted((Folder / "out").string()) + " 2>" + Quoted((Folder / "err").string());
    const int Raw = std::system(Command.c_str());
    return {WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1, ReadText(Folder / "out"),
            ReadText(Folder / "err")};
}

// The colours of the pixels of cel Index, row by row, as a PPM file holds them.
std::string CelColors(const TGifReadResult& Animation, int Index) {
    const TPxBitmap& Cel = Animation.Sprite->CelBitmap(Index);
    std::string Colors;
    for (int K = 0; K < Cel.Width() * Cel.Height(); ++K) {
        const TRgbColor& Color = Cel.ColorTable()[Cel.IndexAt(K % Cel.Width(), K / Cel.Width())];
        Colors += {char(Color.Red), char(Color.Green), char(Color.Blue)};
    }
    return Colors;
}

} // namespace

TEST(Cli, InfoFramesAndResave) {
    ScratchFolder Folder;
    const fs::path Asis = Data / "fixtures" / "gs-disposal-asis.gif";
    const Outcome Info = RunCli(Folder, {"info", Asis.string()});
    EXPECT_EQ(std::make_tuple(Info.Status, Info.Err), std::make_tuple(0, ""));
    EXPECT_EQ(Info.Out, "Size: 8 x 8\n"
                        "Cels: 3\n"
                        "Cel 0: delay 200 ms, disposal 1 (No Disposal)\n"
                        "Cel 1: delay 200 ms, disposal 1 (No Disposal)\n"
                        "Cel 2: delay 200 ms, disposal 1 (No Disposal)\n"
                        "Background transparent: no\n"
                        "Loop count: 3\n"
                        "Comments: none\n");
    const Outcome Damaged =
        RunCli(Folder, {"info", (Data / "damaged" / "bad-codes-in-middle.gif").string()});
    EXPECT_EQ(Damaged.Status, 0);
    EXPECT_NE(Damaged.Out.find("Comments: none\nDamaged: damaged image data (image 1)\n"),
              std::string::npos)
        << Damaged.Out;
    // Each cel as the reader composed it, and the description beside them.
    const fs::path Transparent = Data / "fixtures" / "im-transparent.gif";
    const fs::path Target = Folder / "new" / "frames";
    const Outcome Frames = RunCli(Folder, {"frames", Transparent.string(), Target.string()});
    ASSERT_EQ(Frames.Status, 0) << Frames.Err;
    EXPECT_EQ(Frames.Out, "Wrote 2 cels to " + Target.string() + "\n");
    EXPECT_EQ(ReadText(Target / "info.txt"), RunCli(Folder, {"info", Transparent.string()}).Out);
    const TGifReadResult Animation = ReadGifFile(Transparent.string());
    ASSERT_TRUE(Animation.Opened()) << Animation.Error;
    for (int Cel = 0; Cel < 2; ++Cel)
        EXPECT_EQ(ReadText(Target / ("cel-00" + std::to_string(Cel) + ".ppm")),
                  "P6\n8 8\n255\n" + CelColors(Animation, Cel))
            << Cel;
    EXPECT_FALSE(fs::exists(Target / "cel-002.ppm"));
    // A saved file tells what the original told (the round trip checks its pixels).
    for (const fs::path& File : {Data / "fixtures" / "gs-disposal-background.gif", Transparent,
                                 Data / "fixtures" / "gs-comment.gif"}) {
        SCOPED_TRACE(File.filename());
        const std::string Output = (Folder / "saved.gif").string();
        const Outcome Saved = RunCli(Folder, {"resave", File.string(), Output});
        ASSERT_EQ(std::make_tuple(Saved.Status, Saved.Err), std::make_tuple(0, ""));
        EXPECT_EQ(RunCli(Folder, {"info", Output}).Out,
                  RunCli(Folder, {"info", File.string()}).Out);
    }
}

TEST(Cli, FailuresGoToStandardErrorWithAStatus) {
    ScratchFolder Folder;
    const std::string Missing = (Folder / "missing.gif").string();
    const std::string Text = (Folder / "text.gif").string();
    std::ofstream(Text) << "not a picture at all";
    const std::string Gif = (Data / "fixtures" / "im-gif87a.gif").string();
    const std::string Nowhere = (Folder / "no" / "such" / "x.gif").string();
    const std::string Usage = "Usage:\n  vimbrel-cli info FILE.gif";
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> Cases = {
        {{"info", Missing},
         1,
         "vimbrel-cli: " + Missing + ": Cannot open " + Missing + ": No such file or directory.\n"},
        {{"frames", Text, (Folder / "frames").string()}, 1, "The file is not a GIF file"},
        {{"frames", Gif, Text}, 1, "cannot make the folder " + Text},
        {{"resave", Gif, Nowhere}, 1, "vimbrel-cli: " + Nowhere + ": "},
        {{"scale", Gif, Nowhere, "4"}, 1, "vimbrel-cli: " + Nowhere + ": "},
        {{"sheet", Missing, Text}, 1, "vimbrel-cli: " + Missing + ": Cannot open"},
        {{}, 2, Usage},
        {{"info"}, 2, "wrong number of arguments for info\nUsage: vimbrel-cli info FILE.gif\n"},
        {{"frames", "a.gif"}, 2, "wrong number of arguments for frames\nUsage: vimbrel-cli frames"},
        {{"scale", "a.gif", "b.gif", "9"}, 2, "The scale must be a whole number from 1 to 8"},
        {{"sheet", "a.gif", "b.png", "--spacing", "x"}, 2, "The spacing must be a whole number"},
        {{"sheet", "a.gif", "b.png", "--columns"}, 2, "--columns needs a value"},
        {{"sheet", "a.gif", "b.png", "--colums", "2"}, 2, "unknown option --colums for sheet"},
        {{"frames", Gif, (Folder / "f").string(), "--scale", "2"}, 2, "--scale needs --png"},
        {{"convert", "a", "b"}, 2, "unknown command convert\n" + Usage}};
    for (const auto& [Args, Status, Says] : Cases) {
        const Outcome Result = RunCli(Folder, Args);
        EXPECT_EQ(std::make_tuple(Result.Status, Result.Out), std::make_tuple(Status, "")) << Says;
        EXPECT_NE(Result.Err.find(Says), std::string::npos) << Result.Err;
    }
    EXPECT_FALSE(fs::exists(Folder / "frames"));
    EXPECT_FALSE(fs::exists(Folder / "f"));
    EXPECT_EQ(RunCli(Folder, {"--help"}).Status, 0);
    for (const char* Command : {"info", "frames", "resave", "scale", "sheet"}) {
        const Outcome Help = RunCli(Folder, {Command, "a.gif", "--help"});
        EXPECT_EQ(std::make_tuple(Help.Status, Help.Err), std::make_tuple(0, ""));
        EXPECT_EQ(Help.Out.rfind(std::string("Usage: vimbrel-cli ") + Command + " ", 0), 0u)
            << Help.Out;
    }
    EXPECT_EQ(RunCli(Folder, {"--version"}).Out, "vimbrel-cli " VIMBREL_VERSION "\n");
}

TEST(Cli, ScaledCopiesSheetsAndPngCels) {
    ScratchFolder Folder;
    const fs::path Asis = Data / "fixtures" / "gs-disposal-asis.gif";
    const TGifReadResult Original = ReadGifFile(Asis.string());
    ASSERT_TRUE(Original.Opened()) << Original.Error;
    const std::string Large = (Folder / "large.gif").string();
    const Outcome Scaled = RunCli(Folder, {"scale", Asis.string(), Large, "4"});
    ASSERT_EQ(std::make_tuple(Scaled.Status, Scaled.Err), std::make_tuple(0, ""));
    EXPECT_EQ(Scaled.Out, "Saved 3 cels at 4x as " + Large + "\n");
    std::string Told = RunCli(Folder, {"info", Asis.string()}).Out;
    Told.replace(0, Told.find('\n'), "Size: 32 x 32");
    EXPECT_EQ(RunCli(Folder, {"info", Large}).Out, Told);

    // Python's own JSON reader takes the data; the script prints what it found.
    const std::string Sheet = (Folder / "sheet.png").string(),
                      Json = (Folder / "sheet.json").string();
    const Outcome Made = RunCli(Folder, {"sheet", Asis.string(), Sheet, "--columns", "2", "--scale",
                                         "2", "--spacing", "1", "--json", Json});
    ASSERT_EQ(std::make_tuple(Made.Status, Made.Err), std::make_tuple(0, ""));
    EXPECT_EQ(Made.Out,
              "Wrote 3 cels in 2 x 2 (33 x 33 pixels) as " + Sheet + ", data as " + Json + "\n");
    const DecodedPng Picture = DecodeIndexedPng(ReadBytes(Sheet));
    EXPECT_EQ(std::make_tuple(Picture.Error, Picture.Width, Picture.Height),
              std::make_tuple("", 33, 33));
    const std::string Script = std::string(VIMBREL_SOURCE_DIR) + "/tests/cli/check_sheet_json.py";
    const int Checked = std::system(("python3 " + Quoted(Script) + " " + Quoted(Json) + " >" +
                                     Quoted((Folder / "checked").string()))
                                        .c_str());
    EXPECT_EQ(Checked, 0);
    EXPECT_EQ(ReadText(Folder / "checked"), "sheet-000 0 0 16 16 200\n"
                                            "sheet-001 17 0 16 16 200\n"
                                            "sheet-002 0 17 16 16 200\n"
                                            "sheet.png 33 33 2 3\n");

    const fs::path Cels = Folder / "cels";
    const Outcome Frames =
        RunCli(Folder, {"frames", Asis.string(), Cels.string(), "--png", "--scale", "3"});
    ASSERT_EQ(std::make_tuple(Frames.Status, Frames.Err), std::make_tuple(0, ""));
    EXPECT_EQ(FilesIn(Cels, ".png").size(), 3u);
    for (int Cel = 0; Cel < 3; ++Cel) {
        Bytes Expected;
        WriteCelPng(AppendTo(Expected), *Original.Sprite, Cel, *Original.Palette,
                    Original.BackgroundTransparent, 3);
        EXPECT_EQ(ReadBytes(Cels / ("cel-00" + std::to_string(Cel) + ".png")), Expected) << Cel;
    }
    EXPECT_EQ(ReadText(Cels / "info.txt"), RunCli(Folder, {"info", Asis.string()}).Out);
}

TEST(Cli, ResaveOverAFileWithOtherNamesKeepsItsOldContentsWhereTheEditorLooks) {
    ScratchFolder Folder;
    const fs::path Target = Folder / "linked.gif", Data = Folder / "data";
    fs::copy_file(::Data / "fixtures" / "gs-comment.gif", Target);
    fs::create_hard_link(Target, Folder / "other.gif");
    const std::string Before = ReadText(Target);
    const std::string Source = (::Data / "fixtures" / "im-gif87a.gif").string();
    const fs::path Area = Data / "Ostra Vale Software" / "Ostra Vale Vimbrel" / "recovery";
    // Where the old contents cannot be kept, the file is left alone.
    fs::create_directories(Area.parent_path());
    std::ofstream(Area) << "in the way";
    const Outcome Refused =
        RunCli(Folder, {"resave", Source, Target.string()}, "XDG_DATA_HOME=" + Data.string());
    EXPECT_EQ(Refused.Status, 1);
    EXPECT_NE(Refused.Err.find("Unable to keep the old contents of " + Target.string()),
              std::string::npos)
        << Refused.Err;
    EXPECT_EQ(ReadText(Target), Before);

    fs::remove(Area);
    const Outcome Saved =
        RunCli(Folder, {"resave", Source, Target.string()}, "XDG_DATA_HOME=" + Data.string());
    EXPECT_EQ(std::make_tuple(Saved.Status, Saved.Err), std::make_tuple(0, ""));
    EXPECT_EQ(RunCli(Folder, {"info", Target.string()}).Out, RunCli(Folder, {"info", Source}).Out);
    EXPECT_TRUE(fs::equivalent(Target, Folder / "other.gif"));
    // The folder it kept them in is gone again.
    EXPECT_TRUE(fs::is_directory(Area));
    EXPECT_TRUE(fs::is_empty(Area));
}
