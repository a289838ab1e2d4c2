// The record-by-record decoding layer: what reaches the sink, in which order, and how far
// a damaged or cut-short file still gets.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GifDecoder.h"
#include "reader_builder.h"

namespace {

const std::vector<RgbColor> FourColors = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

// Writes down every record as one line, and keeps each image's pixels (rows never
// delivered stay 0xEE).
class RecordingSink : public GifRecordSink {
public:
    std::vector<std::string> Log;
    std::vector<GifExtension> Extensions;
    std::vector<GifImageHeader> Images;
    std::vector<std::vector<std::uint8_t>> Pixels;
    std::vector<int> RowOrder;
    int StopAtImage = -1;

    bool Screen(const GifScreen& Screen) override {
        Log.push_back("screen " + std::to_string(Screen.Width) + "x" +
                      std::to_string(Screen.Height) + " colors " +
                      std::to_string(Screen.GlobalColors.size()));
        return true;
    }
    bool Extension(GifExtension&& Extension) override {
        char Label[16];
        std::snprintf(Label, sizeof Label, "%02X", Extension.Label);
        Log.push_back(std::string("extension ") + Label);
        Extensions.push_back(std::move(Extension));
        return true;
    }
    bool BeginImage(const GifImageHeader& Header) override {
        Log.push_back("image " + std::to_string(Header.Width) + "x" +
                      std::to_string(Header.Height) + " at " + std::to_string(Header.Left) + "," +
                      std::to_string(Header.Top));
        Images.push_back(Header);
        Pixels.emplace_back(std::size_t(Header.Width) * Header.Height, 0xEE);
        RowOrder.clear();
        return int(Images.size()) - 1 != StopAtImage;
    }
    void Row(int Y, const std::uint8_t* Indices) override {
        const int Width = Images.back().Width;
        std::copy(Indices, Indices + Width, Pixels.back().begin() + std::ptrdiff_t(Y) * Width);
        RowOrder.push_back(Y);
    }
    bool EndImage(int RowsDecoded) override {
        Log.push_back("rows " + std::to_string(RowsDecoded));
        return true;
    }
};

GifDecodeOutcome Decode(const GifBytes& File, RecordingSink& Sink) {
    return DecodeGifRecords(File.data(), File.size(), Sink);
}

std::vector<std::uint8_t> Ramp(int Count, int Modulo) {
    std::vector<std::uint8_t> Values(static_cast<std::size_t>(Count));
    for (int k = 0; k < Count; ++k)
        Values[std::size_t(k)] = std::uint8_t(k % Modulo);
    return Values;
}

} // namespace

TEST(GifDecoder, DeliversRecordsInFileOrder) {
    GifBuilder Gif(4, 3, FourColors);
    Gif.Comment("hello").Loop(0).GraphicControl(1, 5).Image(0, 0, 4, 3, Ramp(12, 4));
    Gif.GraphicControl(2, 7).Image(1, 1, 2, 2, {3, 2, 1, 0},
                                   {{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {6, 6, 6}});
    Gif.Comment("after");
    RecordingSink Sink;
    const GifDecodeOutcome Outcome = Decode(Gif.Trailer(), Sink);

    EXPECT_EQ(Outcome.End, GifDecodeEnd::Trailer);
    EXPECT_TRUE(Outcome.Faults.empty());
    EXPECT_EQ(Sink.Log, (std::vector<std::string>{"screen 4x3 colors 4", "extension FE",
                                                  "extension FF", "extension F9",
                                                  "image 4x3 at 0,0", "rows 3", "extension F9",
                                                  "image 2x2 at 1,1", "rows 2", "extension FE"}));
    EXPECT_EQ(Sink.Pixels[0], Ramp(12, 4));
    EXPECT_EQ(Sink.Pixels[1], (std::vector<std::uint8_t>{3, 2, 1, 0}));
    EXPECT_TRUE(Sink.Images[0].LocalColors.empty());
    ASSERT_EQ(Sink.Images[1].LocalColors.size(), 4u);
    EXPECT_EQ(Sink.Images[1].LocalColors[3], (RgbColor{6, 6, 6}));
}

TEST(GifDecoder, ReadsExtensionFields) {
    GifBuilder Gif(1, 1, FourColors);
    Gif.GraphicControl(3, 9999, 2).GraphicControl(7, 0).Loop(1234);
    Gif.Application("ANIMEXTS1.0", {1, 5, 0}).Application("NETSCAPE2.0", {2, 1, 0});
    Gif.Comment(std::string(300, 'x') + std::string(1, '\0') + "hidden");
    Gif.Raw({0x21, 0xF9, 0x02, 0x04, 0x01, 0x00}); // a graphic control block too short
    Gif.Image(0, 0, 1, 1, {0});
    RecordingSink Sink;
    Decode(Gif.Trailer(), Sink);
    ASSERT_EQ(Sink.Extensions.size(), 7u);

    const auto First = GraphicControlOf(Sink.Extensions[0]);
    ASSERT_TRUE(First);
    EXPECT_EQ(First->Disposal, 3);
    EXPECT_EQ(First->Delay, 9999);
    EXPECT_TRUE(First->HasTransparent);
    EXPECT_EQ(First->TransparentIndex, 2);
    const auto Second = GraphicControlOf(Sink.Extensions[1]);
    ASSERT_TRUE(Second);
    EXPECT_EQ(Second->Disposal, 7);
    EXPECT_FALSE(Second->HasTransparent);
    EXPECT_FALSE(GraphicControlOf(Sink.Extensions[6]));
    EXPECT_FALSE(GraphicControlOf(Sink.Extensions[2]));

    EXPECT_EQ(NetscapeLoopCount(Sink.Extensions[2]), 1234);
    EXPECT_FALSE(NetscapeLoopCount(Sink.Extensions[3])); // another application
    EXPECT_FALSE(NetscapeLoopCount(Sink.Extensions[4])); // not the looping sub-block
    EXPECT_FALSE(NetscapeLoopCount(Sink.Extensions[0]));

    // The comment spans two data blocks and ends at its zero byte.
    EXPECT_EQ(Sink.Extensions[5].Blocks.size(), 2u);
    EXPECT_EQ(CommentTextOf(Sink.Extensions[5]), std::string(300, 'x'));
}

TEST(GifDecoder, InterlacedRowsComeInPassOrderAndLandInPlace) {
    for (int Height : {1, 2, 3, 4, 5, 8, 9, 13, 16, 17}) {
        std::vector<int> Seen;
        for (int Index = 0; Index < Height; ++Index)
            Seen.push_back(InterlacedRow(Index, Height));
        std::vector<int> Sorted = Seen;
        std::sort(Sorted.begin(), Sorted.end());
        for (int Y = 0; Y < Height; ++Y)
            EXPECT_EQ(Sorted[std::size_t(Y)], Y) << "height " << Height;
    }
    EXPECT_EQ(InterlacedRow(1, 10), 8);
    EXPECT_EQ(InterlacedRow(2, 10), 4);
    EXPECT_EQ(InterlacedRow(3, 10), 2);
    EXPECT_EQ(InterlacedRow(5, 10), 1);

    GifBuilder Gif(3, 10, FourColors);
    Gif.Image(0, 0, 3, 10, Ramp(30, 4), {}, true);
    RecordingSink Sink;
    Decode(Gif.Trailer(), Sink);
    EXPECT_TRUE(Sink.Images[0].Interlaced);
    EXPECT_EQ(Sink.Pixels[0], Ramp(30, 4));
    EXPECT_EQ(Sink.RowOrder, (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST(GifDecoder, MissingTrailerCostsNothing) {
    GifBuilder Gif(2, 2, FourColors);
    Gif.Image(0, 0, 2, 2, {0, 1, 2, 3}).Image(0, 0, 2, 2, {3, 2, 1, 0});
    RecordingSink Sink;
    const GifDecodeOutcome Outcome = Decode(Gif.WithoutTrailer(), Sink);
    EXPECT_EQ(Outcome.End, GifDecodeEnd::EndOfData);
    EXPECT_TRUE(Outcome.Faults.empty());
    EXPECT_EQ(Sink.Pixels[1], (std::vector<std::uint8_t>{3, 2, 1, 0}));
}

TEST(GifDecoder, FileCutShortInsideAnImageKeepsTheRowsDecoded) {
    GifBuilder Gif(4, 40, FourColors);
    Gif.Image(0, 0, 4, 40, Ramp(160, 4));
    const GifBytes Whole = Gif.WithoutTrailer();

    // Cut in the middle of the data: some rows, not all, and nothing after them.
    RecordingSink Sink;
    const GifBytes Half(Whole.begin(), Whole.begin() + std::ptrdiff_t(Whole.size() / 2));
    const GifDecodeOutcome Outcome = Decode(Half, Sink);
    EXPECT_EQ(Outcome.End, GifDecodeEnd::EndOfData);
    ASSERT_EQ(Outcome.Faults.size(), 1u);
    EXPECT_EQ(Outcome.Faults[0], "the file ends inside the image data (image 0)");
    const int Rows = int(Sink.RowOrder.size());
    EXPECT_GT(Rows, 5);
    EXPECT_LT(Rows, 40);
    EXPECT_EQ(Sink.Log.back(), "rows " + std::to_string(Rows));
    EXPECT_TRUE(std::equal(Sink.Pixels[0].begin(), Sink.Pixels[0].begin() + Rows * 4,
                           Ramp(160, 4).begin()));

    // Cut just before the block terminator: every pixel is there, so every row is.
    RecordingSink Whole2;
    const GifBytes NoTerminator(Whole.begin(), Whole.end() - 1);
    Decode(NoTerminator, Whole2);
    EXPECT_EQ(Whole2.Log.back(), "rows 40");
    EXPECT_EQ(Whole2.Pixels[0], Ramp(160, 4));

    // Cut inside the descriptor.
    RecordingSink Short;
    const GifDecodeOutcome Cut = Decode(GifBytes(Whole.begin(), Whole.begin() + 30), Short);
    EXPECT_EQ(Cut.End, GifDecodeEnd::EndOfData);
    EXPECT_EQ(Short.Log, (std::vector<std::string>{"screen 4x40 colors 4"}));
    EXPECT_EQ(Cut.Faults,
              (std::vector<std::string>{"the file ends inside an image descriptor (image 0)"}));
}

TEST(GifDecoder, DamagedImageDataIsSteppedOverToTheNextRecord) {
    GifBuilder Gif(2, 2, FourColors);
    Gif.Image(0, 0, 2, 2, {0, 1, 2, 3});
    // Code size 2 and codes 7, 7, ...: a code that is not in the table yet.
    Gif.ImageWithData(0, 0, 2, 2, {0x02, 0x02, 0xFF, 0xFF, 0x00});
    // A code size no GIF may have.
    Gif.ImageWithData(0, 0, 2, 2, {0x0C, 0x02, 0x10, 0x01, 0x00});
    // The end code before the last row.
    Gif.ImageWithData(0, 0, 2, 2, {0x02, 0x02, 0x44, 0x0A, 0x00});
    Gif.Comment("still read").Image(0, 0, 2, 2, {3, 3, 3, 3});
    RecordingSink Sink;
    const GifDecodeOutcome Outcome = Decode(Gif.Trailer(), Sink);

    EXPECT_EQ(Outcome.End, GifDecodeEnd::Trailer);
    EXPECT_EQ(Outcome.Faults, (std::vector<std::string>{"damaged image data (image 1)",
                                                        "invalid LZW code size (image 2)",
                                                        "damaged image data (image 3)"}));
    EXPECT_EQ(Sink.Log, (std::vector<std::string>{
                            "screen 2x2 colors 4", "image 2x2 at 0,0", "rows 2", "image 2x2 at 0,0",
                            "rows 0", "image 2x2 at 0,0", "rows 0", "image 2x2 at 0,0", "rows 1",
                            "extension FE", "image 2x2 at 0,0", "rows 2"}));
    EXPECT_EQ(Sink.Pixels[3][0], 0); // the row before the early end code
    EXPECT_EQ(Sink.Pixels[3][1], 1);
    EXPECT_EQ(Sink.Pixels[4], (std::vector<std::uint8_t>{3, 3, 3, 3}));
}

TEST(GifDecoder, ImageWithoutPixelsHasNoRowsAndTheNextOneIsRead) {
    GifBuilder Gif(2, 1, FourColors);
    Gif.ImageWithData(0, 0, 0, 0, {0x02, 0x02, 0x44, 0x01, 0x00}); // blocks are stepped over
    Gif.ImageWithData(0, 0, 5, 0, {0x02, 0x00});
    Gif.Image(0, 0, 2, 1, {2, 1});
    RecordingSink Sink;
    const GifDecodeOutcome Outcome = Decode(Gif.Trailer(), Sink);
    EXPECT_EQ(Outcome.End, GifDecodeEnd::Trailer);
    EXPECT_TRUE(Outcome.Faults.empty());
    EXPECT_EQ(Sink.Log, (std::vector<std::string>{"screen 2x1 colors 4", "image 0x0 at 0,0",
                                                  "rows 0", "image 5x0 at 0,0", "rows 0",
                                                  "image 2x1 at 0,0", "rows 1"}));
    EXPECT_EQ(Sink.Pixels[2], (std::vector<std::uint8_t>{2, 1}));
}

TEST(GifDecoder, RejectsWhatIsNoGifAndStopsWhenTheSinkSaysSo) {
    RecordingSink Sink;
    const GifBytes Png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0};
    EXPECT_EQ(Decode(Png, Sink).End, GifDecodeEnd::NotGif);
    EXPECT_EQ(Decode({}, Sink).End, GifDecodeEnd::NotGif);
    const GifDecodeOutcome Short = Decode({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1}, Sink);
    EXPECT_EQ(Short.End, GifDecodeEnd::CutHeader);
    EXPECT_EQ(Short.Faults,
              (std::vector<std::string>{"the file ends inside the logical screen descriptor"}));
    EXPECT_TRUE(Sink.Log.empty());

    GifBuilder Gif(1, 1, FourColors);
    Gif.Image(0, 0, 1, 1, {1}).Image(0, 0, 1, 1, {2}).Image(0, 0, 1, 1, {3});
    RecordingSink Stopping;
    Stopping.StopAtImage = 1;
    EXPECT_EQ(Decode(Gif.Trailer(), Stopping).End, GifDecodeEnd::Stopped);
    EXPECT_EQ(Stopping.Images.size(), 2u);

    // A stray byte where a record should start ends the reading there.
    GifBuilder Stray(1, 1, FourColors);
    Stray.Image(0, 0, 1, 1, {1}).Raw({0x00}).Image(0, 0, 1, 1, {2});
    RecordingSink AfterStray;
    const GifDecodeOutcome Outcome = Decode(Stray.Trailer(), AfterStray);
    EXPECT_EQ(Outcome.End, GifDecodeEnd::EndOfData);
    EXPECT_EQ(AfterStray.Images.size(), 1u);
    EXPECT_EQ(Outcome.Faults.size(), 1u);
}

TEST(GifDecoder, KeepsBoundedAmountsOfAbsurdFiles) {
    // An extension of more than 1 MiB keeps its first MiB; the image after it is read.
    GifBuilder Gif(1, 1, FourColors);
    Gif.Comment(std::string(1200000, 'c')).Image(0, 0, 1, 1, {2});
    for (int k = 0; k < 25; ++k)
        Gif.ImageWithData(0, 0, 1, 1, {0x02, 0x02, 0xFF, 0xFF, 0x00});
    RecordingSink Sink;
    const GifDecodeOutcome Outcome = Decode(Gif.Trailer(), Sink);
    EXPECT_EQ(Outcome.End, GifDecodeEnd::Trailer);
    const std::string Text = CommentTextOf(Sink.Extensions[0]);
    EXPECT_GT(Text.size(), 900000u);
    EXPECT_LE(Text.size(), MaxExtensionBytes);
    EXPECT_EQ(Sink.Pixels[0], (std::vector<std::uint8_t>{2}));
    // 1 + 25 faults: the first 20 are told, the others counted.
    ASSERT_EQ(Outcome.Faults.size(), 21u);
    EXPECT_EQ(Outcome.Faults[0], "an extension longer than 1 MiB was cut short");
    EXPECT_EQ(Outcome.Faults[19], "damaged image data (image 19)");
    EXPECT_EQ(Outcome.Faults[20], "and 6 more faults");
}
