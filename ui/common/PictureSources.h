#pragma once
// Pictures brought into the editor from a file or the clipboard, read by the core's BMP and
// JPEG readers or, for PNG files, by Qt's, and the clipboard data of a cel. A picture that cannot
// be taken comes back as nothing with the text of the error box that says why (the damaged-file
// message, or the size limits); the caller shows it. Plain functions, user-interface thread
// (QMimeData).
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "imaging/Color.h"
#include "imaging/RgbPicture.h"

class QMimeData;
class TPxBitmap;
class TPxPalette;

enum class TPictureFormat { Bmp, Jpeg, Png };

// The picture format a file name asks for by its extension (.bmp, .jpg, .png in any case),
// or nothing.
std::optional<TPictureFormat> PictureFormatOf(const QString& FileName);

// The picture of a file of Format. A picture with an alpha channel (PNG) shows Clear where
// it is less than half opaque: the caller's background colour.
std::optional<TRgbPicture> ReadPictureFile(const QString& FileName, TPictureFormat Format,
                                           TRgbColor Clear, QString& Refusal);

// The palette of FileName, told by its content: a palette file of any kind the core reads,
// or the colours of a picture (GIF, PNG, BMP, JPEG), the most used first. Null when it holds
// no colour or cannot be read, with the error box's text in Refusal.
std::unique_ptr<TPxPalette> LoadPaletteOrPicture(const QString& FileName, QString& Refusal);

// Whether Data carries a picture: BMP bytes or an image.
bool CarriesPicture(const QMimeData* Data);
// The picture Data carries: BMP bytes through the BMP reader, where they can be read, or
// else its image, which is held to the same size limits (less than half opaque: Clear).
std::optional<TRgbPicture> ReadPastedPicture(const QMimeData* Data, TRgbColor Clear,
                                             QString& Refusal);

// Clipboard data of Cel: the BMP file Export writes, so that pasting it back brings the
// palette along unchanged, and the same picture as an image for other programs. The caller
// takes ownership.
QMimeData* CelPictureData(const TPxBitmap& Cel);
