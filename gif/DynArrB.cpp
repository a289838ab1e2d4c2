#include "gif/DynArrB.h"

#include <new>

ENotEnoughMemory::ENotEnoughMemory(std::int32_t Requested)
    : std::runtime_error("error in TBigByteArray.create: Not enough contiguous memory "
                         "available\r\n requested memory block: " +
                         std::to_string(Requested) + " bytes") {}

EIndexOutOfBounds::EIndexOutOfBounds() : std::out_of_range("Dynamic array index out of bounds") {}

TBigByteArray::TBigByteArray(std::int32_t Count) {
    if (Count < 0) throw ENotEnoughMemory(Count);
    if (Count > 0) {
        Bytes.reset(new (std::nothrow) std::uint8_t[std::size_t(Count)]);
        if (!Bytes) throw ENotEnoughMemory(Count);
    }
    ByteCount = Count;
}
