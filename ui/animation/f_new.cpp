#include "ui/animation/f_new.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/animation/AnimationDialogParts.h"
#include "ui/common/DialogParts.h"
#include "ui/common/Files.h"
#include "ui/common/Help.h"
#include "ui/common/Questions.h"

TfrmNew* frmNew = nullptr;

namespace {

struct TNamedColor {
    const char* Name;
    COLORREF Color;
};

// The sixteen named colours of the standard colour list, in its customary order.
const TNamedColor NamedColors[] = {
    {"clBlack", RGB(0, 0, 0)},        {"clMaroon", RGB(128, 0, 0)},
    {"clGreen", RGB(0, 128, 0)},      {"clOlive", RGB(128, 128, 0)},
    {"clNavy", RGB(0, 0, 128)},       {"clPurple", RGB(128, 0, 128)},
    {"clTeal", RGB(0, 128, 128)},     {"clGray", RGB(128, 128, 128)},
    {"clSilver", RGB(192, 192, 192)}, {"clRed", RGB(255, 0, 0)},
    {"clLime", RGB(0, 255, 0)},       {"clYellow", RGB(255, 255, 0)},
    {"clBlue", RGB(0, 0, 255)},       {"clFuchsia", RGB(255, 0, 255)},
    {"clAqua", RGB(0, 255, 255)},     {"clWhite", RGB(255, 255, 255)},
};

QPixmap Swatch(COLORREF Color) {
    QPixmap Picture(16, 12);
    Picture.fill(QColor(GetRValue(Color), GetGValue(Color), GetBValue(Color)));
    QPainter Painter(&Picture);
    Painter.setPen(Qt::black);
    Painter.drawRect(0, 0, Picture.width() - 1, Picture.height() - 1);
    return Picture;
}

QString JoinPath(const QString& Folder, const QString& Name) {
    return Folder.endsWith('/') ? Folder + Name : Folder + '/' + Name;
}

QSpinBox* MakeSpin(const QString& Name, const QString& Caption, int Low, int High, int Value,
                   QWidget* Parent) {
    auto* Spin = new QSpinBox(Parent);
    NameControl(Spin, Name, Caption);
    Spin->setRange(Low, High);
    Spin->setValue(Value);
    return Spin;
}

} // namespace

TfrmNew::TfrmNew(const QString& PaletteFolder, QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    NameWindow(*this, "frmNew", "New Animation");

    auto* Dimension = new QGroupBox("Dimension  (in pixels)", this);
    NameControl(Dimension, "grpDimension", Dimension->title());
    spinWidth = MakeSpin("spinWidth", "Width", 1, 640, 64, Dimension);
    spinHeight = MakeSpin("spinHeight", "Height", 1, 480, 64, Dimension);
    auto* DimensionLayout = new QFormLayout(Dimension);
    DimensionLayout->addRow("Width", spinWidth);
    DimensionLayout->addRow("Height", spinHeight);

    auto* Colors = new QGroupBox("Colors", this);
    NameControl(Colors, "grpColors", Colors->title());
    cboBGColor = new QComboBox(Colors);
    NameControl(cboBGColor, "cboBGColor", "Background Color");
    for (const TNamedColor& Named : NamedColors)
        cboBGColor->addItem(Swatch(Named.Color), Named.Name, QVariant::fromValue(Named.Color));
    cboBGColor->setCurrentIndex(cboBGColor->findText("clWhite"));
    chkTransparent = new QCheckBox("Transparent", Colors);
    NameControl(chkTransparent, "chkTransparent", "Transparent");
    chkTransparent->setChecked(true);
    cboPalette = new QComboBox(Colors);
    NameControl(cboPalette, "cboPalette", "Palette");
    cboPalette->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cboPalette->setMinimumContentsLength(12);
    auto* butGetPaletteFile = MakeButton("butGetPaletteFile", "Locate Palette File...", Colors);
    auto* ColorsLayout = new QFormLayout(Colors);
    ColorsLayout->addRow("Background Color", cboBGColor);
    ColorsLayout->addRow(chkTransparent);
    ColorsLayout->addRow("Palette", cboPalette);
    ColorsLayout->addRow(butGetPaletteFile);

    auto* CelAttributes = new QGroupBox("Cel Attributes", this);
    NameControl(CelAttributes, "grpCelAttributes", CelAttributes->title());
    spinNumCels = MakeSpin("spinNumCels", "Number of Cels (Frames)", 1, 32, 4, CelAttributes);
    spinFrameRate =
        MakeSpin("spinFrameRate", "Default Frame Rate (1/1000 sec)", 1, 99999, 200, CelAttributes);
    auto* CelLayout = new QFormLayout(CelAttributes);
    CelLayout->addRow("Number of Cels (Frames)", spinNumCels);
    CelLayout->addRow("Default Frame Rate (1/1000 sec)", spinFrameRate);

    QHBoxLayout* Buttons = OkCancelHelpRow(*this, HelpContext);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Dimension);
    Layout->addWidget(Colors);
    Layout->addWidget(CelAttributes);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cboPalette, &QComboBox::currentIndexChanged, this, [this] { UpdatePath(); });
    connect(butGetPaletteFile, &QPushButton::clicked, this, [this] { butGetPaletteFileClick(); });

    ListPalettes(PaletteFolder, "vimbrel.pal");
    Kept = Settings();
}

int TfrmNew::AnimationWidth() const {
    return spinWidth->value();
}

int TfrmNew::AnimationHeight() const {
    return spinHeight->value();
}

COLORREF TfrmNew::BackgroundColor() const {
    return cboBGColor->currentData().value<COLORREF>();
}

bool TfrmNew::Transparent() const {
    return chkTransparent->isChecked();
}

int TfrmNew::NumberOfCels() const {
    return spinNumCels->value();
}

int TfrmNew::FrameRate() const {
    return spinFrameRate->value();
}

void TfrmNew::ListPalettes(const QString& NewFolder, const QString& FileName) {
    Folder = QDir::cleanPath(QDir(NewFolder).absolutePath());
    const QDir Dir(Folder);
    QStringList Names = Dir.entryList({"*.pal", "*.gpl", "*.hex", "*.act"},
                                      QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    // A file located by hand is offered even when its name says no palette.
    if (!FileName.isEmpty() && !Names.contains(FileName) &&
        QFileInfo(Dir.filePath(FileName)).isFile())
        Names << FileName;
    std::sort(Names.begin(), Names.end(), [](const QString& A, const QString& B) {
        const int Order = A.compare(B, Qt::CaseInsensitive);
        return Order != 0 ? Order < 0 : A < B;
    });
    const QSignalBlocker Quiet(cboPalette);
    cboPalette->clear();
    cboPalette->addItems(Names);
    cboPalette->setCurrentIndex(Names.indexOf(FileName));
    UpdatePath();
}

void TfrmNew::butGetPaletteFileClick() {
    TFileDialog Dialog("dlgOpenPalette", "Locate Palette File", PaletteFileFilter);
    Dialog.Folder = Folder;
    Dialog.DefaultSuffix = "pal";
    const QString FileName = Questions().AskFile(Dialog);
    if (FileName.isEmpty()) return;
    const QFileInfo File(FileName);
    ListPalettes(File.absolutePath(), File.fileName());
}

void TfrmNew::done(int Result) {
    if (Result == Accepted)
        Kept = Settings();
    else
        Restore(Kept);
    UpdatePath();
    QDialog::done(Result);
}

void TfrmNew::showEvent(QShowEvent* Event) {
    ListPalettes(Folder, PaletteName());
    QDialog::showEvent(Event);
}

TfrmNew::TSettings TfrmNew::Settings() const {
    return {
        spinWidth->value(), spinHeight->value(),  cboBGColor->currentIndex(), Transparent(), Folder,
        PaletteName(),      spinNumCels->value(), spinFrameRate->value()};
}

void TfrmNew::Restore(const TSettings& Previous) {
    spinWidth->setValue(Previous.Width);
    spinHeight->setValue(Previous.Height);
    cboBGColor->setCurrentIndex(Previous.ColorIndex);
    chkTransparent->setChecked(Previous.Transparent);
    if (Previous.Folder != Folder || Previous.PaletteName != PaletteName())
        ListPalettes(Previous.Folder, Previous.PaletteName);
    spinNumCels->setValue(Previous.NumberOfCels);
    spinFrameRate->setValue(Previous.FrameRate);
}

QString TfrmNew::PaletteName() const {
    return cboPalette->currentIndex() < 0 ? QString() : cboPalette->currentText();
}

void TfrmNew::UpdatePath() {
    Path = JoinPath(Folder, PaletteName());
}
