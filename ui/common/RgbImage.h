#pragma once
// Pictures crossing between Qt and the core: a QImage (a clipboard image, a grid shown)
// becomes the core's plain TRgbPicture and back. An indexed image keeps its colour table as
// the picture's own palette; any other image has none. Alpha is dropped. Plain functions,
// any thread.
#include <QImage>

#include "imaging/RgbPicture.h"

TRgbPicture PictureFromImage(const QImage& Image);
// A 24-bit image of the picture's pixels (its palette is not used).
QImage ImageFromPicture(const TRgbPicture& Picture);
