#pragma once
// LZW compression of the pixel indices of one GIF frame, as GIF89a table-based image data.
// The encoder always uses 8-bit roots, whatever the colours a frame uses: minimum code size
// 8, clear code 256, end code 257, codes from 9 bits wide up to 12, and a clear code and a
// fresh table once code 4095 has been formed. The packed bytes are cut into data
// sub-blocks of 255 bytes; only the last block is shorter, and none is ever empty.
//
// Every object here is owned by the one encoding run that makes it; the finished
// TByteBuffer belongs to the caller. Any thread may encode, one run per object.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "gif/DynArrB.h"
#include "imaging/Palette.h"

constexpr std::uint8_t LzwMinimumCodeSize = 8;
constexpr std::uint16_t LzwClearCode = 256;
constexpr std::uint16_t LzwEndCode = 257;
constexpr std::uint16_t LzwCodeLimit = 4096;
constexpr std::uint8_t LzwMaxCodeSize = 12;

// The LZW string table. Codes 0..255 are the single bytes and are never stored; 256 and
// 257 are the clear and end codes; entries get the codes from FirstFree up to 4095. An
// entry is a (prefix code, suffix byte) pair, and each pair is stored at most once, so the
// table is kept as an open-addressing hash from the pair to its code: a lookup costs the
// same whether the table holds ten entries or four thousand.
class TCodeTable {
public:
    TCodeTable() { Reset(LzwMinimumCodeSize + 1); }

    // Empties the table. CodeSize 9 gives clear code 256 and FirstFree 258.
    void Reset(std::uint8_t StartCodeSize) {
        std::memset(Slots.data(), 0, sizeof Slots);
        Width = StartCodeSize;
        FirstFreeCode = NextFreeCode = std::uint16_t((1u << (StartCodeSize - 1)) + 2);
        IsFull = false;
    }

    // Stores (Prefix, Suffix) as code NextCode. The width grows once the new code no longer
    // fits, which is exactly where a decoder that lags one entry behind widens its reads.
    void AddEntry(std::uint16_t Prefix, std::uint8_t Suffix) {
        const std::uint32_t Key = KeyOf(Prefix, Suffix);
        std::uint32_t Slot = SlotOf(Key);
        while (Slots[Slot] != 0)
            Slot = (Slot + 1) & SlotMask;
        Slots[Slot] = (Key << 12) | NextFreeCode;
        ++NextFreeCode;
        if (NextFreeCode == LzwCodeLimit)
            IsFull = true;
        else if (NextFreeCode > (1u << Width))
            ++Width;
    }

    // The code of the string (Prefix's string + Last). When it is stored, Prefix and Found
    // both become that code and the result is true; otherwise both are left as they are.
    bool FindCode(std::uint8_t Last, std::uint16_t& Prefix, std::uint16_t& Found) const {
        const std::uint32_t Key = KeyOf(Prefix, Last);
        for (std::uint32_t Slot = SlotOf(Key);; Slot = (Slot + 1) & SlotMask) {
            const std::uint32_t Entry = Slots[Slot];
            if (Entry == 0) return false;
            if ((Entry >> 12) == Key) {
                Prefix = Found = std::uint16_t(Entry & 0xFFF);
                return true;
            }
        }
    }

    std::uint8_t CodeSize() const { return Width; }
    bool Full() const { return IsFull; }
    std::uint16_t FirstFree() const { return FirstFreeCode; }
    std::uint16_t NextCode() const { return NextFreeCode; }

private:
    // 8192 slots keep the table at most half full (3838 entries), so probe runs stay short,
    // and at 32 KB it stays in the first-level cache.
    static constexpr int SlotBits = 13;
    static constexpr std::uint32_t SlotMask = (1u << SlotBits) - 1;

    static std::uint32_t KeyOf(std::uint16_t Prefix, std::uint8_t Suffix) {
        return (std::uint32_t(Prefix) << 8) | Suffix;
    }
    static std::uint32_t SlotOf(std::uint32_t Key) {
        return (Key * 0x9E3779B1u) >> (32 - SlotBits);
    }

    // Each used slot holds the 20-bit key above the 12-bit code; 0 marks a free slot (no
    // stored entry has code 0).
    std::array<std::uint32_t, 1u << SlotBits> Slots;
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
// has no way to say "no pixels", and every frame has at least one.
TByteBuffer EncodeImageData(const std::uint8_t* Data, std::size_t Count);
// The same for a frame held in a TBigByteArray, which is freed before this returns.
TByteBuffer EncodeImageData(std::unique_ptr<TBigByteArray> Data);

// Writes the table-based image data: the minimum code size 8, each block with its length
// byte in front, and the zero-length block that ends the data.
void WriteImageData(const ByteSink& Sink, const TByteBuffer& Buffer);
