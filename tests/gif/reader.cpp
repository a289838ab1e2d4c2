// How the reader turns the records of a GIF file into cels: the palette, the picture each
// cel holds, delays, disposals, transparency, loop count, comments, and what a damaged or
// unusable file gives.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GifDecoder.h"
#include "gif/GifReader.h"
#include "reader_builder.h"
#include "support/PictureAssert.h"

namespace {

// GIF colours 0..7; palette entry 10 + k holds colour k.
const std::vector<RgbColor> Colors = {{0, 0, 0},   {255, 255, 255}, {255, 0, 0},   {0, 255, 0},
                                      {0, 0, 255}, {255, 255, 0},   {0, 255, 255}, {255, 0, 255}};
enum : std::uint8_t { K, W, R, G, B, Y, C, M };
const PictureLegend Legend = {{10, '.'}, {11, '#'}, {12, 'r'}, {13, 'g'},
                              {14, 'b'}, {15, 'y'}, {16, 'c'}, {17, 'm'}};

GifReadResult Read(const GifBytes& File, const GifReadLimits& Limits = {}) {
    return ReadGif(File.data(), File.size(), Limits);
}

std::vector<std::uint8_t> Fill(int Count, std::uint8_t Index) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(Count), Index);
}

const TPxBitmap& CelPicture(const GifReadResult& Result, int Index) {
    return Result.Sprite->CelBitmap(Index);
}

} // namespace

TEST(GifReader, PaletteAndBackgroundComeFromTheGlobalTable) {
    GifBuilder Gif(2, 1, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}}, 2);
    Gif.Image(0, 0, 2, 1, {3, 0});
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;

    const TPxPalette& Palette = *Result.Palette;
    EXPECT_EQ(Palette.Entry(10).Color(), (RgbColor{10, 20, 30}));
    EXPECT_EQ(Palette.Entry(13).Color(), (RgbColor{1, 2, 3}));
    EXPECT_EQ(Palette.Entry(14).Color(), (RgbColor{0, 0, 0}));
    EXPECT_EQ(Palette.Entry(245).Color(), (RgbColor{0, 0, 0}));
    EXPECT_EQ(Palette.Entry(0).Color(), SystemPaletteEntries()[0].Color());
    EXPECT_EQ(Palette.Entry(255).Color(), SystemPaletteEntries()[255].Color());
    EXPECT_EQ(&Result.Sprite->Palette(), Result.Palette.get());
    EXPECT_EQ(Result.Sprite->BackColor(), PALETTERGB(70, 80, 90));
    EXPECT_EQ(Result.Sprite->Width(), 2);
    EXPECT_EQ(Result.Sprite->Height(), 1);
    EXPECT_EQ(Result.Sprite->Current(), 0);
    EXPECT_EQ(CelPicture(Result, 0).IndexAt(0, 0), 13);
    EXPECT_EQ(CelPicture(Result, 0).IndexAt(1, 0), 10);
    EXPECT_TRUE(Result.Faults.empty());
}

TEST(GifReader, ColoursBeyondThePaletteAndLocalColoursGoToTheNearestUserColour) {
    // 256 colours: 0 is pure red, 240 almost red; the palette keeps only the first 236.
    std::vector<RgbColor> Table(256, RgbColor{0, 0, 0});
    for (int k = 0; k < 236; ++k)
        Table[std::size_t(k)] = {std::uint8_t(k), 0, 100};
    Table[0] = {255, 0, 0};
    Table[240] = {250, 5, 0};
    GifBuilder Gif(2, 1, Table);
    Gif.Image(0, 0, 2, 1, {240, 7});
    // A local table: its colour 1 is near global colour 50 (50, 0, 100).
    Gif.GraphicControl(1, 0).Image(0, 0, 1, 1, {1}, {{0, 0, 0}, {50, 1, 99}});
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    EXPECT_EQ(CelPicture(Result, 0).IndexAt(0, 0), 10);
    EXPECT_EQ(CelPicture(Result, 0).IndexAt(1, 0), 17);
    EXPECT_EQ(CelPicture(Result, 1).IndexAt(0, 0), 60);
    EXPECT_EQ(CelPicture(Result, 1).IndexAt(1, 0), 17);
}

TEST(GifReader, EachCelsOwnDisposalDecidesWhetherThePictureIsClearedFirst) {
    GifBuilder Gif(4, 3, Colors);
    Gif.GraphicControl(1, 10).Image(0, 0, 4, 3, Fill(12, W));
    Gif.GraphicControl(0, 7).Image(0, 0, 2, 1, {R, R});
    Gif.GraphicControl(1, 0).Image(3, 2, 1, 1, {G});
    Gif.GraphicControl(3, 9999).Image(1, 1, 1, 1, {B}); // drawn over, like 0 and 1
    Gif.GraphicControl(2, 0).Image(2, 0, 1, 1, {Y});
    Gif.GraphicControl(7, 3).Image(0, 2, 1, 1, {C}); // an unknown method keeps 2
    Gif.Image(3, 0, 1, 1, {M});                      // no graphic control: 2
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    ASSERT_EQ(Result.Sprite->CelCount(), 7);

    EXPECT_PICTURE(CelPicture(Result, 0), Legend, {"####", "####", "####"});
    EXPECT_PICTURE(CelPicture(Result, 1), Legend, {"rr##", "####", "####"});
    EXPECT_PICTURE(CelPicture(Result, 2), Legend, {"rr##", "####", "###g"});
    EXPECT_PICTURE(CelPicture(Result, 3), Legend, {"rr##", "#b##", "###g"});
    EXPECT_PICTURE(CelPicture(Result, 4), Legend, {"..y.", "....", "...."});
    EXPECT_PICTURE(CelPicture(Result, 5), Legend, {"....", "....", "c..."});
    EXPECT_PICTURE(CelPicture(Result, 6), Legend, {"...m", "....", "...."});

    const std::vector<int> Disposals = {1, 0, 1, 3, 2, 2, 2};
    // A zero or missing delay repeats the last one that was not zero.
    const std::vector<int> Delays = {100, 70, 70, 99990, 99990, 30, 30};
    for (int Index = 0; Index < 7; ++Index) {
        EXPECT_EQ(Result.Sprite->Cel(Index).Disposal(), Disposals[std::size_t(Index)]) << Index;
        EXPECT_EQ(Result.Sprite->Cel(Index).Delay(), Delays[std::size_t(Index)]) << Index;
    }
    EXPECT_EQ(Result.DefaultDelay, 30);
}

TEST(GifReader, FirstFramesWithoutDelayGetAHundredMilliseconds) {
    GifBuilder Gif(2, 2, Colors);
    Gif.Image(0, 0, 2, 2, Fill(4, W)).GraphicControl(1, 0).Image(0, 0, 1, 1, {R});
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    EXPECT_EQ(Result.Sprite->Cel(0).Delay(), 100);
    EXPECT_EQ(Result.Sprite->Cel(1).Delay(), 100);
    EXPECT_EQ(Result.DefaultDelay, 100);
}

TEST(GifReader, AnImageCoveringTheScreenIsDrawnAtTheOriginAndOthersAreClipped) {
    GifBuilder Gif(3, 2, Colors);
    Gif.GraphicControl(1, 5).Image(7, 9, 3, 2, {R, G, B, Y, C, M});
    // Wider than the screen but lower: drawn at its own place, cut at the edges.
    Gif.GraphicControl(1, 5).Image(1, 1, 5, 1, {W, K, W, W, W});
    // Entirely off the screen: the cel still comes, showing the picture as it was.
    Gif.GraphicControl(1, 5).Image(10, 10, 2, 2, Fill(4, W));
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    ASSERT_EQ(Result.Sprite->CelCount(), 3);
    EXPECT_PICTURE(CelPicture(Result, 0), Legend, {"rgb", "ycm"});
    EXPECT_PICTURE(CelPicture(Result, 1), Legend, {"rgb", "y#."});
    EXPECT_PICTURE(CelPicture(Result, 2), Legend, {"rgb", "y#."});
}

TEST(GifReader, TransparencyGoesByColourAndStaysOn) {
    // Colour 7 repeats colour 2 (red): both are the transparent colour's user colour.
    std::vector<RgbColor> Table = Colors;
    Table[7] = Table[2];
    GifBuilder Gif(3, 2, Table, K);
    Gif.GraphicControl(1, 5).Image(0, 0, 3, 2, {W, W, W, B, B, B});
    Gif.GraphicControl(1, 5, R).Image(0, 0, 3, 1, {R, 7, G});
    Gif.Image(0, 1, 3, 1, {R, Y, R}); // no graphic control: disposal 2, still transparent
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    EXPECT_TRUE(Result.BackgroundTransparent);

    EXPECT_PICTURE(CelPicture(Result, 0), Legend, {"###", "bbb"});
    // The transparent colour differs from the background: it becomes the background
    // colour, and the picture composed so far stays under the transparent pixels.
    EXPECT_PICTURE(CelPicture(Result, 1), Legend, {"##g", "bbb"});
    EXPECT_PICTURE(CelPicture(Result, 2), Legend, {"rrr", "ryr"});
    EXPECT_EQ(Result.Sprite->BackColor(), PALETTERGB(255, 0, 0));
}

TEST(GifReader, TheTransparentIndexNamesAColourOfTheImagesOwnTable) {
    GifBuilder Gif(2, 2, Colors, K);
    Gif.GraphicControl(1, 5, 0).Image(0, 0, 2, 2, {K, G, G, K});
    // In the local table index 1 is black, the transparent colour; global 1 is white.
    Gif.GraphicControl(1, 5, 1).Image(0, 0, 2, 1, {0, 1}, {{255, 0, 0}, {0, 0, 0}});
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    EXPECT_PICTURE(CelPicture(Result, 1), Legend, {"rg", "g."});
    EXPECT_EQ(Result.Sprite->BackColor(), PALETTERGB(0, 0, 0));
}

TEST(GifReader, IndicesBeyondTheTablesStandForTheirTableColourOrBlack) {
    // Background index 240 of a 256-colour table: its own colour, matched to the palette;
    // background index 9 of an 8-colour table: black.
    std::vector<RgbColor> Table(256, RgbColor{0, 0, 0});
    Table[1] = {255, 255, 255};
    Table[240] = {250, 250, 250};
    GifBuilder Big(1, 1, Table, 240);
    Big.Image(0, 0, 1, 1, {1});
    const GifReadResult BigResult = Read(Big.Trailer());
    ASSERT_TRUE(BigResult.Opened()) << BigResult.Error;
    EXPECT_EQ(BigResult.Sprite->BackColor(), PALETTERGB(250, 250, 250));

    GifBuilder Small(2, 1, Colors, 9);
    Small.GraphicControl(2, 5, 200).Image(0, 0, 1, 1, {W});
    const GifReadResult SmallResult = Read(Small.Trailer());
    ASSERT_TRUE(SmallResult.Opened()) << SmallResult.Error;
    EXPECT_EQ(SmallResult.Sprite->BackColor(), PALETTERGB(0, 0, 0));
    EXPECT_PICTURE(CelPicture(SmallResult, 0), Legend, {"#."});
}

TEST(GifReader, CommentsAndLoopCount) {
    // Two pieces of one text, cut as the writer cuts long comments, come back whole; a
    // comment behind a later image is taken too; other application extensions are ignored.
    const std::string Text = "first line\r\n" + std::string(250, 'a') + "\r\nlast line";
    GifBuilder Gif(1, 1, Colors);
    Gif.Comment(Text.substr(0, 255)).Comment(Text.substr(255)).Loop(7);
    Gif.Application("ANIMEXTS1.0", {1, 9, 0}).Image(0, 0, 1, 1, {W});
    Gif.Comment(" and more\r\nnext").Image(0, 0, 1, 1, {W});
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    EXPECT_EQ(Result.Comments, (std::vector<std::string>{"first line", std::string(250, 'a'),
                                                         "last line and more", "next"}));
    EXPECT_EQ(Result.LoopCount, 7);

    // Comments behind the last image replace all others; the last of them wins.
    GifBuilder Trailing(1, 1, Colors);
    Trailing.Comment("in front").Image(0, 0, 1, 1, {W}).Comment("behind").Comment("last\nwins");
    const GifReadResult Replaced = Read(Trailing.Trailer());
    EXPECT_EQ(Replaced.Comments, (std::vector<std::string>{"last", "wins"}));

    // So do those of a last image without pixels; a comment in front of one in the middle
    // is not looked at.
    GifBuilder Empty(1, 1, Colors);
    Empty.Comment("dropped").ImageWithData(0, 0, 0, 0, {2, 0}).Image(0, 0, 1, 1, {W});
    Empty.Comment("from the empty image").ImageWithData(0, 0, 0, 0, {2, 0});
    const GifReadResult FromEmpty = Read(Empty.Trailer());
    EXPECT_EQ(FromEmpty.Comments, (std::vector<std::string>{"from the empty image"}));
    // Unless other extensions follow it: they make the last image, one without comments.
    Empty.Application("XMP DataXMP", {'x'});
    EXPECT_TRUE(Read(Empty.Trailer()).Comments.empty());

    EXPECT_EQ(SplitCommentLines("a\r\n\r\nb\rc\n"), (std::vector<std::string>{"a", "", "b", "c"}));
    EXPECT_TRUE(SplitCommentLines("").empty());
}

TEST(GifReader, AnImageWithoutPixelsMakesNoCelAndItsExtensionsAreNotLookedAt) {
    GifBuilder Gif(2, 1, Colors);
    Gif.GraphicControl(1, 4).Image(0, 0, 2, 1, {R, R});
    Gif.GraphicControl(1, 50, W).Loop(3).ImageWithData(1, 0, 0, 0, {2, 0});
    Gif.Image(1, 0, 1, 1, {G});
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    ASSERT_EQ(Result.Sprite->CelCount(), 2);
    EXPECT_EQ(Result.Sprite->Cel(1).Delay(), 40);
    EXPECT_FALSE(Result.BackgroundTransparent);
    EXPECT_EQ(Result.LoopCount, 0);
    EXPECT_PICTURE(CelPicture(Result, 1), Legend, {".g"});
}

TEST(GifReader, DamagedFilesOpenWithWhatDecoded) {
    // The middle image cannot be decoded at all; the last is cut short.
    GifBuilder Gif(4, 40, Colors);
    Gif.GraphicControl(1, 2).Image(0, 0, 4, 40, Fill(160, W));
    Gif.GraphicControl(1, 3).ImageWithData(0, 0, 3, 40, {0x02, 0x02, 0xFF, 0xFF, 0x00});
    Gif.GraphicControl(1, 4).Image(0, 0, 3, 40, Fill(120, R));
    const GifBytes Whole = Gif.WithoutTrailer();
    const GifBytes Cut(Whole.begin(), Whole.end() - 30);
    const GifReadResult Result = Read(Cut);
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    ASSERT_EQ(Result.Sprite->CelCount(), 2);
    EXPECT_EQ(Result.Sprite->Cel(1).Delay(), 40);
    EXPECT_EQ(Result.Faults,
              (std::vector<std::string>{"damaged image data (image 1)",
                                        "the file ends inside the image data (image 2)"}));
    // Rows that decoded are red, the others keep the picture before.
    const TPxBitmap& Last = CelPicture(Result, 1);
    int RedRows = 0;
    while (RedRows < 40 && Last.IndexAt(0, RedRows) == 12)
        ++RedRows;
    EXPECT_GT(RedRows, 20);
    EXPECT_LT(RedRows, 40);
    for (int Row = 0; Row < 40; ++Row) {
        EXPECT_EQ(Last.IndexAt(2, Row), Row < RedRows ? 12 : 11) << Row;
        EXPECT_EQ(Last.IndexAt(3, Row), 11) << Row;
    }
}

TEST(GifReader, FilesThatCannotBeOpenedSayWhy) {
    const GifBytes NotGif = {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    EXPECT_EQ(Read(NotGif).Error, "The file is not a GIF file.");
    const GifBytes Header = GifBuilder(2, 2, Colors).Trailer();
    EXPECT_EQ(Read(GifBytes(Header.begin(), Header.begin() + 20)).Error,
              "The file ends inside its header: it is cut short.");

    GifBuilder ZeroScreen(0, 5, Colors);
    ZeroScreen.Image(0, 0, 1, 1, {W});
    EXPECT_EQ(Read(ZeroScreen.Trailer()).Error,
              "The picture has no pixels: its logical screen is 0 x 5.");

    GifBuilder NoImage(2, 2, Colors);
    NoImage.Comment("nothing else").ImageWithData(0, 0, 0, 0, {2, 0});
    EXPECT_EQ(Read(NoImage.Trailer()).Error, "The file holds no image that can be decoded.");

    GifBuilder Broken(2, 2, Colors);
    Broken.ImageWithData(0, 0, 2, 2, {0x02, 0x02, 0xFF, 0xFF, 0x00});
    const GifReadResult BrokenResult = Read(Broken.Trailer());
    EXPECT_FALSE(BrokenResult.Opened());
    EXPECT_EQ(BrokenResult.Error,
              "The file holds no image that can be decoded (damaged image data (image 0)).");
    EXPECT_FALSE(BrokenResult.Palette);

    // 10 x 10 cels of 120 bytes and their upkeep: room for the work picture and two cels.
    GifReadLimits Small;
    Small.MaxPictureBytes = 2000;
    GifBuilder Three(10, 10, Colors);
    Three.Image(0, 0, 10, 10, Fill(100, W)).Image(0, 0, 1, 1, {R}).Image(0, 0, 1, 1, {G});
    const GifReadResult TooLarge = Read(Three.Trailer(), Small);
    EXPECT_FALSE(TooLarge.Opened());
    EXPECT_EQ(
        TooLarge.Error,
        "The animation is too large to open: its cels would need more than 2000 bytes of memory.");
    // Without the last image it fits.
    const GifBytes ThreeCels = Three.Trailer();
    EXPECT_TRUE(Read(GifBytes(ThreeCels.begin(), ThreeCels.end() - 16), Small).Opened());

    GifBuilder Huge(65535, 65535, Colors);
    Huge.Image(0, 0, 1, 1, {W});
    EXPECT_EQ(Read(Huge.Trailer()).Error, "The animation is too large to open: its cels would "
                                          "need more than 1024 MiB of memory.");

    const GifReadResult Missing = ReadGifFile("/nonexistent/folder/file.gif");
    EXPECT_EQ(Missing.Error,
              "Cannot open /nonexistent/folder/file.gif: No such file or directory.");
    EXPECT_EQ(ReadGifFile(VIMBREL_TEST_DATA).Error,
              "Cannot open " + std::string(VIMBREL_TEST_DATA) + ": it is a folder.");
}

TEST(GifReader, WithoutAGlobalTableThePaletteComesFromTheFirstLocalTable) {
    GifBuilder Gif(2, 1, {});
    Gif.Image(0, 0, 2, 1, {1, 0}, {{0, 0, 200}, {200, 100, 0}});
    Gif.GraphicControl(1, 5).Image(1, 0, 1, 1, {0}); // no table of its own: the first one's
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    EXPECT_EQ(Result.Palette->Entry(10).Color(), (RgbColor{0, 0, 200}));
    EXPECT_EQ(Result.Palette->Entry(11).Color(), (RgbColor{200, 100, 0}));
    EXPECT_EQ(CelPicture(Result, 0).IndexAt(0, 0), 11);
    EXPECT_EQ(CelPicture(Result, 1).IndexAt(1, 0), 10);
}

TEST(GifReader, AbsurdAmountsOfExtensionsAndCommentsAreBounded) {
    // Comments stop at 1 MiB in all, and the file says so.
    GifBuilder Gif(1, 1, Colors);
    Gif.Comment(std::string(700000, 'a')).Comment(std::string(700000, 'b'));
    Gif.Image(0, 0, 1, 1, {W});
    const GifReadResult Result = Read(Gif.Trailer());
    ASSERT_TRUE(Result.Opened()) << Result.Error;
    ASSERT_EQ(Result.Comments.size(), 1u);
    EXPECT_EQ(Result.Comments[0].size(), MaxExtensionBytes);
    EXPECT_EQ(Result.Comments[0].substr(699998, 4), "aabb");
    EXPECT_EQ(Result.Faults, (std::vector<std::string>{"the comments were cut short after 1 MiB"}));

    // Extensions waiting for their image count against the memory limit.
    GifReadLimits Small;
    Small.MaxPictureBytes = 10000;
    GifBuilder Many(1, 1, Colors);
    for (int k = 0; k < 100; ++k)
        Many.GraphicControl(1, k);
    Many.Image(0, 0, 1, 1, {W});
    EXPECT_EQ(Read(Many.Trailer(), Small).Error,
              "The file is too large to open: the extensions in front of one image would need "
              "more than 10000 bytes of memory.");
    // Unused ones are not kept at all.
    GifBuilder Unused(1, 1, Colors);
    for (int k = 0; k < 100; ++k)
        Unused.Application("OTHERAPP1.0", {1, 2, 3});
    Unused.Image(0, 0, 1, 1, {W});
    EXPECT_TRUE(Read(Unused.Trailer(), Small).Opened());
}
