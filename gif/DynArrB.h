#pragma once
// A heap byte array of a size fixed at creation, indexed from 1, whose bounds are checked on
// every access through Items. The GIF writer fills one with the pixels of a frame and hands
// it to the LZW encoder. The array owns its bytes; it is not shared between threads.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// The heap could not supply the requested block in one piece.
class ENotEnoughMemory : public std::runtime_error {
public:
    explicit ENotEnoughMemory(std::int32_t Requested);
};

// Items was given an index outside 1..Count.
class EIndexOutOfBounds : public std::out_of_range {
public:
    EIndexOutOfBounds();
};

class TBigByteArray {
public:
    // The contents are not cleared. Throws ENotEnoughMemory when the block cannot be had
    // (a negative count cannot be had either).
    explicit TBigByteArray(std::int32_t Count);
    TBigByteArray(const TBigByteArray&) = delete;
    TBigByteArray& operator=(const TBigByteArray&) = delete;

    std::int32_t Count() const { return ByteCount; }

    // Byte I, 1 <= I <= Count; any other index throws EIndexOutOfBounds.
    std::uint8_t& Items(std::int32_t I) {
        if (I < 1 || I > ByteCount) throw EIndexOutOfBounds();
        return Bytes[std::size_t(I) - 1];
    }
    std::uint8_t Items(std::int32_t I) const {
        if (I < 1 || I > ByteCount) throw EIndexOutOfBounds();
        return Bytes[std::size_t(I) - 1];
    }

    // All Count bytes in one piece, for the loops that have already checked their range.
    std::uint8_t* Data() { return Bytes.get(); }
    const std::uint8_t* Data() const { return Bytes.get(); }

private:
    std::int32_t ByteCount = 0;
    std::unique_ptr<std::uint8_t[]> Bytes;
};
