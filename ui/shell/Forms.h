#pragma once
// The windows that exist once for the whole program, each reached through one program-wide
// reference, and the program-wide current palette. The start-up code (app/) creates the
// windows in their fixed order and they live until the program ends; a reference is null
// before its window is made. User-interface thread only.

class QString;
class TPxPalette;
class TfrmSpriteMDI;
class TfrmProgress;
class TfrmNew;
class TfrmAnimProps;
class TfrmGlobDisp;
class TdlgSize;
class TfrmImport;
class TfrmPalette;
class TfrmQSize;
class TfrmBrushFly;
class TfrmPalFly;
class TfrmText;

extern TfrmSpriteMDI* frmSpriteMDI;
extern TfrmProgress* frmProgress;
extern TfrmAnimProps* frmAnimProps;
extern TfrmNew* frmNew;
extern TfrmGlobDisp* frmGlobDisp;
// The resize dialog, the import-from-grid window, the palette editor and the size question.
extern TdlgSize* dlgSize;
extern TfrmImport* frmImport;
extern TfrmPalette* frmPalette;
extern TfrmQSize* frmQSize;
// The brush-shape flyout, the flying palette and the text-brush dialog of the painters.
extern TfrmBrushFly* frmBrushFly;
extern TfrmPalFly* frmPalFly;
extern TfrmText* frmText;

// The palette of the active document (at start-up the default palette), or null. Not
// owned here: an animation window owns its palette, the main window the default one.
extern TPxPalette* CurrentPalette;

// Creates every once-only window in the program's fixed order, the main window first, and
// destroys them in reverse on the way out. Used by main() and by tests.
class TApplicationWindows {
public:
    // The program's files are looked for in the folder of the program file.
    TApplicationWindows();
    // ... or in AppDir (tests name the build folder, where the data files are copied).
    explicit TApplicationWindows(const QString& AppDir);
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows&) = delete;
    TApplicationWindows& operator=(const TApplicationWindows&) = delete;
};
