#pragma once
// The small dialog asked before a copy of an animation is made for other programs: the scale
// of a scaled GIF copy or of a PNG, and for a sprite sheet also its columns and spacing.
// Made afresh for each export; remembers the last choices of each kind for the next one.
// User-interface thread only.
#include <QDialog>

#include "imaging/SpriteSheet.h"

class QComboBox;
class QSpinBox;

class TdlgExportOptions : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 40;

    // What is exported: a scaled GIF copy (2x to 8x), a cel as a PNG (1x to 8x), or every
    // cel in a sheet of CelCount cels.
    enum class TKind { ScaledCopy, CelPicture, Sheet };

    TdlgExportOptions(TKind Kind, int CelCount, QWidget* Parent = nullptr);

    int Scale() const;
    // Columns, scale and spacing of a sheet.
    TSheetOptions SheetOptions() const;

    void done(int Result) override;

private:
    TKind Kind;
    QComboBox* cboScale = nullptr;
    QSpinBox* spinColumns = nullptr;
    QSpinBox* spinSpacing = nullptr;
};
