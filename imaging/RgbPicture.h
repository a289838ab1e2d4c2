#pragma once
// A picture that is not palette-indexed in our sense: a decoded JPEG, a BMP file, a
// clipboard image. The UI converts QImage to and from it; the core imports from it.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/Color.h"

struct TRgbPicture {
    int Width = 0;
    int Height = 0;
    // Width * Height * 3 bytes: red, green, blue, rows top-down without padding.
    std::vector<std::uint8_t> Pixels;
    // The picture's own palette when it has one (an 8-bit BMP); empty otherwise.
    std::vector<TRgbColor> Palette;

    TRgbPicture() = default;
    TRgbPicture(int Width_, int Height_)
        : Width(Width_), Height(Height_), Pixels(std::size_t(Width_) * Height_ * 3, 0) {}

    TRgbColor At(int X, int Y) const {
        const std::uint8_t* p = &Pixels[(std::size_t(Y) * Width + X) * 3];
        return {p[0], p[1], p[2]};
    }
    void Set(int X, int Y, TRgbColor Color) {
        std::uint8_t* p = &Pixels[(std::size_t(Y) * Width + X) * 3];
        p[0] = Color.Red;
        p[1] = Color.Green;
        p[2] = Color.Blue;
    }
};

// A picture whose header claims more than the limits of imaging/Limits.h allow, refused
// before its pixels are allocated. Width and Height are the claimed size.
class EPictureTooLarge : public std::runtime_error {
public:
    EPictureTooLarge(std::int64_t Width, std::int64_t Height);
    std::int64_t Width;
    std::int64_t Height;
};

// Throws EPictureTooLarge when a picture of Width x Height pixels is over the limits.
void CheckPictureSize(std::int64_t Width, std::int64_t Height);

// The whole of a picture file, read at once, into Bytes. False when it cannot be read, with
// the file name and the cause in Error.
bool ReadPictureBytes(const std::string& FileName, std::vector<std::uint8_t>& Bytes,
                      std::string& Error);

// How MostUsedColors orders the colours it keeps.
enum class TColorOrder { MostUsed, FirstSeen };

// The at most Limit colours that Picture uses most (ties to the lower colour value), the
// most used first (ties in the order the pixels first show them), or all in the order the
// pixels first show them.
std::vector<TRgbColor> MostUsedColors(const TRgbPicture& Picture, std::size_t Limit,
                                      TColorOrder Order = TColorOrder::MostUsed);
