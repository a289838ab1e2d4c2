#pragma once
// The files the windows read and write through the core: the path the core is handed for a
// file name, the error texts of files that cannot be read or written, and the Save Palette
// dialog. User-interface thread only.
#include <QString>
#include <cstdint>
#include <string>

class TPxPalette;

// FileName as the core takes it: in the file system's own encoding.
std::string CorePath(const QString& FileName);

// The error boxes of files, each "Error:  " and its likely cause.
namespace FileErrors {
inline const QString Open =
    "Error:  Unable to open the file.  The file may be invalid or there may be a drive error.";
inline const QString Save =
    "Error:  Unable to save the file.  There may be a drive error or the drive is out of space.";
// A cel exported as a picture file.
inline const QString Export =
    "Error:  Unable to save to file.  The file may be invalid or there may be a drive error.";
inline const QString Paste =
    "Error:  Unable to paste.  The picture on the clipboard may be invalid or damaged.";
inline const QString OpenPalette = "Error:  Unable to open the palette file.  The file may be "
                                   "invalid or there may be a drive error.";
// The palette editor's Save..., and the Save Palette command.
inline const QString SavePalette =
    "Error:  Unable to save the palette file.  There may be a drive error.";
inline const QString SaveDocumentPalette = "Error:  Unable to save the palette file.  There "
                                           "may be a drive error or the drive is out of space.";
// A picture over the size limits, naming them.
QString EPictureTooLarge(std::int64_t Width, std::int64_t Height);
} // namespace FileErrors

// The open dialogs' filters of the palette files the editor reads, and of those together
// with the pictures whose colours make a palette.
inline const QString PaletteFileFilter = "Palette Files (*.pal *.PAL *.gpl *.hex *.act)";
inline const QString PaletteOpenFilter =
    "Palettes and Pictures (*.pal *.PAL *.gpl *.hex *.act *.gif *.GIF *.png *.PNG *.bmp *.BMP);;" +
    PaletteFileFilter + ";;All Files (*)";

// Save Palette: asks for a palette file with the dialog dlgSavePalette, starting in Folder
// (the current folder when empty), and writes Palette to it in the format its extension or
// the chosen filter names (the editor's own, JASC-PAL, GIMP, hex or Adobe); when it cannot
// be written, the error box FailureText.
void SavePaletteAs(const TPxPalette& Palette, const QString& Folder, const QString& FailureText);
