#pragma once
// "Create Text Brush": the dialog in which the user types the text of a text brush and
// chooses its font, point size and style. It exists once for the program and keeps its
// text, font and size from one use to the next; the painter renders the text from it
// whenever it builds a text brush. Owns its controls. User-interface thread only.
#include <QDialog>
#include <QFont>
#include <QSize>
#include <QString>
#include <memory>

#include "imaging/TextBrush.h"

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QPlainTextEdit;
class QPushButton;

class TfrmText : public QDialog {
    Q_OBJECT
public:
    explicit TfrmText(QWidget* Parent = nullptr);

    // The text of the brush ("Type Here!" at first) and the size confirmed with OK.
    QString Text() const { return TypedText; }
    int FontSize() const { return ConfirmedSize; }
    // The font the text is shown and rendered in: name, size and style as chosen.
    QFont TextFont() const;

    // The text as one line in TextFont, rendered without smoothing into a mask as wide as
    // its advance and as high as the font's line, the way the painter makes its brush.
    // Point sizes count at 96 pixels per inch, so a brush has the same pixels everywhere.
    // The mask is kept until the text or the font changes; one larger than
    // MaxTextBrushSide either way is never rendered, and comes back empty.
    std::shared_ptr<const TTextMask> RenderMask() const;
    // The size of that mask, measured without rendering anything.
    QSize MaskSize() const;

    // Confirms the size, unless the text would make a brush beyond the limit: then an
    // error box says so and the dialog stays open.
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // The memo takes the chosen font and shows the text in it.
    void ApplyFont();
    void FillSizes();
    int ChosenSize() const;
    // The font and the one-line text the brush is rendered from.
    QFont RenderFont() const;
    QString RenderLine() const;

    QFontComboBox* cboFonts = nullptr;
    QComboBox* cboSizes = nullptr;
    QCheckBox* chkBold = nullptr;
    QCheckBox* chkItalic = nullptr;
    QCheckBox* chkUnderline = nullptr;
    QCheckBox* chkStrikeout = nullptr;
    QPlainTextEdit* memString = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* Button1 = nullptr;
    QString TypedText = "Type Here!";
    int ConfirmedSize = 12;
    // The last mask rendered and what it was rendered from.
    mutable std::shared_ptr<const TTextMask> Rendered;
    mutable QFont RenderedFont;
    mutable QString RenderedLine;
};

// The program's one text-brush dialog, made at start-up with the other once-only
// windows; null before and after.
extern TfrmText* frmText;
