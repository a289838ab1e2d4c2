// vimbrel-cli: the command-line companion of the editor. It reads GIF files exactly as the
// editor opens them (the same reader, the same composition of frames into cels) and
// writes them with the editor's writer, so a file can be looked at, taken apart, saved
// again or made into copies for other programs (a scaled GIF, PNG cels, a sprite sheet)
// without a display.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "gif/Exchange.h"
#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "imaging/FileReplace.h"
#include "imaging/PxBitmap.h"
#include "imaging/RunFolder.h"
#include "model/Spritez.h"

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

const char Usage[] =
    "Usage:\n"
    "  vimbrel-cli info FILE.gif          describe the animation\n"
    "  vimbrel-cli frames FILE.gif DIR [--png [--scale N]]\n"
    "                                     write each cel as DIR/cel-NNN.ppm (or .png),\n"
    "                                     and DIR/info.txt\n"
    "  vimbrel-cli resave IN.gif OUT.gif  open IN.gif and save it as OUT.gif\n"
    "  vimbrel-cli scale IN.gif OUT.gif N save a copy N times as large (1 to 8)\n"
    "  vimbrel-cli sheet IN.gif OUT.png [--columns C] [--scale N] [--spacing P]\n"
    "                  [--json OUT.json]  every cel in one PNG grid, with its data\n"
    "  vimbrel-cli --version              print the version\n"
    "  vimbrel-cli COMMAND --help         explain one command\n";

const char* DisposalName(std::uint8_t Disposal) {
    switch (Disposal) {
    case DisposalUnspecified:
        return "Unspecified";
    case DisposalNone:
        return "No Disposal";
    case DisposalRestoreBackground:
        return "Restore Background Color";
    case DisposalRestorePrevious:
        return "Overwrite with Prev Image";
    default:
        return "?";
    }
}

std::string Describe(const TGifReadResult& Animation) {
    const TSprite& Sprite = *Animation.Sprite;
    std::ostringstream Text;
    Text << "Size: " << Sprite.Width() << " x " << Sprite.Height() << "\n";
    Text << "Cels: " << Sprite.CelCount() << "\n";
    for (int Index = 0; Index < Sprite.CelCount(); ++Index) {
        const TCel& Cel = Sprite.Cel(Index);
        Text << "Cel " << Index << ": delay " << Cel.Delay() << " ms, disposal "
             << int(Cel.Disposal()) << " (" << DisposalName(Cel.Disposal()) << ")\n";
    }
    Text << "Background transparent: " << (Animation.BackgroundTransparent ? "yes" : "no") << "\n";
    Text << "Loop count: " << Animation.LoopCount << "\n";
    if (Animation.Comments.empty())
        Text << "Comments: none\n";
    else
        Text << "Comments:\n";
    for (const std::string& Line : Animation.Comments)
        Text << "  " << Line << "\n";
    for (const std::string& Fault : Animation.Faults)
        Text << "Damaged: " << Fault << "\n";
    return Text.str();
}

// A cel as a binary PPM: the colour of every pixel as the cel's colour table gives it.
std::string PortablePixmap(const TPxBitmap& Bitmap) {
    std::string Bytes =
        "P6\n" + std::to_string(Bitmap.Width()) + " " + std::to_string(Bitmap.Height()) + "\n255\n";
    Bytes.reserve(Bytes.size() + std::size_t(Bitmap.Width()) * Bitmap.Height() * 3);
    const TColorTable& Colors = Bitmap.ColorTable();
    for (int Y = 0; Y < Bitmap.Height(); ++Y)
        for (int X = 0; X < Bitmap.Width(); ++X) {
            const TRgbColor& Color = Colors[Bitmap.IndexAt(X, Y)];
            Bytes += char(Color.Red);
            Bytes += char(Color.Green);
            Bytes += char(Color.Blue);
        }
    return Bytes;
}

bool WriteFile(const std::filesystem::path& Path, const std::string& Bytes, std::ostream& Err) {
    std::ofstream File(Path, std::ios::binary | std::ios::trunc);
    if (File) File.write(Bytes.data(), std::streamsize(Bytes.size()));
    if (File) File.close();
    if (!File) {
        Err << "vimbrel-cli: cannot write " << Path.string() << "\n";
        return false;
    }
    return true;
}

bool Opened(const std::string& FileName, const TGifReadResult& Animation, std::ostream& Err) {
    if (!Animation.Opened()) {
        Err << "vimbrel-cli: " << FileName << ": " << Animation.Error << "\n";
        return false;
    }
    return true;
}

// The arguments of one command: its positional arguments and the options given.
struct TArguments {
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Options;

    bool Has(const std::string& Name) const { return Options.count(Name) > 0; }
};

// A whole number from Low to High given as option or argument What, or a message in Error.
bool NumberArgument(const std::string& Text, const char* What, int Low, int High, int& Value,
                    std::string& Error) {
    char* Rest = nullptr;
    errno = 0;
    const long Number = std::strtol(Text.c_str(), &Rest, 10);
    if (Text.empty() || *Rest != '\0' || errno != 0 || Number < Low || Number > High) {
        Error = std::string(What) + " must be a whole number from " + std::to_string(Low) + " to " +
                std::to_string(High) + ", not \"" + Text + "\"";
        return false;
    }
    Value = int(Number);
    return true;
}

TGifWriteSettings SettingsOf(const TGifReadResult& Animation) {
    TGifWriteSettings Settings;
    Settings.BackgroundTransparent = Animation.BackgroundTransparent;
    Settings.LoopCount = Animation.LoopCount;
    Settings.Comments = Animation.Comments;
    return Settings;
}

bool Written(const std::string& FileName, const TGifWriteResult& Result, std::ostream& Err) {
    if (!Result) Err << "vimbrel-cli: " << FileName << ": " << Result.Reason << "\n";
    return bool(Result);
}

int Info(const TArguments& Args, std::ostream& Out, std::ostream& Err) {
    const std::string& FileName = Args.Positional[0];
    const TGifReadResult Animation = ReadGifFile(FileName);
    if (!Opened(FileName, Animation, Err)) return ExitFailed;
    Out << Describe(Animation);
    return ExitOk;
}

int Frames(const TArguments& Args, std::ostream& Out, std::ostream& Err) {
    const std::string& FileName = Args.Positional[0];
    const std::string& Folder = Args.Positional[1];
    const bool Png = Args.Has("--png");
    int Scale = 1;
    std::string Problem;
    if (Args.Has("--scale") && (!Png || !NumberArgument(Args.Options.at("--scale"), "The scale", 1,
                                                        MaxExportScale, Scale, Problem))) {
        Err << "vimbrel-cli: " << (Png ? Problem : "--scale needs --png") << "\n";
        return ExitUsage;
    }
    const TGifReadResult Animation = ReadGifFile(FileName);
    if (!Opened(FileName, Animation, Err)) return ExitFailed;
    const std::filesystem::path Directory(Folder);
    std::error_code Error;
    std::filesystem::create_directories(Directory, Error);
    if (Error || !std::filesystem::is_directory(Directory)) {
        Err << "vimbrel-cli: cannot make the folder " << Folder << ": "
            << (Error ? Error.message() : "a file of that name is in the way") << "\n";
        return ExitFailed;
    }
    const TSprite& Sprite = *Animation.Sprite;
    for (int Index = 0; Index < Sprite.CelCount(); ++Index) {
        char Name[32];
        std::snprintf(Name, sizeof Name, "cel-%03d.%s", Index, Png ? "png" : "ppm");
        const std::string Path = (Directory / Name).string();
        if (Png ? !Written(Path,
                           SaveCelPng(Path, Sprite, Index, *Animation.Palette,
                                      Animation.BackgroundTransparent, Scale),
                           Err)
                : !WriteFile(Path, PortablePixmap(Sprite.CelBitmap(Index)), Err))
            return ExitFailed;
    }
    if (!WriteFile(Directory / "info.txt", Describe(Animation), Err)) return ExitFailed;
    Out << "Wrote " << Sprite.CelCount() << " cels to " << Folder << "\n";
    return ExitOk;
}

// The editor's recovery area: the per-user data location that Qt gives the editor
// ($XDG_DATA_HOME, or ~/.local/share), its organisation and its name. A file that a command
// rewrites in place keeps its old contents there until the new ones are on the disk, so
// that after a kill the editor's next start offers to put the old file back. Empty when the
// user has no home folder: such files are then rewritten without a kept copy.
std::string RecoveryArea() {
    std::string Data;
    const char* DataHome = std::getenv("XDG_DATA_HOME");
    if (DataHome && DataHome[0] == '/')
        Data = DataHome;
    else if (const char* Home = std::getenv("HOME"); Home && Home[0] == '/')
        Data = std::string(Home) + "/.local/share";
    else
        return {};
    return Data + "/Ostra Vale Software/Ostra Vale Vimbrel/recovery";
}

// While a command runs, a file it rewrites in place keeps its old contents in the recovery
// area until the new ones are on the disk; the folder is made only when one is needed.
class TKeptCopies {
public:
    TKeptCopies() {
        SetKeptCopyFolder([this]() -> std::string {
            const std::string Area = RecoveryArea();
            if (Area.empty()) return {};
            if (!Run) Run = TRunFolder::Create(Area);
            return Run->Path();
        });
    }
    ~TKeptCopies() { SetKeptCopyFolder({}); }
    TKeptCopies(const TKeptCopies&) = delete;
    TKeptCopies& operator=(const TKeptCopies&) = delete;

private:
    std::unique_ptr<TRunFolder> Run;
};

// Opens Input and saves it as Output the way the editor saves, every pixel Scale times over.
int SaveCopy(const std::string& Input, const std::string& Output, int Scale, std::ostream& Out,
             std::ostream& Err) {
    const TGifReadResult Animation = ReadGifFile(Input);
    if (!Opened(Input, Animation, Err)) return ExitFailed;
    TGifWriteSettings Settings = SettingsOf(Animation);
    Settings.Scale = Scale;
    if (!Written(Output, SaveGifFile(Output, *Animation.Sprite, *Animation.Palette, Settings), Err))
        return ExitFailed;
    Out << "Saved " << Animation.Sprite->CelCount() << " cels "
        << (Scale > 1 ? "at " + std::to_string(Scale) + "x " : "") << "as " << Output << "\n";
    return ExitOk;
}

int Resave(const TArguments& Args, std::ostream& Out, std::ostream& Err) {
    return SaveCopy(Args.Positional[0], Args.Positional[1], 1, Out, Err);
}

int Scale(const TArguments& Args, std::ostream& Out, std::ostream& Err) {
    int Factor = 1;
    std::string Problem;
    if (!NumberArgument(Args.Positional[2], "The scale", 1, MaxExportScale, Factor, Problem)) {
        Err << "vimbrel-cli: " << Problem << "\n";
        return ExitUsage;
    }
    return SaveCopy(Args.Positional[0], Args.Positional[1], Factor, Out, Err);
}

int Sheet(const TArguments& Args, std::ostream& Out, std::ostream& Err) {
    const std::string& Input = Args.Positional[0];
    const std::string& Output = Args.Positional[1];
    TSheetOptions Options;
    std::string Problem;
    const auto Option = [&](const char* Name, const char* What, int Low, int High, int& Value) {
        return !Args.Has(Name) ||
               NumberArgument(Args.Options.at(Name), What, Low, High, Value, Problem);
    };
    if (!Option("--columns", "The number of columns", 1, 65535, Options.Columns) ||
        !Option("--scale", "The scale", 1, MaxExportScale, Options.Scale) ||
        !Option("--spacing", "The spacing", 0, MaxSheetSpacing, Options.Spacing)) {
        Err << "vimbrel-cli: " << Problem << "\n";
        return ExitUsage;
    }
    const std::string Data = Args.Has("--json") ? Args.Options.at("--json") : "";
    const TGifReadResult Animation = ReadGifFile(Input);
    if (!Opened(Input, Animation, Err)) return ExitFailed;
    const TSprite& Sprite = *Animation.Sprite;
    const ExportResult Result =
        SaveSpriteSheet(Output, Data, Sprite, *Animation.Palette, SettingsOf(Animation), Options);
    if (!Written(Result.Ok || Data.empty() ? Output : Output + ", " + Data, Result, Err))
        return ExitFailed;
    const TSheetLayout Layout =
        PlanSheet(Sprite.CelCount(), Sprite.Width(), Sprite.Height(), Options);
    Out << "Wrote " << Sprite.CelCount() << " cels in " << Layout.Columns << " x " << Layout.Rows
        << " (" << Layout.Width << " x " << Layout.Height << " pixels) as " << Output;
    if (!Data.empty()) Out << ", data as " << Data;
    Out << "\n";
    return ExitOk;
}

struct TCommand {
    const char* Name;
    // How many positional arguments it takes.
    std::size_t Count;
    // Its options, each with whether a value follows it.
    std::map<std::string, bool> Options;
    const char* Help;
    int (*Run)(const TArguments&, std::ostream&, std::ostream&);
};

const std::vector<TCommand>& Commands() {
    static const std::vector<TCommand> List = {
        {"info",
         1,
         {},
         "Usage: vimbrel-cli info FILE.gif\n"
         "Prints the size, each cel with its delay (ms) and disposal, the transparency, the\n"
         "loop count, the comments, and any damage found in the file.\n",
         Info},
        {"frames",
         2,
         {{"--png", false}, {"--scale", true}},
         "Usage: vimbrel-cli frames FILE.gif DIR [--png [--scale N]]\n"
         "Writes each cel as the editor shows it to DIR/cel-000.ppm, cel-001.ppm, ... (binary\n"
         "PPM), and the description that info prints to DIR/info.txt. DIR is made if needed.\n"
         "  --png      indexed PNG files (cel-000.png, ...) with the animation's palette; the\n"
         "             background is transparent when the animation's is\n"
         "  --scale N  each pixel as an N x N block in the PNG files (1 to 8)\n",
         Frames},
        {"resave",
         2,
         {},
         "Usage: vimbrel-cli resave IN.gif OUT.gif\n"
         "Opens IN.gif as the editor does and saves it as OUT.gif as the editor would.\n",
         Resave},
        {"scale",
         3,
         {},
         "Usage: vimbrel-cli scale IN.gif OUT.gif N\n"
         "Saves IN.gif as OUT.gif with every pixel an N x N block (N from 1 to 8); delays,\n"
         "disposals, loop count, comments and transparency are kept.\n",
         Scale},
        {"sheet",
         2,
         {{"--columns", true}, {"--scale", true}, {"--spacing", true}, {"--json", true}},
         "Usage: vimbrel-cli sheet IN.gif OUT.png [--columns C] [--scale N] [--spacing P]\n"
         "                        [--json OUT.json]\n"
         "Writes every cel of IN.gif into one PNG grid, row by row.\n"
         "  --columns C     cels per row (default: the smallest square that holds them all)\n"
         "  --scale N       each pixel as an N x N block (1 to 8, default 1)\n"
         "  --spacing P     P pixels of the background colour between cels (default 0)\n"
         "  --json OUT.json the frames' places and durations (ms), the sheet's size, scale\n"
         "                  and loop count, in the JSON array form game engines read\n",
         Sheet},
    };
    return List;
}

int Run(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
    const std::string Name = Args.empty() ? "" : Args[0];
    if (Name == "help" || Name == "--help" || Name == "-h") {
        Out << Usage;
        return ExitOk;
    }
    if (Name == "--version") {
        Out << "vimbrel-cli " VIMBREL_VERSION "\n";
        return ExitOk;
    }
    const auto Found = std::find_if(Commands().begin(), Commands().end(),
                                    [&](const TCommand& C) { return Name == C.Name; });
    if (Found == Commands().end()) {
        if (!Name.empty()) Err << "vimbrel-cli: unknown command " << Name << "\n";
        Err << Usage;
        return ExitUsage;
    }
    const TCommand& Chosen = *Found;
    TArguments Given;
    std::string Problem;
    for (std::size_t At = 1; At < Args.size(); ++At) {
        const std::string& Arg = Args[At];
        if (Arg == "--help" || Arg == "-h") {
            Out << Chosen.Help;
            return ExitOk;
        }
        const auto Option = Chosen.Options.find(Arg);
        if (Option == Chosen.Options.end() && Arg.size() > 2 && Arg.compare(0, 2, "--") == 0) {
            if (Problem.empty()) Problem = "unknown option " + Arg + " for " + Name;
        } else if (Option == Chosen.Options.end()) {
            Given.Positional.push_back(Arg);
        } else if (!Option->second) {
            Given.Options[Arg];
        } else if (At + 1 < Args.size()) {
            Given.Options[Arg] = Args[++At];
        } else if (Problem.empty()) {
            Problem = Arg + " needs a value";
        }
    }
    if (Problem.empty() && Given.Positional.size() != Chosen.Count)
        Problem = "wrong number of arguments for " + Name;
    if (!Problem.empty()) {
        Err << "vimbrel-cli: " << Problem << "\n" << Chosen.Help;
        return ExitUsage;
    }
    const TKeptCopies Kept;
    return Chosen.Run(Given, Out, Err);
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    } catch (const std::exception& Failure) {
        std::cerr << "vimbrel-cli: " << Failure.what() << "\n";
        return ExitFailed;
    }
}
