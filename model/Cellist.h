#pragma once
// The document of one animation window: the sprite, the current cel, and the strip that
// shows every cel as a framed, labelled picture in a grid that scrolls by rows.
//
// Owns the sprite; refers to the strip surface (the window's paint box and scroll bar)
// and to the palette, both of which must outlive it. Every change of cels, from the
// animation window or the painter, comes through here so that the strip stays current.
// User-interface thread only.
//
// Grid geometry: the slot of column c, row r (counted from the slot of FirstVisible()) has
// its frame's top-left corner at x = MarginX - 1 + c * PitchX, y = MarginY - 1 + r * PitchY;
// the frame is (x, y, x + CelWidth + 2, y + CelHeight + 2), the picture sits at
// (x + 1, y + 1) and the label below it in (x, y + CelHeight + 2, x + CelWidth + 2,
// y + CelHeight + 12). Rectangles have exclusive right and bottom edges.
#include <cstdint>
#include <memory>

#include "imaging/Color.h"
#include "model/Spritez.h"

class TStripSurface;
class TPxBitmap;
class TPxBrush;
class TPxPalette;

class TCelList {
public:
    // Takes the sprite, which has at least one cel; its first cel becomes current.
    TCelList(TStripSurface& Surface, std::unique_ptr<TSprite> Sprite);
    TCelList(const TCelList&) = delete;
    TCelList& operator=(const TCelList&) = delete;
    virtual ~TCelList();

    TSprite& Sprite() { return *OwnedSprite; }
    const TSprite& Sprite() const { return *OwnedSprite; }
    TPxPalette& Palette() { return *ListPalette; }
    int MarginX() const { return GridMarginX; }
    int MarginY() const { return GridMarginY; }
    int CelWidth() const { return CelPixelWidth; }
    int CelHeight() const { return CelPixelHeight; }
    int PitchX() const { return GridPitchX; }
    int PitchY() const { return GridPitchY; }
    int CelCount() const { return Count; }
    int VisibleRows() const { return RowsVisible; }
    int FirstVisible() const { return FirstShown; }
    int Columns() const { return GridColumns; }
    int Rows() const { return GridRows; }
    int Current() const { return CurrentIndex; }
    int CurrentX() const { return CurrentLeft; }
    int CurrentY() const { return CurrentTop; }
    COLORREF BackColor() const { return Background; }

    // Frees the previous sprite and takes Sprite, with its first cel current.
    void SetSprite(std::unique_ptr<TSprite> Sprite);

    // Recomputes the grid and the scroll range from the sprite and the paint box size.
    void Layout();
    void Rebuild();
    // The whole strip, then the highlight.
    void Refresh();
    void DrawStrip();
    // Only the pictures of the visible cels.
    void RedrawCels();
    void DrawHighlight();
    void EraseHighlight();
    // Follows the scroll bar: its position is the first visible row.
    void Scroll();

    void SetCurrent(int Index);
    TPxBitmap& CurrentBitmap() { return OwnedSprite->CelBitmap(CurrentIndex); }

    // A mouse press at paint-box position (X, Y): the cel whose frame or label holds the
    // point becomes current.
    void SelectAt(int X, int Y);
    // The cel whose picture holds the point, or -1.
    int CelAt(int X, int Y) const;
    bool DragOver(int X, int Y) const;
    // A cel dragged within the strip: the current cel's picture is drawn over the cel under
    // the point.
    void DragDrop(int X, int Y);

    // Delays are milliseconds.
    void AppendCel(std::int32_t Delay);
    // A blank cel at the current position, which it then occupies.
    void InsertCel(std::int32_t Delay);
    // Deletes the current cel unless it is the only one; the next cel (or the new last one)
    // becomes current.
    void DeleteCel();
    // Index -1 is ignored (a drop outside every cel).
    void ImportCel(int Index, const TPxBitmap& Source);

    void SetSpriteSize(int NewWidth, int NewHeight, bool Stretch);
    void SetPalette(TPxPalette& NewPalette);
    void SetBackColor(COLORREF Color);
    // PALETTERGB of the current cel's pixel (X, Y); CLR_INVALID outside the cel.
    COLORREF GetPixelColor(int X, int Y) const;

    // Painting in cel coordinates, on the current cel or (All) on every cel.
    void DrawBrush(int X, int Y, const TPxBrush& Brush, bool All);
    void FloodFill(int X, int Y, COLORREF Color, bool All);
    void Rectangle(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                   bool All);
    void Ellipse(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                 int PenWidth, bool All);
    void SolidEllipse(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                      int PenWidth, bool All);

private:
    TPoint SlotCorner(int Column, int Row) const;
    bool CurrentShown() const;
    void DrawHighlightIn(COLORREF Frame, COLORREF Lit, COLORREF Shaded);
    // The visible cel whose slot holds (X, Y) strictly inside the box that reaches Right
    // and Bottom pixels from the slot's corner; -1 when none does.
    int SlotAt(int X, int Y, int Right, int Bottom, TPoint* Corner) const;

    TStripSurface& Surface;
    std::unique_ptr<TSprite> OwnedSprite;
    TPxPalette* ListPalette;
    int GridMarginX = 4;
    int GridMarginY = 4;
    int CelPixelWidth = 0;
    int CelPixelHeight = 0;
    int GridPitchX = 0;
    int GridPitchY = 0;
    int Count = 0;
    int RowsVisible = 0;
    int FirstShown = 0;
    int GridColumns = 1;
    int GridRows = 1;
    int CurrentIndex = 0;
    int CurrentLeft = 0;
    int CurrentTop = 0;
    COLORREF Background = RGB(255, 255, 255);
};
