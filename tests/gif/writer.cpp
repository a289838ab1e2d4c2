// The GIF writer: the file layout checked byte for byte, and every file decoded again by
// giflib, which must give back the cels' pictures, delays, disposals, loop count and
// comments.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gif/GifWriter.h"
#include "gif/LzwEncoder.h"
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

Bytes Le16(unsigned Value) {
    return {std::uint8_t(Value), std::uint8_t(Value >> 8)};
}

Bytes ScreenHeader(int W, int H, std::uint8_t Background) {
    return Bytes{'G', 'I', 'F', '8', '9', 'a'} + Le16(W) + Le16(H) + Bytes{0xF7, Background, 0};
}

Bytes ColorTableOf(const TPxPalette& Palette) {
    Bytes Out;
    Palette.WriteGifColorTable(
        [&](const std::uint8_t* P, std::size_t N) { Out.insert(Out.end(), P, P + N); });
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

// The table-based image data of the colour numbers.
Bytes ImageData(const Bytes& Numbers) {
    Bytes Data;
    WriteImageData([&](const std::uint8_t* P, std::size_t N) { Data.insert(Data.end(), P, P + N); },
                   EncodeImageData(Numbers.data(), Numbers.size()));
    return Data;
}

// Graphic control extension, image descriptor and image data.
Bytes Frame(std::uint8_t Packed, unsigned Delay, std::uint8_t Transparent, int Left, int Top,
            int Width, int Height, const Bytes& Numbers) {
    EXPECT_EQ(Numbers.size(), std::size_t(Width * Height));
    return Bytes{0x21, 0xF9, 0x04, Packed} + Le16(Delay) + Bytes{Transparent, 0, 0x2C} +
           Le16(Left) + Le16(Top) + Le16(Width) + Le16(Height) + Bytes{0} + ImageData(Numbers);
}

const Bytes Trailer{0x3B};

// ---- Reading back with giflib ----

int ReadFromMemory(GifFileType* Gif, GifByteType* Out, int Count) {
    auto* Source = static_cast<std::pair<const Bytes*, std::size_t>*>(Gif->UserData);
    const std::size_t Take = std::min(std::size_t(Count), Source->first->size() - Source->second);
    std::copy_n(Source->first->data() + Source->second, Take, Out);
    Source->second += Take;
    return int(Take);
}

// A whole GIF file as giflib's high-level reader sees it.
struct GiflibFile {
    std::pair<const Bytes*, std::size_t> Source;
    GifFileType* Gif = nullptr;

    explicit GiflibFile(const Bytes& File) : Source(&File, 0) {
        int Error = 0;
        Gif = DGifOpen(&Source, ReadFromMemory, &Error);
        if (Gif && DGifSlurp(Gif) != GIF_OK) {
            DGifCloseFile(Gif, &Error);
            Gif = nullptr;
        }
    }
    ~GiflibFile() {
        int Error = 0;
        if (Gif) DGifCloseFile(Gif, &Error);
    }
    GiflibFile(const GiflibFile&) = delete;
    GiflibFile& operator=(const GiflibFile&) = delete;

    // Extension blocks before the first image, or all of them when there is none.
    std::vector<ExtensionBlock> LeadingExtensions() const {
        if (Gif->ImageCount == 0)
            return {Gif->ExtensionBlocks, Gif->ExtensionBlocks + Gif->ExtensionBlockCount};
        const SavedImage& First = Gif->SavedImages[0];
        return {First.ExtensionBlocks, First.ExtensionBlocks + First.ExtensionBlockCount};
    }
    int LoopCount() const {
        const auto Blocks = LeadingExtensions();
        for (std::size_t K = 0; K + 1 < Blocks.size(); ++K)
            if (Blocks[K].Function == APPLICATION_EXT_FUNC_CODE && Blocks[K].ByteCount == 11 &&
                std::equal(Blocks[K].Bytes, Blocks[K].Bytes + 11, "NETSCAPE2.0") &&
                Blocks[K + 1].ByteCount == 3 && Blocks[K + 1].Bytes[0] == 1)
                return Blocks[K + 1].Bytes[1] | Blocks[K + 1].Bytes[2] << 8;
        return -1;
    }
    std::string Comments() const {
        std::string Text;
        for (const ExtensionBlock& Block : LeadingExtensions())
            if (Block.Function == COMMENT_EXT_FUNC_CODE)
                Text.append(reinterpret_cast<const char*>(Block.Bytes),
                            std::size_t(Block.ByteCount));
        return Text;
    }
};

// Decodes File with giflib and checks it against what was saved: size, background, loop
// count, comments, and for every cel its delay, disposal and transparency, and the colour
// of every pixel of the picture that a viewer composes at that frame (the previous frame's
// disposal applied before the next is drawn, transparent pixels left as they were).
void ExpectGiflibReadsBack(const Bytes& File, const TSprite& Sprite, const TPxPalette& Palette,
                           const GifWriteSettings& Settings) {
    // giflib refuses a file without images; such files are checked on their bytes alone.
    if (Sprite.CelCount() == 0) return;
    GiflibFile Decoded(File);
    ASSERT_NE(Decoded.Gif, nullptr) << "giflib cannot read the file";
    const GifFileType* Gif = Decoded.Gif;
    const int W = Sprite.Width(), H = Sprite.Height();
    EXPECT_EQ(Gif->SWidth, W);
    EXPECT_EQ(Gif->SHeight, H);
    const int Background = GifBackgroundIndex(Sprite, Palette);
    EXPECT_EQ(Gif->SBackGroundColor, Background);
    EXPECT_EQ(Decoded.LoopCount(), Settings.LoopCount);
    std::string Comments;
    for (const std::string& Line : Settings.Comments)
        Comments += Line + "\r\n";
    EXPECT_EQ(Decoded.Comments(), Comments.substr(0, Comments.find('\0')));
    ASSERT_EQ(Gif->ImageCount, Sprite.CelCount());

    Bytes Screen(std::size_t(W * H), std::uint8_t(Background)), Saved;
    for (int I = 0; I < Sprite.CelCount(); ++I) {
        SCOPED_TRACE("cel " + std::to_string(I));
        const TCel& Cel = Sprite.Cel(I);
        GraphicsControlBlock Control;
        ASSERT_EQ(DGifSavedExtensionToGCB(const_cast<GifFileType*>(Gif), I, &Control), GIF_OK);
        EXPECT_EQ(Control.DelayTime, std::min(Cel.Delay(), 655359) / 10);
        EXPECT_EQ(Control.DisposalMode, Cel.Disposal());
        EXPECT_EQ(Control.TransparentColor,
                  Settings.BackgroundTransparent ? Background : NO_TRANSPARENT_COLOR);

        const SavedImage& Image = Gif->SavedImages[I];
        const GifImageDesc& D = Image.ImageDesc;
        EXPECT_EQ(D.ColorMap, nullptr);
        EXPECT_FALSE(D.Interlace);
        ASSERT_TRUE(D.Left >= 0 && D.Top >= 0 && D.Left + D.Width <= W && D.Top + D.Height <= H);
        if (Cel.Disposal() == DisposalRestorePrevious) Saved = Screen;
        for (int Y = 0; Y < D.Height; ++Y)
            for (int X = 0; X < D.Width; ++X) {
                const GifByteType Pixel = Image.RasterBits[Y * D.Width + X];
                if (Pixel != Control.TransparentColor)
                    Screen[std::size_t((D.Top + Y) * W + D.Left + X)] = Pixel;
            }

        // A user colour is stored as itself, a system colour as the nearest user colour.
        int Wrong = 0;
        for (int Y = 0; Y < H; ++Y)
            for (int X = 0; X < W; ++X) {
                const int Index = Cel.Bitmap().IndexAt(X, Y);
                const int User = Index >= FirstUserColor && Index <= LastUserColor
                                     ? Index
                                     : Palette.NearestUserIndex(Palette.Entry(Index).Color());
                const GifColorType& C = Gif->SColorMap->Colors[Screen[std::size_t(Y * W + X)]];
                Wrong += RgbColor({C.Red, C.Green, C.Blue}) != Palette.Entry(User).Color();
            }
        EXPECT_EQ(Wrong, 0) << "pixels that show another colour than the cel";

        if (Cel.Disposal() == DisposalRestoreBackground)
            for (int Y = 0; Y < D.Height; ++Y)
                std::fill_n(Screen.begin() + (D.Top + Y) * W + D.Left, D.Width,
                            std::uint8_t(Background));
        if (Cel.Disposal() == DisposalRestorePrevious) Screen = Saved;
    }
}

// The file as WriteGif makes it, checked by giflib.
Bytes Written(const TSprite& Sprite, const TPxPalette& Palette, const GifWriteSettings& Settings) {
    Bytes Out;
    WriteGif([&](const std::uint8_t* P, std::size_t N) { Out.insert(Out.end(), P, P + N); }, Sprite,
             Palette, Settings);
    ExpectGiflibReadsBack(Out, Sprite, Palette, Settings);
    return Out;
}

// A folder of its own for each test, removed at the end.
struct ScratchFolder {
    fs::path Path;
    ScratchFolder() {
        std::string Template = (fs::temp_directory_path() / "gifwriter-XXXXXX").string();
        Path = ::mkdtemp(Template.data());
    }
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

std::string Contents(const fs::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), {});
}

Bytes FileBytes(const fs::path& Path) {
    const std::string Text = Contents(Path);
    return Bytes(Text.begin(), Text.end());
}

void Paint(TSprite& Sprite, int Cel, const Picture& Rows) {
    PaintPicture(Sprite.CelBitmap(Cel),
                 {{CubeIndex(255, 255, 255), '.'},
                  {CubeIndex(255, 0, 0), 'r'},
                  {CubeIndex(0, 0, 255), 'b'},
                  {CubeIndex(0, 255, 0), 'g'}},
                 Rows);
}

constexpr std::uint8_t White = CubeIndex(255, 255, 255) - 10;
constexpr std::uint8_t Red = CubeIndex(255, 0, 0) - 10;
constexpr std::uint8_t Blue = CubeIndex(0, 0, 255) - 10;
constexpr std::uint8_t Green = CubeIndex(0, 255, 0) - 10;

} // namespace

TEST(GifWriter, OneCelFileIsLaidOutByteForByte) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(3, 2, *Palette, RGB(250, 250, 250)); // nearest: white
    Sprite->AddCel(100);
    Paint(*Sprite, 0, {"r.b", "g.."});
    GifWriteSettings Settings;
    Settings.Comments = {"hi"};
    Settings.LoopCount = 0x1234;

    const Bytes Expected =
        Bytes{'G', 'I', 'F', '8', '9', 'a', 3, 0, 2, 0, 0xF7, White, 0} + ColorTableOf(*Palette) +
        Bytes{0x21, 0xFE, 4, 'h', 'i', '\r', '\n', 0} +
        Bytes{0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S',  'C',  'A', 'P',
              'E',  '2',  '.',  '0', 3,   1,   0x34, 0x12, 0} +
        Bytes{0x21, 0xF9, 4, 0x08, 10, 0, White, 0, 0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0} +
        ImageData({Red, White, Blue, Green, White, White}) + Bytes{0x3B};
    EXPECT_BYTES(Written(*Sprite, *Palette, Settings), Expected);
}

TEST(GifWriter, StoresOnlyWhatChangedWithDelaysDisposalsAndTransparency) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(4, 3, *Palette, RGB(255, 255, 255));
    const int Delays[] = {205, 9, 1000, 30, 40, 50, 60};
    const std::uint8_t Disposals[] = {1, 1, 0, 2, 1, 3, 1};
    for (int I = 0; I < 7; ++I) {
        Sprite->AddCel(Delays[I]);
        Sprite->Cel(I).SetDisposal(Disposals[I]);
        Paint(*Sprite, I, {"rr..", ".b..", "...g"});
    }
    Paint(*Sprite, 2, {"rr..", ".bg.", "...g"}); // one pixel differs from cel 1
    for (int I = 3; I < 7; ++I)
        Paint(*Sprite, I, {"rr..", ".bg.", "...g"});

    GifWriteSettings Settings;
    Settings.BackgroundTransparent = true;
    Settings.LoopCount = 0;
    Settings.Comments = {std::string(148, 'x'), std::string(148, 'y')}; // 300 bytes with CR LF
    const std::string Text = Settings.Comments[0] + "\r\n" + Settings.Comments[1] + "\r\n";

    const Bytes Full1 = {Red,   Red,   White, White, White, Blue,
                         White, White, White, White, White, Green};
    const Bytes Full2 = {Red,   Red,   White, White, White, Blue,
                         Green, White, White, White, White, Green};
    const Bytes Expected =
        ScreenHeader(4, 3, White) + ColorTableOf(*Palette) + CommentExtension(Text.substr(0, 255)) +
        CommentExtension(Text.substr(255)) + LoopExtension(0) +
        // The first cel is whole; 205 ms are 20 hundredths.
        Frame(0x05, 20, White, 0, 0, 4, 3, Full1) +
        // Unchanged: the top-left 2 x 2 of its own pixels, 9 ms written as 0.
        Frame(0x05, 0, White, 0, 0, 2, 2, {Red, Red, White, Blue}) +
        // One pixel changed: a 1 x 1 image there.
        Frame(0x01, 100, White, 2, 1, 1, 1, {Green}) +
        // Disposal 2: whole, although nothing changed.
        Frame(0x09, 3, White, 0, 0, 4, 3, Full2) +
        // After a cel that clears its area the viewer shows no picture to build on: whole.
        Frame(0x05, 4, White, 0, 0, 4, 3, Full2) +
        // Disposal 3 of its own does not matter; unchanged, so 2 x 2.
        Frame(0x0D, 5, White, 0, 0, 2, 2, {Red, Red, White, Blue}) +
        // After a cel that restores the picture before it: whole.
        Frame(0x05, 6, White, 0, 0, 4, 3, Full2) + Trailer;
    EXPECT_BYTES(Written(*Sprite, *Palette, Settings), Expected);
}

TEST(GifWriter, ChangedRectangleComparesColoursAndFitsNarrowSprites) {
    auto Palette = MakeCubePalette();
    // Black matches system entry 0 first, so every pixel of these cels is index 0.
    auto Sprite = TSprite::Create(1, 3, *Palette, RGB(0, 0, 0));
    Sprite->AddCel(10);
    Sprite->AddCel(10);
    ASSERT_EQ(Sprite->CelBitmap(0).IndexAt(0, 0), 0);
    for (int I = 0; I < 2; ++I)
        Sprite->Cel(I).SetDisposal(1);
    // Entry 10 is black as well: a different index of the same colour is no change.
    Sprite->CelBitmap(1).ScanLine(2)[0] = 10;
    EXPECT_EQ(GetChangedRect(*Sprite, 1).Right, 0);
    EXPECT_EQ(GetChangedRect(*Sprite, 1).Bottom, 1);

    const Bytes Expected = ScreenHeader(1, 3, 0) + ColorTableOf(*Palette) + LoopExtension(0) +
                           Frame(0x04, 1, 0, 0, 0, 1, 3, {0, 0, 0}) +
                           Frame(0x04, 1, 0, 0, 0, 1, 2, {0, 0}) + Trailer;
    EXPECT_BYTES(Written(*Sprite, *Palette, {}), Expected);

    // Without cels the trailer follows the looping extension.
    auto Empty = TSprite::Create(5, 5, *Palette, RGB(0, 0, 0));
    EXPECT_BYTES(Written(*Empty, *Palette, {}),
                 ScreenHeader(5, 5, 0) + ColorTableOf(*Palette) + LoopExtension(0) + Trailer);

    // A comment ends at its first zero byte.
    GifWriteSettings Settings;
    Settings.Comments = {std::string("ab\0cd", 5), "ef"};
    EXPECT_BYTES(Written(*Empty, *Palette, Settings),
                 ScreenHeader(5, 5, 0) + ColorTableOf(*Palette) + CommentExtension("ab") +
                     LoopExtension(0) + Trailer);
}

TEST(GifWriter, SystemEntryPixelsTakeTheNearestUserColour) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(4, 1, *Palette, RGB(255, 255, 255));
    Sprite->AddCel(10);
    TPxBitmap& Cel = Sprite->CelBitmap(0);
    Cel.Canvas().SetPixel(0, 0, RGB(0, 0, 0)); // drawing pure black stores entry 0
    ASSERT_LT(Cel.IndexAt(0, 0), FirstUserColor);
    Cel.ScanLine(0)[1] = 8;   // a system grey-green with no equal among the user colours
    Cel.ScanLine(0)[2] = 255; // system white
    Cel.ScanLine(0)[3] = std::uint8_t(CubeIndex(0, 51, 102));

    ScratchFolder Folder;
    const std::string Path = (Folder.Path / "system.gif").string();
    ASSERT_TRUE(SaveGifFile(Path, *Sprite, *Palette, {}));
    const Bytes Saved = FileBytes(Path);
    ExpectGiflibReadsBack(Saved, *Sprite, *Palette, {});
    GiflibFile File(Saved);
    ASSERT_NE(File.Gif, nullptr);
    ASSERT_EQ(File.Gif->ImageCount, 1);
    const GifByteType* Pixels = File.Gif->SavedImages[0].RasterBits;
    const ColorMapObject* Map = File.Gif->SColorMap;
    EXPECT_EQ(Pixels[0], 0); // cube black, entry 10
    EXPECT_EQ(Pixels[1], Palette->NearestUserIndex(Palette->Entry(8).Color()) - 10);
    EXPECT_EQ(Pixels[2], White);
    EXPECT_EQ(Pixels[3], CubeIndex(0, 51, 102) - 10);
    const GifColorType& Shown = Map->Colors[Pixels[1]];
    EXPECT_EQ(RgbColor({Shown.Red, Shown.Green, Shown.Blue}), RgbColor({204, 204, 204}));
}

TEST(GifWriter, GiflibReadsBackTheAnimation) {
    auto Palette = MakeCubePalette();
    const int W = 40, H = 24, Count = 8;
    auto Sprite = TSprite::Create(W, H, *Palette, RGB(255, 255, 255));
    const std::uint8_t Disposals[Count] = {1, 1, 0, 2, 1, 3, 0, 1};
    const int Delays[Count] = {100, 205, 9, 0, 65535, 40, 1230, 70};
    std::mt19937 Random(42);
    for (int I = 0; I < Count; ++I) {
        Sprite->AddCel(Delays[I]);
        Sprite->Cel(I).SetDisposal(Disposals[I]);
        if (I > 0) Sprite->CelBitmap(I).SetBits(Sprite->CelBitmap(I - 1).CopyBits());
        // A few boxes of random user colours move about; cel 7 stays as cel 6 was.
        for (int Box = 0; Box < 3 && I != 7; ++Box) {
            const int X = int(Random() % W), Y = int(Random() % H);
            const auto Colour = std::uint8_t(10 + Random() % 236);
            for (int Y2 = Y; Y2 < std::min(H, Y + 5); ++Y2)
                for (int X2 = X; X2 < std::min(W, X + 7); ++X2)
                    Sprite->CelBitmap(I).ScanLine(Y2)[X2] = Colour;
        }
    }
    GifWriteSettings Settings;
    Settings.LoopCount = 50000;
    Settings.Comments = {"made by the tests", "", "third line"};

    ScratchFolder Folder;
    const std::string Path = (Folder.Path / "anim.gif").string();
    std::vector<std::pair<int, int>> Progress;
    const GifWriteResult Result = SaveGifFile(Path, *Sprite, *Palette, Settings, [&](int P, int M) {
        Progress.push_back({P, M});
    });
    ASSERT_TRUE(Result) << Result.Reason;
    EXPECT_EQ(Result.Reason, "");
    ASSERT_EQ(Progress.size(), std::size_t(Count + 1));
    for (int I = 0; I <= Count; ++I)
        EXPECT_EQ(Progress[I], std::make_pair(I, Count));
    EXPECT_EQ(Folder.Names(), std::vector<std::string>({"anim.gif"}));

    const Bytes Saved = FileBytes(Path);
    ExpectGiflibReadsBack(Saved, *Sprite, *Palette, Settings);
    // The unchanged cel 7 is the 2 x 2 corner; the cels after disposals 2 and 3 are whole.
    GiflibFile File(Saved);
    ASSERT_NE(File.Gif, nullptr);
    ASSERT_EQ(File.Gif->ImageCount, Count);
    EXPECT_EQ(File.Gif->SavedImages[7].ImageDesc.Width, 2);
    EXPECT_EQ(File.Gif->SavedImages[4].ImageDesc.Width, W);
    EXPECT_EQ(File.Gif->SavedImages[6].ImageDesc.Width, W);

    // With a transparent background every frame names the background colour.
    Settings.BackgroundTransparent = true;
    ASSERT_TRUE(SaveGifFile(Path, *Sprite, *Palette, Settings));
    ExpectGiflibReadsBack(FileBytes(Path), *Sprite, *Palette, Settings);
}

TEST(GifWriter, FailedSaveKeepsThePreviousFile) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(64, 64, *Palette, RGB(255, 255, 255));
    Sprite->AddCel(100);
    std::mt19937 Random(7);
    for (int Y = 0; Y < 64; ++Y)
        for (int X = 0; X < 64; ++X)
            Sprite->CelBitmap(0).ScanLine(Y)[X] = std::uint8_t(10 + Random() % 236);

    ScratchFolder Folder;
    const fs::path Target = Folder.Path / "old.gif";
    std::ofstream(Target, std::ios::binary) << "the previous animation";
    ::chmod(Target.c_str(), 0640);

    // A folder that does not exist.
    GifWriteResult Result =
        SaveGifFile((Folder.Path / "missing" / "new.gif").string(), *Sprite, *Palette, {});
    EXPECT_FALSE(Result);
    EXPECT_NE(Result.Reason.find("missing"), std::string::npos) << Result.Reason;

    // A name taken by a folder cannot be replaced; the folder stays as it was.
    fs::create_directory(Folder.Path / "taken.gif");
    Result = SaveGifFile((Folder.Path / "taken.gif").string(), *Sprite, *Palette, {});
    EXPECT_FALSE(Result);
    EXPECT_FALSE(Result.Reason.empty());
    EXPECT_TRUE(fs::is_directory(Folder.Path / "taken.gif"));
    EXPECT_EQ(Folder.Names(), std::vector<std::string>({"old.gif", "taken.gif"}));

    // The disk fills up half way: a child process may only write files of 2000 bytes.
    const pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit Limit{2000, 2000};
        ::setrlimit(RLIMIT_FSIZE, &Limit);
        const GifWriteResult Full = SaveGifFile(Target.string(), *Sprite, *Palette, {});
        _exit(Full ? 1 : Full.Reason.empty() ? 2 : 0);
    }
    int Status = 0;
    ::waitpid(Child, &Status, 0);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 0) << "1: reported success, 2: gave no reason";
    EXPECT_EQ(Contents(Target), "the previous animation");
    EXPECT_EQ(Folder.Names(), std::vector<std::string>({"old.gif", "taken.gif"}));

    // A save that succeeds replaces the file, keeps its permissions and follows a link.
    fs::create_symlink(Target, Folder.Path / "link.gif");
    ASSERT_TRUE(SaveGifFile((Folder.Path / "link.gif").string(), *Sprite, *Palette, {}));
    EXPECT_TRUE(fs::is_symlink(Folder.Path / "link.gif"));
    EXPECT_EQ(Contents(Target).substr(0, 6), "GIF89a");
    EXPECT_EQ(fs::status(Target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Folder.Names(), std::vector<std::string>({"link.gif", "old.gif", "taken.gif"}));
}
