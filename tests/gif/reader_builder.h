#pragma once
// Writes small GIF files byte by byte, so that a test can say exactly which records a file
// holds, in which order, and where it is broken. Pixel data is LZW-coded without ever
// growing the code table (a clear code every few pixels): valid for every decoder, and
// simple enough to be obviously right.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Color.h"

using GifBytes = std::vector<std::uint8_t>;

class GifBuilder {
public:
    // A GIF89a file with the given logical screen; an empty Global writes no global table.
    GifBuilder(int Width, int Height, const std::vector<TRgbColor>& Global, int Background = 0) {
        Raw({'G', 'I', 'F', '8', '9', 'a'}).Word(Width).Word(Height);
        Raw({std::uint8_t(Global.empty() ? 0 : 0xF0 | (TableBits(Global) - 1)),
             std::uint8_t(Background), 0});
        Table(Global);
    }
    GifBuilder& GraphicControl(int Disposal, int Delay, int TransparentIndex = -1) {
        const bool Transparent = TransparentIndex >= 0;
        return Raw({0x21, 0xF9, 4, std::uint8_t((Disposal << 2) | Transparent), std::uint8_t(Delay),
                    std::uint8_t(Delay >> 8), std::uint8_t(Transparent ? TransparentIndex : 0), 0});
    }
    GifBuilder& Comment(const std::string& Text) {
        return Raw({0x21, 0xFE}).SubBlocks(GifBytes(Text.begin(), Text.end()));
    }
    GifBuilder& Application(const std::string& Identifier, const GifBytes& Data) {
        Raw({0x21, 0xFF, std::uint8_t(Identifier.size())});
        return Raw(GifBytes(Identifier.begin(), Identifier.end())).SubBlocks(Data);
    }
    GifBuilder& Loop(int Count) {
        return Application("NETSCAPE2.0", {1, std::uint8_t(Count), std::uint8_t(Count >> 8)});
    }
    // An image whose indices are given top row first.
    GifBuilder& Image(int Left, int Top, int Width, int Height, const GifBytes& Indices,
                      const std::vector<TRgbColor>& Local = {}) {
        int CodeSize = 2;
        while ((1 << CodeSize) <= *std::max_element(Indices.begin(), Indices.end()))
            ++CodeSize;
        Descriptor(Left, Top, Width, Height, Local).Bytes.push_back(std::uint8_t(CodeSize));
        return SubBlocks(LzwCode(Indices, CodeSize));
    }
    // An image descriptor followed by the given bytes as they are (code size and blocks).
    GifBuilder& ImageWithData(int Left, int Top, int Width, int Height, const GifBytes& Data) {
        return Descriptor(Left, Top, Width, Height, {}).Raw(Data);
    }
    GifBuilder& Raw(const GifBytes& Data) {
        Bytes.insert(Bytes.end(), Data.begin(), Data.end());
        return *this;
    }
    GifBytes Trailer() const { return GifBuilder(*this).Raw({0x3B}).Bytes; }
    const GifBytes& WithoutTrailer() const { return Bytes; }

private:
    static int TableBits(const std::vector<TRgbColor>& Colors) {
        int Bits = 1;
        while ((std::size_t(1) << Bits) < Colors.size())
            ++Bits;
        return Bits;
    }
    // After 2^CodeSize - 2 codes the next one would be read one bit wider: clear before.
    static GifBytes LzwCode(const GifBytes& Indices, int CodeSize) {
        GifBytes Out;
        std::uint32_t Bits = 0;
        int Count = 0;
        auto Put = [&](int Code) {
            Bits |= std::uint32_t(Code) << Count;
            for (Count += CodeSize + 1; Count >= 8; Count -= 8, Bits >>= 8)
                Out.push_back(std::uint8_t(Bits));
        };
        const int Clear = 1 << CodeSize;
        for (std::size_t k = 0; k < Indices.size(); ++k) {
            if (k % std::size_t(Clear - 2) == 0) Put(Clear);
            Put(Indices[k]);
        }
        Put(Clear + 1);
        if (Count > 0) Out.push_back(std::uint8_t(Bits));
        return Out;
    }
    // Data as sub-blocks of at most 255 bytes, with the block terminator.
    GifBuilder& SubBlocks(const GifBytes& Data) {
        for (std::size_t k = 0; k < Data.size(); k += 255) {
            const std::size_t Length = std::min<std::size_t>(255, Data.size() - k);
            Bytes.push_back(std::uint8_t(Length));
            Bytes.insert(Bytes.end(), Data.begin() + std::ptrdiff_t(k),
                         Data.begin() + std::ptrdiff_t(k + Length));
        }
        return Raw({0});
    }
    GifBuilder& Word(int Value) { return Raw({std::uint8_t(Value), std::uint8_t(Value >> 8)}); }
    // The table padded with black to the power of two its size field says.
    void Table(const std::vector<TRgbColor>& Colors) {
        for (int k = 0; !Colors.empty() && k < (1 << TableBits(Colors)); ++k) {
            const TRgbColor C = k < int(Colors.size()) ? Colors[std::size_t(k)] : TRgbColor{};
            Raw({C.Red, C.Green, C.Blue});
        }
    }
    GifBuilder& Descriptor(int Left, int Top, int Width, int Height,
                           const std::vector<TRgbColor>& Local) {
        Raw({0x2C}).Word(Left).Word(Top).Word(Width).Word(Height);
        Raw({std::uint8_t(Local.empty() ? 0 : 0x80 | (TableBits(Local) - 1))});
        Table(Local);
        return *this;
    }
    GifBytes Bytes;
};
