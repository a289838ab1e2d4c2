#pragma once
// A piece cut out of a picture in the import-from-grid window, on its way by drag and drop
// to a cel of an animation window. The drag carries everything the drop needs, so the drop
// never reaches back into the window it came from.
//
// Mime type "application/x-vimbrel-piece", bytes (numbers little-endian, unsigned):
//   4 bytes              "VPC1"
//   4 bytes              width, 1..4096
//   4 bytes              height, 1..4096
//   708 bytes            the user colours 10..245 of the import window's palette, each as
//                        red, green, blue
//   width*height*3 bytes the piece's pixels as red, green, blue, rows top-down; every one
//                        is a colour of that palette, since the piece was matched to it
// The same drag also offers the piece as an ordinary image for other programs and, for a piece
// of a sprite sheet whose data file gives it, its display time in milliseconds as decimal
// text under "application/x-vimbrel-piece-delay".
//
// Plain functions, user-interface thread (QMimeData).
#include <QByteArray>
#include <memory>
#include <optional>
#include <vector>

#include "imaging/Color.h"
#include "imaging/RgbPicture.h"

class QMimeData;
class TPxBitmap;
class TPxPalette;

inline constexpr char GridPieceMimeType[] = "application/x-vimbrel-piece";
inline constexpr char GridPieceDelayMimeType[] = "application/x-vimbrel-piece-delay";

struct TGridPiece {
    // The pixels; Picture.Palette is empty.
    TRgbPicture Picture;
    // The 236 user colours of the palette the piece was cut on.
    std::vector<TRgbColor> UserColors;
    // Milliseconds, or -1 when the piece brings none.
    int Delay = -1;

    // That palette: Equals the import window's palette, so the drop's palette question
    // compares it with the animation's own.
    std::unique_ptr<TPxPalette> MakePalette() const;
};

// The bytes of Piece and its palette (the bitmap's colour table).
QByteArray EncodeGridPiece(const TPxBitmap& Piece);
// Nothing for bytes that are not a whole piece.
std::optional<TGridPiece> DecodeGridPiece(const QByteArray& Bytes);

// Mime data carrying Piece, and Delay unless it is negative; the caller (a QDrag) takes
// ownership.
QMimeData* MakeGridPieceMimeData(const TPxBitmap& Piece, int Delay = -1);
bool HasGridPiece(const QMimeData* Data);
std::optional<TGridPiece> ReadGridPiece(const QMimeData* Data);
