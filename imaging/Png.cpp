#include "imaging/Png.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include <zlib.h>

namespace {

void Put32(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Out.push_back(std::uint8_t(Value >> Shift));
}

// One chunk: length, type, data and the CRC of type and data.
void PutChunk(const ByteSink& Sink, const char (&Type)[5], const std::uint8_t* Data,
              std::size_t Size) {
    std::vector<std::uint8_t> Head;
    Put32(Head, std::uint32_t(Size));
    Head.insert(Head.end(), Type, Type + 4);
    uLong Crc = crc32(0, reinterpret_cast<const Bytef*>(Type), 4);
    if (Size > 0) Crc = crc32(Crc, Data, uInt(Size));
    std::vector<std::uint8_t> Tail;
    Put32(Tail, std::uint32_t(Crc));
    Sink(Head.data(), Head.size());
    if (Size > 0) Sink(Data, Size);
    Sink(Tail.data(), Tail.size());
}

void PutChunk(const ByteSink& Sink, const char (&Type)[5], const std::vector<std::uint8_t>& Data) {
    PutChunk(Sink, Type, Data.data(), Data.size());
}

// The deflate stream of the image data, cut into IDAT chunks as its output buffer fills.
class TImageDataStream {
public:
    explicit TImageDataStream(const ByteSink& Sink) : Sink(Sink), Buffer(BufferSize) {
        // Level 6 is zlib's own balance; the long runs of pixel art deflate well at any level.
        if (deflateInit(&Stream, 6) != Z_OK) throw std::bad_alloc();
        Stream.next_out = Buffer.data();
        Stream.avail_out = uInt(Buffer.size());
    }
    ~TImageDataStream() { deflateEnd(&Stream); }
    TImageDataStream(const TImageDataStream&) = delete;
    TImageDataStream& operator=(const TImageDataStream&) = delete;

    void Write(const std::uint8_t* Data, std::size_t Size) {
        Stream.next_in = const_cast<Bytef*>(Data);
        Stream.avail_in = uInt(Size);
        while (Stream.avail_in > 0)
            Deflate(Z_NO_FLUSH);
    }

    void Finish() {
        while (Deflate(Z_FINISH) != Z_STREAM_END) {
        }
        Emit();
    }

private:
    static constexpr std::size_t BufferSize = 1 << 16;

    int Deflate(int Flush) {
        const int Result = deflate(&Stream, Flush);
        if (Result == Z_STREAM_ERROR) throw std::runtime_error("The PNG compressor failed");
        if (Stream.avail_out == 0) Emit();
        return Result;
    }

    void Emit() {
        const std::size_t Used = Buffer.size() - Stream.avail_out;
        if (Used > 0) PutChunk(Sink, "IDAT", Buffer.data(), Used);
        Stream.next_out = Buffer.data();
        Stream.avail_out = uInt(Buffer.size());
    }

    const ByteSink& Sink;
    std::vector<std::uint8_t> Buffer;
    z_stream Stream{};
};

} // namespace

void WriteIndexedPng(const ByteSink& Sink, const TIndexedPng& Image, const PngRowSource& Rows) {
    if (Image.Width < 1 || Image.Height < 1)
        throw std::length_error("A PNG picture is at least 1 pixel wide and high, not " +
                                std::to_string(Image.Width) + " x " + std::to_string(Image.Height));
    const int Colors = int(Image.Palette.size());
    if (Colors < 1 || Colors > 256)
        throw std::invalid_argument("A PNG palette holds 1 to 256 colours, not " +
                                    std::to_string(Colors));
    if (Image.TransparentIndex >= Colors)
        throw std::invalid_argument("The transparent colour lies outside the palette");

    static const std::uint8_t Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Sink(Signature, sizeof Signature);

    std::vector<std::uint8_t> Header;
    Put32(Header, std::uint32_t(Image.Width));
    Put32(Header, std::uint32_t(Image.Height));
    // 8 bits per index, colour type 3 (indexed), deflate, adaptive filters, no interlacing.
    Header.insert(Header.end(), {8, 3, 0, 0, 0});
    PutChunk(Sink, "IHDR", Header);

    std::vector<std::uint8_t> Table;
    for (const TRgbColor& Color : Image.Palette)
        Table.insert(Table.end(), {Color.Red, Color.Green, Color.Blue});
    PutChunk(Sink, "PLTE", Table);

    if (Image.TransparentIndex >= 0) {
        // Alpha of the entries up to the transparent one; those after it stay opaque.
        std::vector<std::uint8_t> Alpha(std::size_t(Image.TransparentIndex) + 1, 255);
        Alpha.back() = 0;
        PutChunk(Sink, "tRNS", Alpha);
    }

    TImageDataStream Data(Sink);
    // Filter type 0 on every row: indices are names, not quantities, so differences between
    // neighbours only break up the runs that deflate finds.
    std::vector<std::uint8_t> Row(std::size_t(Image.Width) + 1, 0);
    for (int Y = 0; Y < Image.Height; ++Y) {
        Rows(Y, Row.data() + 1);
        Data.Write(Row.data(), Row.size());
    }
    Data.Finish();
    PutChunk(Sink, "IEND", nullptr, 0);
}
