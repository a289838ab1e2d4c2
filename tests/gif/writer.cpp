// The GIF writer: the file layout checked byte for byte, and every file decoded again by
// giflib, which must give back the cels' pictures, delays, disposals, loop count and
// comments.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gif/GifWriter.h"
#include "gif/LzwEncoder.h"
#include "giflib_viewer.h"
#include "model/Spritez.h"
#include "support/PictureAssert.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// ---- Building the expected bytes ----

Bytes operator+(Bytes A, const Bytes& B) {
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

// A sink that appends to Out.
ByteSink AppendTo(Bytes& Out) {
    return [&Out](const std::uint8_t* P, std::size_t N) { Out.insert(Out.end(), P, P + N); };
}

Bytes Le16(unsigned Value) {
    return {std::uint8_t(Value), std::uint8_t(Value >> 8)};
}

// Header, screen descriptor and global colour table.
Bytes FileStart(int W, int H, std::uint8_t Background, const TPxPalette& Palette) {
    Bytes Out =
        Bytes{'G', 'I', 'F', '8', '9', 'a'} + Le16(W) + Le16(H) + Bytes{0xF7, Background, 0};
    Palette.WriteGifColorTable(AppendTo(Out));
    return Out;
}

Bytes CommentExtension(const std::string& Piece) {
    return Bytes{0x21, 0xFE, std::uint8_t(Piece.size())} + Bytes(Piece.begin(), Piece.end()) +
           Bytes{0};
}

Bytes LoopExtension(unsigned LoopCount) {
    return Bytes{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1} +
           Le16(LoopCount) + Bytes{0};
}

// Graphic control extension, image descriptor and the image data of the colour numbers.
Bytes Frame(std::uint8_t Packed, unsigned Delay, std::uint8_t Transparent, int Left, int Top,
            int Width, int Height, const Bytes& Numbers) {
    EXPECT_EQ(Numbers.size(), std::size_t(Width * Height));
    Bytes Out = Bytes{0x21, 0xF9, 0x04, Packed} + Le16(Delay) + Bytes{Transparent, 0, 0x2C} +
                Le16(Left) + Le16(Top) + Le16(Width) + Le16(Height) + Bytes{0};
    WriteImageData(AppendTo(Out), EncodeImageData(Numbers.data(), Numbers.size()));
    return Out;
}

const Bytes Trailer{0x3B};

// ---- Reading back with giflib ----

using giflib_viewer::GiflibFile;
using giflib_viewer::ReadWithGiflib;

// Decodes File with giflib and checks it against what was saved: size, background, loop
// count, comments, and for every cel its delay, disposal and transparency, and the colour
// of every pixel of the picture that a viewer composes at that frame (the previous frame's
// disposal applied before the next is drawn, transparent pixels left as they were).
void ExpectGiflibReadsBack(const Bytes& File, const TSprite& Sprite, const TPxPalette& Palette,
                           const GifWriteSettings& Settings) {
    // giflib refuses a file without images; such files are checked on their bytes alone.
    if (Sprite.CelCount() == 0) return;
    const GiflibFile Gif = ReadWithGiflib(File);
    ASSERT_NE(Gif, nullptr) << "giflib cannot read the file";
    const int W = Sprite.Width(), H = Sprite.Height();
    const int Background = GifBackgroundIndex(Sprite, Palette);
    EXPECT_EQ(std::make_tuple(Gif->SWidth, Gif->SHeight, Gif->SBackGroundColor),
              std::make_tuple(W, H, Background));
    ASSERT_EQ(Gif->ImageCount, Sprite.CelCount());

    // The comments and the looping extension come before the first image.
    std::string Comments, Expected;
    int LoopCount = -1;
    const SavedImage& First = Gif->SavedImages[0];
    for (int K = 0; K < First.ExtensionBlockCount; ++K) {
        const ExtensionBlock& Block = First.ExtensionBlocks[K];
        if (Block.Function == COMMENT_EXT_FUNC_CODE)
            Comments.append(reinterpret_cast<const char*>(Block.Bytes),
                            std::size_t(Block.ByteCount));
        if (Block.Function == APPLICATION_EXT_FUNC_CODE && Block.ByteCount == 11 &&
            std::memcmp(Block.Bytes, "NETSCAPE2.0", 11) == 0 && K + 1 < First.ExtensionBlockCount) {
            const ExtensionBlock& Data = First.ExtensionBlocks[K + 1];
            if (Data.ByteCount == 3 && Data.Bytes[0] == 1)
                LoopCount = Data.Bytes[1] | Data.Bytes[2] << 8;
        }
    }
    for (const std::string& Line : Settings.Comments)
        Expected += Line + "\r\n";
    EXPECT_EQ(Comments, Expected.substr(0, Expected.find('\0')));
    EXPECT_EQ(LoopCount, Settings.LoopCount);

    const std::vector<giflib_viewer::ViewedFrame> Frames = giflib_viewer::ViewerFrames(*Gif);
    const GifColorType BackgroundColor = Gif->SColorMap->Colors[Background];
    for (int I = 0; I < Sprite.CelCount(); ++I) {
        SCOPED_TRACE("cel " + std::to_string(I));
        const TCel& Cel = Sprite.Cel(I);
        GraphicsControlBlock Control;
        ASSERT_EQ(DGifSavedExtensionToGCB(Gif.get(), I, &Control), GIF_OK);
        EXPECT_EQ(
            std::make_tuple(Control.DelayTime, Control.DisposalMode, Control.TransparentColor),
            std::make_tuple(std::min(Cel.Delay(), 655359) / 10, int(Cel.Disposal()),
                            Settings.BackgroundTransparent ? Background : NO_TRANSPARENT_COLOR));
        const GifImageDesc& D = Gif->SavedImages[I].ImageDesc;
        EXPECT_TRUE(D.ColorMap == nullptr && !D.Interlace);
        ASSERT_TRUE(D.Left >= 0 && D.Top >= 0 && D.Left + D.Width <= W && D.Top + D.Height <= H);

        // A user colour is stored as itself, a system colour as the nearest user colour.
        int Wrong = 0;
        for (int K = 0; K < W * H; ++K) {
            const int Index = Cel.Bitmap().IndexAt(K % W, K / W);
            const int User = Index >= FirstUserColor && Index <= LastUserColor
                                 ? Index
                                 : Palette.NearestUserIndex(Palette.Entry(Index).Color());
            // Where nothing is drawn, the background colour shows.
            const giflib_viewer::ViewedPixel& Shown = Frames[std::size_t(I)][std::size_t(K)];
            const GifColorType& C = Shown.Drawn ? Shown.Color : BackgroundColor;
            Wrong += RgbColor({C.Red, C.Green, C.Blue}) != Palette.Entry(User).Color();
        }
        EXPECT_EQ(Wrong, 0) << "pixels that show another colour than the cel";
    }
}

// The file as WriteGif makes it, checked by giflib.
Bytes Written(const TSprite& Sprite, const TPxPalette& Palette, const GifWriteSettings& Settings) {
    Bytes Out;
    WriteGif(AppendTo(Out), Sprite, Palette, Settings);
    ExpectGiflibReadsBack(Out, Sprite, Palette, Settings);
    return Out;
}

// A folder of its own, removed at the end.
struct ScratchFolder {
    std::string Template = (fs::temp_directory_path() / "gifwriter-XXXXXX").string();
    const fs::path Path = ::mkdtemp(Template.data());
    ~ScratchFolder() {
        std::error_code Ignored;
        fs::remove_all(Path, Ignored);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> Result;
        for (const auto& Entry : fs::directory_iterator(Path))
            Result.push_back(Entry.path().filename().string());
        std::sort(Result.begin(), Result.end());
        return Result;
    }
};

Bytes FileBytes(const fs::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(In), {});
}

constexpr std::uint8_t White = CubeIndex(255, 255, 255) - 10;
constexpr std::uint8_t Red = CubeIndex(255, 0, 0) - 10;
constexpr std::uint8_t Blue = CubeIndex(0, 0, 255) - 10;
constexpr std::uint8_t Green = CubeIndex(0, 255, 0) - 10;

void Paint(TSprite& Sprite, int Cel, const Picture& Rows) {
    PaintPicture(Sprite.CelBitmap(Cel),
                 {{White + 10, '.'}, {Red + 10, 'r'}, {Blue + 10, 'b'}, {Green + 10, 'g'}}, Rows);
}

} // namespace

TEST(GifWriter, StoresOnlyWhatChangedWithDelaysDisposalsAndComments) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(4, 3, *Palette, RGB(250, 250, 250)); // nearest: white
    const int Delays[] = {205, 9, 1000, 30, 40, 50, 60};
    const std::uint8_t Disposals[] = {1, 1, 0, 2, 1, 3, 1};
    for (int I = 0; I < 7; ++I) {
        Sprite->AddCel(Delays[I]);
        Sprite->Cel(I).SetDisposal(Disposals[I]);
        Paint(*Sprite, I,
              I < 2 ? Picture{"rr..", ".b..", "...g"} : Picture{"rr..", ".bg.", "...g"});
    }
    GifWriteSettings Settings;
    Settings.BackgroundTransparent = true;
    Settings.LoopCount = 0;
    Settings.Comments = {std::string(148, 'x'), std::string(148, 'y')}; // 300 bytes with CR LF
    const std::string Text = Settings.Comments[0] + "\r\n" + Settings.Comments[1] + "\r\n";

    const Bytes Full1 = {Red,   Red,   White, White, White, Blue,
                         White, White, White, White, White, Green};
    Bytes Full2 = Full1;
    Full2[6] = Green;
    const Bytes Corner = {Red, Red, White, Blue};
    const Bytes Expected =
        FileStart(4, 3, White, *Palette) + CommentExtension(Text.substr(0, 255)) +
        CommentExtension(Text.substr(255)) + LoopExtension(0) +
        // The first cel is whole; 205 ms are 20 hundredths.
        Frame(0x05, 20, White, 0, 0, 4, 3, Full1) +
        // Unchanged: the top-left 2 x 2 of its own pixels, 9 ms written as 0.
        Frame(0x05, 0, White, 0, 0, 2, 2, Corner) +
        // One pixel changed: a 1 x 1 image there.
        Frame(0x01, 100, White, 2, 1, 1, 1, {Green}) +
        // Disposal 2: whole, although nothing changed.
        Frame(0x09, 3, White, 0, 0, 4, 3, Full2) +
        // After a cel that clears its area the viewer shows no picture to build on: whole.
        Frame(0x05, 4, White, 0, 0, 4, 3, Full2) +
        // Disposal 3 of its own does not matter; unchanged, so 2 x 2.
        Frame(0x0D, 5, White, 0, 0, 2, 2, Corner) +
        // After a cel that restores the picture before it: whole.
        Frame(0x05, 6, White, 0, 0, 4, 3, Full2) + Trailer;
    EXPECT_BYTES(Written(*Sprite, *Palette, Settings), Expected);
}

TEST(GifWriter, ChangedRectangleComparesColoursAndFitsNarrowSprites) {
    auto Palette = MakeCubePalette();
    // Black matches system entry 0 first, so every pixel of these cels is index 0.
    auto Sprite = TSprite::Create(1, 3, *Palette, RGB(0, 0, 0));
    for (int I = 0; I < 2; ++I)
        Sprite->Cel(Sprite->AddCel(10)).SetDisposal(1);
    ASSERT_EQ(Sprite->CelBitmap(0).IndexAt(0, 0), 0);
    // Entry 10 is black as well: a different index of the same colour is no change, and
    // the 2 x 2 corner is cut to the sprite.
    Sprite->CelBitmap(1).ScanLine(2)[0] = 10;
    EXPECT_BYTES(Written(*Sprite, *Palette, {}), FileStart(1, 3, 0, *Palette) + LoopExtension(0) +
                                                     Frame(0x04, 1, 0, 0, 0, 1, 3, {0, 0, 0}) +
                                                     Frame(0x04, 1, 0, 0, 0, 1, 2, {0, 0}) +
                                                     Trailer);

    // Without cels the trailer follows the looping extension; a comment ends at its first
    // zero byte.
    auto Empty = TSprite::Create(5, 5, *Palette, RGB(0, 0, 0));
    GifWriteSettings Settings;
    Settings.Comments = {std::string("ab\0cd", 5), "ef"};
    EXPECT_BYTES(Written(*Empty, *Palette, Settings), FileStart(5, 5, 0, *Palette) +
                                                          CommentExtension("ab") +
                                                          LoopExtension(0) + Trailer);
}

TEST(GifWriter, SystemEntryPixelsTakeTheNearestUserColour) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(3, 1, *Palette, RGB(255, 255, 255));
    Sprite->AddCel(10);
    TPxBitmap& Cel = Sprite->CelBitmap(0);
    Cel.Canvas().SetPixel(0, 0, RGB(0, 0, 0)); // drawing pure black stores entry 0
    ASSERT_LT(Cel.IndexAt(0, 0), FirstUserColor);
    Cel.ScanLine(0)[1] = 8;   // a system grey-green with no equal among the user colours
    Cel.ScanLine(0)[2] = 255; // system white

    const GiflibFile Gif = ReadWithGiflib(Written(*Sprite, *Palette, {}));
    ASSERT_TRUE(Gif && Gif->ImageCount == 1);
    const GifByteType* Pixels = Gif->SavedImages[0].RasterBits;
    EXPECT_EQ(Pixels[0], CubeIndex(0, 0, 0) - 10);
    const GifColorType& Shown = Gif->SColorMap->Colors[Pixels[1]];
    EXPECT_EQ(RgbColor({Shown.Red, Shown.Green, Shown.Blue}), RgbColor({204, 204, 204}));
    EXPECT_EQ(Pixels[2], White);
}

TEST(GifWriter, SaveReplacesTheFileOnlyWhenComplete) {
    auto Palette = MakeCubePalette();
    const int W = 40, H = 24, Count = 8;
    auto Sprite = TSprite::Create(W, H, *Palette, RGB(255, 255, 255));
    const std::uint8_t Disposals[Count] = {1, 1, 0, 2, 1, 3, 0, 1};
    const int Delays[Count] = {100, 205, 9, 0, 65535, 40, 1230, 70};
    std::mt19937 Random(42);
    for (int I = 0; I < Count; ++I) {
        Sprite->Cel(Sprite->AddCel(Delays[I])).SetDisposal(Disposals[I]);
        TPxBitmap& Cel = Sprite->CelBitmap(I);
        // Random pixels first, so that the file is far larger than the 2000 bytes allowed
        // below; then a few boxes of random user colours move about; cel 7 stays as cel 6.
        for (int Y = 0; Y < H; ++Y)
            for (int X = 0; X < W; ++X)
                Cel.ScanLine(Y)[X] = I == 0 ? std::uint8_t(10 + Random() % 236)
                                            : Sprite->CelBitmap(I - 1).ScanLine(Y)[X];
        for (int Box = 0; Box < 3 && I != 7; ++Box) {
            const int X = int(Random() % W), Y = int(Random() % H);
            const auto Colour = std::uint8_t(10 + Random() % 236);
            for (int Y2 = Y; Y2 < std::min(H, Y + 5); ++Y2)
                std::fill_n(Cel.ScanLine(Y2) + X, std::min(W - X, 7), Colour);
        }
    }
    GifWriteSettings Settings;
    Settings.LoopCount = 50000;
    Settings.Comments = {"made by the tests", "", "third line"};

    ScratchFolder Folder;
    const fs::path Target = Folder.Path / "old.gif";
    std::ofstream(Target, std::ios::binary) << "the previous animation";
    ::chmod(Target.c_str(), 0640);
    const Bytes Previous = FileBytes(Target);

    // A folder that does not exist.
    GifWriteResult Result =
        SaveGifFile((Folder.Path / "missing" / "new.gif").string(), *Sprite, *Palette, Settings);
    EXPECT_FALSE(Result);
    EXPECT_NE(Result.Reason.find("missing"), std::string::npos) << Result.Reason;

    // A name taken by a folder cannot be replaced; the folder stays as it was.
    fs::create_directory(Folder.Path / "taken.gif");
    Result = SaveGifFile((Folder.Path / "taken.gif").string(), *Sprite, *Palette, Settings);
    EXPECT_FALSE(Result);
    EXPECT_FALSE(Result.Reason.empty());
    EXPECT_TRUE(fs::is_directory(Folder.Path / "taken.gif"));

    // The disk fills up half way: a child process may only write files of 2000 bytes.
    const pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit Limit{2000, 2000};
        ::setrlimit(RLIMIT_FSIZE, &Limit);
        const GifWriteResult Full = SaveGifFile(Target.string(), *Sprite, *Palette, Settings);
        _exit(Full ? 1 : Full.Reason.empty() ? 2 : 0);
    }
    int Status = 0;
    ::waitpid(Child, &Status, 0);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 0) << "1: reported success, 2: gave no reason";
    EXPECT_EQ(FileBytes(Target), Previous);
    EXPECT_EQ(Folder.Names(), std::vector<std::string>({"old.gif", "taken.gif"}));

    // A save that succeeds tells its progress, replaces the file, keeps its permissions and
    // follows a link.
    fs::create_symlink(Target, Folder.Path / "link.gif");
    std::vector<std::pair<int, int>> Progress;
    Result = SaveGifFile((Folder.Path / "link.gif").string(), *Sprite, *Palette, Settings,
                         [&](int Position, int Maximum) {
                             Progress.push_back({Position, Maximum});
                         });
    ASSERT_TRUE(Result) << Result.Reason;
    EXPECT_EQ(Result.Reason, "");
    ASSERT_EQ(Progress.size(), std::size_t(Count + 1));
    for (int I = 0; I <= Count; ++I)
        EXPECT_EQ(Progress[I], std::make_pair(I, Count));
    EXPECT_TRUE(fs::is_symlink(Folder.Path / "link.gif"));
    ExpectGiflibReadsBack(FileBytes(Target), *Sprite, *Palette, Settings);
    EXPECT_EQ(fs::status(Target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Folder.Names(), std::vector<std::string>({"link.gif", "old.gif", "taken.gif"}));
}
