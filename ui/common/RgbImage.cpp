#include "ui/common/RgbImage.h"

#include <algorithm>

TRgbPicture PictureFromImage(const QImage& Image) {
    if (Image.isNull()) return {};
    TRgbPicture Picture(Image.width(), Image.height());
    // One-bit and other indexed images come out of the BMP reader in several formats; an
    // 8-bit copy keeps the colour table in every case.
    const bool Indexed = Image.colorCount() > 0;
    const QImage Source = Indexed ? Image.convertToFormat(QImage::Format_Indexed8)
                                  : Image.convertToFormat(QImage::Format_RGB888);
    if (Indexed) {
        const QList<QRgb> Table = Source.colorTable();
        Picture.Palette.reserve(Table.size());
        for (QRgb c : Table)
            Picture.Palette.push_back(
                {std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c))});
        for (int y = 0; y < Picture.Height; ++y) {
            const uchar* Row = Source.constScanLine(y);
            for (int x = 0; x < Picture.Width; ++x) {
                const QRgb c = Row[x] < Table.size() ? Table[Row[x]] : qRgb(0, 0, 0);
                Picture.Set(
                    x, y, {std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c))});
            }
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
