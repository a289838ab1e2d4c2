#pragma once
// BMP pictures. The reader takes the kinds BMP files hold in practice: 1, 4 and 8 bits with
// a colour table, 4 and 8 bits run-length encoded, 16 and 32 bits plain or with bit fields,
// 24 bits; the old 12-byte header as well as the later ones; rows bottom-up or top-down.
// The writer stores a cel as an 8-bit file whose colour table is its palette's user
// colours. Neither keeps state or prints anything, so any thread may call them.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/RgbPicture.h"

class TPxBitmap;

// Bytes that are not a whole BMP picture: not a BMP at all, a kind it cannot hold, a header,
// colour table or rows cut short, run-length data that ends before the picture is complete;
// for files also one that cannot be read. what() names the cause (and the file).
class EBmpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The picture the bytes hold, every pixel as its colour. A picture with a colour table (1,
// 4 and 8 bits) keeps the table as its own palette, in the file's order; pixels whose index
// lies beyond the table are black, and pixels a run-length picture skips take its first
// colour. Throws EBmpError, or EPictureTooLarge (TRgbPicture.h) when the header's size is
// over the limits, before any pixel is allocated; never returns a partial picture.
TRgbPicture DecodeBmp(const std::uint8_t* Data, std::size_t Size);
TRgbPicture LoadBmpFile(const std::string& FileName);

// Cel as an 8-bit BMP whose colour table is the 236 user colours (entries 10..245) of its
// colour table, in order, so that the palette made from the file again (CreateFromGraphic)
// equals the cel's. A pixel on a reserved entry is stored as the user colour nearest to it.
std::vector<std::uint8_t> EncodeBmp(const TPxBitmap& Cel);
// The same written to FileName, which keeps its old contents when the write fails (a
// EFileWriteError, imaging/FileReplace.h).
void SaveBmpFile(const std::string& FileName, const TPxBitmap& Cel);
