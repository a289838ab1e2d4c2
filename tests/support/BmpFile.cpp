#include "support/BmpFile.h"

#include <cstdlib>

namespace {

void Put(Bytes& Out, std::uint32_t Value, int Count) {
    for (int i = 0; i < Count; ++i)
        Out.push_back(std::uint8_t(Value >> (8 * i)));
}

} // namespace

Bytes BmpFile::Encode() const {
    const std::uint32_t HeaderSize = CoreHeader ? 12 : 40;
    const std::uint32_t MaskBytes = Compression == 3 ? 12 : 0;
    const std::uint32_t TableBytes = std::uint32_t(Table.size()) * (CoreHeader ? 3 : 4);
    const std::uint32_t PixelsAt = 14 + HeaderSize + MaskBytes + TableBytes;
    Bytes Out{'B', 'M'};
    Put(Out, PixelsAt + std::uint32_t(Pixels.size()), 4);
    Put(Out, 0, 4);
    Put(Out, PixelsAt, 4);
    Put(Out, HeaderSize, 4);
    if (CoreHeader) {
        Put(Out, std::uint32_t(Width), 2);
        Put(Out, std::uint32_t(Height), 2);
        Put(Out, 1, 2);
        Put(Out, std::uint32_t(Bits), 2);
    } else {
        Put(Out, std::uint32_t(Width), 4);
        Put(Out, std::uint32_t(Height), 4);
        Put(Out, 1, 2);
        Put(Out, std::uint32_t(Bits), 2);
        Put(Out, Compression, 4);
        Put(Out, std::uint32_t(Pixels.size()), 4);
        Put(Out, 2835, 4);
        Put(Out, 2835, 4);
        Put(Out, std::uint32_t(Table.size()), 4);
        Put(Out, 0, 4);
    }
    if (Compression == 3)
        for (std::uint32_t Mask : Masks)
            Put(Out, Mask, 4);
    for (const TRgbColor& Color : Table) {
        Out.insert(Out.end(), {Color.Blue, Color.Green, Color.Red});
        if (!CoreHeader) Out.push_back(0);
    }
    return Out + Pixels;
}

Bytes PackRows(const Picture& Rows, int Bits) {
    Bytes Out;
    for (auto Row = Rows.rbegin(); Row != Rows.rend(); ++Row) {
        Bytes Packed((Row->size() * std::size_t(Bits) + 31) / 32 * 4, 0);
        for (std::size_t x = 0; x < Row->size(); ++x) {
            const auto Index =
                unsigned(std::strtoul(std::string(1, (*Row)[x]).c_str(), nullptr, 16));
            const std::size_t Bit = x * std::size_t(Bits);
            Packed[Bit / 8] |= std::uint8_t(Index << (8 - Bits - Bit % 8));
        }
        Out = Out + Packed;
    }
    return Out;
}

Bytes IndexedBmp(int Bits, const std::vector<TRgbColor>& Table, const Picture& Rows) {
    BmpFile File;
    File.Width = std::int32_t(Rows[0].size());
    File.Height = std::int32_t(Rows.size());
    File.Bits = Bits;
    File.Table = Table;
    File.Pixels = PackRows(Rows, Bits);
    return File.Encode();
}
