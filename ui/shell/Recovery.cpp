#include "ui/shell/Recovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMdiArea>
#include <QRegularExpression>
#include <QStandardPaths>
#include <vector>

#include "gif/GifWriter.h"
#include "imaging/FileReplace.h"
#include "imaging/Palette.h"
#include "imaging/RunFolder.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "ui/animation/f_charanim.h"
#include "ui/common/Files.h"
#include "ui/common/Questions.h"
#include "ui/painter/f_painter.h"
#include "ui/shell/SpriteMDI.h"

namespace {

const char RecoverText[] =
    "Ostra Vale Vimbrel did not end normally, and it kept the unsaved changes of these "
    "animations:\n%1\n\nDo you want to recover them?  Yes opens each of them as a modified "
    "animation, No discards the kept changes, and Cancel keeps them until the program starts "
    "again.";
const char PutBackText[] =
    "Saving %1 was cut short, so the file may be damaged.  Its contents from before that save "
    "were kept.\n\nDo you want to put the old file back?  Yes puts it back, No discards the "
    "kept contents, and Cancel keeps them until the program starts again.";

QString Native(const QString& Name) {
    return QDir::toNativeSeparators(Name);
}

QByteArray InfoText(const QString& Caption) {
    QJsonObject Info;
    Info["caption"] = Caption;
    // An untitled document has no file yet: Save will ask for one.
    Info["fileName"] = Caption.contains("Animation [") ? QString() : Caption;
    return QJsonDocument(Info).toJson();
}

void WriteBytes(const std::string& FileName, const QByteArray& Bytes) {
    ReplaceFile(FileName, [&](const ByteSink& Sink) {
        Sink(reinterpret_cast<const std::uint8_t*>(Bytes.constData()), std::size_t(Bytes.size()));
    });
}

// "copy-12.gif" gives 12; anything else 0.
int CopyNumber(const QString& Name) {
    static const QRegularExpression Pattern("^copy-([0-9]{1,9})\\.gif$");
    const QRegularExpressionMatch Match = Pattern.match(Name);
    return Match.hasMatch() ? Match.captured(1).toInt() : 0;
}

// Files that hold work: a document's copy, or a file's kept old contents.
bool HoldsWork(const std::string& Name) {
    const QString Text = QFile::decodeName(Name.c_str());
    return CopyNumber(Text) > 0 || (Text.startsWith("kept-") && !Text.contains('.'));
}

} // namespace

// What a copy is made from: the document's pixels and palette as they were at one moment,
// shared with nothing, so that the worker may encode them while the user goes on painting.
struct TRecovery::TSnapshot {
    std::unique_ptr<TPxPalette> Palette;
    std::unique_ptr<TSprite> Sprite;
    TGifWriteSettings Settings;
};

TRecovery::TRecovery(TfrmSpriteMDI& Owner) : Owner(Owner) {
    const QString Data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!Data.isEmpty()) AreaFolder = Data + "/recovery";
    Worker.setMaxThreadCount(1);
    SetKeptCopyFolder([this]() -> std::string {
        return AreaFolder.isEmpty() ? std::string() : CorePath(EnsureRunFolder());
    });
    Timer.setInterval(Interval);
    connect(&Timer, &QTimer::timeout, this, &TRecovery::WriteCopies);
    Timer.start();
    Retry.setSingleShot(true);
    Retry.setInterval(1000);
    connect(&Retry, &QTimer::timeout, this, &TRecovery::WriteCopies);
}

TRecovery::~TRecovery() {
    Timer.stop();
    Retry.stop();
    Worker.waitForDone();
    SetKeptCopyFolder({});
    const std::lock_guard<std::mutex> Hold(RunLock);
    Run.reset();
}

QString TRecovery::RunFolder() const {
    const std::lock_guard<std::mutex> Hold(RunLock);
    return Run ? QFile::decodeName(Run->Path().c_str()) : QString();
}

QString TRecovery::EnsureRunFolder() {
    const std::lock_guard<std::mutex> Hold(RunLock);
    if (!Run) {
        if (AreaFolder.isEmpty()) throw EFileWriteError("There is no folder for recovery data.");
        Run = TRunFolder::Create(CorePath(AreaFolder));
    }
    return QFile::decodeName(Run->Path().c_str());
}

QString TRecovery::GifName(int Number) const {
    return RunFolder() + QString("/copy-%1.gif").arg(Number);
}

QString TRecovery::InfoName(int Number) const {
    return RunFolder() + QString("/copy-%1.json").arg(Number);
}

TRecovery::TCopy& TRecovery::Entry(TfrmCharAnimation* Document) {
    auto Found = Copies.find(Document);
    if (Found != Copies.end()) return Found->second;
    // A closed document's copy goes with it.
    connect(Document, &QObject::destroyed, this, [this](QObject* Gone) {
        const auto Closed = Copies.find(Gone);
        if (Closed == Copies.end()) return;
        if (Closed->second.Written) RemoveCopy(Closed->second);
        Copies.erase(Closed);
    });
    TCopy& Made = Copies[Document];
    Made.Number = ++LastNumber;
    return Made;
}

QString TRecovery::CopyOf(TfrmCharAnimation* Document) const {
    const auto Found = Copies.find(Document);
    return Found == Copies.end() || !Found->second.Written ? QString()
                                                           : GifName(Found->second.Number);
}

void TRecovery::WriteCopies() {
    if (AreaFolder.isEmpty()) return;
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        Retry.start();
        return;
    }
    // A round put off for a stroke still leaves a minute to the next.
    Timer.start();
    for (QMdiSubWindow* Window : Owner.MdiArea()->subWindowList()) {
        auto* Document = qobject_cast<TfrmCharAnimation*>(Window);
        if (!Document || !Document->CelList()) continue;
        TCopy& Copy = Entry(Document);
        if (!Document->Modified) {
            if (Copy.Written) RemoveCopy(Copy);
            continue;
        }
        const std::uint64_t Changes = Document->Modified.Changes();
        if (Copy.Busy) continue;
        if (Copy.Copied == Changes) {
            // Left alone for a round: the memory goes until the next change.
            Copy.Spare.reset();
            continue;
        }
        try {
            EnsureRunFolder();
        } catch (const EFileWriteError& Failure) {
            ReportFailure(Failure.what());
            return;
        }

        std::shared_ptr<TSnapshot> Snapshot = std::move(Copy.Spare);
        const TSprite& Source = *Document->Sprite();
        const TPxPalette& Colors = Document->CelList()->Palette();
        try {
            if (Snapshot && Snapshot->Sprite->Width() == Source.Width() &&
                Snapshot->Sprite->Height() == Source.Height() &&
                Snapshot->Palette->Equals(Colors)) {
                Snapshot->Sprite->CopyFrom(Source);
            } else {
                Snapshot = std::make_shared<TSnapshot>();
                Snapshot->Palette = TPxPalette::CreateCopy(Colors);
                Snapshot->Sprite = Source.CreateCopy(*Snapshot->Palette);
            }
            if (TfrmPainter* Painter = Document->Painter())
                Painter->DrawFloatingSelection(*Snapshot->Sprite);
        } catch (const std::bad_alloc&) {
            ReportFailure("There is not enough memory.");
            continue;
        }
        Snapshot->Settings = Document->WriteSettings();
        const QString Caption = Document->Caption();
        const QByteArray Info =
            Copy.Written && Copy.Caption == Caption ? QByteArray() : InfoText(Caption);
        Copy.Caption = Caption;
        Copy.Copied = Changes;
        Copy.Written = true;
        Copy.Busy = true;
        const std::string GifFile = CorePath(GifName(Copy.Number));
        const std::string InfoFile = CorePath(InfoName(Copy.Number));
        const QObject* Key = Document;
        Worker.start([this, Key, Snapshot, GifFile, InfoFile, Info] {
            QString Failure;
            try {
                // The caption goes first: a copy is never without it.
                if (!Info.isEmpty()) WriteBytes(InfoFile, Info);
                ReplaceFile(GifFile, [&](const ByteSink& Sink) {
                    WriteGif(Sink, *Snapshot->Sprite, *Snapshot->Palette, Snapshot->Settings);
                });
            } catch (const std::bad_alloc&) {
                Failure = "There is not enough memory.";
            } catch (const std::exception& Error) {
                Failure = QString::fromStdString(Error.what());
            }
            QMetaObject::invokeMethod(
                this, [this, Key, Failure, Snapshot] { CopyWritten(Key, Failure, Snapshot); },
                Qt::QueuedConnection);
        });
    }
}

void TRecovery::CopyWritten(const QObject* Document, const QString& Failure,
                            std::shared_ptr<TSnapshot> Snapshot) {
    const auto Found = Copies.find(Document);
    if (Found != Copies.end()) {
        Found->second.Busy = false;
        // Not for a document saved meanwhile.
        if (Found->second.Written) Found->second.Spare = std::move(Snapshot);
        if (!Failure.isEmpty()) {
            // Tried again at the next round, caption and all.
            Found->second.Copied = 0;
            Found->second.Caption.clear();
        }
    }
    if (!Failure.isEmpty())
        ReportFailure(Failure);
    else
        Failing = false;
}

void TRecovery::ReportFailure(const QString& Failure) {
    // Said once, not every minute: the user may be painting.
    if (!Failing)
        Owner.SetStatusText(0, "Unable to keep a copy of the unsaved changes.  " + Failure);
    Failing = true;
}

void TRecovery::RemoveCopy(TCopy& Copy) {
    const std::string GifFile = CorePath(GifName(Copy.Number));
    const std::string InfoFile = CorePath(InfoName(Copy.Number));
    // After any write of the same copy still on its way.
    Worker.start([GifFile, InfoFile] {
        QFile::remove(QFile::decodeName(GifFile.c_str()));
        QFile::remove(QFile::decodeName(InfoFile.c_str()));
    });
    Copy.Written = false;
    Copy.Copied = 0;
    Copy.Caption.clear();
    Copy.Spare.reset();
}

void TRecovery::Forget(TfrmCharAnimation* Document) {
    const auto Found = Copies.find(Document);
    if (Found != Copies.end() && Found->second.Written) RemoveCopy(Found->second);
}

void TRecovery::Wait() {
    Worker.waitForDone();
    // The worker's reports come back as queued calls.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void TRecovery::Adopt(TfrmCharAnimation* Document, const QString& GifFile,
                      const QString& InfoFile) {
    TCopy& Copy = Entry(Document);
    const QString Caption = Document->Caption();
    try {
        EnsureRunFolder();
        // The caption first, as for any copy: a kill in between leaves the old copy whole.
        WriteBytes(CorePath(InfoName(Copy.Number)), InfoText(Caption));
    } catch (const EFileWriteError&) {
        // The copy stays where it was, and is offered again at the next start.
        return;
    }
    if (!QFile::rename(GifFile, GifName(Copy.Number))) return;
    QFile::remove(InfoFile);
    Copy.Caption = Caption;
    Copy.Written = true;
    Copy.Copied = Document->Modified.Changes();
}

void TRecovery::OfferLeftBehind() {
    if (AreaFolder.isEmpty()) return;
    const std::vector<std::unique_ptr<TRunFolder>> Claimed =
        TRunFolder::ClaimLeftBehind(CorePath(AreaFolder));
    if (Claimed.empty()) return;

    for (const auto& Folder : Claimed)
        for (const TInterruptedSave& Save : FindInterruptedSaves(Folder->Path())) {
            const QString FileName = Native(QFile::decodeName(Save.FileName.c_str()));
            switch (
                Questions().YesNoCancel(TBoxKind::Warning, QString(PutBackText).arg(FileName))) {
            case TAnswer::Yes:
                try {
                    PutBackOldContents(Save);
                } catch (const EFileWriteError& Failure) {
                    Questions().Message(TBoxKind::Error,
                                        "Error:  Unable to put back the old contents of " +
                                            FileName + ".  " +
                                            QString::fromStdString(Failure.what()));
                }
                break;
            case TAnswer::No:
                QFile::remove(QFile::decodeName(Save.KeptCopy.c_str()));
                break;
            default:
                break;
            }
        }

    struct TFound {
        int Number;
        QString Gif, Info, Caption;
        QDateTime Time;
    };
    std::vector<TFound> Found;
    for (const auto& Folder : Claimed) {
        const QDir Files(QFile::decodeName(Folder->Path().c_str()));
        std::vector<TFound> InFolder;
        for (const QFileInfo& Gif : Files.entryInfoList({"copy-*.gif"}, QDir::Files)) {
            const int Number = CopyNumber(Gif.fileName());
            if (Number == 0) continue;
            const QString InfoFile = Files.filePath(QString("copy-%1.json").arg(Number));
            QFile Info(InfoFile);
            QString Caption;
            if (Info.open(QIODevice::ReadOnly))
                Caption = QJsonDocument::fromJson(Info.readAll()).object()["caption"].toString();
            InFolder.push_back({Number, Gif.filePath(), InfoFile, Caption, Gif.lastModified()});
        }
        std::sort(InFolder.begin(), InFolder.end(),
                  [](const TFound& A, const TFound& B) { return A.Number < B.Number; });
        Found.insert(Found.end(), InFolder.begin(), InFolder.end());
    }
    if (!Found.empty()) {
        QString List;
        for (const TFound& Copy : Found)
            List +=
                "\n    " +
                (Copy.Caption.isEmpty() ? "An animation without a caption" : Native(Copy.Caption)) +
                ", kept " + QLocale().toString(Copy.Time, QLocale::ShortFormat);
        switch (Questions().YesNoCancel(TBoxKind::Question, QString(RecoverText).arg(List))) {
        case TAnswer::Yes:
            for (const TFound& Copy : Found) {
                const QString Name = Copy.Caption.isEmpty() ? "an animation without a caption"
                                                            : Native(Copy.Caption);
                std::vector<std::string> Faults;
                TfrmCharAnimation* Document =
                    Owner.OpenRecoveredAnimation(Copy.Gif, Copy.Caption, Faults);
                if (!Document) {
                    Questions().Message(TBoxKind::Error,
                                        "Error:  Unable to recover " + Name +
                                            ".  Its copy cannot be read; it is kept as " +
                                            Native(Copy.Gif) + ".");
                    continue;
                }
                Adopt(Document, Copy.Gif, Copy.Info);
                if (!Faults.empty()) {
                    QString Text = "The copy of " + Name +
                                   " is damaged.  The pictures that could be read were "
                                   "recovered.\n";
                    for (const std::string& Fault : Faults)
                        Text += "\n" + QString::fromStdString(Fault);
                    Questions().Message(TBoxKind::Warning, Text);
                    // A sound copy replaces the damaged one at the next round.
                    Entry(Document).Copied = 0;
                }
            }
            break;
        case TAnswer::No:
            for (const TFound& Copy : Found) {
                QFile::remove(Copy.Gif);
                QFile::remove(Copy.Info);
            }
            break;
        default:
            break;
        }
    }

    for (const auto& Folder : Claimed) {
        const std::vector<std::string> Left = Folder->Files();
        if (std::none_of(Left.begin(), Left.end(), HoldsWork)) Folder->Remove();
    }
}
