#pragma once
// The New Animation dialog: the size, background colour, transparency, palette file,
// number of cels and default frame rate that every new animation window starts from. It
// exists once and keeps its settings from one use to the next: OK keeps what was edited,
// Cancel returns to what the last OK kept. Owns its controls; user-interface thread only.
#include <QDialog>
#include <QString>

#include "imaging/Color.h"

class QCheckBox;
class QComboBox;
class QSpinBox;

class TfrmNew : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 19;

    // PaletteFolder is listed for *.pal files ("vimbrel.pal" chosen when present).
    explicit TfrmNew(const QString& PaletteFolder, QWidget* Parent = nullptr);

    int AnimationWidth() const;       // 1..640
    int AnimationHeight() const;      // 1..480
    COLORREF BackgroundColor() const; // plain RGB of the chosen colour
    bool Transparent() const;
    int NumberOfCels() const; // 1..32
    int FrameRate() const;    // milliseconds, 1..99999
    // The folder listed (without a trailing separator), and the full name of the chosen
    // palette file (the folder followed by a separator alone when no file is chosen).
    QString PaletteDir() const { return Folder; }
    QString PalettePath() const { return Path; }

    // Lists Folder's palette files and chooses FileName among them, if present.
    void ListPalettes(const QString& Folder, const QString& FileName);
    void butGetPaletteFileClick();

    void done(int Result) override;

protected:
    // The folder is listed again, so that palettes saved since the last use are offered.
    void showEvent(QShowEvent* Event) override;

private:
    // What OK last kept, to return to on Cancel.
    struct TSettings {
        int Width = 64;
        int Height = 64;
        int ColorIndex = 0;
        bool Transparent = true;
        QString Folder;
        QString PaletteName;
        int NumberOfCels = 4;
        int FrameRate = 200;
    };
    TSettings Settings() const;
    void Restore(const TSettings& Previous);
    QString PaletteName() const;
    void UpdatePath();

    QSpinBox* spinWidth = nullptr;
    QSpinBox* spinHeight = nullptr;
    QComboBox* cboBGColor = nullptr;
    QCheckBox* chkTransparent = nullptr;
    QComboBox* cboPalette = nullptr;
    QSpinBox* spinNumCels = nullptr;
    QSpinBox* spinFrameRate = nullptr;
    TSettings Kept;
    QString Folder;
    QString Path;
};

// The program's one New Animation dialog, made at start-up with the other once-only
// windows; null before and after.
extern TfrmNew* frmNew;
