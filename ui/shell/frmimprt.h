#pragma once
// The import-from-grid window: the user opens a larger picture laid out as a grid (a
// sprite sheet), sets where the grid starts and how large one cell is, points at a cell
// and drags it onto a cel of an animation window. A sheet with its data file beside it (as
// Export Sprite Sheet writes them) is cut by the data file's frames instead, each piece at
// the cel size the sheet was scaled from and carrying its display time, until the grid is
// set by hand. The drag carries the piece and its
// palette as described in PieceDrag.h; the drop belongs to the animation window.
//
// Exists once for the program, stays on top and keeps its picture and grid until the next
// Open. Owns the picture, its palette, the last extracted piece and its controls;
// user-interface thread only.
#include <QDialog>
#include <QImage>
#include <QString>
#include <memory>

#include "imaging/GridCells.h"
#include "imaging/RgbPicture.h"
#include "imaging/SpriteSheet.h"

class QMimeData;
class QScrollArea;
class QSpinBox;
class TImportImage;
class TPxBitmap;
class TPxPalette;

class TfrmImport : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 25;

    // PaletteFile (the default palette file beside the program) gives the palette until a
    // picture is opened; without it the palette's user colours are black.
    explicit TfrmImport(const QString& PaletteFile, QWidget* Parent = nullptr);
    ~TfrmImport() override;

    // File > Import from Grid: asks for a picture with the dialog "openImport", opens it and
    // shows the window.
    void Open1Click();
    // Opens a BMP or PNG file and draws the grid on it. When it cannot be read (damaged, or
    // over the picture size limits): the error box, false, and the previous picture and
    // palette stay.
    bool OpenPicture(const QString& FileName);
    // The frames of the sheet's data file while they cut the picture; none otherwise.
    const std::vector<TSheetFrame>& SheetFrames() const { return Sheet.Frames; }
    bool HasPicture() const { return Picture.Width > 0; }

    // ---- Read by the drop and by tests ----
    int GridStartX() const { return Grid.StartX; }
    int GridStartY() const { return Grid.StartY; }
    int GridCelWidth() const { return Grid.CelWidth; }
    int GridCelHeight() const { return Grid.CelHeight; }
    // Top-left pixel of the selected cell.
    int SelX() const { return Selection.X; }
    int SelY() const { return Selection.Y; }
    // The palette made from the picture; the piece is matched to it.
    const TPxPalette& ImportPalette() const { return *Palette; }
    // The selected cell cut out of the picture without the grid, matched to ImportPalette.
    // The bitmap stays this window's and is replaced by the next call.
    const TPxBitmap& GetSelectedCel();
    // Drag data of GetSelectedCel (see PieceDrag.h); the caller takes ownership.
    QMimeData* SelectedCelMimeData();
    // The picture as shown, with the red grid and selection frame.
    const QImage& ShownImage() const { return Shown; }

    // ---- Event handlers ----
    // Any of the four spin edits changed.
    void spinWidthChange();
    // The pointer at (X, Y) of the picture selects the cell under it.
    void imgImportMouseMove(int X, int Y);
    // Drags the selected cell; returns when the drag has ended.
    void StartDrag();

private:
    void DrawLines();
    void DrawSelectedLines();
    void Toggle(int X, int Y);
    // The selected cell or frame as a grid of one cell at its own place.
    TGrid SelectionGrid() const;

    TGrid Grid;
    TPoint Selection;
    TSheetData Sheet;
    // The frame of Sheet under the pointer, or -1.
    int SelectedFrame = -1;
    TRgbPicture Picture;
    QImage Shown;
    std::unique_ptr<TPxPalette> Palette;
    std::unique_ptr<TPxBitmap> GridCelBitmap;

    QSpinBox* spinStartX = nullptr;
    QSpinBox* spinStartY = nullptr;
    QSpinBox* spinWidth = nullptr;
    QSpinBox* spinHeight = nullptr;
    QScrollArea* Scroller = nullptr;
    TImportImage* imgImport = nullptr;
};
