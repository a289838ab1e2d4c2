// The reader's rules that the public suites (reader_files.cpp) leave out, on built files.
#include <stdexcept>

#include "gif/GifDecoder.h"
#include "gif/GifReader.h"
#include "reader_builder.h"
#include "support/PictureAssert.h"

namespace {

// GIF colours 0..7; palette entry 10 + k holds colour k.
const std::vector<TRgbColor> Colors = {{0, 0, 0},   {255, 255, 255}, {255, 0, 0},   {0, 255, 0},
                                       {0, 0, 255}, {255, 255, 0},   {0, 255, 255}, {255, 0, 255}};
enum : std::uint8_t { K, W, R, G, B, Y, C, M };
const PictureLegend Legend = {{10, '.'}, {11, '#'}, {12, 'r'}, {13, 'g'},
                              {14, 'b'}, {15, 'y'}, {16, 'c'}, {17, 'm'}};

TGifReadResult Read(const GifBytes& File, std::size_t Limit = std::size_t(1) << 30) {
    TGifReadLimits Limits;
    Limits.MaxPictureBytes = Limit;
    return ReadGif(File.data(), File.size(), Limits);
}

// A file that must open: one that does not fails the test with its reason.
TGifReadResult Open(const GifBytes& File, std::size_t Limit = std::size_t(1) << 30) {
    TGifReadResult Result = Read(File, Limit);
    if (!Result.Opened()) throw std::runtime_error("not opened: " + Result.Error);
    return Result;
}

int IndexAt(const TGifReadResult& Result, int Cel, int X, int Y) {
    return Result.Sprite->CelBitmap(Cel).IndexAt(X, Y);
}

void ExpectCels(const TGifReadResult& Result, const std::vector<Picture>& Pictures) {
    ASSERT_EQ(Result.Sprite->CelCount(), int(Pictures.size()));
    for (int Cel = 0; Cel < Result.Sprite->CelCount(); ++Cel)
        EXPECT_PICTURE(Result.Sprite->CelBitmap(Cel), Legend, Pictures[std::size_t(Cel)]) << Cel;
}

} // namespace

TEST(GifReader, ThePaletteAndBackgroundComeFromTheColourTables) {
    // Of 256 colours the palette keeps 236 from entry 10 on; the background (240, almost
    // red) becomes the nearest user colour, so do local colours (local 1 is near global 50).
    std::vector<TRgbColor> Table(256, TRgbColor{0, 0, 0});
    for (int k = 0; k < 236; ++k)
        Table[std::size_t(k)] = {std::uint8_t(k), 0, 100};
    Table[0] = {255, 0, 0};
    Table[240] = {250, 5, 0};
    GifBuilder Gif(2, 1, Table, 240);
    Gif.Image(0, 0, 2, 1, {240, 7}).GraphicControl(1, 0);
    const TGifReadResult Result =
        Open(Gif.Image(0, 0, 1, 1, {1}, {{0, 0, 0}, {50, 1, 99}}).Trailer());
    EXPECT_EQ(Result.Palette->Entry(245).Color(), (TRgbColor{235, 0, 100}));
    EXPECT_EQ(Result.Sprite->BackColor(), PALETTERGB(255, 0, 0));
    EXPECT_TRUE(Result.Faults.empty());
    EXPECT_EQ(std::make_tuple(IndexAt(Result, 0, 0, 0), IndexAt(Result, 0, 1, 0),
                              IndexAt(Result, 1, 0, 0)),
              std::make_tuple(10, 17, 60));
}

TEST(GifReader, CelsAreComposedByDisposalPlaceAndTransparency) {
    GifBuilder Gif(4, 3, Colors);
    Gif.GraphicControl(1, 0).Image(0, 0, 4, 3, Bytes(12, W));
    Gif.GraphicControl(0, 7).Image(0, 0, 2, 1, {R, R});
    Gif.GraphicControl(1, 0).Image(3, 2, 1, 1, {G});
    Gif.GraphicControl(3, 9999).Image(1, 1, 1, 1, {B}); // drawn over, like 0 and 1
    Gif.GraphicControl(2, 0).Image(2, 0, 1, 1, {Y});
    Gif.GraphicControl(7, 3).Image(0, 2, 1, 1, {C}); // an unknown method keeps 2
    // No graphic control (this one is too short to be one): 2.
    Gif.Raw({0x21, 0xF9, 0x02, 0x04, 0x01, 0x00}).Image(3, 0, 1, 1, {M});
    const TGifReadResult Result = Open(Gif.Trailer());
    ExpectCels(Result, {{"####", "####", "####"},
                        {"rr##", "####", "####"},
                        {"rr##", "####", "###g"},
                        {"rr##", "#b##", "###g"},
                        {"..y.", "....", "...."},
                        {"....", "....", "c..."},
                        {"...m", "....", "...."}});
    // A zero or missing delay repeats the last one that was not zero, 100 ms before any.
    std::vector<std::pair<int, int>> Settings;
    for (int Cel = 0; Cel < Result.Sprite->CelCount(); ++Cel)
        Settings.emplace_back(Result.Sprite->Cel(Cel).Disposal(), Result.Sprite->Cel(Cel).Delay());
    EXPECT_EQ(Settings, (std::vector<std::pair<int, int>>{
                            {1, 100}, {0, 70}, {1, 70}, {3, 99990}, {2, 99990}, {2, 30}, {2, 30}}));
    EXPECT_EQ(Result.DefaultDelay, 30);
    // An image covering the screen is drawn at the origin; others where they are, clipped.
    GifBuilder Placed(3, 2, Colors);
    Placed.GraphicControl(1, 5).Image(7, 9, 3, 2, {R, G, B, Y, C, M});
    Placed.GraphicControl(1, 5).Image(1, 1, 5, 1, {W, K, W, W, W}); // wider, but lower
    Placed.GraphicControl(1, 5).Image(10, 10, 2, 2, Bytes(4, W));   // off the screen
    ExpectCels(Open(Placed.Trailer()), {{"rgb", "ycm"}, {"rgb", "y#."}, {"rgb", "y#."}});
    // The first picture's transparent colour becomes the background, filling the picture
    // first; colour 7 repeats colour 2 (red), so both show as the transparent colour.
    std::vector<TRgbColor> Table = Colors;
    Table[7] = Table[2];
    GifBuilder First(3, 2, Table, K);
    First.GraphicControl(1, 5, R).Image(1, 0, 2, 2, {W, 7, R, B});
    First.Image(0, 1, 3, 1, {G, R, G}); // no graphic control: disposal 2, still transparent
    const TGifReadResult FirstResult = Open(First.Trailer());
    EXPECT_TRUE(FirstResult.BackgroundTransparent);
    ExpectCels(FirstResult, {{"r#r", "rrb"}, {"rrr", "grg"}});
    EXPECT_EQ(FirstResult.Sprite->BackColor(), PALETTERGB(255, 0, 0));
    // Optimising encoders name a transparent colour for later frames only to skip pixels
    // that stay: it neither becomes the background nor makes the animation transparent.
    GifBuilder Later(4, 1, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}, 3);
    Later.GraphicControl(1, 5).Image(0, 0, 4, 1, {0, 1, 2, 3});
    Later.GraphicControl(1, 5, 0).Image(1, 0, 3, 1, {0, 0, 1});
    Later.Image(0, 0, 2, 1, {0, 2}); // still skips red, and clears to white first
    const TGifReadResult LaterResult = Open(Later.Trailer());
    EXPECT_FALSE(LaterResult.BackgroundTransparent);
    // Entries 10 to 13 are red, green, blue and white: the legend's ".", "#", "r", "g".
    ExpectCels(LaterResult, {{".#rg"}, {".#r#"}, {"grgg"}});
    EXPECT_EQ(LaterResult.Sprite->BackColor(), PALETTERGB(255, 255, 255));
    // The transparent index names a colour of the image's own table: in the local table
    // index 1 is black, the transparent colour; global 1 is white.
    GifBuilder Local(2, 2, Colors, K);
    Local.GraphicControl(1, 5, 0).Image(0, 0, 2, 2, {K, G, G, K}).GraphicControl(1, 5, 1);
    ExpectCels(Open(Local.Image(0, 0, 2, 1, {0, 1}, {{255, 0, 0}, {0, 0, 0}}).Trailer()),
               {{".g", "g."}, {"rg", "g."}});
}

TEST(GifReader, CommentsLoopCountAndImagesWithoutPixels) {
    // Two pieces of one text, cut as the writer cuts long comments, come back whole; a
    // comment behind a later image is taken too.
    const std::string Text = "first line\r\n" + std::string(250, 'a') + "\r\nlast line";
    GifBuilder Gif(1, 1, Colors);
    Gif.Comment(Text.substr(0, 255)).Comment(Text.substr(255)).Loop(1234);
    Gif.Image(0, 0, 1, 1, {W});
    Gif.Comment(" and more\r\nnext").Image(0, 0, 1, 1, {W});
    const TGifReadResult Result = Open(Gif.Trailer());
    EXPECT_EQ(Result.Comments, (std::vector<std::string>{"first line", std::string(250, 'a'),
                                                         "last line and more", "next"}));
    EXPECT_EQ(Result.LoopCount, 1234);
    // Comments behind the last image replace all others; the last of them wins. A comment
    // ends at a zero byte.
    GifBuilder Trailing(1, 1, Colors);
    Trailing.Comment("in front").Image(0, 0, 1, 1, {W}).Comment("behind");
    Trailing.Comment(std::string("last\rwins\n\0hidden", 17));
    EXPECT_EQ(Open(Trailing.Trailer()).Comments, (std::vector<std::string>{"last", "wins"}));
    // So do those of a last image without pixels. An image without pixels in the middle
    // makes no cel, its data blocks are stepped over and its extensions are not looked at.
    GifBuilder Empty(2, 1, Colors);
    Empty.GraphicControl(1, 4).Image(0, 0, 2, 1, {R, R}).Comment("dropped");
    Empty.GraphicControl(1, 50, W).Loop(3).ImageWithData(1, 0, 0, 0, {2, 2, 0x44, 0x01, 0});
    Empty.Image(1, 0, 1, 1, {G}).Comment("from the empty image").ImageWithData(0, 0, 0, 0, {2, 0});
    const TGifReadResult EmptyResult = Open(Empty.Trailer());
    ExpectCels(EmptyResult, {{"rr"}, {".g"}});
    EXPECT_EQ(EmptyResult.Sprite->Cel(1).Delay(), 40);
    EXPECT_FALSE(EmptyResult.BackgroundTransparent || EmptyResult.LoopCount);
    EXPECT_EQ(EmptyResult.Comments, (std::vector<std::string>{"from the empty image"}));
    EXPECT_TRUE(EmptyResult.Faults.empty());
}

TEST(GifReader, DamagedFilesKeepWhatDecodedAndTheRecordsAfterIt) {
    // Image 0 is cut before its block terminator, with every row there; 1 cannot be decoded;
    // 2 ends before its last row; 3 has an impossible code size; 4 is cut half way.
    GifBuilder Gif(4, 40, Colors);
    Gif.GraphicControl(1, 2).Image(0, 0, 4, 40, Bytes(160, W));
    const GifBytes& Cut = Gif.WithoutTrailer();
    EXPECT_EQ(IndexAt(Open(GifBytes(Cut.begin(), Cut.end() - 1)), 0, 3, 39), 11);
    Gif.ImageWithData(0, 0, 2, 2, {0x02, 0x02, 0xFF, 0xFF, 0x00}); // a code not in the table
    Gif.GraphicControl(1, 3).ImageWithData(0, 0, 2, 2, {0x02, 0x02, 0x44, 0x0A, 0x00});
    Gif.ImageWithData(0, 0, 2, 2, {0x0C, 0x02, 0x10, 0x01, 0x00}).Comment("still read");
    Gif.GraphicControl(1, 4).Image(0, 0, 3, 40, Bytes(120, R));
    const GifBytes& Whole = Gif.WithoutTrailer();
    const TGifReadResult Result = Open(GifBytes(Whole.begin(), Whole.end() - 30));
    EXPECT_EQ(Result.Faults, (std::vector<std::string>{
                                 "damaged image data (image 1)", "damaged image data (image 2)",
                                 "invalid LZW code size (image 3)",
                                 "the file ends inside the image data (image 4)"}));
    EXPECT_EQ(Result.Comments, std::vector<std::string>{"still read"});
    ASSERT_EQ(Result.Sprite->CelCount(), 3);
    // The rows that decoded are drawn; the others keep the picture before.
    EXPECT_EQ(std::make_pair(IndexAt(Result, 1, 0, 0), IndexAt(Result, 1, 0, 1)),
              std::make_pair(10, 11));
    const Picture Rows = PictureOf(Result.Sprite->CelBitmap(2), Legend);
    const auto Red = std::count(Rows.begin(), Rows.end(), "rrr#");
    Picture Expected(40, "####");
    std::fill_n(Expected.begin(), Red, "rrr#");
    EXPECT_TRUE(Red > 20 && Red < 40) << Red << " rows decoded";
    EXPECT_EQ(Rows, Expected);
}

TEST(GifReader, AbsurdFilesAreBoundedOrRefusedWithAReason) {
    EXPECT_EQ(ReadGifFile(VIMBREL_TEST_DATA).Error,
              "Cannot open " + std::string(VIMBREL_TEST_DATA) + ": it is a folder.");
    // 10 x 10 cels of 120 bytes and their upkeep: room for the work picture and two cels.
    GifBuilder Three(10, 10, Colors);
    Open(Three.Image(0, 0, 10, 10, Bytes(100, W)).Image(0, 0, 1, 1, {R}).Trailer(), 2000);
    EXPECT_EQ(Read(Three.Image(0, 0, 1, 1, {G}).Trailer(), 2000).Error,
              "The animation is too large to open: its cels would need more than 2000 bytes of "
              "memory.");
    // Extensions waiting for their image count against the limit; unused ones are not kept.
    GifBuilder Many(1, 1, Colors), Unused(1, 1, Colors);
    for (int k = 0; k < 100; ++k) {
        Many.GraphicControl(1, k);
        Unused.Application("OTHERAPP1.0", {1, 2, 3});
    }
    EXPECT_EQ(Read(Many.Image(0, 0, 1, 1, {W}).Trailer(), 10000).Error,
              "The file is too large to open: the extensions in front of one image would need "
              "more than 10000 bytes of memory.");
    Open(Unused.Image(0, 0, 1, 1, {W}).Trailer(), 10000);
    // An extension keeps its first MiB and the comments 1 MiB in all; after 20 faults the
    // rest are counted.
    GifBuilder Long(1, 1, Colors);
    Long.Comment(std::string(1200000, 'a'))
        .Comment(std::string(700000, 'b'))
        .Image(0, 0, 1, 1, {W});
    for (int k = 0; k < 25; ++k)
        Long.ImageWithData(0, 0, 1, 1, {0x02, 0x02, 0xFF, 0xFF, 0x00});
    const TGifReadResult Result = Open(Long.Trailer());
    ASSERT_EQ(Result.Comments.size(), 1u);
    EXPECT_EQ(Result.Comments[0].size(), MaxExtensionBytes);
    EXPECT_GT(Result.Comments[0].find('b'), 900000u);
    ASSERT_EQ(Result.Faults.size(), 22u);
    EXPECT_EQ(Result.Faults[0], "an extension longer than 1 MiB was cut short");
    EXPECT_EQ(Result.Faults[19], "damaged image data (image 19)");
    EXPECT_EQ(Result.Faults[20], "and 6 more faults");
    EXPECT_EQ(Result.Faults[21], "the comments were cut short after 1 MiB");
}
