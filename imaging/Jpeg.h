#pragma once
// JPEG decoding for pictures imported into a cel, and encoding for cels exported as JPEG
// files. Colour, grey-scale and CMYK/YCCK files, baseline or progressive, all come out as
// plain RGB; neither direction ever prints anything. Holds no state between calls, so any
// thread may call it.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/RgbPicture.h"

// A JPEG that cannot be decoded: unreadable file, not a JPEG, damaged or truncated data, or
// an unsupported kind. what() gives the cause (libjpeg's own words where it found the
// fault), preceded by the file name for files.
class EJpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Both throw EJpegError on any failure, or EPictureTooLarge (TRgbPicture.h) when the header's
// size is over the picture limits, checked before anything is allocated or decoded. They
// never return a partial picture. The result has no palette of its own.
TRgbPicture DecodeJpeg(const std::uint8_t* Data, std::size_t Size);
TRgbPicture DecodeJpeg(const std::vector<std::uint8_t>& Data);
TRgbPicture LoadJpegFile(const std::string& FileName);

// The quality cels are exported at: high enough that the flat colours and hard edges of
// sprites come back within a few steps of each channel.
constexpr int DefaultJpegQuality = 95;

// A baseline colour JPEG (JFIF) of Picture at Quality (1..100, libjpeg's scale), without
// chroma subsampling, so that one-pixel details keep their colour. Throws EJpegError for a
// picture without pixels or one larger than JPEG allows (65500 pixels a side).
std::vector<std::uint8_t> EncodeJpeg(const TRgbPicture& Picture, int Quality = DefaultJpegQuality);
// The same written to FileName, which keeps its old contents when anything fails: a
// EJpegError for the picture, a EFileWriteError (imaging/FileReplace.h) for the file.
void SaveJpegFile(const std::string& FileName, const TRgbPicture& Picture,
                  int Quality = DefaultJpegQuality);
