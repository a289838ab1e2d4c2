#pragma once
// Cutting a larger picture (a sprite sheet) into equal grid cells: where the cells lie,
// where the grid and the selection frame are drawn, and the extraction of one cell onto a
// palette. Plain functions over plain values; the import-from-grid window shows the result.
#include <cstdint>
#include <functional>
#include <memory>

#include "imaging/Color.h"
#include "imaging/RgbPicture.h"

class TPxBitmap;
class TPxPalette;

// Where the grid's first cell starts and how large one cell is. The sizes are at least 1.
struct TGrid {
    int StartX = 0;
    int StartY = 0;
    int CelWidth = 34;
    int CelHeight = 34;
};

// The top-left pixel of the grid cell under (X, Y). The division truncates toward zero, so
// a point left of or above the grid start by less than one cell falls in the first cell.
TPoint GridCellAt(const TGrid& Grid, int X, int Y);

// Called for each pixel a stroke passes through.
using TPixelVisit = std::function<void(int X, int Y)>;

// Visits the pixels that the grid's lines pass through on a picture of Width x Height, as
// an exclusive-or pen draws them: vertical lines at StartX, StartX + CelWidth, ... and
// horizontal ones at StartY, StartY + CelHeight, ..., each across the whole picture, so a
// pixel where two lines cross comes twice (and shows the picture through). Drawing the same
// pixels again erases them.
void VisitGridLines(const TGrid& Grid, int Width, int Height, const TPixelVisit& Visit);
// The same for the selection frame: the closed outline one pixel inside the cell whose
// top-left pixel is Selection.
void VisitSelectionFrame(const TGrid& Grid, TPoint Selection, int Width, int Height,
                         const TPixelVisit& Visit);

// The cell at Selection as a CelWidth x CelHeight bitmap on Palette: every pixel takes the
// user colour of Palette nearest to the picture's colour there. Where the cell reaches
// beyond the picture's edge the piece is black (its nearest user colour).
std::unique_ptr<TPxBitmap> ExtractGridCell(const TRgbPicture& Picture, const TGrid& Grid,
                                           TPoint Selection, const TPxPalette& Palette);
