#pragma once
// The flying palette: a small borderless window over a painter's palette strip that shows
// all 236 user colours at once. One click picks the left (left button) or right (any other
// button) drawing colour of the painter that opened it, scrolls that painter's strip to the
// colour's row and closes the window; clicking anywhere else closes it without a pick.
//
// It exists once for the program and serves whichever painter opened it last. Owns its
// swatch picture; refers to the palette and the painter (the painter may close meanwhile).
// User-interface thread only.
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>

#include "ui/painter/brushfly.h"
#include "ui/painter/f_painter.h"

class TPxPalette;

class TfrmPalFly : public TFlyout {
    Q_OBJECT
public:
    static constexpr int SwatchWidth = 8;
    static constexpr int SwatchHeight = 10;

    explicit TfrmPalFly(QWidget* Parent = nullptr);

    // The colours shown; the picture is drawn again when the palette is another one.
    void SetPalette(TPxPalette* Palette);
    // Opens the window for Painter with its top-left corner at TopLeft (the strip's screen
    // position), kept on the screen.
    void Popup(TfrmPainter& Painter, QPoint TopLeft);

    // A click at (X, Y) of the swatch picture with Button.
    void imgPaletteMouseDown(Qt::MouseButton Button, int X, int Y);

    // 0 left button, 1 another button, 2 nothing picked since the window opened.
    std::uint8_t PickedButton = 2;
    TfrmPainter* Painter() const { return Owner; }
    // The swatches as shown.
    const QImage& Picture() const { return Swatches; }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    friend class TFlyingSwatches;
    void DrawSwatches();

    QWidget* imgPalette = nullptr;
    QImage Swatches;
    TPxPalette* Palette = nullptr;
    QPointer<TfrmPainter> Owner;
};

// The program's one flying palette, made at start-up with the other once-only
// windows; null before and after.
extern TfrmPalFly* frmPalFly;
