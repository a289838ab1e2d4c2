#include "ui/shell/f_palette.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <functional>
#include <tuple>

#include "imaging/Palette.h"
#include "ui/common/DialogParts.h"
#include "ui/common/Files.h"
#include "ui/common/PictureSources.h"
#include "ui/common/Questions.h"

// A picture of swatches drawn by the dialog; it passes mouse presses back to it.
class TSwatchImage : public QWidget {
public:
    TSwatchImage(const char* Name, const QString& Caption, int Width, int Height, QWidget* Parent)
        : QWidget(Parent), Picture(Width, Height, QImage::Format_RGB32) {
        setObjectName(Name);
        setAccessibleName(Caption);
        setFixedSize(Width, Height);
        Picture.fill(QColor(192, 192, 192));
    }

    QImage Picture;
    std::function<void(Qt::MouseButton, int, int)> Pressed;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, Picture); }
    void mousePressEvent(QMouseEvent* Event) override {
        if (Pressed)
            Pressed(Event->button(), Event->position().toPoint().x(),
                    Event->position().toPoint().y());
    }
};

namespace {

constexpr int W = TfrmPalette::SwatchWidth;
constexpr int H = TfrmPalette::SwatchHeight;
constexpr int G = TfrmPalette::SwatchGap;
constexpr int Columns = 32;
const QColor Silver(192, 192, 192);

QColor ColorOf(const TPxPalette& Palette, int Index) {
    const TPaletteEntry& e = Palette.Entry(Index);
    return QColor(e.Red, e.Green, e.Blue);
}

void DrawSwatch(QPainter& Painter, const QRect& Box, const QColor& Color) {
    Painter.fillRect(Box, Color);
    Painter.setPen(Qt::black);
    Painter.setBrush(Qt::NoBrush);
    Painter.drawRect(Box.adjusted(0, 0, -1, -1));
}

QRect UserSwatch(int Index) {
    const int Column = (Index - FirstUserColor) % Columns, Row = (Index - FirstUserColor) / Columns;
    return QRect(Column * (W + G) + G, Row * (H + G) + G, W, H);
}

void DrawMarker(QPainter& Painter, const TPxPalette& Palette, int Index, const QString& Letter) {
    const QRect Box = UserSwatch(Index).adjusted(-(W / 2), -(H / 2), W / 2, H / 2);
    DrawSwatch(Painter, Box, ColorOf(Palette, Index));
    QFont Bold = Painter.font();
    Bold.setBold(true);
    Painter.setFont(Bold);
    const QRect Text(Box.left() + 5, Box.top() + 5, Box.width(), Box.height());
    Painter.setPen(Qt::black);
    Painter.drawText(Text, Qt::AlignLeft | Qt::AlignTop, Letter);
    Painter.setPen(Qt::white);
    Painter.drawText(Text.translated(1, 1), Qt::AlignLeft | Qt::AlignTop, Letter);
}

QSlider* ColorSlider(const char* Name, const QString& Caption, QWidget* Parent) {
    auto* Slider = Named(new QSlider(Qt::Horizontal, Parent), Name, Caption);
    Slider->setRange(0, 255);
    return Slider;
}

QLineEdit* ColorBox(const char* Name, const QString& Caption, QWidget* Parent) {
    auto* Box = Named(new QLineEdit("0", Parent), Name, Caption);
    Box->setMaxLength(5);
    Box->setFixedWidth(Box->fontMetrics().horizontalAdvance("00000") + 12);
    return Box;
}

} // namespace

TfrmPalette::TfrmPalette(QWidget* Parent) : QDialog(Parent) {
    NameWindow(*this, "frmPalette", "Palette");
    setSizeGripEnabled(true);
    Working = TPxPalette::CreateFromColorMap({});
    Starting = TPxPalette::CreateCopy(*Working);

    imgSystemColors = new TSwatchImage("imgSystemColors", "System Colors", 123, 31, this);
    imgUserColors = new TSwatchImage("imgUserColors", "User Editable Colors", 387, 115, this);
    imgUserColors->Pressed = [this](Qt::MouseButton Button, int X, int Y) {
        imgUserColorsMouseDown(Button, X, Y);
    };
    auto* lblSystem = new QLabel("System Colors", this);
    auto* lblUser = new QLabel("User Editable Colors", this);

    trkRed = ColorSlider("trkRed", "Red", this);
    trkGreen = ColorSlider("trkGreen", "Green", this);
    trkBlue = ColorSlider("trkBlue", "Blue", this);
    trkRed->setSingleStep(5);
    trkRed->setPageStep(20);
    txtRed = ColorBox("txtRed", "Red value", this);
    txtGreen = ColorBox("txtGreen", "Green value", this);
    txtBlue = ColorBox("txtBlue", "Blue value", this);
    auto* Sliders = new QGridLayout;
    int Row = 0;
    for (auto [Caption, Box, Slider] :
         {std::tuple("Red", txtRed, trkRed), std::tuple("Green", txtGreen, trkGreen),
          std::tuple("Blue", txtBlue, trkBlue)}) {
        auto* Label = new QLabel(Caption, this);
        Label->setBuddy(Slider);
        Sliders->addWidget(Label, Row, 0);
        Sliders->addWidget(Box, Row, 1);
        Sliders->addWidget(Slider, Row, 2);
        ++Row;
        connect(Slider, &QSlider::valueChanged, this, [this] { trkColorChange(); });
        Box->installEventFilter(this);
    }

    butGradient = Named(new QPushButton("Create Gradient", this), "butGradient", "Create Gradient");
    butSwap = Named(new QPushButton("Swap Colors", this), "butSwap", "Swap Colors");
    butCopy = Named(new QPushButton("Copy R to L", this), "butCopy", "Copy R to L");
    for (QPushButton* Button : {butGradient, butSwap, butCopy})
        Button->setEnabled(false);
    auto* butLoad = Named(new QPushButton("Load...", this), "butLoad", "Load...");
    auto* butSave = Named(new QPushButton("Save...", this), "butSave", "Save...");
    auto* butReset = Named(new QPushButton("&Reset", this), "butReset", "&Reset");
    auto* butOk = Named(new QPushButton("&Ok", this), "butOk", "&Ok");
    auto* butCancel = Named(new QPushButton("&Cancel", this), "butCancel", "&Cancel");
    auto* butHelp = Named(new QPushButton("&Help", this), "butHelp", "&Help");
    WireDialogButtons(*this, butOk, butCancel, butHelp, HelpContext);

    auto* lblNote = Named(new QLabel("Note:  You can not undo a palette change.  You may want to "
                                     "save the animation first.",
                                     this),
                          "lblNote", "Note");
    lblNote->setWordWrap(true);

    auto* Pictures = new QVBoxLayout;
    Pictures->addWidget(lblSystem);
    Pictures->addWidget(imgSystemColors);
    Pictures->addWidget(lblUser);
    Pictures->addWidget(imgUserColors);
    Pictures->addLayout(Sliders);
    Pictures->addWidget(lblNote);
    Pictures->addStretch();
    auto* Buttons = new QVBoxLayout;
    for (QPushButton* Button :
         {butGradient, butSwap, butCopy, butLoad, butSave, butReset, butOk, butCancel, butHelp})
        Buttons->addWidget(Button);
    Buttons->addStretch();
    auto* Layout = new QHBoxLayout(this);
    Layout->addLayout(Pictures, 1);
    Layout->addLayout(Buttons);

    connect(butGradient, &QPushButton::clicked, this, [this] { butGradientClick(); });
    connect(butSwap, &QPushButton::clicked, this, [this] { butSwapClick(); });
    connect(butCopy, &QPushButton::clicked, this, [this] { butCopyClick(); });
    connect(butLoad, &QPushButton::clicked, this, [this] { butLoadClick(); });
    connect(butSave, &QPushButton::clicked, this, [this] { butSaveClick(); });
    connect(butReset, &QPushButton::clicked, this, [this] { butResetClick(); });

    DrawSwatches();
    LoadLeftColor();
}

TfrmPalette::~TfrmPalette() = default;

void TfrmPalette::SetWorkingPalette(const TPxPalette& Palette) {
    // Copied once per opening rather than on every activation, so that coming back from a
    // file dialog or the help window keeps the edits made so far.
    Starting = TPxPalette::CreateCopy(Palette);
    Working = TPxPalette::CreateCopy(Palette);
    DrawSwatches();
    LoadLeftColor();
}

std::unique_ptr<TPxPalette> TfrmPalette::TakeWorkingPalette() {
    auto Taken = std::move(Working);
    Working = TPxPalette::CreateCopy(*Taken);
    return Taken;
}

void TfrmPalette::showEvent(QShowEvent* Event) {
    DrawSwatches();
    LoadLeftColor();
    QDialog::showEvent(Event);
}

void TfrmPalette::LoadLeftColor() {
    const TPaletteEntry& e = Working->Entry(Left);
    // Set quietly: the colour shown is the entry's own, so nothing is stored back.
    for (auto [Slider, Box, Value] :
         {std::tuple(trkRed, txtRed, e.Red), std::tuple(trkGreen, txtGreen, e.Green),
          std::tuple(trkBlue, txtBlue, e.Blue)}) {
        const QSignalBlocker Quiet(Slider);
        Slider->setValue(Value);
        Box->setText(QString::number(Value));
    }
}

void TfrmPalette::imgUserColorsMouseDown(Qt::MouseButton Button, int X, int Y) {
    const int Column = std::clamp(X / (W + G), 0, Columns - 1);
    const int Row = std::max(Y / (H + G), 0);
    const int Index = std::min(FirstUserColor + Column + Columns * Row, LastUserColor);
    if (Button == Qt::RightButton) {
        Right = Index;
        for (QPushButton* Command : {butGradient, butSwap, butCopy})
            Command->setEnabled(true);
    } else {
        Left = Index;
    }
    DrawSwatches();
    LoadLeftColor();
}

std::array<std::pair<QSlider*, QLineEdit*>, 3> TfrmPalette::Channels() const {
    return {{{trkRed, txtRed}, {trkGreen, txtGreen}, {trkBlue, txtBlue}}};
}

void TfrmPalette::trkColorChange() {
    bool Same = true;
    for (auto [Slider, Box] : Channels()) {
        bool Number = false;
        const int Value = Box->text().toInt(&Number);
        if (!Number) {
            Questions().Message(TBoxKind::Error,
                                QString("'%1' is not a valid integer value.").arg(Box->text()));
            return;
        }
        Same = Same && Value == Slider->value();
    }
    if (!Same) ApplySliders();
}

void TfrmPalette::txtColorKeyUp() {
    bool AllNumbers = true;
    for (auto [Slider, Box] : Channels()) {
        bool Number = false;
        const int Value = Box->text().toInt(&Number);
        if (Number) {
            const QSignalBlocker Quiet(Slider);
            Slider->setValue(Value);
        } else {
            // Only the box that holds no number goes back to its slider; the others keep
            // what is being typed into them.
            Box->setText(QString::number(Slider->value()));
            AllNumbers = false;
        }
    }
    if (AllNumbers) ApplySliders();
}

void TfrmPalette::ApplySliders() {
    const COLORREF Color = RGB(std::uint8_t(trkRed->value()), std::uint8_t(trkGreen->value()),
                               std::uint8_t(trkBlue->value()));
    for (auto [Slider, Box] : Channels()) {
        const QString Text = QString::number(Slider->value());
        // Rewriting an unchanged box would move the cursor of the person typing in it.
        if (Box->text() != Text) Box->setText(Text);
    }
    Working->SetColor(Left, Color);
    DrawSwatches();
}

void TfrmPalette::butGradientClick() {
    if (Right < 0) return;
    Working->MakeGradient(Left, Right);
    DrawSwatches();
}

void TfrmPalette::butSwapClick() {
    if (Right < 0) return;
    Working->SwapColors(Left, Right);
    LoadLeftColor();
    DrawSwatches();
}

void TfrmPalette::butCopyClick() {
    if (Right < 0) return;
    Working->CopyColor(Left, Right);
    LoadLeftColor();
    DrawSwatches();
}

void TfrmPalette::butLoadClick() {
    TFileDialog Dialog("dlgOpenPalette", "Open Palette", PaletteOpenFilter);
    Dialog.DefaultSuffix = "pal";
    const QString FileName = Questions().AskFile(Dialog);
    if (FileName.isEmpty()) return;
    QString Refusal;
    std::unique_ptr<TPxPalette> Loaded;
    {
        const THourglass Wait;
        Loaded = LoadPaletteOrPicture(FileName, Refusal);
    }
    if (!Loaded) {
        Questions().Message(TBoxKind::Error, Refusal);
        return;
    }
    Working = std::move(Loaded);
    DrawSwatches();
}

void TfrmPalette::butSaveClick() {
    SavePaletteAs(*Working, QString(), FileErrors::SavePalette);
}

void TfrmPalette::butResetClick() {
    Working = TPxPalette::CreateCopy(*Starting);
    DrawSwatches();
}

void TfrmPalette::done(int Result) {
    if (Result != Accepted) Working = TPxPalette::CreateCopy(*Starting);
    QDialog::done(Result);
}

void TfrmPalette::DrawSwatches() {
    {
        QPainter Painter(&imgUserColors->Picture);
        Painter.fillRect(QRect(0, 0, Columns * W + 33 * G + 10, 8 * H + 9 * G + 10), Silver);
        for (int Index = FirstUserColor; Index <= LastUserColor; ++Index)
            DrawSwatch(Painter, UserSwatch(Index), ColorOf(*Working, Index));
        DrawMarker(Painter, *Working, Left, "L");
        if (Right != -1) DrawMarker(Painter, *Working, Right, "R");
    }
    {
        QPainter Painter(&imgSystemColors->Picture);
        Painter.fillRect(QRect(0, 0, 10 * W + 11 * G, 2 * H + 3 * G), Silver);
        for (int k = 0; k < 10; ++k) {
            DrawSwatch(Painter, QRect(k * (W + G) + G, 2, W, H), ColorOf(*Working, k));
            DrawSwatch(Painter, QRect(k * (W + G) + G, H + 4, W, H), ColorOf(*Working, 246 + k));
        }
    }
    imgUserColors->update();
    imgSystemColors->update();
}

QImage TfrmPalette::SystemColorsImage() const {
    return imgSystemColors->Picture;
}

QImage TfrmPalette::UserColorsImage() const {
    return imgUserColors->Picture;
}

bool TfrmPalette::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::KeyRelease &&
        (Watched == txtRed || Watched == txtGreen || Watched == txtBlue))
        txtColorKeyUp();
    return QDialog::eventFilter(Watched, Event);
}
