#pragma once
// The palette editor: a modal dialog in which the user edits the 256-colour palette that
// every cel of an animation shares. It works on a copy: the caller hands in the palette in
// use, the user edits the working palette (single colours through the sliders, gradients,
// swaps and copies between the entries marked "L" and "R", palette files), and after OK
// the caller takes the working palette and gives it to the document. Entries 0..9 and
// 246..255 are the system colours, shown but never edited.
//
// Exists once for the program and keeps its "L" and "R" entries between openings. Owns its
// working and starting palettes and its controls; user-interface thread only.
#include <QDialog>
#include <QImage>
#include <array>
#include <memory>
#include <utility>

class QLineEdit;
class QPushButton;
class QSlider;
class TPxPalette;
class TSwatchImage;

class TfrmPalette : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 21;
    // Swatch width and height and the gap between swatches, in pixels.
    static constexpr int SwatchWidth = 10;
    static constexpr int SwatchHeight = 12;
    static constexpr int SwatchGap = 2;

    explicit TfrmPalette(QWidget* Parent = nullptr);
    ~TfrmPalette() override;

    // Begins an opening: Palette (the one in use, which stays the caller's) becomes both the
    // starting palette, which Reset and Cancel return to, and the working palette.
    void SetWorkingPalette(const TPxPalette& Palette);
    // The palette as edited so far; after OK, the one the document should take.
    const TPxPalette& WorkingPalette() const { return *Working; }
    const TPxPalette& StartingPalette() const { return *Starting; }
    // Hands the working palette over (after OK); the dialog goes on with a copy of it.
    std::unique_ptr<TPxPalette> TakeWorkingPalette();

    // The entry the sliders edit (10..245), and the second entry of Swap, Copy and
    // Gradient (-1 until the first right-click).
    int LeftIndex() const { return Left; }
    int RightIndex() const { return Right; }

    // ---- Event handlers ----
    // A click at (X, Y) of the user-colour image: the right button chooses the "R" entry,
    // any other the "L" entry.
    void imgUserColorsMouseDown(Qt::MouseButton Button, int X, int Y);
    // One of the three sliders moved.
    void trkColorChange();
    // A key was released in one of the three text boxes.
    void txtColorKeyUp();
    void butGradientClick();
    void butSwapClick();
    void butCopyClick();
    // Load... and Save... ask with the file dialogs "dlgOpenPalette" and "dlgSavePalette";
    // Save... writes the working palette, the colours the dialog shows.
    void butLoadClick();
    void butSaveClick();
    void butResetClick();
    void done(int Result) override;

    // The two swatch pictures as they are drawn now.
    QImage SystemColorsImage() const;
    QImage UserColorsImage() const;

protected:
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The red, green and blue sliders with their text boxes.
    std::array<std::pair<QSlider*, QLineEdit*>, 3> Channels() const;
    void LoadLeftColor();
    // Stores the sliders' colour into the "L" entry and shows the boxes as the sliders.
    void ApplySliders();
    void DrawSwatches();

    std::unique_ptr<TPxPalette> Working;
    std::unique_ptr<TPxPalette> Starting;
    int Left = 10;
    int Right = -1;

    TSwatchImage* imgSystemColors = nullptr;
    TSwatchImage* imgUserColors = nullptr;
    QSlider* trkRed = nullptr;
    QSlider* trkGreen = nullptr;
    QSlider* trkBlue = nullptr;
    QLineEdit* txtRed = nullptr;
    QLineEdit* txtGreen = nullptr;
    QLineEdit* txtBlue = nullptr;
    QPushButton* butGradient = nullptr;
    QPushButton* butSwap = nullptr;
    QPushButton* butCopy = nullptr;
};
