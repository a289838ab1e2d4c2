#include "ui/common/Files.h"

#include <QFile>

#include "imaging/Limits.h"
#include "imaging/Palette.h"
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

void SavePaletteAs(const TPxPalette& Palette, const QString& Folder, const QString& FailureText) {
    // Both spellings, so that the palettes shipped in lower case are listed too.
    TFileDialog Dialog("dlgSavePalette", "Save Palette", "Palette Files (*.PAL *.pal)", true);
    Dialog.DefaultSuffix = "pal";
    Dialog.Folder = Folder;
    const QString Target = Questions().AskFile(Dialog);
    if (Target.isEmpty()) return;
    try {
        Palette.SaveToFile(CorePath(Target));
    } catch (const EPaletteFileError&) {
        Questions().Message(TBoxKind::Error, FailureText);
    }
}
