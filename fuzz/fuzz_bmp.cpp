// Any byte string given to the BMP reader either becomes a whole picture within the picture
// limits, a EBmpError or a EPictureTooLarge; anything else (a crash, a sanitizer report,
// another exception, a short pixel buffer) is a finding. A picture read is also made into a
// palette, which must keep every colour of a picture of up to 236 colours.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unordered_set>

#include "imaging/Bmp.h"
#include "imaging/Limits.h"
#include "imaging/Palette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TRgbPicture Picture;
    try {
        Picture = DecodeBmp(Data, Size);
    } catch (const EBmpError&) {
        return 0;
    } catch (const EPictureTooLarge&) {
        return 0;
    }
    const std::uint64_t Pixels = std::uint64_t(Picture.Width) * std::uint64_t(Picture.Height);
    if (Picture.Width <= 0 || Picture.Height <= 0 || Picture.Width > MaxPictureSide ||
        Picture.Height > MaxPictureSide || Pixels > MaxPicturePixels ||
        Picture.Pixels.size() != Pixels * 3 || Picture.Palette.size() > 256)
        std::abort();

    std::unordered_set<COLORREF> Colors;
    for (std::uint64_t i = 0; i < Pixels; ++i)
        Colors.insert(Picture.At(int(i % Picture.Width), int(i / Picture.Width)).Ref());
    if (Colors.size() > std::size_t(UserColorCount)) return 0;
    const auto Palette = TPxPalette::CreateFromGraphic(Picture);
    for (int i = FirstUserColor; i <= LastUserColor; ++i)
        Colors.erase(Palette->Entry(i).Color().Ref());
    if (!Colors.empty()) std::abort();
    return 0;
}
