#include "ui/shell/frmimprt.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "ui/animation/f_charanim.h"
#include "ui/common/DialogParts.h"
#include "ui/common/Files.h"
#include "ui/common/Help.h"
#include "ui/common/PictureSources.h"
#include "ui/common/PieceDrag.h"
#include "ui/common/Questions.h"
#include "ui/common/RgbImage.h"
#include "ui/shell/Forms.h"
#include "ui/shell/SpriteMDI.h"

// The picture with its grid; the pointer over it selects a cell, and moving with a button
// held drags that cell away.
class TImportImage : public QWidget {
public:
    explicit TImportImage(QWidget* Parent) : QWidget(Parent) {
        setObjectName("imgImport");
        setAccessibleName("Import Picture");
        setMouseTracking(true);
    }

    const QImage* Image = nullptr;
    std::function<void(int, int)> Moved;
    std::function<void()> DragStarted;

protected:
    void paintEvent(QPaintEvent*) override {
        if (Image) QPainter(this).drawImage(0, 0, *Image);
    }
    void mousePressEvent(QMouseEvent* Event) override {
        PressedAt = Event->position().toPoint();
        Moved(PressedAt.x(), PressedAt.y());
    }
    void mouseMoveEvent(QMouseEvent* Event) override {
        const QPoint At = Event->position().toPoint();
        // With a button held the selection stays on the cell pressed, so the cell dragged
        // is the one under the pointer when the drag began.
        if (Event->buttons() == Qt::NoButton)
            Moved(At.x(), At.y());
        else if ((Event->buttons() & Qt::LeftButton) &&
                 (At - PressedAt).manhattanLength() >= QApplication::startDragDistance())
            DragStarted();
    }

private:
    QPoint PressedAt;
};

namespace {

QSpinBox* GridBox(const char* Name, const QString& Caption, int Minimum, int Value,
                  QWidget* Parent) {
    auto* Box = new QSpinBox(Parent);
    Box->setObjectName(Name);
    Box->setAccessibleName(Caption);
    // A cell of no width or height cannot be drawn, selected or cut out, so sizes start at 1.
    Box->setRange(Minimum, 222);
    Box->setValue(Value);
    return Box;
}

// What a sheet's clear pixels become: the background of the animation the pieces will most
// likely go to, the active one.
TRgbColor ClearColor() {
    if (frmSpriteMDI)
        if (TfrmCharAnimation* Animation = frmSpriteMDI->State().CurrentAnimation)
            return Animation->BackgroundRgb();
    return {255, 255, 255};
}

// The frame of a sheet scaled by Scale as the picture it was made from: every Scale-th pixel.
TRgbPicture FramePicture(const TRgbPicture& Sheet, const TSheetFrame& Frame, int Scale) {
    TRgbPicture Piece(std::max(1, Frame.W / Scale), std::max(1, Frame.H / Scale));
    for (int y = 0; y < Piece.Height; ++y)
        for (int x = 0; x < Piece.Width; ++x) {
            const int px = Frame.X + x * Scale, py = Frame.Y + y * Scale;
            if (px < Sheet.Width && py < Sheet.Height) Piece.Set(x, y, Sheet.At(px, py));
        }
    return Piece;
}

} // namespace

TfrmImport::TfrmImport(const QString& PaletteFile, QWidget* Parent) : QDialog(Parent) {
    NameWindow(*this, "frmImport", "Import");
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    try {
        Palette = TPxPalette::CreateFromFile(CorePath(PaletteFile));
    } catch (const std::exception&) {
        Palette = TPxPalette::CreateFromColorMap({});
    }

    auto* grpStart = new QGroupBox("Grid Start Position", this);
    grpStart->setObjectName("grpStart");
    spinStartX = GridBox("spinStartX", "X", 0, 0, grpStart);
    spinStartY = GridBox("spinStartY", "Y", 0, 0, grpStart);
    auto* StartLayout = new QFormLayout(grpStart);
    StartLayout->addRow("X :", spinStartX);
    StartLayout->addRow("Y :", spinStartY);
    auto* grpSize = new QGroupBox("Grid Size", this);
    grpSize->setObjectName("grpSize");
    spinWidth = GridBox("spinWidth", "Width", 1, Grid.CelWidth, grpSize);
    spinHeight = GridBox("spinHeight", "Height", 1, Grid.CelHeight, grpSize);
    auto* SizeLayout = new QFormLayout(grpSize);
    SizeLayout->addRow("Width", spinWidth);
    SizeLayout->addRow("Height :", spinHeight);
    for (QSpinBox* Box : {spinStartX, spinStartY, spinWidth, spinHeight})
        connect(Box, &QSpinBox::valueChanged, this, [this] { spinWidthChange(); });

    imgImport = new TImportImage(this);
    imgImport->Image = &Shown;
    imgImport->Moved = [this](int X, int Y) { imgImportMouseMove(X, Y); };
    imgImport->DragStarted = [this] { StartDrag(); };
    imgImport->resize(0, 0);
    Scroller = new QScrollArea(this);
    Scroller->setObjectName("scrImport");
    Scroller->setWidget(imgImport);

    auto* Fields = new QHBoxLayout;
    Fields->addWidget(grpStart);
    Fields->addWidget(grpSize);
    Fields->addStretch();
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Fields);
    Layout->addWidget(Scroller, 1);
    resize(480, 400);

    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [] { ShowHelp(HelpContext); });
}

TfrmImport::~TfrmImport() = default;

void TfrmImport::Open1Click() {
    TFileDialog Dialog("openImport", "Import from Grid",
                       "Pictures (*.BMP *.bmp *.PNG *.png);;Windows Bitmaps (*.BMP *.bmp);;PNG "
                       "Files (*.PNG *.png)");
    const QString FileName = Questions().AskFile(Dialog);
    if (FileName.isEmpty() || !OpenPicture(FileName)) return;
    show();
    raise();
    activateWindow();
}

bool TfrmImport::OpenPicture(const QString& FileName) {
    QString Refusal = FileErrors::Open;
    const std::optional<TPictureFormat> Format = PictureFormatOf(FileName);
    std::optional<TRgbPicture> Opened;
    if (Format && *Format != TPictureFormat::Jpeg)
        Opened = ReadPictureFile(FileName, *Format, ClearColor(), Refusal);
    if (!Opened) {
        Questions().Message(TBoxKind::Error, Refusal);
        return false;
    }
    Picture = std::move(*Opened);
    Palette = TPxPalette::CreateFromGraphic(Picture);
    GridCelBitmap.reset();
    // A data file that cannot be read leaves the grid to the user, as for any picture.
    Sheet = {};
    SelectedFrame = -1;
    const QString DataFile = QString::fromStdString(SheetDataFileFor(FileName.toStdString()));
    if (QFileInfo(DataFile).isFile()) {
        TSheetDataResult Read = ReadSheetDataFile(CorePath(DataFile));
        if (Read.Ok() && Read.Data.Scale >= 1) Sheet = std::move(Read.Data);
    }
    // Only frames inside the picture are cut: a data file of another sheet must not reach
    // beyond it.
    auto& Frames = Sheet.Frames;
    Frames.erase(std::remove_if(Frames.begin(), Frames.end(),
                                [&](const TSheetFrame& Frame) {
                                    return Frame.X < 0 || Frame.Y < 0 || Frame.W < 1 ||
                                           Frame.H < 1 || Frame.W > Picture.Width - Frame.X ||
                                           Frame.H > Picture.Height - Frame.Y;
                                }),
                 Frames.end());
    if (!Sheet.Frames.empty()) {
        // The boxes show the first frame, where the grid starts when the user takes over.
        const TSheetFrame& First = Sheet.Frames.front();
        const QSignalBlocker Quiet[] = {QSignalBlocker(spinStartX), QSignalBlocker(spinStartY),
                                        QSignalBlocker(spinWidth), QSignalBlocker(spinHeight)};
        spinStartX->setValue(First.X);
        spinStartY->setValue(First.Y);
        spinWidth->setValue(First.W);
        spinHeight->setValue(First.H);
        Grid = {spinStartX->value(), spinStartY->value(), spinWidth->value(), spinHeight->value()};
        Selection = {First.X, First.Y};
        SelectedFrame = 0;
    }
    Shown = ImageFromPicture(Picture).convertToFormat(QImage::Format_RGB32);
    imgImport->resize(Shown.size());
    DrawLines();
    imgImport->update();
    return true;
}

void TfrmImport::DrawLines() {
    // A sheet's frames need not lie on one grid (spacing): only the frame pointed at shows.
    if (Sheet.Frames.empty())
        VisitGridLines(Grid, Shown.width(), Shown.height(), [this](int X, int Y) { Toggle(X, Y); });
    DrawSelectedLines();
}

void TfrmImport::DrawSelectedLines() {
    if (!Sheet.Frames.empty() && SelectedFrame < 0) return;
    VisitSelectionFrame(SelectionGrid(), Selection, Shown.width(), Shown.height(),
                        [this](int X, int Y) { Toggle(X, Y); });
}

TGrid TfrmImport::SelectionGrid() const {
    if (Sheet.Frames.empty() || SelectedFrame < 0) return Grid;
    const TSheetFrame& Frame = Sheet.Frames[std::size_t(SelectedFrame)];
    return {Frame.X, Frame.Y, Frame.W, Frame.H};
}

void TfrmImport::Toggle(int X, int Y) {
    // The red pen of an exclusive-or stroke flips the red bits, so a second stroke over the
    // same pixel restores it.
    reinterpret_cast<QRgb*>(Shown.scanLine(Y))[X] ^= 0x00FF0000;
}

void TfrmImport::spinWidthChange() {
    DrawLines();
    // The grid set by hand takes over from the data file.
    Sheet = {};
    SelectedFrame = -1;
    Grid = {spinStartX->value(), spinStartY->value(), spinWidth->value(), spinHeight->value()};
    DrawLines();
    imgImport->update();
}

void TfrmImport::imgImportMouseMove(int X, int Y) {
    if (!Sheet.Frames.empty()) {
        const int Frame = SheetFrameAt(Sheet, X, Y);
        if (Frame < 0 || Frame == SelectedFrame) return;
        DrawSelectedLines();
        SelectedFrame = Frame;
        Selection = {Sheet.Frames[std::size_t(Frame)].X, Sheet.Frames[std::size_t(Frame)].Y};
        DrawSelectedLines();
        imgImport->update();
        return;
    }
    const TPoint Cell = GridCellAt(Grid, X, Y);
    if (Cell.X == Selection.X && Cell.Y == Selection.Y) return;
    DrawSelectedLines();
    Selection = Cell;
    DrawSelectedLines();
    imgImport->update();
}

const TPxBitmap& TfrmImport::GetSelectedCel() {
    if (!Sheet.Frames.empty() && SelectedFrame >= 0) {
        const TRgbPicture Piece =
            FramePicture(Picture, Sheet.Frames[std::size_t(SelectedFrame)], Sheet.Scale);
        GridCelBitmap = ExtractGridCell(Piece, {0, 0, Piece.Width, Piece.Height}, {0, 0}, *Palette);
    } else {
        GridCelBitmap = ExtractGridCell(Picture, Grid, Selection, *Palette);
    }
    return *GridCelBitmap;
}

QMimeData* TfrmImport::SelectedCelMimeData() {
    const int Delay = !Sheet.Frames.empty() && SelectedFrame >= 0
                          ? Sheet.Frames[std::size_t(SelectedFrame)].Duration
                          : -1;
    return MakeGridPieceMimeData(GetSelectedCel(), Delay);
}

void TfrmImport::StartDrag() {
    if (!HasPicture()) return;
    auto* Drag = new QDrag(imgImport);
    QMimeData* Data = SelectedCelMimeData();
    Drag->setPixmap(QPixmap::fromImage(qvariant_cast<QImage>(Data->imageData())));
    Drag->setMimeData(Data);
    Drag->exec(Qt::CopyAction);
}
