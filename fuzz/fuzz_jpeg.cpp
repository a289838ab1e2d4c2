// Any byte string given to the JPEG decoder either becomes a whole picture within the
// picture limits, a EJpegError or a EPictureTooLarge; anything else (a crash, a sanitizer report,
// another exception, a short pixel buffer) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/Jpeg.h"
#include "imaging/Limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    try {
        const TRgbPicture Picture = DecodeJpeg(Data, Size);
        const std::uint64_t Pixels = std::uint64_t(Picture.Width) * std::uint64_t(Picture.Height);
        if (Picture.Width <= 0 || Picture.Height <= 0 || Picture.Width > MaxPictureSide ||
            Picture.Height > MaxPictureSide || Pixels > MaxPicturePixels ||
            Picture.Pixels.size() != Pixels * 3 || !Picture.Palette.empty())
            std::abort();
    } catch (const EJpegError&) {
    } catch (const EPictureTooLarge&) {
    }
    return 0;
}
