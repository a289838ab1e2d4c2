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
#include <functional>
#include <memory>

#include "imaging/Color.h"
#include "imaging/ViewMarks.h"
#include "model/OnionSkin.h"
#include "model/undo.h"
#include "ui/common/DocumentHost.h"

class QImage;
class QPainter;
class QPoint;
class QRect;
class TCelList;
class TPxBitmap;
class TPxBrush;
class TPxCanvas;
class TPxPalette;
struct TTextMask;
class TSprite;
class TfrmCharAnimation;

class TfrmPainter : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TfrmPainter(TDocumentHost& Host, QWidget* Parent = nullptr);
    ~TfrmPainter() override;

    // Set by the animation window before it closes the painter with itself.
    bool AllowClose = false;
    // Closed by hand, the painter is being minimised and hands the activation to its
    // animation window, which must not bring it back for that.
    bool PuttingAway = false;
    // An area is selected and floats above the cel; a custom or text brush is in use.
    bool SelectionFloating = false;
    bool CustomBrush = false;
    bool TextBrush = false;
    // Whether a selection floats or a brush cut from an area or made from text is in use:
    // then undo, redo, zooming and editing the palette wait.
    bool SelectionOrCustomBrush() const { return SelectionFloating || CustomBrush; }
    // Shows the tool cursor Id (ToolCursors in EditingState.h) over the image.
    void SetToolCursor(int Id);

    TfrmCharAnimation* AnimationWindow = nullptr;

    // Shows cel CelIndex of Sprite at zoom 3. Ignored without a sprite or with a negative
    // index.
    void Attach(TSprite* Sprite, TPxPalette* Palette, int CelIndex);
    // The view takes the sprite's size times the zoom, or the largest zoom whose view
    // stays within MaxViewPixels.
    void ResizeView();
    // A view for cels of CelWidth x CelHeight at Zoom (or the largest zoom below it that
    // fits), made before the cels change so that a failure leaves both as they were; and
    // installing it once they have, which cannot fail.
    struct TView {
        std::unique_ptr<TPxBitmap> Bitmap;
        TViewMarks Marks;
        int CelWidth = 0;
        int CelHeight = 0;
        int Zoom = 1;
    };
    TView MakeView(int CelWidth, int CelHeight, int Zoom) const;
    void TakeView(TView Made);
    // Redraws the zoomed current cel into the view (not yet on screen).
    void RefreshView();
    // RefreshView, then repaints the image: after any change of the cels.
    void ShowPainterCel();
    // Removes the brush preview under the cursor, if shown.
    void ClearPreview();
    // The colours of the view, the swatches and the strip follow the palette.
    void RebuildColorBitmaps();

    int Zoom() const { return ViewZoom; }
    COLORREF LeftColor() const { return Left; }
    COLORREF RightColor() const { return Right; }
    // The colour of the stroke in progress: a copy of the left or the right colour.
    COLORREF DrawColor() const { return Draw; }
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
    // Stamps a floating selection onto Copy, a copy of the painter's sprite, as dropping it
    // would stamp it onto the sprite; the selection goes on floating.
    void DrawFloatingSelection(TSprite& Copy) const;
    // Marks the animation modified.
    void MarkModified();
    // Turns the floating selection into the brush of the brush tool, centred on the
    // cursor; does nothing when no area was ever selected.
    void CreateCustomBrush();
    // Renders the text dialog's text into the brushes of both buttons (in the left and the
    // right colour), which then stamp it centred on the cursor.
    void MakeTextBrush();
    // The selected area in cel pixels, right and bottom exclusive once it floats.
    TRect Selection() const { return {SelLeft, SelTop, SelRight, SelBottom}; }
    // One step of the marching marquee around a floating selection (the 300 ms timer).
    void timeSelectedAreaTimer();
    // A polyline of the Lines tool is in progress.
    bool PolylineActive() const { return LinesActive; }
    // The palette the painter paints with.
    TPxPalette* DocumentPalette() const { return Palette; }

    // The first palette row the strip shows, 0..13 (two rows of sixteen user colours).
    int PaletteTopRow() const { return TopRow; }
    void SetPaletteTopRow(int Row);

    // Activation makes this painter's document the current one; deactivation takes the
    // brush preview away.
    void FormActivate();
    void FormDeactivate();

    // ---- Input, at positions of the image, the strip and the zoom list ----
    // Buttons other than left and right are ignored.
    void imgPainterMouseDown(Qt::MouseButton Button, int X, int Y);
    void imgPainterMouseMove(Qt::MouseButtons Buttons, int X, int Y);
    void imgPainterMouseUp(Qt::MouseButton Button, int X, int Y);
    void imgPaletteMouseDown(Qt::MouseButton Button, int X, int Y);
    void cboZoomChange();
    // Zooms to Wanted (1 to 10) as the zoom list does, with its refusals; true when the
    // zoom changed.
    bool ZoomTo(int Wanted);
    // Zooms Steps steps in (or out, when negative) keeping the cel pixel at image point
    // (X, Y) under the same point of the screen, as far as the scroll box can.
    void ZoomAbout(int Steps, int X, int Y);
    // The wheel over the image at (X, Y): with Ctrl it zooms about the point, with Shift it
    // scrolls sideways, and otherwise up and down.
    void imgPainterWheel(Qt::KeyboardModifiers Modifiers, QPoint Delta, int X, int Y);
    // Escape: drops a floating selection where it lies, as choosing another tool does,
    // cancels a rubber band being dragged and ends a polyline.
    void EscapePressed();
    // The onion skin or the pixel grid was switched or changed: the view shows it anew.
    void ViewOptionsChanged();
    // What the onion skin shows under the current cel (empty while it is off).
    const TOnionLayer& OnionLayer() const { return Onion; }
    // Opens the flying palette over the strip.
    void sbutPaletteClick();

    // ---- Undo ----
    const TPxUndo& UndoHistory() const { return *History; }
    // The records of the animation window's changes. Each record is made before Change
    // runs and added once it has returned, which cannot fail: a change that fails leaves
    // the history as it was. Nothing is recorded while an undo or redo step runs (the
    // step itself inserts and deletes cels through the animation window).
    // A cel inserted or appended at Index:
    void RecordCelInserted(int Index, const std::function<void()>& Change);
    // Cel Index deleted, with its pixels:
    void RecordCelDeleted(int Index, const std::function<void()>& Change);
    // The pixels of cel Index changed:
    void RecordCel(int Index, const std::function<void()>& Change);
    // The pixels of the cels an edit reaches changed: the current one, or every cel with
    // Paint on All.
    void RecordCel(const std::function<void()>& Change);
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
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // What a paint tool does on button down, on a move to a new cel point and on button
    // up; a step may be missing. The common routing runs around these. A shape tool (line,
    // connected lines, the rectangles and the ellipses) has a picture between the point the
    // button went down on and the current one: its preview, drawn over the view while the
    // button is held, and its commit, painted into the cels on release; each returns the
    // view rectangle it drew.
    struct TToolSteps {
        void (TfrmPainter::*Down)() = nullptr;
        void (TfrmPainter::*Move)() = nullptr;
        void (TfrmPainter::*Up)() = nullptr;
        TRect (*Preview)(TfrmPainter&) = nullptr;
        TRect (*Commit)(TfrmPainter&) = nullptr;
    };
    static TToolSteps StepsOf(TPaintTool Tool);

    // ---- The editing state ----
    TEditingState& Editing() const { return Host.State(); }
    TPaintTool CurrentTool() const;
    bool PaintOnAll() const;
    int BrushSize() const;
    int BrushShape() const;
    TCelList* Cels() const;
    int CurrentCel() const;

    // ---- View ----
    // Shows the view rectangle (right and bottom exclusive) on screen.
    void RepaintView(const TRect& Area);
    void RestoreViewArea(const TRect& Area);
    void ShowPreview(int X, int Y);
    void SetZoomItem();
    // The onion layer is made again from the cels around the current one, or emptied.
    void BuildOnion();
    bool GridShown() const;
    // Draws the pixel grid over Shown, the part of the view from (Left, Top) as it goes to
    // the screen.
    void DrawGrid(QImage& Shown, int Left, int Top) const;
    // Panning by the middle button, or by the left one while Space is held: the picture
    // follows the mouse, given in screen coordinates.
    void PanStart(QPoint Global);
    void PanMove(QPoint Global);
    void PanEnd();
    void ScrollBy(int Dx, int Dy);
    void KeyEvent(QEvent* Event);
    // The swatches show the drawing colours and the background colour anew.
    void SwatchesChanged();
    friend class TPainterBox;
    void PaintImage(QPainter& Painter, const QRect& Area) const;
    void PaintStrip(QPainter& Painter) const;
    void PaintColors(QPainter& Painter) const;

    // ---- Painting ----
    // The pressed button's brushes, or the area brush that replaces both.
    const TPxBrush* StrokeBrush() const;
    // Stamps the pressed button's brush into the commit target and into the view at
    // cel point (X, Y); returns the view rectangle it covered.
    TRect CommitStamp(int X, int Y);
    // The brush enlarged by the zoom into the view, placed as it stamps at cel point
    // (X, Y). Brushes are kept at cel scale only: the view gets its blocks as it is stamped.
    TRect StampViewBrush(const TPxBrush& Brush, int X, int Y);
    TRect CommitWalk(int X1, int Y1, int X2, int Y2);
    void BrushDown();
    void BrushMove();

    // ---- The other tools (f_painter_tools.cpp) ----
    void SetTool(TPaintTool Tool);
    // The previews of the tools are marked as they are drawn into the view; a refresh puts
    // the cel's pixels back under the marks only and returns the rectangle it restored.
    TRect RefreshMarks();
    TRect PreviewStamp(int X, int Y);
    TRect PreviewWalk(int X1, int Y1, int X2, int Y2);
    TRect PreviewOutline(int X1, int Y1, int X2, int Y2);
    TRect CommitOutline(int X1, int Y1, int X2, int Y2);
    // A preview painted at the cel's scale: Shape paints onto a copy of the current cel's
    // pixels within Bounds (cel pixels, right and bottom exclusive), given the copy's
    // canvas and where the copy's (0, 0) lies in the cel.
    TRect PreviewOnCel(const TRect& Bounds, const std::function<void(TPxCanvas&, int, int)>& Shape);
    TRect PreviewSolidRectangle();
    TRect CommitSolidRectangle();
    TRect PreviewEllipse(bool Solid);
    TRect CommitEllipse(bool Solid);
    // The three steps of every shape tool.
    void ShapeDown();
    void ShapeMove();
    void ShapeUp();
    void LinesDown();
    void LinesMove();
    void FillDown();
    void PickupDown();

    // ---- Area selection (f_painter_selection.cpp) ----
    void SelectDown();
    void SelectMove();
    void SelectUp();
    void MoveAreaMove();
    void MoveAreaUp();
    // The cursor over a floating selection: "MOVE" inside it, "SELECTAREA" elsewhere.
    void SelectHover(int X, int Y);
    // The rubber band between cel corners, shown over the view on screen only.
    void ShowBand(int X1, int Y1, int X2, int Y2);
    void HideBand();
    void RepaintFrame(const TRect& Frame);
    void PaintBand(QPainter& Painter, const QRect& Area) const;
    // The floating pixels drawn into the view at the selection's place, and marked.
    TRect DrawFloating();
    void StopMarquee();
    // Ends a selection, polyline or brush cut from a selection without stamping anything.
    void ForgetAreaState();

    // ---- Undo ----
    // Snapshots the current cel (every cel with Paint on All) before an edit.
    void SaveUndo();
    // The same in two steps, for an edit that may fail: the snapshot (none while an undo
    // step runs), made before anything changes, and recording it once the edit is done,
    // which cannot fail. Recording nothing only updates the buttons.
    std::unique_ptr<TPxUndoNode> UndoSnapshot() const;
    void RecordUndo(std::unique_ptr<TPxUndoNode> Record);
    // A record of Kind holding the pixels of cel Index; none while an undo step runs.
    std::unique_ptr<TPxUndoNode> CelSnapshot(TPxUndoKind Kind, int Index) const;
    void RecordAround(std::unique_ptr<TPxUndoNode> Record, const std::function<void()>& Change);
    void StepHistory(bool Back);
    std::unique_ptr<TPxUndoNode> ApplyRecord(const TPxUndoNode& Node, bool Back);
    void SetCurrent(int Index);
    void InsertCelAt(int Index);
    void DeleteCelAt(int Index);
    void SetPreviewIndex(int Index);
    void AfterUndoStep();

    TDocumentHost& Host;
    struct TControls;
    std::unique_ptr<TControls> Controls;
    TSprite* Sprite = nullptr;
    TPxPalette* Palette = nullptr;
    int ViewZoom = 3;
    int CelWidth = 0;
    int CelHeight = 0;
    int ViewWidth = 0;
    int ViewHeight = 0;
    COLORREF Left = 0;
    COLORREF Right = 0;
    COLORREF Draw = 0;
    COLORREF Background = 0;
    int TopRow = 0;
    static constexpr int SwatchWidth = 8;
    static constexpr int SwatchHeight = 10;
    std::unique_ptr<TPxBitmap> View;
    std::unique_ptr<TPxUndo> History;
    // Applying an undo or redo step: nothing is recorded meanwhile.
    bool Undoing = false;
    std::unique_ptr<TPxBrush> LeftBrush, RightBrush;
    // A floating selection or custom brush, when one exists.
    std::unique_ptr<TPxBrush> AreaBrush;
    // The text and colours the text brushes in LeftBrush and RightBrush were made from.
    std::shared_ptr<const TTextMask> TextBrushMask;
    COLORREF TextBrushLeft = 0;
    COLORREF TextBrushRight = 0;
    int HotSpotX = 0;
    int HotSpotY = 0;
    // The stroke in progress uses the right button's colour and brushes.
    bool StrokeRight = false;
    bool LeftDown = false;
    bool RightDown = false;
    bool PreviewShown = false;
    // The view rectangle the preview covers while it is shown.
    TRect PreviewArea;
    bool LinesActive = false;
    int LastX = 0, LastY = 0;
    int CurX = 0, CurY = 0;
    int LinesX = 0, LinesY = 0;
    // The image point of the mouse event being handled, and its cel point.
    int PointX = 0, PointY = 0;
    int CelX = 0, CelY = 0;
    // The cel point the last move step (or the button-down) handled.
    int HandledX = 0, HandledY = 0;
    // What tool previews, the floating selection and its marquee drew over the view.
    TViewMarks Marks;
    int SelLeft = 0, SelTop = 0, SelRight = 0, SelBottom = 0;
    bool MarqueePhase = false;
    // The rubber band's view rectangle while it is shown.
    bool BandShown = false;
    TRect Band;
    TOnionLayer Onion;
    bool Panning = false;
    bool SpaceHeld = false;
    int PanFromX = 0, PanFromY = 0;
    // The part of a wheel turn not yet a whole step (high-resolution wheels and pads).
    int WheelRest = 0;
};
