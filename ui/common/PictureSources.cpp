#include "ui/common/PictureSources.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QStringList>

#include "gif/Exchange.h"
#include "gif/GifReader.h"
#include "imaging/Bmp.h"
#include "imaging/Jpeg.h"
#include "imaging/Limits.h"
#include "imaging/Palette.h"
#include "imaging/PaletteFormats.h"
#include "ui/common/CelImage.h"
#include "ui/common/Files.h"
#include "ui/common/RgbImage.h"

namespace {

// The names programs give BMP bytes on the clipboard.
const QStringList BmpTypes{"image/bmp", "image/x-bmp", "image/x-MS-bmp", "image/x-win-bitmap"};

// A PNG file through Qt's reader, its size held to the limits before any pixel is decoded.
std::optional<TRgbPicture> ReadPng(const QString& FileName, TRgbColor Clear, QString& Refusal) {
    QImageReader Reader(FileName, "png");
    const QSize Size = Reader.size();
    if (!Size.isValid()) {
        Refusal = FileErrors::Open;
        return std::nullopt;
    }
    CheckPictureSize(Size.width(), Size.height());
    // The limits above are ours; Qt's own smaller one would refuse pictures they allow.
    Reader.setAllocationLimit(0);
    const QImage Image = Reader.read();
    if (Image.isNull()) {
        Refusal = FileErrors::Open;
        return std::nullopt;
    }
    return PictureFromImage(Image, Clear);
}

} // namespace

std::optional<TPictureFormat> PictureFormatOf(const QString& FileName) {
    const QString Extension = QFileInfo(FileName).suffix().toLower();
    if (Extension == "bmp") return TPictureFormat::Bmp;
    if (Extension == "jpg") return TPictureFormat::Jpeg;
    if (Extension == "png") return TPictureFormat::Png;
    return std::nullopt;
}

std::optional<TRgbPicture> ReadPictureFile(const QString& FileName, TPictureFormat Format,
                                           TRgbColor Clear, QString& Refusal) {
    const std::string Name = CorePath(FileName);
    try {
        switch (Format) {
        case TPictureFormat::Png:
            return ReadPng(FileName, Clear, Refusal);
        case TPictureFormat::Jpeg:
            return LoadJpegFile(Name);
        case TPictureFormat::Bmp:
            return LoadBmpFile(Name);
        }
    } catch (const EPictureTooLarge& Error) {
        Refusal = FileErrors::EPictureTooLarge(Error.Width, Error.Height);
    } catch (const EBmpError&) {
        Refusal = FileErrors::Open;
    } catch (const EJpegError&) {
        Refusal = FileErrors::Open;
    }
    return std::nullopt;
}

std::unique_ptr<TPxPalette> LoadPaletteOrPicture(const QString& FileName, QString& Refusal) {
    QFile File(FileName);
    const QByteArray Start = File.open(QIODevice::ReadOnly) ? File.read(8) : QByteArray();
    std::optional<TPictureFormat> Picture;
    if (Start.startsWith("GIF8")) {
        const TGifReadResult Read = ReadGifFile(CorePath(FileName));
        if (Read.Opened())
            return TPxPalette::CreateFromColorMap(MostUsedColors(*Read.Sprite, UserColorCount));
        Refusal = FileErrors::OpenPalette;
        return nullptr;
    }
    if (Start.startsWith("\x89PNG"))
        Picture = TPictureFormat::Png;
    else if (Start.startsWith("BM"))
        Picture = TPictureFormat::Bmp;
    else if (Start.startsWith("\xFF\xD8\xFF"))
        Picture = TPictureFormat::Jpeg;
    if (Picture) {
        // Clear pixels bring no colour of their own: black stands in for them.
        const std::optional<TRgbPicture> Read = ReadPictureFile(FileName, *Picture, {}, Refusal);
        if (!Read) return nullptr;
        return TPxPalette::CreateFromColorMap(MostUsedColors(*Read, UserColorCount));
    }
    try {
        return LoadPaletteFile(CorePath(FileName));
    } catch (const EPaletteFileError& Failure) {
        // The designed text, then the cause, which for a file of no colour names the kinds
        // that are read.
        Refusal = FileErrors::OpenPalette + "\n\n" + QString::fromLocal8Bit(Failure.what());
    }
    return nullptr;
}

bool CarriesPicture(const QMimeData* Data) {
    if (!Data) return false;
    if (Data->hasImage()) return true;
    for (const QString& Type : BmpTypes)
        if (Data->hasFormat(Type)) return true;
    return false;
}

std::optional<TRgbPicture> ReadPastedPicture(const QMimeData* Data, TRgbColor Clear,
                                             QString& Refusal) {
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
    return PictureFromImage(Image, Clear);
}

QMimeData* CelPictureData(const TPxBitmap& Cel) {
    auto* Data = new QMimeData;
    const std::vector<std::uint8_t> Bmp = EncodeBmp(Cel);
    Data->setData(BmpTypes.front(),
                  QByteArray(reinterpret_cast<const char*>(Bmp.data()), qsizetype(Bmp.size())));
    Data->setImageData(CelImage(Cel).convertToFormat(QImage::Format_RGB32));
    return Data;
}
