// The animation window's pictures in and out of cels: importing a BMP, PNG or JPEG file (or
// the clipboard's picture) into the current cel, exporting the current cel as a BMP, PNG or
// JPEG file, cels, grid pieces and picture files dragged onto the strip, and the copies made
// for other programs: scaled GIF copies and sprite sheets.
#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

#include "gif/Exchange.h"
#include "imaging/Bmp.h"
#include "imaging/FileReplace.h"
#include "imaging/Jpeg.h"
#include "imaging/Limits.h"
#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "model/undo.h"
#include "ui/animation/CelStrip.h"
#include "ui/animation/PreviewBox.h"
#include "ui/animation/QSize.h"
#include "ui/animation/f_charanim.h"
#include "ui/animation/f_charanim_controls.h"
#include "ui/animation/f_export.h"
#include "ui/common/CelImage.h"
#include "ui/common/Files.h"
#include "ui/common/PictureSources.h"
#include "ui/common/PieceDrag.h"
#include "ui/common/Questions.h"
#include "ui/painter/f_painter.h"

namespace {

const QString WrongExtensionText =
    "You may only import a .BMP, .PNG or .JPG file into a cel.  To import a GIF file, load it "
    "into its own animation window, then drag and drop it into the proper cel.";
const QString PaletteQuestion = "The source and destination color palettes are different.  Do "
                                "you want to copy the source palette to the animation?";
const QString ExportExtensionText = "You may only export a cel as a .BMP, .PNG or .JPG file.";

// The folder the import and export dialogs open in: at first the pictures beside the
// program, then the folder of the file chosen last.
QString PictureFolder;

// Asks for a cel picture file with Dialog in the picture folder and remembers the folder
// chosen. Returns the format the name's extension asks for, with the name in FileName;
// nothing when the dialog was cancelled, or after Refusal for another extension.
std::optional<TPictureFormat> AskPictureFile(TFileDialog Dialog, const QString& AppDir,
                                             const QString& Refusal, QString& FileName) {
    Dialog.Folder = PictureFolder.isEmpty() ? AppDir + "/images" : PictureFolder;
    // A name typed without an extension becomes a bitmap file, in the lower case that file
    // names on this system use.
    Dialog.DefaultSuffix = "bmp";
    FileName = Questions().AskFile(Dialog);
    if (FileName.isEmpty()) return {};
    PictureFolder = QFileInfo(FileName).absolutePath();
    if (std::optional<TPictureFormat> Format = PictureFormatOf(FileName)) return Format;
    Questions().Message(TBoxKind::Information, Refusal);
    return {};
}

// The picture file a drag from a file manager brings: its first local file whose name says
// it is a picture.
QString DroppedPictureFile(const QMimeData* Data) {
    if (!Data || !Data->hasUrls()) return {};
    for (const QUrl& Url : Data->urls())
        if (Url.isLocalFile() && PictureFormatOf(Url.toLocalFile())) return Url.toLocalFile();
    return {};
}

// Cels dragged out of a strip. Only this process can resolve the window the bytes name, so
// the drag carries the process id beside it; other programs get the picture as an image.
constexpr char CelMimeType[] = "application/x-vimbrel-cel";

QByteArray CelDragBytes(const TfrmCharAnimation& Source) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
           QByteArray::number(quintptr(&Source));
}

// The window a cel drag came from, if it is still open in this process.
TfrmCharAnimation* CelDragSource(const QMimeData* Data) {
    if (!Data || !Data->hasFormat(CelMimeType)) return nullptr;
    const QList<QByteArray> Parts = Data->data(CelMimeType).split(' ');
    if (Parts.size() != 2 || Parts[0].toLongLong() != QCoreApplication::applicationPid())
        return nullptr;
    bool Read = false;
    const quintptr Address = Parts[1].toULongLong(&Read);
    if (!Read) return nullptr;
    for (QWidget* Widget : QApplication::allWidgets())
        if (quintptr(Widget) == Address) return qobject_cast<TfrmCharAnimation*>(Widget);
    return nullptr;
}

// A cel of a window of this program, a grid piece or a picture file: the drags a strip
// takes.
bool CarriesCelPicture(const QMimeData* Data) {
    return CelDragSource(Data) || HasGridPiece(Data) || !DroppedPictureFile(Data).isEmpty();
}

// The bitmap a cel drag from Source brings: the cel pressed last in any strip, which is
// Source's own unless the drag data outlived the press.
const TPxBitmap* DraggedCel(TfrmCharAnimation& Source, const TEditingState::TDragSource& Pressed) {
    TCelList* Cels = Source.CelList();
    if (!Cels) return nullptr;
    if (Pressed.CelList == Cels) {
        const TSprite& Sprite = Cels->Sprite();
        for (int i = 0; i < Sprite.CelCount(); ++i)
            if (&Sprite.CelBitmap(i) == Pressed.Bitmap) return &Sprite.CelBitmap(i);
    }
    return &Cels->CurrentBitmap();
}

// The drag data the queued drop still needs after the drag itself has ended.
std::shared_ptr<QMimeData> KeepDragData(const QMimeData* Data) {
    auto Kept = std::make_shared<QMimeData>();
    for (const char* Format : {CelMimeType, GridPieceMimeType, GridPieceDelayMimeType})
        if (Data->hasFormat(Format)) Kept->setData(Format, Data->data(Format));
    if (Data->hasUrls()) Kept->setUrls(Data->urls());
    return Kept;
}

// The strip's drag and drop events, handed to its window. A drop is carried out once the
// drag has ended, so that the questions it may ask never run inside the drag's own loop.
class TStripDrops : public QObject {
public:
    TStripDrops(TfrmCharAnimation& Window, QObject* Parent) : QObject(Parent), Window(Window) {}

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        switch (Event->type()) {
        case QEvent::DragEnter: {
            auto* Enter = static_cast<QDragEnterEvent*>(Event);
            Enter->setAccepted(CarriesCelPicture(Enter->mimeData()));
            if (Enter->isAccepted()) Enter->setDropAction(Qt::CopyAction);
            return true;
        }
        case QEvent::DragMove: {
            auto* Move = static_cast<QDragMoveEvent*>(Event);
            const QPoint At = Move->position().toPoint();
            Move->setAccepted(Window.imgCharAnimDragOver(Move->mimeData(), At.x(), At.y()));
            if (Move->isAccepted()) Move->setDropAction(Qt::CopyAction);
            return true;
        }
        case QEvent::Drop: {
            auto* Drop = static_cast<QDropEvent*>(Event);
            const QPoint At = Drop->position().toPoint();
            if (!Window.imgCharAnimDragOver(Drop->mimeData(), At.x(), At.y())) {
                Drop->ignore();
                return true;
            }
            Drop->setDropAction(Qt::CopyAction);
            Drop->accept();
            std::shared_ptr<QMimeData> Data = KeepDragData(Drop->mimeData());
            QPointer<TfrmCharAnimation> Target = &Window;
            QTimer::singleShot(0, &Window, [Target, Data, At] {
                if (Target) Target->imgCharAnimDragDrop(Data.get(), At.x(), At.y());
            });
            return true;
        }
        default:
            return QObject::eventFilter(Watched, Event);
        }
    }

private:
    TfrmCharAnimation& Window;
};

} // namespace

void TfrmCharAnimation::BuildTransfer() {
    TControls& C = *Controls;
    C.imgCharAnim->setAcceptDrops(true);
    C.imgCharAnim->installEventFilter(new TStripDrops(*this, C.imgCharAnim));
    connect(C.imgCharAnim, &TCelStrip::DragStarted, this, [this] { imgCharAnimStartDrag(); });
    connect(C.Importcel1, &QAction::triggered, this, [this] { Importcel1Click(); });
    connect(C.ExportCel1, &QAction::triggered, this, [this] { ExportCel1Click(); });
    // The copies for other programs, also in the File menu.
    const std::pair<const char*, const char*> Copies[] = {
        {"mitemExportScaled", "Export Scaled Cop&y..."},
        {"mitemExportSheet", "Export Sprite S&heet..."}};
    for (const auto& [Name, Caption] : Copies) {
        QAction* Item = C.mnuPopup->addAction(Caption);
        Item->setObjectName(Name);
        const bool Sheet = QByteArray(Name) == "mitemExportSheet";
        connect(Item, &QAction::triggered, this,
                [this, Sheet] { Sheet ? ExportSpriteSheet() : ExportScaledCopy(); });
    }
}

// ---- Import ----

void TfrmCharAnimation::Importcel1Click() {
    if (!Cels) return;
    TFileDialog Dialog("dlgImport", "Import Cel",
                       "Pictures (*.bmp *.BMP *.png *.PNG *.jpg *.JPG);;Bitmaps (*.bmp *.BMP);;PNG "
                       "Files (*.png *.PNG);;JPEG Files (*.jpg *.JPG);;All Files (*)");
    QString FileName;
    const std::optional<TPictureFormat> Format =
        AskPictureFile(Dialog, Editing().AppDir, WrongExtensionText, FileName);
    if (!Format) return;
    std::optional<TRgbPicture> Picture;
    QString Refusal;
    {
        const THourglass Wait;
        Picture = ReadPictureFile(FileName, *Format, BackgroundRgb(), Refusal);
    }
    if (!Picture) {
        Questions().Message(TBoxKind::Error, Refusal);
        return;
    }
    ImportFromBitmap(*Picture);
}

bool TfrmCharAnimation::ImportFromBitmap(const TRgbPicture& Picture) {
    if (!Whole() || Picture.Width <= 0 || Picture.Height <= 0) return false;
    const std::unique_ptr<TPxPalette> Source = TPxPalette::CreateFromGraphic(Picture);
    if (!TakeSource(*Source, Picture.Width, Picture.Height)) return false;
    {
        const THourglass Wait;
        Painter()->RecordCel([&] { Cels->Sprite().ImportBitmap(-1, Picture); });
        Cels->RedrawCels();
    }
    // The cel has changed like after any other edit: closing now must ask to save it.
    CelsChanged();
    return true;
}

bool TfrmCharAnimation::TakeSource(const TPxPalette& SourcePalette, int Width, int Height) {
    if (!Cels) return false;
    // The questions belong above the window the picture came from (the import window stays
    // on top and keeps the focus while its piece is dropped), also once the first has closed.
    const TQuestionsAbove Above(QuestionOwner());
    // Both questions come first, so that a Cancel in the second leaves everything as it was.
    bool CopyPalette = false;
    if (!SourcePalette.Equals(Cels->Palette())) {
        const TAnswer Answer = Questions().YesNoCancel(TBoxKind::Question, PaletteQuestion);
        if ((Answer != TAnswer::Yes && Answer != TAnswer::No) || !Cels) return false;
        CopyPalette = Answer == TAnswer::Yes;
    }
    bool Resize = false;
    if (Width != Cels->Sprite().Width() || Height != Cels->Sprite().Height()) {
        if (frmQSize) {
            if (ExecAboveOwner(*frmQSize) != QDialog::Accepted || !Cels) return false;
            Resize = frmQSize->ResizeChosen();
        }
        const std::uint64_t Bytes =
            std::uint64_t(Cels->CelCount()) * TPxBitmap::ImageBytes(Width, Height);
        if (Resize && Bytes > MaxAnimationBytes) {
            Questions().Message(TBoxKind::Error,
                                QString("Error:  Not enough memory to make every cel %1 x %2 "
                                        "pixels.  Leave the Destination Size the same instead.")
                                    .arg(Width)
                                    .arg(Height));
            return false;
        }
    }

    if (CopyPalette) ChangePalette(TPxPalette::CreateCopy(SourcePalette));
    if (Resize) {
        ResizeAnimation(Width, Height, true);
        // Snapshots of the old size could never be put back.
        if (TfrmPainter* Shown = Painter()) Shown->ResetUndo();
    }
    return true;
}

// ---- Export ----

void TfrmCharAnimation::ExportCel1Click() {
    if (!Cels) return;
    TFileDialog Dialog(
        "dlgExport", "Export Cel",
        "Bitmap Files (*.bmp *.BMP);;PNG Files (*.png *.PNG);;JPEG Files (*.jpg *.JPG)", true);
    // Writing nothing without a word would leave the user believing the cel was saved, so
    // another extension is refused aloud.
    QString FileName;
    const std::optional<TPictureFormat> Format =
        AskPictureFile(Dialog, Editing().AppDir, ExportExtensionText, FileName);
    if (!Format) return;
    int Scale = 1;
    if (*Format == TPictureFormat::Png) {
        TdlgExportOptions Options(TdlgExportOptions::TKind::CelPicture, Cels->CelCount(), this);
        if (ExecAboveOwner(Options) != QDialog::Accepted || !Cels) return;
        Scale = Options.Scale();
    }
    const TPxBitmap& Cel = Cels->CurrentBitmap();
    bool Saved = false;
    {
        const THourglass Wait;
        const std::string Name = CorePath(FileName);
        try {
            // A BMP keeps the palette's user colours as its table, and a PNG holds them as its
            // palette, so that importing either back makes the same palette and asks nothing.
            switch (*Format) {
            case TPictureFormat::Bmp:
                SaveBmpFile(Name, Cel);
                Saved = true;
                break;
            case TPictureFormat::Png:
                Saved = bool(SaveCelPng(Name, Cels->Sprite(), Cels->Current(), Cels->Palette(),
                                        BackgroundTransparent, Scale));
                break;
            case TPictureFormat::Jpeg:
                SaveJpegFile(Name, Cel.ToBitmap());
                Saved = true;
                break;
            }
        } catch (const EJpegError&) {
        } catch (const EFileWriteError&) {
        }
    }
    if (!Saved) Questions().Message(TBoxKind::Error, FileErrors::Export);
}

void TfrmCharAnimation::ExportScaledCopy() {
    if (!Cels) return;
    TdlgExportOptions Options(TdlgExportOptions::TKind::ScaledCopy, Cels->CelCount(), this);
    if (ExecAboveOwner(Options) != QDialog::Accepted || !Cels) return;
    TFileDialog Dialog("dlgExportScaled", "Save Scaled Copy As",
                       "Animated GIF (*.GIF *.gif);;All Files (*)", true);
    Dialog.Folder = PictureFolder;
    Dialog.DefaultSuffix = "gif";
    const QString FileName = Questions().AskFile(Dialog);
    if (FileName.isEmpty() || !Cels) return;
    PictureFolder = QFileInfo(FileName).absolutePath();
    // A copy for elsewhere: the document keeps its name, and counts as unsaved if it was.
    if (!SaveToGIF(FileName, nullptr, Options.Scale()))
        Questions().Message(TBoxKind::Error, FileErrors::Export);
}

void TfrmCharAnimation::ExportSpriteSheet() {
    if (!Cels) return;
    TdlgExportOptions Options(TdlgExportOptions::TKind::Sheet, Cels->CelCount(), this);
    if (ExecAboveOwner(Options) != QDialog::Accepted || !Cels) return;
    TFileDialog Dialog("dlgExportSheet", "Save Sprite Sheet As", "PNG Files (*.png *.PNG)", true);
    Dialog.Folder = PictureFolder;
    Dialog.DefaultSuffix = "png";
    const QString FileName = Questions().AskFile(Dialog);
    if (FileName.isEmpty() || !Cels) return;
    PictureFolder = QFileInfo(FileName).absolutePath();
    if (TfrmPainter* Editing = Painter()) Editing->DropSelection();
    TGifWriteResult Written;
    {
        const THourglass Wait;
        const std::string Name = CorePath(FileName);
        try {
            Written = SaveSpriteSheet(Name, SheetDataFileFor(Name), Cels->Sprite(), Cels->Palette(),
                                      WriteSettings(), Options.SheetOptions());
        } catch (const std::exception& Failure) {
            Written.Reason = Failure.what();
        }
    }
    if (!Written)
        Questions().Message(TBoxKind::Error, "Error:  Unable to export the sprite sheet.  " +
                                                 QString::fromStdString(Written.Reason));
}

// ---- Drag and drop ----

QMimeData* TfrmCharAnimation::CelDragData() const {
    auto* Data = new QMimeData;
    Data->setData(CelMimeType, CelDragBytes(*this));
    if (Cels)
        Data->setImageData(CelImage(Cels->CurrentBitmap()).convertToFormat(QImage::Format_RGB32));
    return Data;
}

void TfrmCharAnimation::imgCharAnimStartDrag() {
    if (!Cels) return;
    auto* Drag = new QDrag(Controls->imgCharAnim);
    Drag->setMimeData(CelDragData());
    Drag->setPixmap(QPixmap::fromImage(CelImage(Cels->CurrentBitmap()).copy()));
    Drag->exec(Qt::CopyAction);
}

bool TfrmCharAnimation::imgCharAnimDragOver(const QMimeData* Data, int X, int Y) const {
    return Cels && CarriesCelPicture(Data) && Cels->DragOver(X, Y);
}

void TfrmCharAnimation::imgCharAnimDragDrop(const QMimeData* Data, int X, int Y) {
    if (!Whole() || !imgCharAnimDragOver(Data, X, Y)) return;
    const int Target = Cels->CelAt(X, Y);
    TfrmCharAnimation* Source = CelDragSource(Data);

    if (Source == this) {
        if (Target != Cels->Current()) {
            Painter()->RecordCel(Target, [&] { Cels->DragDrop(X, Y); });
            Cels->SetCurrent(Target);
        }
        CelsChanged();
        return;
    }

    // Copies of the picture and its palette: the source window may close while a question
    // is open.
    TRgbPicture Picture;
    std::unique_ptr<TPxPalette> SourcePalette;
    int Delay = -1;
    const QString File = Source || HasGridPiece(Data) ? QString() : DroppedPictureFile(Data);
    if (!File.isEmpty()) {
        QString Refusal;
        std::optional<TRgbPicture> Read;
        {
            const THourglass Wait;
            Read = ReadPictureFile(File, *PictureFormatOf(File), BackgroundRgb(), Refusal);
        }
        if (!Read) {
            Questions().Message(TBoxKind::Error, Refusal);
            return;
        }
        Picture = std::move(*Read);
        SourcePalette = TPxPalette::CreateFromGraphic(Picture);
    } else if (Source) {
        const TPxBitmap* Cel = DraggedCel(*Source, Editing().DragSourceCel);
        if (!Cel) return;
        Picture = Cel->ToBitmap();
        SourcePalette = TPxPalette::CreateCopy(Source->CelList()->Palette());
    } else {
        std::optional<TGridPiece> Piece = ReadGridPiece(Data);
        if (!Piece) return;
        Picture = std::move(Piece->Picture);
        SourcePalette = Piece->MakePalette();
        Delay = Piece->Delay;
    }
    if (!TakeSource(*SourcePalette, Picture.Width, Picture.Height) || !Whole()) return;
    // By colour, as the cel list imports a cel: each colour becomes its nearest user colour.
    Painter()->RecordCel(Target, [&] { Cels->Sprite().ImportBitmap(Target, Picture); });
    // A piece of a sprite sheet whose data file gave its display time.
    if (Delay >= 0) Cels->Sprite().Cel(Target).SetDelay(Delay);
    Cels->Refresh();
    Controls->imgRunAnimation->RebuildBackdrop();
    Cels->SetCurrent(Target);
    CelsChanged();
}
