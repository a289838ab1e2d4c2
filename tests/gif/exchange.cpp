// Copies made for other programs, read back by independent decoders: scaled GIFs by giflib,
// PNG cels and sprite sheets by libpng.
#include <stdexcept>

#include "gif/Exchange.h"
#include "gif/GifReader.h"
#include "giflib_viewer.h"
#include "model/Spritez.h"
#include "support/PictureAssert.h"
#include "support/PngDecode.h"

namespace {

constexpr std::uint8_t White = CubeIndex(255, 255, 255), Red = CubeIndex(255, 0, 0);
constexpr std::uint8_t Blue = CubeIndex(0, 0, 255), Green = CubeIndex(0, 255, 0);
const PictureLegend Legend{{White, '.'}, {Red, 'r'}, {Blue, 'b'}, {Green, 'g'}, {0, 'k'}};

// Four cels of 5 x 4 on a white background: whole, unchanged, one pixel changed, and one
// that clears to the background; the first holds a system black (index 0).
struct Animation {
    std::unique_ptr<TPxPalette> Palette = MakeCubePalette();
    std::unique_ptr<TSprite> Sprite = TSprite::Create(5, 4, *Palette, RGB(255, 255, 255));

    Animation() {
        const Picture Pictures[] = {{"rr..k", ".b...", "..g..", "....."},
                                    {"rr..k", ".b...", "..g..", "....."},
                                    {"rr..k", ".b...", "..g..", "...r."},
                                    {"....g", ".....", "bbb..", "....."}};
        const std::uint8_t Disposals[] = {1, 0, 3, 2};
        for (int I = 0; I < 4; ++I) {
            Sprite->Cel(Sprite->AddCel(40 + 130 * I)).SetDisposal(Disposals[I]);
            PaintPicture(Sprite->CelBitmap(I), Legend, Pictures[I]);
        }
    }
};

Bytes GifOf(const Animation& A, TGifWriteSettings Settings, int Scale) {
    Settings.Scale = Scale;
    Bytes Out;
    WriteGif(AppendTo(Out), *A.Sprite, *A.Palette, Settings);
    return Out;
}

bool operator==(const GifColorType& A, const GifColorType& B) {
    return A.Red == B.Red && A.Green == B.Green && A.Blue == B.Blue;
}

// The colour number a cel pixel is written as: its user colour, or the nearest one.
std::uint8_t Number(const Animation& A, int Cel, int X, int Y) {
    return std::uint8_t(
        A.Palette->NearestUserIndex(
            A.Sprite->CelBitmap(Cel).ColorTable()[A.Sprite->CelBitmap(Cel).IndexAt(X, Y)]) -
        10);
}

// Whether the picture holds, at (Left, Top), cel Cel with every pixel a Scale x Scale block.
::testing::AssertionResult HoldsCel(const DecodedPng& Png, int Left, int Top, const Animation& A,
                                    int Cel, int Scale) {
    for (int Y = 0; Y < A.Sprite->Height() * Scale; ++Y)
        for (int X = 0; X < A.Sprite->Width() * Scale; ++X)
            if (Png.At(Left + X, Top + Y) != Number(A, Cel, X / Scale, Y / Scale))
                return ::testing::AssertionFailure()
                       << "cel " << Cel << " differs at (" << X << ", " << Y << ")";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Exchange, ScaledGifShowsEveryCelReplicatedWithItsSettings) {
    const Animation A;
    // Opaque: each frame a viewer shows is exactly the cel, every pixel an S x S block.
    const giflib_viewer::GiflibFile Gif = giflib_viewer::ReadWithGiflib(GifOf(A, {}, 3));
    ASSERT_TRUE(Gif);
    const std::vector<giflib_viewer::ViewedFrame> Frames = giflib_viewer::ViewerFrames(*Gif);
    ASSERT_EQ(Frames.size(), 4u);
    for (int I = 0; I < 4; ++I)
        for (int Y = 0; Y < 12; ++Y)
            for (int X = 0; X < 15; ++X) {
                const TRgbColor Want = A.Palette->Entry(Number(A, I, X / 3, Y / 3) + 10).Color();
                const giflib_viewer::ViewedPixel& Got = Frames[I][std::size_t(Y) * 15 + X];
                ASSERT_TRUE(Got.Drawn &&
                            Got.Color == (GifColorType{Want.Red, Want.Green, Want.Blue}))
                    << "cel " << I << " at (" << X << ", " << Y << ")";
            }

    // With transparency, looping and comments: the same cels and settings, at twice the size.
    TGifWriteSettings Settings;
    Settings.BackgroundTransparent = true;
    Settings.LoopCount = 7;
    Settings.Comments = {"made by", std::string(300, 'c')};
    const Bytes Normal = GifOf(A, Settings, 1), Scaled = GifOf(A, Settings, 2);
    const TGifReadResult N = ReadGif(Normal.data(), Normal.size());
    const TGifReadResult S = ReadGif(Scaled.data(), Scaled.size());
    ASSERT_TRUE(N.Opened() && S.Opened()) << N.Error << S.Error;
    EXPECT_EQ(std::make_pair(S.Sprite->Width(), S.Sprite->Height()), std::make_pair(10, 8));
    EXPECT_EQ(std::tie(S.BackgroundTransparent, S.LoopCount, S.Comments),
              std::tie(N.BackgroundTransparent, N.LoopCount, N.Comments));
    for (int I = 0; I < 4; ++I) {
        EXPECT_EQ(std::make_pair(S.Sprite->Cel(I).Delay(), S.Sprite->Cel(I).Disposal()),
                  std::make_pair(N.Sprite->Cel(I).Delay(), N.Sprite->Cel(I).Disposal()));
        EXPECT_EQ(S.Sprite->CelBitmap(I).IndexAt(9, 7), N.Sprite->CelBitmap(I).IndexAt(4, 3)) << I;
    }

    auto Wide = TSprite::Create(8192, 1, *A.Palette, 0);
    Wide->AddCel(0);
    TGifWriteSettings Eight;
    Eight.Scale = 8;
    Bytes Out;
    EXPECT_THROW(WriteGif(AppendTo(Out), *Wide, *A.Palette, Eight), std::length_error);
}

TEST(Exchange, CelAndSheetPngsHoldTheColourNumbersScaled) {
    const Animation A;
    Bytes File;
    WriteCelPng(AppendTo(File), *A.Sprite, 0, *A.Palette, true, 2);
    const DecodedPng Cel = DecodeIndexedPng(File);
    ASSERT_EQ(Cel.Error, "");
    EXPECT_EQ(std::make_pair(Cel.Width, Cel.Height), std::make_pair(10, 8));
    ASSERT_EQ(Cel.Palette.size(), 236u);
    for (int Index = 10; Index <= 245; ++Index)
        EXPECT_EQ(Cel.Palette[Index - 10], A.Palette->Entry(Index).Color());
    std::vector<std::uint8_t> Alpha(236, 255);
    Alpha[White - 10] = 0;
    EXPECT_EQ(Cel.Alpha, Alpha);
    EXPECT_TRUE(HoldsCel(Cel, 0, 0, A, 0, 2));
    // The system black is written as the user black.
    EXPECT_EQ(Cel.At(9, 0), CubeIndex(0, 0, 0) - 10);

    // Four cels in the smallest square, 2 apart: the spacing is background.
    File.clear();
    const TSheetLayout Layout = PlanSheet(4, 5, 4, {0, 3, 2});
    WriteSheetPng(AppendTo(File), *A.Sprite, *A.Palette, false, Layout);
    const DecodedPng Sheet = DecodeIndexedPng(File);
    ASSERT_EQ(Sheet.Error, "");
    EXPECT_EQ(std::make_pair(Sheet.Width, Sheet.Height), std::make_pair(32, 26));
    EXPECT_EQ(Sheet.Alpha, std::vector<std::uint8_t>(236, 255));
    for (int I = 0; I < 4; ++I)
        EXPECT_TRUE(HoldsCel(Sheet, Layout.CelPlace(I).X, Layout.CelPlace(I).Y, A, I, 3));
    for (int K = 0; K < 32; ++K)
        EXPECT_TRUE(Sheet.At(K, 12) == White - 10 && Sheet.At(K, 13) == White - 10 &&
                    Sheet.At(15, K % 26) == White - 10 && Sheet.At(16, K % 26) == White - 10)
            << K;
}

TEST(Exchange, SavingASheetWritesPictureAndDataOrNothing) {
    const Animation A;
    ScratchFolder Folder;
    TGifWriteSettings Settings;
    Settings.LoopCount = 4;
    const std::string Png = (Folder / "walk.png").string(), Json = (Folder / "walk.json").string();
    const ExportResult Saved =
        SaveSpriteSheet(Png, Json, *A.Sprite, *A.Palette, Settings, {4, 1, 0});
    ASSERT_TRUE(Saved.Ok) << Saved.Reason;
    EXPECT_EQ(DecodeIndexedPng(ReadBytes(Png)).Width, 20);
    const TSheetDataResult Data = ReadSheetDataFile(Json);
    ASSERT_TRUE(Data.Ok() && Data.Data.Frames.size() == 4) << Data.Error;
    EXPECT_EQ(std::make_pair(Data.Data.Frames[3].Duration, Data.Data.Loop), std::make_pair(430, 4));

    const std::string Nowhere = (Folder / "no" / "sheet.png").string();
    EXPECT_FALSE(SaveSpriteSheet(Nowhere, "", *A.Sprite, *A.Palette, Settings, {}).Ok);
    const ExportResult Wrong =
        SaveSpriteSheet((Folder / "x.png").string(), (Folder / "x.json").string(), *A.Sprite,
                        *A.Palette, Settings, {0, 9, 0});
    EXPECT_EQ(Wrong.Reason, "A copy is scaled 1 to 8 times, not 9");
    EXPECT_FALSE(SaveCelPng((Folder / "c.png").string(), *A.Sprite, 0, *A.Palette, false, 9).Ok);
    EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"walk.json", "walk.png"}));
}

TEST(Exchange, ColoursOfAnAnimationMostUsedFirst) {
    const Animation A;
    // Entry 10 is black like the system black at 0: one colour, counted together (4 pixels,
    // as many as green, and ahead of it by its lower index).
    A.Sprite->CelBitmap(3).ScanLine(3)[0] = 10;
    EXPECT_EQ(MostUsedColors(*A.Sprite, 10),
              (std::vector<TRgbColor>{
                  {255, 255, 255}, {255, 0, 0}, {0, 0, 255}, {0, 0, 0}, {0, 255, 0}}));
    EXPECT_EQ(MostUsedColors(*A.Sprite, 2).size(), 2u);
}
