// Documents: making, opening and saving animation windows with their painters, and giving
// the active document a new palette.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QPointer>
#include <QRegularExpression>
#include <algorithm>

#include "imaging/Palette.h"
#include "model/Cellist.h"
#include "ui/animation/Document.h"
#include "ui/animation/f_charanim.h"
#include "ui/animation/f_new.h"
#include "ui/common/Files.h"
#include "ui/common/PictureSources.h"
#include "ui/common/Questions.h"
#include "ui/painter/f_painter.h"
#include "ui/shell/Forms.h"
#include "ui/shell/Recovery.h"
#include "ui/shell/SpriteMDI_controls.h"

namespace {

// The palette the program falls back on when no palette file can be read: a 6 x 6 x 6
// colour cube and a ramp of twenty greys fill the 236 user colours.
std::unique_ptr<TPxPalette> BuiltInPalette() {
    std::vector<TRgbColor> Colors;
    for (int Red = 0; Red < 6; ++Red)
        for (int Green = 0; Green < 6; ++Green)
            for (int Blue = 0; Blue < 6; ++Blue)
                Colors.push_back(
                    {std::uint8_t(Red * 51), std::uint8_t(Green * 51), std::uint8_t(Blue * 51)});
    for (int Grey = 1; Grey <= 20; ++Grey)
        Colors.push_back(
            TRgbColor{std::uint8_t(Grey * 12), std::uint8_t(Grey * 12), std::uint8_t(Grey * 12)});
    return TPxPalette::CreateFromColorMap(Colors);
}

// A damaged file opens as far as it decodes; the user hears once what was lost.
QString DamageText(const QString& FileName, const std::vector<std::string>& Faults) {
    constexpr std::size_t Shown = 8;
    QString Text = "The file " + QDir::toNativeSeparators(FileName) +
                   " is damaged.  The pictures that could be read were opened.\n";
    for (std::size_t i = 0; i < Faults.size() && i < Shown; ++i)
        Text += "\n" + QString::fromStdString(Faults[i]);
    if (Faults.size() > Shown) Text += QString("\n... and %1 more.").arg(Faults.size() - Shown);
    return Text;
}

} // namespace

void TfrmSpriteMDI::LoadDefaultPalette() {
    const QString FileName = Editing.AppDir + "/vimbrel.pal";
    try {
        DefaultPalette = TPxPalette::CreateFromFile(CorePath(FileName));
    } catch (const EPaletteFileError& Failure) {
        // Without it no document could get a palette; the program goes on with its own.
        Questions().Message(TBoxKind::Error, "Error:  Unable to load the default palette.  " +
                                                 QString::fromStdString(Failure.what()) +
                                                 "  A built-in palette is used instead.");
        DefaultPalette = BuiltInPalette();
    }
    Editing.CurrentPalette = DefaultPalette.get();
}

std::unique_ptr<TPxPalette> TfrmSpriteMDI::DocumentPalette() const {
    const QString Candidates[] = {frmNew ? frmNew->PalettePath() : QString(),
                                  Editing.AppDir + "/vimbrel.pal"};
    for (const QString& FileName : Candidates) {
        if (FileName.isEmpty() || QFileInfo(FileName).isDir()) continue;
        // Any palette file the editor reads, told by its content (a JASC file ends in .pal
        // too); one that holds no colour falls back on the default.
        QString Refusal;
        if (std::unique_ptr<TPxPalette> Palette = LoadPaletteOrPicture(FileName, Refusal))
            return Palette;
    }
    return TPxPalette::CreateCopy(*DefaultPalette);
}

TfrmCharAnimation* TfrmSpriteMDI::CreateAnimationWindow() {
    const int Number = UntitledCount++;
    TfrmCharAnimation* Animation = MakeDocument(*this, *Area, DocumentPalette(),
                                                "Animation [" + QString::number(Number + 1) + "]",
                                                frmNew ? frmNew->NumberOfCels() : 1);
    // The last document to go leaves nothing for the document commands to act on.
    connect(Animation, &QObject::destroyed, this, [this] {
        if (!ShuttingDown && Activated && Area->subWindowList().isEmpty()) EnableCommands(false);
    });
    // Each new document steps down and right from the last, its painter beside it.
    const int Step = 24 * (Number % 8);
    Animation->move(Step, Step);
    if (TfrmPainter* Painter = Animation->Painter())
        Painter->move(Animation->x() + Animation->width(), Animation->y());

    Editing.CurrentTool = ptBrush;
    for (QMdiSubWindow* Window : Area->subWindowList())
        Window->update();
    return Animation;
}

TfrmCharAnimation* TfrmSpriteMDI::LoadDocument(const QString& FileName,
                                               std::vector<std::string>& Faults) {
    const QPointer<TfrmCharAnimation> Previous = Editing.CurrentAnimation;
    TfrmCharAnimation* Animation = nullptr;
    bool Loaded = false;
    {
        const THourglass Wait;
        Animation = CreateAnimationWindow();
        Loaded = Animation->LoadFromGIF(FileName, nullptr, &Faults);
    }
    if (Loaded) return Animation;
    Animation->close();
    if (Previous) {
        Area->setActiveSubWindow(Previous);
        Previous->FormActivate();
    } else {
        Editing.CurrentPalette = DefaultPalette.get();
    }
    return nullptr;
}

void TfrmSpriteMDI::ShowDocument(TfrmCharAnimation* Animation, const QString& Caption) {
    Animation->SetCaption(Caption);
    TfrmPainter* Painter = Animation->Painter();
    Animation->show();
    if (Painter) Painter->show();
    Area->setActiveSubWindow(Animation);
    Animation->FormActivate();
}

bool TfrmSpriteMDI::OpenAnimation(const QString& FileName) {
    std::vector<std::string> Faults;
    TfrmCharAnimation* Animation = LoadDocument(FileName, Faults);
    if (!Animation) {
        Questions().Message(TBoxKind::Error, FileErrors::Open);
        return false;
    }
    ShowDocument(Animation, FileName);
    AddRecentFile(FileName);
    if (!Faults.empty()) Questions().Message(TBoxKind::Warning, DamageText(FileName, Faults));
    return true;
}

void TfrmSpriteMDI::OpenFiles(const QStringList& FileNames) {
    for (const QString& FileName : FileNames)
        if (!ShuttingDown) OpenAnimation(FileName);
    UpdateCommandStates();
}

TfrmCharAnimation* TfrmSpriteMDI::OpenRecoveredAnimation(const QString& CopyFile,
                                                         const QString& Caption,
                                                         std::vector<std::string>& Faults) {
    TfrmCharAnimation* Animation = LoadDocument(CopyFile, Faults);
    if (!Animation) return nullptr;
    ShowDocument(Animation, Caption.isEmpty() ? Animation->Caption() : Caption);
    Animation->Modified = true;
    // New documents must not take the number of a recovered untitled one.
    static const QRegularExpression Untitled("^Animation \\[([0-9]{1,9})\\]$");
    const QRegularExpressionMatch Match = Untitled.match(Caption);
    if (Match.hasMatch()) UntitledCount = std::max(UntitledCount, Match.captured(1).toInt());
    UpdateCommandStates();
    return Animation;
}

QString TfrmSpriteMDI::AskSaveAnimationName(const QString& Offered) {
    TFileDialog Dialog("dlgSaveAnimation", "Save Animation As",
                       "Animated GIF (*.GIF *.gif);;All Files (*)", true);
    Dialog.Folder = Offered.isEmpty() ? OpenFolder : QFileInfo(Offered).absolutePath();
    Dialog.FileName = Offered;
    Dialog.DefaultSuffix = "gif";
    return Questions().AskFile(Dialog);
}

bool TfrmSpriteMDI::SaveAnimation(const QString& Target) {
    TfrmCharAnimation* Animation = Editing.CurrentAnimation;
    if (!Animation) return false;
    bool Saved = false;
    {
        const THourglass Wait;
        Saved = Animation->SaveToGIF(Target);
    }
    if (!Saved) {
        Questions().Message(TBoxKind::Error, FileErrors::Save);
        return false;
    }
    Animation->Modified = false;
    KeptWork->Forget(Animation);
    Animation->SetCaption(Target);
    if (TfrmPainter* Painter = Animation->Painter()) Painter->setWindowTitle("Painter : " + Target);
    AddRecentFile(Target);
    return true;
}

void TfrmSpriteMDI::sbutSaveAnimationClick() {
    if (!Editing.CurrentAnimation) return;
    QString Target = Editing.CurrentAnimation->Caption();
    if (Target.contains("Animation [")) {
        Target = AskSaveAnimationName(QString());
        if (Target.isEmpty()) return;
    }
    SaveAnimation(Target);
}

void TfrmSpriteMDI::mniSaveAsClick() {
    if (!Editing.CurrentAnimation) return;
    const QString Caption = Editing.CurrentAnimation->Caption();
    QString Target = AskSaveAnimationName(Caption.contains("Animation [") ? QString() : Caption);
    if (Target.isEmpty()) return;
    // The chosen name becomes the caption that Save goes by, so a name that reads like an
    // untitled document's is asked for once more, as Save would.
    if (Target.contains("Animation [")) {
        Target = AskSaveAnimationName(QString());
        if (Target.isEmpty()) return;
    }
    SaveAnimation(Target);
}

void TfrmSpriteMDI::SetPalette(std::unique_ptr<TPxPalette> Palette) {
    if (!Palette) return;
    if (!Editing.CurrentAnimation) {
        DefaultPalette = std::move(Palette);
        Editing.CurrentPalette = DefaultPalette.get();
        return;
    }
    Editing.CurrentAnimation->ChangePalette(std::move(Palette));
    Editing.CurrentPalette = Editing.CurrentAnimation->Palette();
    update();
}
