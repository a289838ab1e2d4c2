#pragma once
// Record-by-record decoding of a GIF87a or GIF89a file held in memory, with giflib doing
// the block syntax and the LZW decompression. Unlike a whole-file read, a fault stops only
// what it touches: a damaged image keeps the rows decoded before the fault and, when its
// data blocks are intact, the records after it are still read; a missing trailer is no
// fault at all. What the file holds is handed to a TGifRecordSink as it is read, so no
// image has to be held in memory whole.
//
// The decoder owns nothing beyond one call; it only reads the caller's bytes. Any thread,
// one call per sink at a time.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/Color.h"

// The logical screen descriptor with its global colour table.
struct TGifScreen {
    int Width = 0;
    int Height = 0;
    int BackgroundIndex = 0;
    bool HasGlobalColors = false;
    std::vector<TRgbColor> GlobalColors;
};

// An image descriptor with its local colour table (empty when it has none).
struct TGifImageHeader {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Interlaced = false;
    std::vector<TRgbColor> LocalColors;
};

constexpr int GifGraphicControlLabel = 0xF9;
constexpr int GifCommentLabel = 0xFE;
constexpr int GifApplicationLabel = 0xFF;
constexpr int GifPlainTextLabel = 0x01;

// The most of one extension's data that is kept (counting the upkeep of its blocks); the
// rest is read past, and the outcome says so. No extension the reader uses comes near it.
constexpr std::size_t MaxExtensionBytes = std::size_t(1) << 20;

// One extension: its label and its data sub-blocks in file order.
struct TGifExtension {
    int Label = 0;
    std::vector<std::vector<std::uint8_t>> Blocks;
};

struct TGifGraphicControl {
    int Disposal = 0; // 0..7 as the file has it
    int Delay = 0;    // hundredths of a second
    bool HasTransparent = false;
    int TransparentIndex = 0;
};

// The graphic control extension's fields; none for another extension or a first data
// block shorter than the four bytes it needs.
std::optional<TGifGraphicControl> GraphicControlOf(const TGifExtension& Extension);
// The loop count of a NETSCAPE2.0 looping extension; none for anything else.
std::optional<int> NetscapeLoopCount(const TGifExtension& Extension);
// The text of a comment extension: its data blocks joined, up to the first zero byte.
std::string CommentTextOf(const TGifExtension& Extension);

// Receives the records of a file in file order. A callback that returns false stops the
// decoding at once (the outcome then says TGifDecodeEnd::Stopped).
class TGifRecordSink {
public:
    virtual ~TGifRecordSink() = default;
    virtual bool Screen(const TGifScreen& Screen) = 0;
    virtual bool Extension(TGifExtension&& Extension) = 0;
    // Every image descriptor is followed by its decoded rows and then EndImage, also for
    // an image of width or height 0 (which has no rows) and an image whose data cannot be
    // decoded at all.
    virtual bool BeginImage(const TGifImageHeader& Header) = 0;
    // Row Y of the image (0 = top; interlacing already undone): Header.Width indices.
    virtual void Row(int Y, const std::uint8_t* Indices) = 0;
    // RowsDecoded is less than the height when the image's data broke off or is damaged.
    virtual bool EndImage(int RowsDecoded) = 0;
};

enum class TGifDecodeEnd {
    Trailer,   // the trailer was read
    EndOfData, // the bytes ran out, or a record was unreadable, after the last good record
    Stopped,   // the sink asked to stop
    NotGif,    // no GIF signature
    CutHeader, // the file ends inside the logical screen descriptor or global colour table
};

struct TGifDecodeOutcome {
    TGifDecodeEnd End = TGifDecodeEnd::Trailer;
    // What was wrong with the file, first fault first; empty for a sound file. After 20
    // faults a last line counts the ones left out.
    std::vector<std::string> Faults;
};

TGifDecodeOutcome DecodeGifRecords(const std::uint8_t* Data, std::size_t Size,
                                   TGifRecordSink& Sink);

// The display row of the Index-th row stored in an interlaced image of Height rows.
int InterlacedRow(int Index, int Height);
