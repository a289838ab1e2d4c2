#include "ui/common/PictureSources.h"

#include <QImage>
#include <QMimeData>
#include <QStringList>

#include "imaging/Bmp.h"
#include "imaging/Jpeg.h"
#include "imaging/Limits.h"
#include "ui/common/CelImage.h"
#include "ui/common/Files.h"
#include "ui/common/RgbImage.h"

namespace {

// The names programs give BMP bytes on the clipboard.
const QStringList BmpTypes{"image/bmp", "image/x-bmp", "image/x-MS-bmp", "image/x-win-bitmap"};

} // namespace

std::optional<TRgbPicture> ReadPictureFile(const QString& FileName, bool Jpeg, QString& Refusal) {
    const std::string Name = CorePath(FileName);
    try {
        return Jpeg ? LoadJpegFile(Name) : LoadBmpFile(Name);
    } catch (const EPictureTooLarge& Error) {
        Refusal = FileErrors::EPictureTooLarge(Error.Width, Error.Height);
    } catch (const EBmpError&) {
        Refusal = FileErrors::Open;
    } catch (const EJpegError&) {
        Refusal = FileErrors::Open;
    }
    return std::nullopt;
}

bool CarriesPicture(const QMimeData* Data) {
    if (!Data) return false;
    if (Data->hasImage()) return true;
    for (const QString& Type : BmpTypes)
        if (Data->hasFormat(Type)) return true;
    return false;
}

std::optional<TRgbPicture> ReadPastedPicture(const QMimeData* Data, QString& Refusal) {
    if (!CarriesPicture(Data)) return std::nullopt;
    for (const QString& Type : BmpTypes) {
        if (!Data->hasFormat(Type)) continue;
        const QByteArray Bytes = Data->data(Type);
        try {
            return DecodeBmp(reinterpret_cast<const std::uint8_t*>(Bytes.constData()),
                             std::size_t(Bytes.size()));
        } catch (const EPictureTooLarge& Error) {
            Refusal = FileErrors::EPictureTooLarge(Error.Width, Error.Height);
            return std::nullopt;
        } catch (const EBmpError&) {
            // The same picture may come whole in another form as well.
            break;
        }
    }
    const QImage Image = Data->hasImage() ? qvariant_cast<QImage>(Data->imageData()) : QImage();
    if (Image.isNull()) {
        Refusal = FileErrors::Paste;
        return std::nullopt;
    }
    try {
        CheckPictureSize(Image.width(), Image.height());
    } catch (const EPictureTooLarge& Error) {
        Refusal = FileErrors::EPictureTooLarge(Error.Width, Error.Height);
        return std::nullopt;
    }
    return PictureFromImage(Image);
}

QMimeData* CelPictureData(const TPxBitmap& Cel) {
    auto* Data = new QMimeData;
    const std::vector<std::uint8_t> Bmp = EncodeBmp(Cel);
    Data->setData(BmpTypes.front(),
                  QByteArray(reinterpret_cast<const char*>(Bmp.data()), qsizetype(Bmp.size())));
    Data->setImageData(CelImage(Cel).convertToFormat(QImage::Format_RGB32));
    return Data;
}
