#pragma once
// Pictures crossing between Qt and the core: a QImage (a clipboard image, a grid shown)
// becomes the core's plain TRgbPicture and back. An indexed image keeps its colour table as
// the picture's own palette; any other image has none. Plain functions, any thread.
#include <QImage>
#include <optional>

#include "imaging/Color.h"
#include "imaging/RgbPicture.h"

// Alpha is dropped; with Clear given, whatever is less than half opaque (pixels, and the
// entries of an indexed image's colour table) shows Clear instead.
TRgbPicture PictureFromImage(const QImage& Image, std::optional<TRgbColor> Clear = std::nullopt);
// A 24-bit image of the picture's pixels (its palette is not used).
QImage ImageFromPicture(const TRgbPicture& Picture);
