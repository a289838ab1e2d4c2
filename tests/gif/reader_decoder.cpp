// The record-by-record decoding layer: what reaches the sink, in which order, and how far
// a damaged or cut-short file still gets.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gif/GifDecoder.h"
#include "reader_builder.h"

namespace {

const std::vector<RgbColor> FourColors = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

// Writes down every record as one line, a row with its indices ("row 1: 0123").
class RecordingSink : public GifRecordSink {
public:
    std::vector<std::string> Log;
    std::vector<GifExtension> Extensions;

    bool Screen(const GifScreen& Screen) override {
        return Put("screen " + Size(Screen.Width, Screen.Height) + " colors " +
                   std::to_string(Screen.GlobalColors.size()));
    }
    bool Extension(GifExtension&& Extension) override {
        char Label[16];
        std::snprintf(Label, sizeof Label, "extension %02X", Extension.Label);
        Extensions.push_back(std::move(Extension));
        return Put(Label);
    }
    bool BeginImage(const GifImageHeader& Header) override {
        Width = Header.Width;
        return Put("image " + Size(Header.Width, Header.Height) + " at " +
                   Size(Header.Left, Header.Top) + " colors " +
                   std::to_string(Header.LocalColors.size()));
    }
    void Row(int Y, const std::uint8_t* Indices) override {
        std::string Line = "row " + std::to_string(Y) + ": ";
        for (int X = 0; X < Width; ++X)
            Line += char('0' + Indices[X]);
        Put(Line);
    }
    bool EndImage(int RowsDecoded) override { return Put("rows " + std::to_string(RowsDecoded)); }

private:
    static std::string Size(int A, int B) { return std::to_string(A) + "x" + std::to_string(B); }
    bool Put(const std::string& Line) {
        Log.push_back(Line);
        return true;
    }
    int Width = 0;
};

GifDecodeOutcome Decode(const GifBytes& File, RecordingSink& Sink) {
    return DecodeGifRecords(File.data(), File.size(), Sink);
}

} // namespace

TEST(GifDecoder, DeliversRecordsInFileOrder) {
    GifBuilder Gif(4, 2, FourColors);
    Gif.Comment("hello").Loop(0).GraphicControl(1, 5).Image(0, 0, 4, 2, {0, 1, 2, 3, 3, 2, 1, 0});
    Gif.GraphicControl(2, 7).Image(1, 1, 2, 1, {3, 1}, {{9, 9, 9}, {8, 8, 8}, {7, 7, 7}});
    Gif.Comment("after");
    RecordingSink Sink;
    const GifDecodeOutcome Outcome = Decode(Gif.Trailer(), Sink);
    EXPECT_EQ(Outcome.End, GifDecodeEnd::Trailer);
    EXPECT_TRUE(Outcome.Faults.empty());
    EXPECT_EQ(Sink.Log, (std::vector<std::string>{
                            "screen 4x2 colors 4", "extension FE", "extension FF", "extension F9",
                            "image 4x2 at 0x0 colors 0", "row 0: 0123", "row 1: 3210", "rows 2",
                            "extension F9", "image 2x1 at 1x1 colors 4", "row 0: 31", "rows 1",
                            "extension FE"}));
}

TEST(GifDecoder, DamagedImageDataIsSteppedOverKeepingTheRowsDecoded) {
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
    const std::string Image = "image 2x2 at 0x0 colors 0";
    EXPECT_EQ(Sink.Log, (std::vector<std::string>{
                            "screen 2x2 colors 4", Image, "row 0: 01", "row 1: 23", "rows 2", Image,
                            "rows 0", Image, "rows 0", Image, "row 0: 01", "rows 1", "extension FE",
                            Image, "row 0: 33", "row 1: 33", "rows 2"}));

    // A file cut just before the image's block terminator has every pixel, so every row.
    GifBuilder Cut(2, 2, FourColors);
    const GifBytes& Whole = Cut.Image(0, 0, 2, 2, {0, 1, 2, 3}).WithoutTrailer();
    RecordingSink NoTerminator;
    Decode(GifBytes(Whole.begin(), Whole.end() - 1), NoTerminator);
    EXPECT_EQ(NoTerminator.Log, (std::vector<std::string>{"screen 2x2 colors 4", Image, "row 0: 01",
                                                          "row 1: 23", "rows 2"}));
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
    EXPECT_EQ(Sink.Log[3], "row 0: 2");
    // 1 + 25 faults: the first 20 are told, the others counted.
    ASSERT_EQ(Outcome.Faults.size(), 21u);
    EXPECT_EQ(Outcome.Faults[0], "an extension longer than 1 MiB was cut short");
    EXPECT_EQ(Outcome.Faults[19], "damaged image data (image 19)");
    EXPECT_EQ(Outcome.Faults[20], "and 6 more faults");
}
