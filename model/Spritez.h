#pragma once
// The data of one animation: an ordered list of cels of one size on one palette, a
// background colour and the current cel, with every operation that changes cels as
// pictures.
//
// A sprite owns its cels (and each cel its bitmap) and its animations; it only refers to
// its palette, which must outlive it. User-interface thread only.
//
// Index arguments are cel positions 0..CelCount() - 1 and are not checked; the forms
// without an index act on cel Current(). A Boolean All applies an operation to every cel
// in order, otherwise to the current cel. Rotations, flips, imports and colour replacement
// move pixels by colour (the canvas rule); SetPalette, SaveAllBits and RestoreAllBits are
// index-exact.
//
// An operation that needs memory takes all of it before it changes a cel: when it fails
// (std::bad_alloc), the sprite is as it was.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Color.h"
#include "imaging/PixelStore.h"
#include "imaging/PxBitmap.h"
#include "imaging/RgbPicture.h"

class TPxBrush;
class TPxPalette;

// GIF disposal methods, as a cel's Disposal stores them.
constexpr std::uint8_t DisposalUnspecified = 0;
constexpr std::uint8_t DisposalNone = 1;
constexpr std::uint8_t DisposalRestoreBackground = 2;
constexpr std::uint8_t DisposalRestorePrevious = 3;

// One frame: a picture with its GIF disposal method and display time. Owns its bitmap.
class TCel {
public:
    TCel(std::unique_ptr<TPxBitmap> Bitmap, std::uint8_t Disposal, std::int32_t Delay);
    TCel(const TCel&) = delete;
    TCel& operator=(const TCel&) = delete;

    TPxBitmap& Bitmap() { return *Picture; }
    const TPxBitmap& Bitmap() const { return *Picture; }

    // 0 "Unspecified", 1 "No Disposal", 2 "Restore Background Color",
    // 3 "Overwrite with Prev Image".
    std::uint8_t Disposal() const { return DisposalMethod; }
    void SetDisposal(std::uint8_t Value) { DisposalMethod = Value; }

    // Display time in milliseconds.
    std::int32_t Delay() const { return DelayMs; }
    void SetDelay(std::int32_t Value) { DelayMs = Value; }

private:
    friend class TSprite;
    std::unique_ptr<TPxBitmap> Picture;
    std::uint8_t DisposalMethod;
    std::int32_t DelayMs;
};

// A named sequence of cels; kept for the file's sake, nothing plays it.
class TAnimation {
public:
    static constexpr std::size_t MaxNameLength = 30;

    // Name is cut to its first 30 characters.
    explicit TAnimation(const std::string& Name);

    const std::string& Name() const { return AnimationName; }
    std::int32_t Count() const { return FrameCount; }

private:
    std::string AnimationName;
    std::int32_t FrameCount = 0;
};

class TSprite {
public:
    // An empty sprite (no cels, Current() -1) with one animation "Animation [1]". BackColor
    // becomes PALETTERGB of the user colour of Palette nearest to it.
    static std::unique_ptr<TSprite> Create(int Width, int Height, TPxPalette& Palette,
                                           COLORREF BackColor);
    TSprite(int Width, int Height, TPxPalette& Palette, COLORREF BackColor);
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;
    virtual ~TSprite();

    // An exact copy of the cels (their bytes, disposals and delays), the background colour
    // and the current cel, on Palette, which holds the same colours as this sprite's. The
    // copy shares nothing with this sprite, so another thread may use it.
    std::unique_ptr<TSprite> CreateCopy(TPxPalette& Palette) const;
    // Makes this sprite such a copy of Source, which has the same size and colours, reusing
    // the memory of its own cels: copying into memory already in use is several times
    // faster than into memory fresh from the system.
    void CopyFrom(const TSprite& Source);

    int Width() const { return SpriteWidth; }
    int Height() const { return SpriteHeight; }
    COLORREF BackColor() const { return Background; }
    int Current() const { return CurrentIndex; }
    TPxPalette& Palette() { return *SpritePalette; }
    const TPxPalette& Palette() const { return *SpritePalette; }

    int CelCount() const { return int(Cels.size()); }
    TCel& Cel(int Index) { return *Cels[Index]; }
    const TCel& Cel(int Index) const { return *Cels[Index]; }
    TPxBitmap& CelBitmap(int Index) { return Cels[Index]->Bitmap(); }
    const TPxBitmap& CelBitmap(int Index) const { return Cels[Index]->Bitmap(); }
    TPxBitmap& CurrentBitmap() { return CelBitmap(CurrentIndex); }
    const TPxBitmap& CurrentBitmap() const { return CelBitmap(CurrentIndex); }

    int AnimationCount() const { return int(Animations.size()); }
    const TAnimation& Animation(int Index) const { return Animations[Index]; }
    void AddAnimation(const std::string& Name);

    // Frees every cel and every animation; Current() becomes -1.
    void Clear();

    // A new cel filled with BackColor(), disposal 2 and the given delay in milliseconds:
    // appended (returning its index) or inserted at Current(), which it then occupies.
    int AddCel(std::int32_t Delay);
    void InsertCel(std::int32_t Delay);
    // The same as AddCel, except that the new cel's bytes (padding included) are left as
    // they happen to be, for a caller that writes every one of them at once, as the GIF
    // reader does with each picture it composes.
    int AddCelUnfilled(std::int32_t Delay);
    // Current() is left alone; the cel list adjusts it.
    void DeleteCel(int Index);

    void SetCurrent(int Index) { CurrentIndex = Index; }
    void SetBackColor(COLORREF Color) { Background = Color; }

    // The following cel, wrapping from the last to the first, and the previous one,
    // wrapping from the first to the last.
    int NextIndex(int Index) const;
    int PrevIndex(int Index) const;

    // One pixel; the row or column leaving the frame is lost, the uncovered one takes
    // BackColor().
    void ShiftUp(bool All);
    void ShiftDown(bool All);
    void ShiftLeft(bool All);
    void ShiftRight(bool All);
    // A quarter turn inside the same frame: on a sprite that is not square, pixels turned
    // outside the frame are lost and the part no pixel reaches takes BackColor().
    void RotateClockwise(bool All);
    void RotateCClockwise(bool All);
    // FlipVert mirrors side to side ("Flip Side to Side"), FlipHorz top to bottom
    // ("Flip Top to Bottom").
    void FlipVert(bool All);
    void FlipHorz(bool All);

    // Rebuilds every cel at the new size: stretched by repeating or dropping rows and
    // columns, or cropped/extended at the right and bottom with BackColor().
    void Resize(int NewWidth, int NewHeight, bool Stretch);

    // Draws cel FromIndex's picture over cel ToIndex's, by colour.
    void CopyCelPicture(int FromIndex, int ToIndex);
    // In every cel, pixels showing the colour that OldColor matches on cel 0 take NewColor.
    // The caller then makes NewColor the background with SetBackColor.
    void ChangeBackColor(COLORREF OldColor, COLORREF NewColor);
    // Pixels whose colour equals OldColor's RGB take NewColor's RGB (both PALETTERGB).
    void ReplaceColor(int Index, COLORREF OldColor, COLORREF NewColor);
    void ReplaceColorAll(COLORREF OldColor, COLORREF NewColor);
    void SetDisposalAll(std::uint8_t Value);

    // Moves every cel onto NewPalette index-exactly: each old index goes to the user entry
    // of NewPalette nearest to its colour in the old palette. The old palette is not freed
    // (it must still be alive here) and BackColor() is not changed.
    void SetPalette(TPxPalette& NewPalette);

    // Copies Source into the cel (Index -1: the current cel) at (0, 0), each colour
    // matched to the nearest user colour; the part of Source beyond the cel is dropped,
    // cel pixels beyond Source keep their value.
    void ImportCel(int Index, const TPxBitmap& Source);
    void ImportBitmap(int Index, const TRgbPicture& Source);

    // Stamps Brush centred on (X, Y).
    void DrawBrush(int X, int Y, const TPxBrush& Brush);
    void DrawBrushOnCel(int X, int Y, int Index, const TPxBrush& Brush);
    // Repaints the area of the seed pixel's colour around (X, Y) with Color.
    void FloodFill(int X, int Y, COLORREF Color);
    void FloodFillCel(int X, int Y, int Index, COLORREF Color);
    // A filled rectangle with both corners inclusive.
    void Rectangle(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor);
    void RectangleOnCel(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                        int Index);
    // An ellipse outline in the box X1..X2-1, Y1..Y2-1 (BrushColor is not used).
    void Ellipse(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                 int PenWidth);
    void EllipseOnCel(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                      int PenWidth, int Index);
    // The same ellipse filled with BrushColor.
    void SolidEllipse(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                      int PenWidth);
    void SolidEllipseOnCel(int X1, int Y1, int X2, int Y2, COLORREF PenColor, COLORREF BrushColor,
                           int PenWidth, int Index);

    // One exact copy of each cel's bytes (padding included), in cel order; and the reverse,
    // block i into cel i. The blocks must come from cels of this size.
    std::vector<std::vector<std::uint8_t>> SaveAllBits() const;
    void RestoreAllBits(const std::vector<std::vector<std::uint8_t>>& Blocks);

private:
    std::unique_ptr<TCel> NewCel(std::int32_t Delay) const;
    // A bitmap of zeros, or with Unfilled one whose bytes are left as they are.
    std::unique_ptr<TPxBitmap> NewBitmap(int Width, int Height, bool Unfilled = false) const;
    std::unique_ptr<TPxBitmap> NewBitmap(int Width, int Height, const TPxPalette& Palette,
                                         bool Unfilled = false) const;
    void FillWithBackColor(TPxBitmap& Bitmap) const;
    template <typename Transform> void ForCels(bool All, Transform&& Apply);

    COLORREF Background;
    // Where the cels of the sprite's size take their pixels from.
    mutable std::shared_ptr<TPixelStore> Pixels;
    std::vector<std::unique_ptr<TCel>> Cels;
    std::vector<TAnimation> Animations;
    int SpriteWidth;
    int SpriteHeight;
    int CurrentIndex = -1;
    TPxPalette* SpritePalette;
};
