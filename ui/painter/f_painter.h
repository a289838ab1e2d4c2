#pragma once
// The zoomed pixel editor of one animation window: it shows the current cel enlarged by a
// whole factor, holds the two drawing colours (one per mouse button) and the brushes made
// from them, the palette strip, and the animation's undo history, and turns mouse input in
// its image into paint operations through the cel list.
//
// Owns its view bitmap, brushes and undo history; refers to the sprite, the palette and its
// animation window, which outlive it (the animation window closes it). Closing it by hand
// only minimises it. User-interface thread only.
#include <QMdiSubWindow>
#include <QString>
#include <memory>

#include "imaging/Color.h"

class TPxBitmap;
class TPxBrush;
class TPxPalette;
class TPxUndo;
class TSprite;
class TfrmCharAnimation;

class TfrmPainter : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TfrmPainter(QWidget* Parent = nullptr);
    ~TfrmPainter() override;

    // Set by the animation window before it closes the painter with itself.
    bool AllowClose = false;
    // Applying an undo or redo step: nothing is recorded meanwhile.
    bool Undoing = false;
    // An area is selected and floats above the cel; a custom or text brush is in use.
    bool SelectionFloating = false;
    bool CustomBrush = false;
    bool TextBrush = false;

    TfrmCharAnimation* AnimationWindow = nullptr;

    // Shows cel CelIndex of Sprite at zoom 3. Ignored without a sprite or with a negative
    // index.
    void Attach(TSprite* Sprite, TPxPalette* Palette, int CelIndex);
    // The view takes the sprite's size times the zoom.
    void ResizeView();
    // Redraws the zoomed current cel into the view (not yet on screen).
    void RefreshView();
    // RefreshView, then repaints the image: after any change of the cels.
    void ShowPainterCel();
    // Removes the brush preview under the cursor, if shown.
    void ClearPreview();
    void RebuildColorBitmaps();

    int Zoom() const { return ViewZoom; }
    COLORREF LeftColor() const { return Left; }
    COLORREF RightColor() const { return Right; }
    COLORREF BackgroundColor() const { return Background; }
    void SetPalette(TPxPalette& Palette);
    void SetBackgroundColor(COLORREF Color);
    // Sets the right (Right) or left drawing colour and rebuilds the brushes.
    void SetDrawColor(COLORREF Color, bool Right);
    // Rebuilds the brushes from the brush size, shape and drawing colours.
    void UpdateBrush();
    // Ends any selection, polyline or custom-brush state.
    void CancelSelection();
    // Drops a floating selection into its cel.
    void DropSelection();
    // Marks the animation modified.
    void MarkModified();

    // ---- Undo ----
    TPxUndo& UndoHistory() { return *History; }
    // Snapshots the current cel (every cel with Paint on All) before an edit.
    void SaveUndo();
    // The main window's Undo and Redo follow the history.
    void UpdateUndoButtons();
    // Discards the history (a palette change, a resize, a new background colour).
    void ResetUndo();
    void sbutUndoClick();
    void Redo();

    // The zoomed view as shown (for tests and benchmarks).
    const TPxBitmap* ViewBitmap() const { return View.get(); }

protected:
    void closeEvent(QCloseEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    struct TControls;
    std::unique_ptr<TControls> Controls;
    TSprite* Sprite = nullptr;
    TPxPalette* Palette = nullptr;
    int ViewZoom = 3;
    COLORREF Left = 0;
    COLORREF Right = 0;
    COLORREF Background = 0;
    std::unique_ptr<TPxBitmap> View;
    std::unique_ptr<TPxUndo> History;
};
