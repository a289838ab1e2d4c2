#include "imaging/Bmp.h"

#include <algorithm>
#include <array>

#include "imaging/FileReplace.h"
#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"

namespace {

constexpr std::size_t FileHeaderBytes = 14;
constexpr std::uint32_t CoreHeaderBytes = 12;
constexpr std::uint32_t InfoHeaderBytes = 40;
// Headers from this size on carry the bit-field masks themselves.
constexpr std::uint32_t MaskHeaderBytes = 52;

enum TCompression : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

[[noreturn]] void Refuse(const std::string& Why) {
    throw EBmpError(Why);
}

// Little-endian numbers at fixed places, each checked against the end of the bytes.
struct TBytes {
    const std::uint8_t* Data;
    std::size_t Size;

    bool Holds(std::uint64_t At, std::uint64_t Count) const {
        return At <= Size && Count <= Size - At;
    }
    std::uint32_t Number(std::size_t At, int Count) const {
        if (!Holds(At, std::uint64_t(Count))) Refuse("BMP header cut short");
        std::uint32_t Value = 0;
        for (int i = 0; i < Count; ++i)
            Value |= std::uint32_t(Data[At + i]) << (8 * i);
        return Value;
    }
    std::uint32_t U32(std::size_t At) const { return Number(At, 4); }
    std::uint16_t U16(std::size_t At) const { return std::uint16_t(Number(At, 2)); }
};

// One colour channel of a 16- or 32-bit pixel: the bits of Mask, scaled to 0..255.
struct TChannel {
    std::uint32_t Mask = 0;
    int Shift = 0;
    std::uint64_t Max = 0;

    explicit TChannel(std::uint32_t Mask_) : Mask(Mask_) {
        if (Mask == 0) return;
        while (!(Mask >> Shift & 1))
            ++Shift;
        Max = Mask >> Shift;
    }
    std::uint8_t Of(std::uint32_t Pixel) const {
        if (Max == 0) return 0;
        return std::uint8_t(((Pixel & Mask) >> Shift) * 255 / Max);
    }
};

struct THeader {
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    bool TopDown = false;
    int BitCount = 0;
    std::uint32_t Compression = BI_RGB;
    std::array<std::uint32_t, 3> Masks{};
    std::vector<TRgbColor> Table;
    std::size_t PixelsAt = 0;
};

THeader ReadHeader(const TBytes& In) {
    if (In.Size < 2 || In.Data[0] != 'B' || In.Data[1] != 'M') Refuse("Not a BMP picture");
    THeader H;
    const std::uint32_t HeaderSize = In.U32(FileHeaderBytes);
    std::uint32_t ColorsUsed = 0;
    int TableEntryBytes = 4;
    if (HeaderSize == CoreHeaderBytes) {
        H.Width = In.U16(18);
        H.Height = In.U16(20);
        H.BitCount = In.U16(24);
        TableEntryBytes = 3;
    } else if (HeaderSize >= InfoHeaderBytes) {
        H.Width = std::int32_t(In.U32(18));
        H.Height = std::int32_t(In.U32(22));
        H.BitCount = In.U16(28);
        H.Compression = In.U32(30);
        ColorsUsed = In.U32(46);
    } else {
        Refuse("Unknown kind of BMP header");
    }

    const int Bits = H.BitCount;
    const bool Known =
        (H.Compression == BI_RGB &&
         (Bits == 1 || Bits == 4 || Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32)) ||
        (H.Compression == BI_RLE4 && Bits == 4) || (H.Compression == BI_RLE8 && Bits == 8) ||
        (H.Compression == BI_BITFIELDS && (Bits == 16 || Bits == 32));
    if (!Known) Refuse("Unsupported kind of BMP picture");
    if (H.Height < 0) {
        H.TopDown = true;
        H.Height = -H.Height;
    }
    // Run-length data only ever describes rows from the bottom up.
    if (H.TopDown && H.Compression != BI_RGB && H.Compression != BI_BITFIELDS)
        Refuse("Unsupported kind of BMP picture");
    if (H.Width <= 0 || H.Height <= 0) Refuse("BMP picture without pixels");
    CheckPictureSize(H.Width, H.Height);

    std::uint64_t TableAt = FileHeaderBytes + std::uint64_t(HeaderSize);
    if (H.Compression == BI_BITFIELDS) {
        // The masks follow the header's first 40 bytes, inside the later headers themselves.
        for (int i = 0; i < 3; ++i)
            H.Masks[i] = In.U32(FileHeaderBytes + InfoHeaderBytes + 4 * i);
        if (HeaderSize < MaskHeaderBytes) TableAt += 12;
    } else if (Bits == 16) {
        H.Masks = {0x7C00, 0x03E0, 0x001F};
    } else if (Bits == 32) {
        H.Masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }

    std::uint64_t TableEnd = TableAt;
    if (Bits <= 8) {
        const std::uint32_t Full = 1u << Bits;
        std::uint32_t Count = ColorsUsed == 0 || ColorsUsed > Full ? Full : ColorsUsed;
        // Without a count (always so in the old header) the table may still end early, where
        // the pixels begin.
        const std::uint64_t PixelsAt = In.U32(10);
        if (ColorsUsed == 0 && PixelsAt > TableAt && (PixelsAt - TableAt) / TableEntryBytes < Count)
            Count = std::uint32_t((PixelsAt - TableAt) / TableEntryBytes);
        if (!In.Holds(TableAt, std::uint64_t(Count) * TableEntryBytes))
            Refuse("BMP colour table cut short");
        for (std::uint32_t i = 0; i < Count; ++i) {
            const std::uint8_t* Entry = In.Data + TableAt + std::uint64_t(i) * TableEntryBytes;
            H.Table.push_back({Entry[2], Entry[1], Entry[0]});
        }
        TableEnd = TableAt + std::uint64_t(Count) * TableEntryBytes;
    }
    // The pixels start where the file header says; an offset pointing back into the header
    // or the table is a writer's slip, and the pixels follow the table.
    H.PixelsAt = std::size_t(std::max<std::uint64_t>(In.U32(10), TableEnd));
    return H;
}

// The colour of each possible index: the table's, black beyond its end.
std::array<TRgbColor, 256> IndexColors(const std::vector<TRgbColor>& Table) {
    std::array<TRgbColor, 256> Colors{};
    std::copy_n(Table.begin(), std::min<std::size_t>(Table.size(), 256), Colors.begin());
    return Colors;
}

// Bytes of one stored row: whole 32-bit words.
std::uint64_t RowBytesOf(const THeader& H) {
    return (std::uint64_t(H.Width) * H.BitCount + 31) / 32 * 4;
}

void ReadRows(const TBytes& In, const THeader& H, TRgbPicture& Picture) {
    const std::uint64_t RowBytes = RowBytesOf(H);
    const std::array<TRgbColor, 256> Colors = IndexColors(H.Table);
    const TChannel Red(H.Masks[0]), Green(H.Masks[1]), Blue(H.Masks[2]);
    for (int Row = 0; Row < Picture.Height; ++Row) {
        const std::uint8_t* From = In.Data + H.PixelsAt + Row * RowBytes;
        const int y = H.TopDown ? Row : Picture.Height - 1 - Row;
        for (int x = 0; x < Picture.Width; ++x) {
            switch (H.BitCount) {
            case 1:
                Picture.Set(x, y, Colors[From[x / 8] >> (7 - x % 8) & 1]);
                break;
            case 4:
                Picture.Set(x, y, Colors[From[x / 2] >> (x % 2 ? 0 : 4) & 15]);
                break;
            case 8:
                Picture.Set(x, y, Colors[From[x]]);
                break;
            case 24:
                Picture.Set(x, y, {From[3 * x + 2], From[3 * x + 1], From[3 * x]});
                break;
            default: {
                const std::uint8_t* P = From + x * H.BitCount / 8;
                const std::uint32_t Pixel =
                    H.BitCount == 16 ? P[0] | P[1] << 8
                                     : P[0] | P[1] << 8 | P[2] << 16 | std::uint32_t(P[3]) << 24;
                Picture.Set(x, y, {Red.Of(Pixel), Green.Of(Pixel), Blue.Of(Pixel)});
            }
            }
        }
    }
}

// Run-length data, rows from the bottom up: pairs of a count and an index (two indices
// taking turns for 4 bits); a zero count starts an escape: 0 ends the row, 1 the picture,
// 2 moves the position on, more starts that many indices stored as they are.
void ReadRuns(const TBytes& In, const THeader& H, TRgbPicture& Picture) {
    const bool Four = H.BitCount == 4;
    const std::int64_t Width = H.Width, Height = H.Height;
    std::vector<std::uint8_t> Indices(std::size_t(Width * Height), 0);
    std::int64_t x = 0, y = 0;
    auto Put = [&](std::uint8_t Index) {
        if (x < Width && y < Height) Indices[std::size_t((Height - 1 - y) * Width + x)] = Index;
        ++x;
    };
    auto Complete = [&] { return y >= Height || (y == Height - 1 && x >= Width); };

    std::size_t At = H.PixelsAt;
    while (y < Height) {
        if (!In.Holds(At, 2)) {
            if (Complete()) break;
            Refuse("BMP run-length data cut short");
        }
        const std::uint8_t Count = In.Data[At], Value = In.Data[At + 1];
        At += 2;
        if (Count > 0) {
            for (int i = 0; i < Count; ++i)
                Put(Four ? (i % 2 ? Value & 15 : Value >> 4) : Value);
        } else if (Value == 0) {
            x = 0;
            ++y;
        } else if (Value == 1) {
            break;
        } else if (Value == 2) {
            if (!In.Holds(At, 2)) Refuse("BMP run-length data cut short");
            x += In.Data[At];
            y += In.Data[At + 1];
            At += 2;
        } else {
            const std::size_t Stored = Four ? (Value + 1) / 2 : Value;
            if (!In.Holds(At, Stored)) Refuse("BMP run-length data cut short");
            for (int i = 0; i < Value; ++i)
                Put(Four ? (In.Data[At + i / 2] >> (i % 2 ? 0 : 4) & 15) : In.Data[At + i]);
            // Stored indices fill whole 16-bit words.
            At += Stored + Stored % 2;
        }
    }

    const std::array<TRgbColor, 256> Colors = IndexColors(H.Table);
    for (std::size_t i = 0; i < Indices.size(); ++i) {
        const TRgbColor& C = Colors[Indices[i]];
        std::uint8_t* P = &Picture.Pixels[i * 3];
        P[0] = C.Red, P[1] = C.Green, P[2] = C.Blue;
    }
}

void Put16(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
    Out.push_back(std::uint8_t(Value));
    Out.push_back(std::uint8_t(Value >> 8));
}
void Put32(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
    Put16(Out, Value);
    Put16(Out, Value >> 16);
}

} // namespace

TRgbPicture DecodeBmp(const std::uint8_t* Data, std::size_t Size) {
    const TBytes In{Data, Data ? Size : 0};
    const THeader H = ReadHeader(In);
    // Uncompressed rows are checked against the bytes before the picture is allocated; the
    // last row may lack the padding that would only round it up.
    const bool Runs = H.Compression == BI_RLE4 || H.Compression == BI_RLE8;
    const std::uint64_t RowsBytes = RowBytesOf(H) * (std::uint64_t(H.Height) - 1) +
                                    (std::uint64_t(H.Width) * H.BitCount + 7) / 8;
    if (!Runs && !In.Holds(H.PixelsAt, RowsBytes)) Refuse("BMP rows cut short");
    TRgbPicture Picture(int(H.Width), int(H.Height));
    Picture.Palette = H.Table;
    if (Runs)
        ReadRuns(In, H, Picture);
    else
        ReadRows(In, H, Picture);
    return Picture;
}

TRgbPicture LoadBmpFile(const std::string& FileName) {
    std::vector<std::uint8_t> Bytes;
    std::string Unread;
    if (!ReadPictureBytes(FileName, Bytes, Unread)) throw EBmpError(Unread);
    try {
        return DecodeBmp(Bytes.data(), Bytes.size());
    } catch (const EBmpError& Error) {
        throw EBmpError(FileName + ": " + Error.what());
    }
}

std::vector<std::uint8_t> EncodeBmp(const TPxBitmap& Cel) {
    const TColorTable& Colors = Cel.ColorTable();
    // Where each entry's pixels go in the file's table: user colours keep their order,
    // a reserved entry goes to the user colour nearest to it (ties to the first).
    std::array<std::uint8_t, 256> Position{};
    for (int i = 0; i < 256; ++i) {
        int Best = i;
        if (i < FirstUserColor || i > LastUserColor) {
            Best = FirstUserColor;
            for (int u = FirstUserColor + 1; u <= LastUserColor; ++u)
                if (ColorDistance(Colors[u], Colors[i]) < ColorDistance(Colors[Best], Colors[i]))
                    Best = u;
        }
        Position[i] = std::uint8_t(Best - FirstUserColor);
    }

    const std::uint32_t Width = std::uint32_t(Cel.Width()), Height = std::uint32_t(Cel.Height());
    const std::uint32_t RowBytes = std::uint32_t(Cel.Stride());
    const std::uint32_t PixelsAt = FileHeaderBytes + InfoHeaderBytes + UserColorCount * 4;
    std::vector<std::uint8_t> Out;
    Out.reserve(PixelsAt + std::size_t(RowBytes) * Height);
    Out.push_back('B');
    Out.push_back('M');
    Put32(Out, PixelsAt + RowBytes * Height);
    Put32(Out, 0);
    Put32(Out, PixelsAt);
    Put32(Out, InfoHeaderBytes);
    Put32(Out, Width);
    Put32(Out, Height);
    Put16(Out, 1); // planes
    Put16(Out, 8); // bits per pixel
    Put32(Out, BI_RGB);
    Put32(Out, RowBytes * Height);
    Put32(Out, 2835); // 72 dots per inch, across and down
    Put32(Out, 2835);
    Put32(Out, UserColorCount);
    Put32(Out, 0); // every colour matters
    for (int i = FirstUserColor; i <= LastUserColor; ++i) {
        Out.push_back(Colors[i].Blue);
        Out.push_back(Colors[i].Green);
        Out.push_back(Colors[i].Red);
        Out.push_back(0);
    }
    for (std::uint32_t Row = 0; Row < Height; ++Row) {
        const std::uint8_t* From = Cel.Bits() + std::size_t(Height - 1 - Row) * RowBytes;
        for (std::uint32_t x = 0; x < Width; ++x)
            Out.push_back(Position[From[x]]);
        Out.insert(Out.end(), RowBytes - Width, 0);
    }
    return Out;
}

void SaveBmpFile(const std::string& FileName, const TPxBitmap& Cel) {
    const std::vector<std::uint8_t> Bytes = EncodeBmp(Cel);
    ReplaceFile(FileName, [&Bytes](const ByteSink& Sink) { Sink(Bytes.data(), Bytes.size()); });
}
