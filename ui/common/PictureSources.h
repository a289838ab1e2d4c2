#pragma once
// Pictures brought into the editor from a file or the clipboard, read by the core's BMP and
// JPEG readers, and the clipboard data of a cel. A picture that cannot be taken comes back
// as nothing with the text of the error box that says why (the damaged-file message, or the
// size limits); the caller shows it. Plain functions, user-interface thread (QMimeData).
#include <QString>
#include <cstdint>
#include <optional>

#include "imaging/RgbPicture.h"

class QMimeData;
class TPxBitmap;

// The picture of a BMP file, or of a JPEG file when Jpeg is set.
std::optional<TRgbPicture> ReadPictureFile(const QString& FileName, bool Jpeg, QString& Refusal);

// Whether Data carries a picture: BMP bytes or an image.
bool CarriesPicture(const QMimeData* Data);
// The picture Data carries: BMP bytes through the BMP reader, where they can be read, or
// else its image, which is held to the same size limits.
std::optional<TRgbPicture> ReadPastedPicture(const QMimeData* Data, QString& Refusal);

// Clipboard data of Cel: the BMP file Export writes, so that pasting it back brings the
// palette along unchanged, and the same picture as an image for other programs. The caller
// takes ownership.
QMimeData* CelPictureData(const TPxBitmap& Cel);
