#pragma once
// Writes small GIF files byte by byte for the reader tests, so that a test can say exactly
// which records a file holds, in which order, and where it is broken. Pixel data is
// LZW-coded without ever growing the code table (a clear code every few pixels): valid for
// every decoder, and simple enough to be obviously right.
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Color.h"

using GifBytes = std::vector<std::uint8_t>;

// The LZW data of Indices with minimum code size CodeSize, not yet cut into sub-blocks.
inline GifBytes LzwCode(const std::vector<std::uint8_t>& Indices, int CodeSize) {
    GifBytes Out;
    std::uint32_t Bits = 0;
    int Count = 0;
    const int Width = CodeSize + 1;
    auto Put = [&](int Code) {
        Bits |= std::uint32_t(Code) << Count;
        Count += Width;
        while (Count >= 8) {
            Out.push_back(std::uint8_t(Bits));
            Bits >>= 8;
            Count -= 8;
        }
    };
    const int Clear = 1 << CodeSize;
    // After 2^CodeSize - 2 codes the next one would be read one bit wider.
    const int Run = Clear - 2;
    for (std::size_t k = 0; k < Indices.size(); ++k) {
        if (k % Run == 0) Put(Clear);
        Put(Indices[k]);
    }
    Put(Clear + 1);
    if (Count > 0) Out.push_back(std::uint8_t(Bits));
    return Out;
}

// Bytes as data sub-blocks of at most 255 bytes, with the block terminator.
inline GifBytes SubBlocks(const GifBytes& Data) {
    GifBytes Out;
    for (std::size_t k = 0; k < Data.size(); k += 255) {
        const std::size_t Length = std::min<std::size_t>(255, Data.size() - k);
        Out.push_back(std::uint8_t(Length));
        Out.insert(Out.end(), Data.begin() + std::ptrdiff_t(k),
                   Data.begin() + std::ptrdiff_t(k + Length));
    }
    Out.push_back(0);
    return Out;
}

class GifBuilder {
public:
    // A GIF89a file (GIF87a when Version87 is set) with the given logical screen; an empty
    // Global writes no global colour table.
    GifBuilder(int Width, int Height, const std::vector<RgbColor>& Global, int Background = 0,
               bool Version87 = false) {
        Append(Version87 ? "GIF87a" : "GIF89a");
        Word(Width);
        Word(Height);
        const int Bits = TableBits(Global.size());
        Bytes.push_back(std::uint8_t(Global.empty() ? 0 : 0x80 | 0x70 | (Bits - 1)));
        Bytes.push_back(std::uint8_t(Background));
        Bytes.push_back(0);
        Table(Global, Bits);
    }

    GifBuilder& GraphicControl(int Disposal, int Delay, int TransparentIndex = -1) {
        Bytes.insert(Bytes.end(), {0x21, 0xF9, 0x04});
        Bytes.push_back(std::uint8_t((Disposal << 2) | (TransparentIndex >= 0 ? 1 : 0)));
        Word(Delay);
        Bytes.push_back(std::uint8_t(TransparentIndex >= 0 ? TransparentIndex : 0));
        Bytes.push_back(0);
        return *this;
    }

    GifBuilder& Comment(const std::string& Text) {
        Bytes.insert(Bytes.end(), {0x21, 0xFE});
        const GifBytes Blocks = SubBlocks(GifBytes(Text.begin(), Text.end()));
        Bytes.insert(Bytes.end(), Blocks.begin(), Blocks.end());
        return *this;
    }

    GifBuilder& Application(const std::string& Identifier, const GifBytes& Data) {
        Bytes.insert(Bytes.end(), {0x21, 0xFF, std::uint8_t(Identifier.size())});
        Append(Identifier);
        const GifBytes Blocks = SubBlocks(Data);
        Bytes.insert(Bytes.end(), Blocks.begin(), Blocks.end());
        return *this;
    }

    GifBuilder& Loop(int Count) {
        return Application("NETSCAPE2.0", {1, std::uint8_t(Count), std::uint8_t(Count >> 8)});
    }

    // An image whose indices are given top row first, whatever the interlacing.
    GifBuilder& Image(int Left, int Top, int Width, int Height,
                      const std::vector<std::uint8_t>& Indices,
                      const std::vector<RgbColor>& Local = {}, bool Interlaced = false) {
        const int Bits = TableBits(Local.size());
        int CodeSize = 2;
        for (std::uint8_t Index : Indices)
            while ((1 << CodeSize) <= Index)
                ++CodeSize;
        std::vector<std::uint8_t> Stored = Indices;
        if (Interlaced) {
            Stored.clear();
            for (int Pass : {0, 1, 2, 3}) {
                static const int Start[] = {0, 4, 2, 1}, Step[] = {8, 8, 4, 2};
                for (int Y = Start[Pass]; Y < Height; Y += Step[Pass])
                    Stored.insert(Stored.end(), Indices.begin() + std::ptrdiff_t(Y) * Width,
                                  Indices.begin() + std::ptrdiff_t(Y + 1) * Width);
            }
        }
        Descriptor(Left, Top, Width, Height, Local, Bits, Interlaced);
        Bytes.push_back(std::uint8_t(CodeSize));
        const GifBytes Blocks = SubBlocks(LzwCode(Stored, CodeSize));
        Bytes.insert(Bytes.end(), Blocks.begin(), Blocks.end());
        return *this;
    }

    // An image descriptor followed by the given bytes as they are (code size and blocks).
    GifBuilder& ImageWithData(int Left, int Top, int Width, int Height, const GifBytes& Data) {
        Descriptor(Left, Top, Width, Height, {}, 1, false);
        Bytes.insert(Bytes.end(), Data.begin(), Data.end());
        return *this;
    }

    GifBuilder& Raw(const GifBytes& Data) {
        Bytes.insert(Bytes.end(), Data.begin(), Data.end());
        return *this;
    }

    // Where the next record will start: the place to cut a file short.
    std::size_t Size() const { return Bytes.size(); }

    GifBytes Trailer() const {
        GifBytes File = Bytes;
        File.push_back(0x3B);
        return File;
    }
    const GifBytes& WithoutTrailer() const { return Bytes; }

private:
    static int TableBits(std::size_t Count) {
        int Bits = 1;
        while ((std::size_t(1) << Bits) < Count)
            ++Bits;
        return Bits;
    }
    void Append(const std::string& Text) { Bytes.insert(Bytes.end(), Text.begin(), Text.end()); }
    void Word(int Value) {
        Bytes.push_back(std::uint8_t(Value));
        Bytes.push_back(std::uint8_t(Value >> 8));
    }
    // The table padded with black to the power of two its size field says.
    void Table(const std::vector<RgbColor>& Colors, int Bits) {
        if (Colors.empty()) return;
        for (int k = 0; k < (1 << Bits); ++k) {
            const RgbColor C = k < int(Colors.size()) ? Colors[k] : RgbColor{};
            Bytes.insert(Bytes.end(), {C.Red, C.Green, C.Blue});
        }
    }
    void Descriptor(int Left, int Top, int Width, int Height, const std::vector<RgbColor>& Local,
                    int Bits, bool Interlaced) {
        Bytes.push_back(0x2C);
        Word(Left);
        Word(Top);
        Word(Width);
        Word(Height);
        Bytes.push_back(
            std::uint8_t((Local.empty() ? 0 : 0x80 | (Bits - 1)) | (Interlaced ? 0x40 : 0)));
        Table(Local, Bits);
    }

    GifBytes Bytes;
};
