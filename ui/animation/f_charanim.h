#pragma once
// The document window of one animation: the cel strip, the preview that plays the
// animation, the frame-rate fields, and the entry points of every command that changes
// cels. A child of the main window's MDI area, paired with one painter window that edits
// its current cel.
//
// Owns its palette and its cel list (which owns the sprite and its cels); refers to its
// painter window, which the main window creates and which closes together with this
// window. Frees itself when closed. User-interface thread only.
#include <QImage>
#include <QMdiSubWindow>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/GifWriter.h"
#include "imaging/Color.h"
#include "model/undo.h"
#include "ui/common/DocumentHost.h"

class QCheckBox;
class QLineEdit;
class QMenu;
class QMimeData;
class QScrollBar;
class QSpinBox;
class QSplitter;
class QTimer;
class QToolButton;
class TCelList;
class TPxBitmap;
class TPxPalette;
class TSprite;
class TfrmPainter;
struct TRgbPicture;

// Whether a document has unsaved changes. Every change sets it, so it also counts them:
// whoever keeps a copy of the unsaved work can tell when that copy has fallen behind.
class TModifiedFlag {
public:
    TModifiedFlag& operator=(bool Value) {
        Set = Value;
        if (Value) ++Count;
        return *this;
    }
    operator bool() const { return Set; }
    // How often it was set so far.
    std::uint64_t Changes() const { return Count; }

private:
    bool Set = false;
    std::uint64_t Count = 0;
};

class TfrmCharAnimation : public QMdiSubWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 17;
    // The shortest timer interval in milliseconds: a cel delay of 0 (which the fields and
    // GIF files allow) plays as fast as this instead of keeping a processor core busy.
    static constexpr int MinimumInterval = 10;

    explicit TfrmCharAnimation(TDocumentHost& Host, QWidget* Parent = nullptr);
    ~TfrmCharAnimation() override;

    // ---- Document settings ----
    TModifiedFlag Modified;
    std::vector<std::string> Comments;
    std::uint16_t LoopCount = 0;
    bool BackgroundTransparent = false;
    // Milliseconds; the delay of new cels, shown in "Default Frame Rate".
    int DefaultDelay = 200;
    // Kept distance from the window's right edge to the splitter.
    int SplitOffset = 0;

    // ---- Playback state ----
    bool Playing = false;
    bool Busy = false;
    int PreviewIndex = 0;
    int Direction = 1;

    // ---- The document ----
    TCelList* CelList() const { return Cels.get(); }
    TSprite* Sprite() const;
    TPxPalette* Palette() const { return OwnedPalette.get(); }
    // Takes Palette as the window's palette without moving any cel onto it (a new window,
    // or after the cel list has moved its cels over).
    void TakePalette(std::unique_ptr<TPxPalette> Palette);
    // Makes Palette the document's palette: every cel moves onto it, the painter, the strip
    // and the preview show it, and the document counts as modified. A failure on the way
    // leaves the cels on the old palette.
    void ChangePalette(std::unique_ptr<TPxPalette> Palette);
    // Null once the painter window is gone.
    TfrmPainter* Painter() const;
    void SetPainterWindow(TfrmPainter* Painter);

    // The caption: the file name, or "Animation [n]" for an untitled document. The painter's
    // caption follows it.
    QString Caption() const;
    void SetCaption(const QString& Caption);

    // A new animation of CelCount blank cels with the New Animation dialog's size and
    // background colour, on the window's palette (none without one).
    void NewAnimation(int CelCount);
    // Opens a GIF file into this window. False with Reason when it cannot be read; Faults
    // lists what was wrong with a damaged file that opened all the same.
    bool LoadFromGIF(const QString& FileName, QString* Reason = nullptr,
                     std::vector<std::string>* Faults = nullptr);
    // Saves the animation as a GIF file with the progress window, every pixel a Scale x
    // Scale block; false with Reason when it cannot be written (the file on disk is then as
    // it was).
    bool SaveToGIF(const QString& FileName, QString* Reason = nullptr, int Scale = 1);
    // What a saved file carries besides the cels and the palette.
    TGifWriteSettings WriteSettings() const;
    // Hands a sprite to the cel list and the painter.
    void SetSprite(std::unique_ptr<TSprite> Sprite);
    // After the palette changed: rebuilds the backdrop, redraws painter and preview, and
    // marks the document modified.
    void SetPalette(TPxPalette& Palette);
    // Every cel to Width x Height, stretched or cropped; the painter takes the new size.
    void ResizeAnimation(int Width, int Height, bool Stretch);
    // The Resize Cels command once its dialog was confirmed: with another size the cels
    // take it (stretched or cropped) and the undo history is dropped (its snapshots no
    // longer fit); a size whose cels would exceed the limits is refused with the error box.
    void ResizeCels(int Width, int Height, bool Stretch);

    // ---- Commands ----
    void sbutInsertClick();
    void sbutAppendCelClick();
    void sbutDeleteClick();
    // Operation (a shift, turn or flip of TSprite) on the current cel or, with Paint on All,
    // on every cel, with its undo record.
    void Transform(void (TSprite::*Operation)(bool All));
    void ReplaceColors();
    void ChangeBackgroundColor();
    void SetDisposalForAll();
    void butPropertiesClick();
    void SavePalette();
    void SetCopyPasteButtons();
    // Makes this document the current one. A minimised painter comes back only when
    // another child window of the main window was the active one, so that working in the
    // strip leaves a painter put away where it is.
    void FormActivate();
    // The strip's pop-up menu items Cut, Copy and Paste: the main window's commands.
    void mniCutClick();
    void mniCopyClick();
    void mniPasteClick();
    // A mouse press in the strip at (X, Y): the right button opens the pop-up menu at
    // GlobalPosition, any other selects the cel there.
    void imgCharAnimMouseDown(Qt::MouseButton Button, int X, int Y, QPoint GlobalPosition = {});

    // ---- Playback ----
    void sbutPlayClick();
    void sbutPlayReverseClick();
    void sbutAnimStopClick();
    void sbutFrameForwardClick();
    void sbutFrameBackwardsClick();
    void timeAnimationTimer();
    bool StretchImage() const;
    void SetStretchImage(bool Stretch); // as if the box were clicked
    void cboxStretchClick();
    QTimer* AnimationTimer() const { return timeAnimation; }
    // The frame-rate fields after their text changed (typing applies at once).
    void spinFrameRateChange();
    void spinDefaultFrameRateChange();

    // ---- Display ----
    // The edit epilogue: painter cel, preview, delay, Modified.
    void CelsChanged();
    void ShowPainterCel();
    void ShowCurrentCel();
    void ShowCelDelay();
    void RefreshPreview();
    // The picture shown in the preview (for tests and the accessibility bus).
    QImage PreviewImage() const;

    // ---- Pictures in and out of cels (f_charanim_transfer.cpp) ----
    // "Import Cel...": a BMP, PNG or JPEG file chosen with dlgImport goes into the current
    // cel.
    void Importcel1Click();
    // "Export Cel...": the current cel becomes the BMP, PNG or JPEG file chosen with
    // dlgExport; a PNG at the scale chosen next.
    void ExportCel1Click();
    // "Export Scaled Copy...": the animation as a GIF file at the scale chosen first; the
    // document itself stays as it was.
    void ExportScaledCopy();
    // "Export Sprite Sheet...": every cel in one PNG laid out as chosen first, with its data
    // file beside it.
    void ExportSpriteSheet();
    // The colour the background shows: what a picture's clear pixels become.
    TRgbColor BackgroundRgb() const;
    // Picture into the current cel after the palette and size questions (also the main
    // window's Paste); the picture stays the caller's. False when a question was cancelled
    // or the picture has no pixels: then nothing has changed.
    bool ImportFromBitmap(const TRgbPicture& Picture);
    // A drag carrying Data at strip position (X, Y): accepted over a cel's picture when it
    // carries a cel of an animation window, a piece of the import-from-grid window or a
    // picture file (BMP, PNG, JPEG).
    bool imgCharAnimDragOver(const QMimeData* Data, int X, int Y) const;
    // Data dropped at (X, Y): a cel of this strip is copied onto the cel there; a cel of
    // another animation window, a grid piece or a picture file goes through the palette and
    // size questions. A piece of a sheet whose data file gave a display time brings it.
    void imgCharAnimDragDrop(const QMimeData* Data, int X, int Y);
    // What a drag of the current cel out of the strip carries; the caller takes ownership.
    QMimeData* CelDragData() const;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TEditingState& Editing() const { return Host.State(); }
    void BuildControls();
    void FormCreate();
    // FormActivate, told whether this window has just taken the activation from another.
    void Activate(bool FromOtherWindow);
    bool FormCloseQuery();
    void FormClose();
    void splitAnimationSplitChange();
    // The cel list over Sprite, made on first use.
    void TakeSprite(std::unique_ptr<TSprite> Sprite);
    // The main window's drag source must not point at cels that are gone.
    void ForgetDragSource();
    bool PaintOnAll() const;
    // The cel list and the painter that keeps its history: every command needs both (the
    // painter goes only while the document closes).
    bool Whole() const { return Cels && Painter(); }
    // A colour value as the palette colour it stands for (PALETTERGB).
    COLORREF PaletteRgb(COLORREF Color) const;
    void SetTimerInterval(int Milliseconds);
    // Stops playback and shows the next (Way 1) or the previous cel (Way -1) in the preview.
    void StepPreview(int Way);
    // Only Down stays down; null releases every playback button.
    void SetPlayButtons(QToolButton* Down);
    void UpdatePreviewSize();
    void ShowDefaultDelay();

    // ---- Pictures in and out of cels (f_charanim_transfer.cpp) ----
    // Wires the pop-up items Import Cel and Export Cel and the strip's drags and drops.
    void BuildTransfer();
    void imgCharAnimStartDrag();
    // The palette and size questions for a picture of Width x Height on SourcePalette, then
    // what the answers ask for: the palette copied in, the cels stretched to the picture.
    // False when either question was cancelled; nothing has changed then.
    bool TakeSource(const TPxPalette& SourcePalette, int Width, int Height);

    TDocumentHost& Host;
    struct TControls;
    std::unique_ptr<TControls> Controls;
    std::unique_ptr<TPxPalette> OwnedPalette;
    std::unique_ptr<TCelList> Cels;
    QPointer<TfrmPainter> PainterWindow;
    QTimer* timeAnimation = nullptr;
    // Closed by the user or the program, as opposed to destroyed with the main window.
    bool Closed = false;
};
