#pragma once
// LZW compression of the pixel indices of one GIF frame, as GIF89a table-based image data.
// The encoder always uses 8-bit roots, whatever the colours a frame uses: minimum code size
// 8, clear code 256, end code 257, codes from 9 bits wide up to 12, and a clear code and a
// fresh table once code 4095 has been formed. The packed bytes are cut into data
// sub-blocks of 255 bytes; only the last block is shorter, and none is ever empty.
//
// EncodeImageData keeps one code table per thread; every other object belongs to the one
// encoding run that makes it, and the finished TByteBuffer to the caller. Any thread may
// encode.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "gif/DynArrB.h"
#include "imaging/Palette.h"

constexpr std::uint8_t LzwMinimumCodeSize = 8;
constexpr std::uint16_t LzwClearCode = 256;
constexpr std::uint16_t LzwEndCode = 257;
constexpr std::uint16_t LzwCodeLimit = 4096;

// The LZW string table. Codes 0..255 are the single bytes and are never stored; 256 and
// 257 are the clear and end codes; entries get the codes from FirstFree up to 4095. An
// entry is a (prefix code, suffix byte) pair, stored at most once, so a lookup needs no
// search: every possible pair has a slot of its own in a 256 x 4096 table, grouped by
// suffix, so that the long runs of one colour that sprites consist of stay within a few
// cache lines. Reset clears only the slots that were used. The table spans 2 MB, taken
// from the system as untouched zero pages, so that a save pays only for the pages its
// colours reach; see EncodeImageData for how it is kept.
class TCodeTable {
public:
    TCodeTable() : Next(static_cast<std::uint16_t*>(std::calloc(std::size_t(256) * RowLength, 2))) {
        if (!Next) throw std::bad_alloc();
        Reset(LzwMinimumCodeSize + 1);
    }

    // Empties the table. CodeSize 9 gives clear code 256 and FirstFree 258.
    void Reset(std::uint8_t StartCodeSize) {
        for (std::uint16_t Code = FirstFreeCode; Code < NextFreeCode; ++Code)
            Next[SlotOf(Prefix[Code], Suffix[Code])] = 0;
        Width = StartCodeSize;
        FirstFreeCode = NextFreeCode = std::uint16_t((1u << (StartCodeSize - 1)) + 2);
        IsFull = false;
    }

    // Stores (Prefix, Suffix) as code NextCode. The width grows once the new code no longer
    // fits, which is exactly where a decoder that lags one entry behind widens its reads.
    void AddEntry(std::uint16_t PrefixCode, std::uint8_t SuffixByte) {
        Prefix[NextFreeCode] = PrefixCode;
        Suffix[NextFreeCode] = SuffixByte;
        Next[SlotOf(PrefixCode, SuffixByte)] = NextFreeCode;
        ++NextFreeCode;
        if (NextFreeCode == LzwCodeLimit)
            IsFull = true;
        else if (NextFreeCode > (1u << Width))
            ++Width;
    }

    // The code of the string (PrefixCode's string + Last). When it is stored, PrefixCode
    // and Found both become that code and the result is true; otherwise both are left.
    bool FindCode(std::uint8_t Last, std::uint16_t& PrefixCode, std::uint16_t& Found) const {
        const std::uint16_t Code = Next[SlotOf(PrefixCode, Last)];
        if (Code == 0) return false;
        PrefixCode = Found = Code;
        return true;
    }

    std::uint8_t CodeSize() const { return Width; }
    bool Full() const { return IsFull; }
    std::uint16_t FirstFree() const { return FirstFreeCode; }
    std::uint16_t NextCode() const { return NextFreeCode; }

private:
    // One row per suffix byte. Rows of exactly 8 KB would all start in the same cache sets,
    // and the pairs of single bytes (the most used ones) would evict each other; one spare
    // cache line per row spreads them out.
    static constexpr std::size_t RowLength = LzwCodeLimit + 32;

    static std::size_t SlotOf(std::uint16_t PrefixCode, std::uint8_t SuffixByte) {
        return std::size_t(SuffixByte) * RowLength + PrefixCode;
    }

    struct TFreeBlock {
        void operator()(std::uint16_t* Block) const { std::free(Block); }
    };
    // The code of each (prefix, suffix) pair, 0 when the pair is not stored (no stored
    // entry has code 0). calloc rather than a vector, whose zeros would be written into
    // every page of it.
    std::unique_ptr<std::uint16_t[], TFreeBlock> Next;
    std::array<std::uint16_t, LzwCodeLimit> Prefix{};
    std::array<std::uint8_t, LzwCodeLimit> Suffix{};
    std::uint8_t Width = 9;
    bool IsFull = false;
    std::uint16_t FirstFreeCode = 258;
    std::uint16_t NextFreeCode = 258;
};

// One data sub-block of a TByteBuffer.
struct TByteBlock {
    const std::uint8_t* Data;
    int Length;
};

// The compressed bytes of one frame, seen as data sub-blocks of 255 bytes, the last one
// holding the rest (1 to 255 bytes). The bytes lie in one piece, so that writing them out
// and measuring them need no copies.
class TByteBuffer {
public:
    static constexpr int MaxBlockLength = 255;

    void Reserve(std::size_t Count) { Bytes.reserve(Count); }
    void PutByte(std::uint8_t Byte) { Bytes.push_back(Byte); }

    std::size_t Total() const { return Bytes.size(); }
    int BlockCount() const { return int((Bytes.size() + MaxBlockLength - 1) / MaxBlockLength); }
    // Block I, 0-based.
    TByteBlock Blocks(int I) const {
        const std::size_t From = std::size_t(I) * MaxBlockLength;
        const std::size_t Left = Bytes.size() - From;
        return {Bytes.data() + From, int(Left < MaxBlockLength ? Left : MaxBlockLength)};
    }
    const std::vector<std::uint8_t>& AllBytes() const { return Bytes; }

private:
    std::vector<std::uint8_t> Bytes;
};

// Packs codes of varying width into bytes, least significant bit first: the first code
// takes the lowest bits of the first byte, as GIF requires.
class TEncodedBytes {
public:
    TByteBuffer& Buffer() { return Out; }

    void WriteCode(std::uint16_t Code, std::uint8_t Width) {
        Accumulator |= std::uint32_t(Code) << BitCount;
        BitCount = std::uint8_t(BitCount + Width);
        while (BitCount >= 8) {
            Out.PutByte(std::uint8_t(Accumulator));
            Accumulator >>= 8;
            BitCount = std::uint8_t(BitCount - 8);
        }
    }

    // Writes the end code, flushes the last partial byte (its unused high bits are 0) and
    // hands over the finished buffer.
    TByteBuffer Finish(std::uint16_t EndCode, std::uint8_t Width) {
        WriteCode(EndCode, Width);
        if (BitCount != 0) Out.PutByte(std::uint8_t(Accumulator));
        Accumulator = 0;
        BitCount = 0;
        return std::move(Out);
    }

private:
    TByteBuffer Out;
    std::uint8_t BitCount = 0;
    std::uint32_t Accumulator = 0;
};

// Compresses Count >= 1 pixel indices. Throws std::invalid_argument when Count is 0: GIF
// has no way to say "no pixels", and every frame has at least one. Each thread keeps one
// code table for all the frames it encodes, so a save does not clear 2 MB per frame.
TByteBuffer EncodeImageData(const std::uint8_t* Data, std::size_t Count);
// The same for a frame held in a TBigByteArray, which is freed before this returns.
TByteBuffer EncodeImageData(std::unique_ptr<TBigByteArray> Data);

// Writes the table-based image data: the minimum code size 8, each block with its length
// byte in front, and the zero-length block that ends the data.
void WriteImageData(const ByteSink& Sink, const TByteBuffer& Buffer);
