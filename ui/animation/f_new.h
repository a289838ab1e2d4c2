#pragma once
// The New Animation dialog: the size, background colour, transparency, palette file,
// number of cels and default frame rate that every new animation window starts from. It
// exists once and keeps its settings from one use to the next. User-interface thread only.
#include <QDialog>
#include <QString>

#include "imaging/Color.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

class TfrmNew : public QDialog {
    Q_OBJECT
public:
    // PaletteFolder is listed for *.pal files ("vimbrel.pal" chosen when present).
    explicit TfrmNew(const QString& PaletteFolder, QWidget* Parent = nullptr);

    int AnimationWidth() const;       // 1..640
    int AnimationHeight() const;      // 1..480
    COLORREF BackgroundColor() const; // plain RGB of the chosen colour
    bool Transparent() const;
    int NumberOfCels() const; // 1..32
    int FrameRate() const;    // milliseconds, 1..99999
    // The folder listed, and the full name of the chosen palette file (the folder followed
    // by a separator alone when no file is chosen).
    QString PaletteDir() const { return Folder; }
    QString PalettePath() const { return Path; }

    // Lists Folder's palette files and chooses FileName among them, if present.
    void ListPalettes(const QString& Folder, const QString& FileName);
    void butGetPaletteFileClick();

    void done(int Result) override;

private:
    QString Folder;
    QString Path;
};
