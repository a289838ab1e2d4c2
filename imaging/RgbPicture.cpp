#include "imaging/RgbPicture.h"

#include <string>

#include "imaging/Limits.h"

PictureTooLarge::PictureTooLarge(std::int64_t Width_, std::int64_t Height_)
    : std::runtime_error("Picture too large: " + std::to_string(Width_) + " x " +
                         std::to_string(Height_) + " pixels"),
      Width(Width_), Height(Height_) {}

void CheckPictureSize(std::int64_t Width, std::int64_t Height) {
    if (Width > MaxPictureSide || Height > MaxPictureSide ||
        std::uint64_t(Width) * std::uint64_t(Height) > MaxPicturePixels)
        throw PictureTooLarge(Width, Height);
}
