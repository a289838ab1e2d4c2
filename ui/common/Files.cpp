#include "ui/common/Files.h"

#include <QFile>
#include <QFileInfo>

#include "imaging/Limits.h"
#include "imaging/Palette.h"
#include "imaging/PaletteFormats.h"
#include "ui/common/Questions.h"

std::string CorePath(const QString& FileName) {
    return QFile::encodeName(FileName).toStdString();
}

QString FileErrors::EPictureTooLarge(std::int64_t Width, std::int64_t Height) {
    return QString("Error:  The picture is too large: %1 x %2 pixels.  A picture may have at most "
                   "%3 pixels a side and %4 pixels in all.")
        .arg(Width)
        .arg(Height)
        .arg(MaxPictureSide)
        .arg(qulonglong(MaxPicturePixels));
}

namespace {

// The formats a palette is saved in, by the filter that chooses each and its extension. The
// editor's own comes first; JASC files end in .pal as well, so only the filter tells them.
struct TPaletteFilter {
    const char* Filter;
    TPaletteFormat Format;
    const char* Extension;
};
const TPaletteFilter PaletteFilters[] = {
    // Both spellings, so that the palettes shipped in lower case are listed too.
    {"Palette Files (*.PAL *.pal)", TPaletteFormat::Vimbrel, "pal"},
    {"JASC-PAL Palettes (*.pal *.PAL)", TPaletteFormat::Jasc, "pal"},
    {"GIMP Palettes (*.gpl)", TPaletteFormat::Gimp, "gpl"},
    {"Hex Palettes (*.hex)", TPaletteFormat::Hex, "hex"},
    {"Adobe Color Tables (*.act)", TPaletteFormat::Act, "act"},
};

} // namespace

void SavePaletteAs(const TPxPalette& Palette, const QString& Folder, const QString& FailureText) {
    QStringList Filters;
    for (const TPaletteFilter& Entry : PaletteFilters)
        Filters << Entry.Filter;
    TFileDialog Dialog("dlgSavePalette", "Save Palette", Filters.join(";;"), true);
    Dialog.Folder = Folder;
    QString Chosen = PaletteFilters[0].Filter;
    Dialog.ChosenFilter = &Chosen;
    QString Target = Questions().AskFile(Dialog);
    if (Target.isEmpty()) return;
    const TPaletteFilter* Filter = &PaletteFilters[0];
    for (const TPaletteFilter& Entry : PaletteFilters)
        if (Chosen == Entry.Filter) Filter = &Entry;
    // A name typed without an extension takes the chosen format's; a name with one says
    // which format it wants, except that .pal stays JASC when JASC was chosen.
    if (QFileInfo(Target).suffix().isEmpty()) Target += QString(".") + Filter->Extension;
    TPaletteFormat Format = PaletteFormatForFileName(CorePath(Target));
    if (Format == TPaletteFormat::Vimbrel && Filter->Format == TPaletteFormat::Jasc)
        Format = TPaletteFormat::Jasc;
    try {
        SavePaletteFile(CorePath(Target), Palette, Format);
    } catch (const EPaletteFileError&) {
        Questions().Message(TBoxKind::Error, FailureText);
    }
}
