#pragma once
// The windows that exist once for the whole program, each reached through one program-wide
// reference. The start-up code (app/) creates them in their fixed order and they live until
// the program ends; a reference is null before its window is made. The references of the
// documents' own once-only windows (the animation dialogs, the size question, the
// brush-shape flyout, the flying palette and the text-brush dialog) are declared beside
// their classes. User-interface thread only.

class QString;
class TfrmSpriteMDI;
class TdlgSize;
class TfrmImport;
class TfrmPalette;

extern TfrmSpriteMDI* frmSpriteMDI;
// The resize dialog, the import-from-grid window and the palette editor.
extern TdlgSize* dlgSize;
extern TfrmImport* frmImport;
extern TfrmPalette* frmPalette;

// The folder of the program's files (the default palette, palettes, images, help): the
// program file's own when the default palette lies beside it, as in the build folder, else
// ../share/vimbrel from there, where an installed copy keeps them.
QString ProgramDataFolder();

// Creates every once-only window in the program's fixed order, the main window first, and
// destroys them in reverse on the way out. Used by main() and by tests.
class TApplicationWindows {
public:
    // The program's files are looked for in ProgramDataFolder().
    TApplicationWindows();
    // ... or in AppDir (tests name the build folder, where the data files are copied).
    explicit TApplicationWindows(const QString& AppDir);
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows&) = delete;
    TApplicationWindows& operator=(const TApplicationWindows&) = delete;
};
