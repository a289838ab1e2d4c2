// vimbrel-cli: the command-line companion of the editor. It reads GIF files exactly as the
// editor opens them (the same reader, the same composition of frames into cels) and
// writes them with the editor's writer, so a file can be looked at, taken apart or saved
// again without a display.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

const char Usage[] = "Usage:\n"
                     "  vimbrel-cli info FILE.gif          describe the animation\n"
                     "  vimbrel-cli frames FILE.gif DIR    write each cel as DIR/cel-NNN.ppm,\n"
                     "                                     and DIR/info.txt\n"
                     "  vimbrel-cli resave IN.gif OUT.gif  open IN.gif and save it as OUT.gif\n";

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

std::string Describe(const GifReadResult& Animation) {
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
            const RgbColor& Color = Colors[Bitmap.IndexAt(X, Y)];
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

bool Opened(const std::string& FileName, const GifReadResult& Animation, std::ostream& Err) {
    if (!Animation.Opened()) {
        Err << "vimbrel-cli: " << FileName << ": " << Animation.Error << "\n";
        return false;
    }
    return true;
}

int Info(const std::string& FileName, std::ostream& Out, std::ostream& Err) {
    const GifReadResult Animation = ReadGifFile(FileName);
    if (!Opened(FileName, Animation, Err)) return ExitFailed;
    Out << Describe(Animation);
    return ExitOk;
}

int Frames(const std::string& FileName, const std::string& Folder, std::ostream& Out,
           std::ostream& Err) {
    const GifReadResult Animation = ReadGifFile(FileName);
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
        std::snprintf(Name, sizeof Name, "cel-%03d.ppm", Index);
        if (!WriteFile(Directory / Name, PortablePixmap(Sprite.CelBitmap(Index)), Err))
            return ExitFailed;
    }
    if (!WriteFile(Directory / "info.txt", Describe(Animation), Err)) return ExitFailed;
    Out << "Wrote " << Sprite.CelCount() << " cels to " << Folder << "\n";
    return ExitOk;
}

// The editor's recovery area: the per-user data location that Qt gives the editor
// ($XDG_DATA_HOME, or ~/.local/share), its organisation and its name. A file that resave
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

int Resave(const std::string& Input, const std::string& Output, std::ostream& Out,
           std::ostream& Err) {
    const GifReadResult Animation = ReadGifFile(Input);
    if (!Opened(Input, Animation, Err)) return ExitFailed;
    // Made only when a file is rewritten in place, and gone again at the end.
    std::unique_ptr<TRunFolder> Run;
    SetKeptCopyFolder([&Run]() -> std::string {
        const std::string Area = RecoveryArea();
        if (Area.empty()) return {};
        if (!Run) Run = TRunFolder::Create(Area);
        return Run->Path();
    });
    GifWriteSettings Settings;
    Settings.BackgroundTransparent = Animation.BackgroundTransparent;
    Settings.LoopCount = Animation.LoopCount;
    Settings.Comments = Animation.Comments;
    const GifWriteResult Written =
        SaveGifFile(Output, *Animation.Sprite, *Animation.Palette, Settings);
    SetKeptCopyFolder({});
    if (!Written) {
        Err << "vimbrel-cli: " << Output << ": " << Written.Reason << "\n";
        return ExitFailed;
    }
    Out << "Saved " << Animation.Sprite->CelCount() << " cels as " << Output << "\n";
    return ExitOk;
}

int Run(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
    const std::string Command = Args.empty() ? "" : Args[0];
    if (Command == "info" && Args.size() == 2) return Info(Args[1], Out, Err);
    if (Command == "frames" && Args.size() == 3) return Frames(Args[1], Args[2], Out, Err);
    if (Command == "resave" && Args.size() == 3) return Resave(Args[1], Args[2], Out, Err);
    if (Command == "help" || Command == "--help" || Command == "-h") {
        Out << Usage;
        return ExitOk;
    }
    if (Command == "info" || Command == "frames" || Command == "resave")
        Err << "vimbrel-cli: wrong number of arguments for " << Command << "\n";
    else if (!Command.empty())
        Err << "vimbrel-cli: unknown command " << Command << "\n";
    Err << Usage;
    return ExitUsage;
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
