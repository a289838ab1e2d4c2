#include "ui/common/RgbImage.h"

#include <algorithm>

namespace {

TRgbColor ColorOf(QRgb Color) {
    return {std::uint8_t(qRed(Color)), std::uint8_t(qGreen(Color)), std::uint8_t(qBlue(Color))};
}

} // namespace

TRgbPicture PictureFromImage(const QImage& Image, std::optional<TRgbColor> Clear) {
    if (Image.isNull()) return {};
    TRgbPicture Picture(Image.width(), Image.height());
    const auto Shown = [&](QRgb Color) {
        return Clear && qAlpha(Color) < 128 ? *Clear : ColorOf(Color);
    };
    // One-bit and other indexed images come out of the BMP reader in several formats; an
    // 8-bit copy keeps the colour table in every case.
    const bool Indexed = Image.colorCount() > 0;
    const QImage Source = Indexed ? Image.convertToFormat(QImage::Format_Indexed8)
                                  : Image.convertToFormat(QImage::Format_RGB888);
    if (Indexed) {
        const QList<QRgb> Table = Source.colorTable();
        Picture.Palette.reserve(Table.size());
        for (QRgb c : Table)
            Picture.Palette.push_back(Shown(c));
        for (int y = 0; y < Picture.Height; ++y) {
            const uchar* Row = Source.constScanLine(y);
            for (int x = 0; x < Picture.Width; ++x)
                Picture.Set(x, y, Row[x] < Table.size() ? Picture.Palette[Row[x]] : TRgbColor{});
        }
        return Picture;
    }
    if (Clear && Image.hasAlphaChannel()) {
        const QImage Source = Image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < Picture.Height; ++y) {
            const auto* Row = reinterpret_cast<const QRgb*>(Source.constScanLine(y));
            for (int x = 0; x < Picture.Width; ++x)
                Picture.Set(x, y, Shown(Row[x]));
        }
        return Picture;
    }
    const std::size_t RowBytes = std::size_t(Picture.Width) * 3;
    for (int y = 0; y < Picture.Height; ++y)
        std::copy_n(Source.constScanLine(y), RowBytes, &Picture.Pixels[y * RowBytes]);
    return Picture;
}

QImage ImageFromPicture(const TRgbPicture& Picture) {
    if (Picture.Width <= 0 || Picture.Height <= 0) return {};
    QImage Image(Picture.Width, Picture.Height, QImage::Format_RGB888);
    if (Image.isNull()) return {};
    const std::size_t RowBytes = std::size_t(Picture.Width) * 3;
    for (int y = 0; y < Picture.Height; ++y)
        std::copy_n(&Picture.Pixels[y * RowBytes], RowBytes, Image.scanLine(y));
    return Image;
}
