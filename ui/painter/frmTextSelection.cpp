#include "ui/painter/frmTextSelection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QIntValidator>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "imaging/Limits.h"
#include "ui/common/Questions.h"

TfrmText* frmText = nullptr;

namespace {
// 96 pixels per inch, as dots per metre.
constexpr int RenderDotsPerMetre = 3780;
} // namespace

TfrmText::TfrmText(QWidget* Parent) : QDialog(Parent) {
    setObjectName("frmText");
    setWindowTitle("Create Text Brush");
    setAccessibleName("Create Text Brush");
    setModal(true);
    setFixedSize(414, 303);

    auto* lblFont = new QLabel("&Font:", this);
    lblFont->setObjectName("lblFont");
    cboFonts = new QFontComboBox(this);
    cboFonts->setObjectName("cboFonts");
    cboFonts->setAccessibleName("Font");
    cboFonts->setMaxVisibleItems(12);
    lblFont->setBuddy(cboFonts);

    auto* lblSize = new QLabel("&Size:", this);
    lblSize->setObjectName("lblSize");
    cboSizes = new QComboBox(this);
    cboSizes->setObjectName("cboSizes");
    cboSizes->setAccessibleName("Size");
    // Any whole point size may be typed besides those listed.
    cboSizes->setEditable(true);
    cboSizes->setInsertPolicy(QComboBox::NoInsert);
    cboSizes->setValidator(new QIntValidator(1, 999, cboSizes));
    cboSizes->setMinimumWidth(64);
    lblSize->setBuddy(cboSizes);

    auto* grpOptions = new QGroupBox("Options", this);
    grpOptions->setObjectName("grpOptions");
    grpOptions->setAccessibleName("Options");
    auto* OptionColumn = new QVBoxLayout(grpOptions);
    const auto Option = [&](const char* Name, const char* Caption) {
        auto* Box = new QCheckBox(Caption, grpOptions);
        Box->setObjectName(Name);
        Box->setAccessibleName(QString(Caption).remove('&'));
        OptionColumn->addWidget(Box);
        connect(Box, &QCheckBox::toggled, this, [this] { ApplyFont(); });
        return Box;
    };
    chkBold = Option("chkBold", "&Bold");
    chkItalic = Option("chkItalic", "&Italic");
    chkUnderline = Option("chkUnderline", "&Underline");
    chkStrikeout = Option("chkStrikeout", "S&trikeout");

    memString = new QPlainTextEdit(this);
    memString->setObjectName("memString");
    memString->setAccessibleName("Text");
    memString->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setAccessibleName("OK");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    CancelBtn->setAccessibleName("Cancel");
    Button1 = new QPushButton("Help", this);
    Button1->setObjectName("Button1");
    Button1->setAccessibleName("Help");

    auto* Top = new QHBoxLayout;
    Top->addWidget(lblFont);
    Top->addWidget(cboFonts, 1);
    Top->addWidget(lblSize);
    Top->addWidget(cboSizes);
    auto* Side = new QVBoxLayout;
    Side->addWidget(grpOptions);
    Side->addStretch(1);
    Side->addWidget(OKBtn);
    Side->addWidget(CancelBtn);
    Side->addWidget(Button1);
    auto* Middle = new QHBoxLayout;
    Middle->addWidget(memString, 1);
    Middle->addLayout(Side);
    auto* Form = new QVBoxLayout(this);
    Form->addLayout(Top);
    Form->addLayout(Middle, 1);

    connect(OKBtn, &QPushButton::clicked, this, &TfrmText::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(memString, &QPlainTextEdit::textChanged, this,
            [this] { TypedText = memString->toPlainText(); });
    connect(cboFonts, &QFontComboBox::currentFontChanged, this, [this] {
        FillSizes();
        ApplyFont();
    });
    connect(cboSizes, &QComboBox::currentTextChanged, this, [this] { ApplyFont(); });

    cboFonts->setCurrentIndex(0);
    FillSizes();
    cboSizes->setEditText(QString::number(ConfirmedSize));
    ApplyFont();
}

void TfrmText::FillSizes() {
    const QString Typed = cboSizes->currentText();
    QList<int> Sizes = QFontDatabase::pointSizes(cboFonts->currentFont().family());
    if (Sizes.isEmpty()) Sizes = QFontDatabase::standardSizes();
    const QSignalBlocker Quiet(cboSizes);
    cboSizes->clear();
    for (int Size : Sizes)
        cboSizes->addItem(QString::number(Size));
    cboSizes->setEditText(Typed.isEmpty() ? QString::number(ConfirmedSize) : Typed);
}

int TfrmText::ChosenSize() const {
    bool Ok = false;
    const int Size = cboSizes->currentText().toInt(&Ok);
    return Ok && Size > 0 ? Size : ConfirmedSize;
}

void TfrmText::ApplyFont() {
    QFont Font(cboFonts->currentFont().family());
    Font.setPointSize(ChosenSize());
    Font.setBold(chkBold->isChecked());
    Font.setItalic(chkItalic->isChecked());
    Font.setUnderline(chkUnderline->isChecked());
    Font.setStrikeOut(chkStrikeout->isChecked());
    memString->setFont(Font);
    if (memString->toPlainText() != TypedText) memString->setPlainText(TypedText);
}

QFont TfrmText::TextFont() const {
    return memString->font();
}

void TfrmText::showEvent(QShowEvent* Event) {
    {
        const QSignalBlocker Quiet(cboFonts);
        cboFonts->setCurrentFont(cboFonts->currentFont());
    }
    FillSizes();
    cboSizes->setEditText(QString::number(ConfirmedSize));
    ApplyFont();
    if (const QScreen* Screen = screen())
        move(Screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(Event);
}

QFont TfrmText::RenderFont() const {
    QFont Font = TextFont();
    // Every stamped pixel must be one palette entry: no grey edges to threshold away.
    Font.setStyleStrategy(QFont::NoAntialias);
    return Font;
}

QString TfrmText::RenderLine() const {
    QString Line = TypedText;
    return Line.replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ');
}

namespace {
// Measured as rendered: at 96 pixels per inch.
QSize MeasureLine(const QFont& Font, const QString& Line) {
    QImage Probe(1, 1, QImage::Format_Grayscale8);
    Probe.setDotsPerMeterX(RenderDotsPerMetre);
    Probe.setDotsPerMeterY(RenderDotsPerMetre);
    const QFontMetrics Metrics(Font, &Probe);
    return {Metrics.horizontalAdvance(Line), Metrics.height()};
}
} // namespace

QSize TfrmText::MaskSize() const {
    return MeasureLine(RenderFont(), RenderLine());
}

void TfrmText::OKBtnClick() {
    const QSize Size = MaskSize();
    if (Size.width() > MaxTextBrushSide || Size.height() > MaxTextBrushSide) {
        Questions().Message(TBoxKind::Error,
                            QString("Error:  This text would make a brush of %1 x %2 pixels, and a "
                                    "text brush can be at most %3 x %3 pixels.  Choose a smaller "
                                    "size or a shorter text.")
                                .arg(Size.width())
                                .arg(Size.height())
                                .arg(MaxTextBrushSide));
        return;
    }
    ConfirmedSize = ChosenSize();
    accept();
}

std::shared_ptr<const TTextMask> TfrmText::RenderMask() const {
    const QFont Font = RenderFont();
    const QString Line = RenderLine();
    if (Rendered && Font == RenderedFont && Line == RenderedLine) return Rendered;
    auto Mask = std::make_shared<TTextMask>();
    const QSize Size = MeasureLine(Font, Line);
    if (Size.width() > 0 && Size.height() > 0 && Size.width() <= MaxTextBrushSide &&
        Size.height() <= MaxTextBrushSide) {
        Mask->Width = Size.width();
        Mask->Height = Size.height();
        QImage Picture(Mask->Width, Mask->Height, QImage::Format_Grayscale8);
        Picture.setDotsPerMeterX(RenderDotsPerMetre);
        Picture.setDotsPerMeterY(RenderDotsPerMetre);
        Picture.fill(255);
        {
            QPainter Painter(&Picture);
            Painter.setRenderHint(QPainter::Antialiasing, false);
            Painter.setRenderHint(QPainter::TextAntialiasing, false);
            Painter.setFont(Font);
            Painter.setPen(Qt::black);
            Painter.drawText(0, QFontMetrics(Font, &Picture).ascent(), Line);
        }
        Mask->Ink.resize(std::size_t(Mask->Width) * std::size_t(Mask->Height));
        for (int y = 0; y < Mask->Height; ++y) {
            const uchar* Row = Picture.constScanLine(y);
            for (int x = 0; x < Mask->Width; ++x)
                Mask->Ink[std::size_t(y) * std::size_t(Mask->Width) + std::size_t(x)] =
                    Row[x] < 128;
        }
    }
    Rendered = std::move(Mask);
    RenderedFont = Font;
    RenderedLine = Line;
    return Rendered;
}
