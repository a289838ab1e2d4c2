#include "ui/common/PieceDrag.h"

#include <QMimeData>
#include <algorithm>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "ui/common/RgbImage.h"

namespace {

constexpr char Magic[4] = {'V', 'P', 'C', '1'};
constexpr int MaxSide = 4096;
constexpr int HeaderBytes = 12;
constexpr int PaletteBytes = UserColorCount * 3;

void PutNumber(QByteArray& Bytes, std::uint32_t Value) {
    for (int i = 0; i < 4; ++i)
        Bytes.append(char(Value >> (8 * i)));
}

std::uint32_t NumberAt(const QByteArray& Bytes, int Offset) {
    std::uint32_t Value = 0;
    for (int i = 0; i < 4; ++i)
        Value |= std::uint32_t(std::uint8_t(Bytes[Offset + i])) << (8 * i);
    return Value;
}

} // namespace

std::unique_ptr<TPxPalette> TGridPiece::MakePalette() const {
    return TPxPalette::CreateFromColorMap(UserColors);
}

QByteArray EncodeGridPiece(const TPxBitmap& Piece) {
    QByteArray Bytes;
    Bytes.reserve(HeaderBytes + PaletteBytes + Piece.Width() * Piece.Height() * 3);
    Bytes.append(Magic, 4);
    PutNumber(Bytes, std::uint32_t(Piece.Width()));
    PutNumber(Bytes, std::uint32_t(Piece.Height()));
    const TColorTable& Table = Piece.ColorTable();
    for (int i = FirstUserColor; i <= LastUserColor; ++i) {
        Bytes.append(char(Table[i].Red));
        Bytes.append(char(Table[i].Green));
        Bytes.append(char(Table[i].Blue));
    }
    for (int y = 0; y < Piece.Height(); ++y)
        for (int x = 0; x < Piece.Width(); ++x) {
            const TRgbColor& c = Table[Piece.IndexAt(x, y)];
            Bytes.append(char(c.Red));
            Bytes.append(char(c.Green));
            Bytes.append(char(c.Blue));
        }
    return Bytes;
}

std::optional<TGridPiece> DecodeGridPiece(const QByteArray& Bytes) {
    if (Bytes.size() < HeaderBytes + PaletteBytes || !Bytes.startsWith(QByteArray(Magic, 4)))
        return std::nullopt;
    const std::uint32_t Width = NumberAt(Bytes, 4), Height = NumberAt(Bytes, 8);
    if (Width < 1 || Height < 1 || Width > MaxSide || Height > MaxSide) return std::nullopt;
    if (qsizetype(HeaderBytes + PaletteBytes + std::size_t(Width) * Height * 3) != Bytes.size())
        return std::nullopt;

    TGridPiece Piece;
    const auto* p = reinterpret_cast<const std::uint8_t*>(Bytes.constData()) + HeaderBytes;
    for (int i = 0; i < UserColorCount; ++i, p += 3)
        Piece.UserColors.push_back({p[0], p[1], p[2]});
    Piece.Picture = TRgbPicture(int(Width), int(Height));
    std::copy(p, p + Piece.Picture.Pixels.size(), Piece.Picture.Pixels.begin());
    return Piece;
}

QMimeData* MakeGridPieceMimeData(const TPxBitmap& Piece, int Delay) {
    auto* Data = new QMimeData;
    Data->setData(GridPieceMimeType, EncodeGridPiece(Piece));
    if (Delay >= 0) Data->setData(GridPieceDelayMimeType, QByteArray::number(Delay));
    Data->setImageData(ImageFromPicture(Piece.ToBitmap()));
    return Data;
}

bool HasGridPiece(const QMimeData* Data) {
    return Data && Data->hasFormat(GridPieceMimeType);
}

std::optional<TGridPiece> ReadGridPiece(const QMimeData* Data) {
    if (!HasGridPiece(Data)) return std::nullopt;
    std::optional<TGridPiece> Piece = DecodeGridPiece(Data->data(GridPieceMimeType));
    if (Piece && Data->hasFormat(GridPieceDelayMimeType)) {
        bool Read = false;
        const int Delay = Data->data(GridPieceDelayMimeType).toInt(&Read);
        if (Read && Delay >= 0) Piece->Delay = Delay;
    }
    return Piece;
}
