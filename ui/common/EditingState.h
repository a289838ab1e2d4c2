#pragma once
// The program-wide editing state that the document windows read and write: which document
// is active, the chosen paint tool and brush, whether edits reach every cel, the clipboard
// and drag state and the program's folder; and its codes: the paint tools and the ids and
// names of their cursors. The main window owns the state and hands it to its documents
// through their host (DocumentHost.h). No field has side effects of its own.
// User-interface thread only.
#include <QString>
#include <cstdint>

class TCelList;
class TPxBitmap;
class TPxPalette;
class TfrmCharAnimation;
class TfrmPainter;

enum TPaintTool : std::uint8_t {
    ptBrush = 0, // also while a custom or text brush is in use
    ptLine = 1,
    ptLines = 2,
    ptFill = 3,
    ptSelectArea = 4,
    ptMoveArea = 5, // dragging a floating selection; only the painter sets it
    ptRectangle = 6,
    ptSolidRectangle = 7,
    ptCircle = 8,
    ptSolidCircle = 9,
    ptPickupColor = 10,
};

// The eleven tool cursors, registered at start-up under these ids and names.
struct TToolCursor {
    int Id;
    const char* Name;
};
constexpr TToolCursor ToolCursors[] = {
    {1, "CURPEN"}, {2, "MOVE"},      {3, "PICKUP"},      {4, "FILL"},
    {5, "RECT"},   {6, "SOLIDRECT"}, {7, "ELLIPSE"},     {8, "SOLIDELLIPSE"},
    {9, "LINE"},   {10, "LINES"},    {11, "SELECTAREA"},
};

// The cursor id each tool shows in the painter's image.
constexpr int CursorIdOf(TPaintTool Tool) {
    constexpr int Ids[] = {1, 9, 10, 4, 11, 2, 5, 6, 7, 8, 3};
    return Tool <= ptPickupColor ? Ids[Tool] : 1;
}

struct TEditingState {
    // The document that commands go to, and its painter; null when none is active.
    TfrmCharAnimation* CurrentAnimation = nullptr;
    TfrmPainter* CurrentPainter = nullptr;
    // The palette of the active document (at start-up the default palette), or null. Not
    // owned: an animation window owns its palette, the main window the default one.
    TPxPalette* CurrentPalette = nullptr;
    TPaintTool CurrentTool = ptBrush;
    // A TPxBrushShape value 0..5.
    int BrushShape = 0;
    // 1..30; also the outline pen width of the circle tools.
    int BrushSize = 2;
    bool PaintOnAll = false;
    // What the painters show besides the cel, never part of it: the cels around the current
    // one (OnionBefore 1..3 before it, OnionAfter 0..3 after it) and lines between the cel
    // pixels at zoom 4 and above. Off at every start.
    bool OnionSkin = false;
    int OnionBefore = 1;
    int OnionAfter = 0;
    bool PixelGrid = false;
    bool ClipboardHasBitmap = false;
    // The cel last pressed in any strip, with the cel list it belongs to.
    struct TDragSource {
        TPxBitmap* Bitmap = nullptr;
        TCelList* CelList = nullptr;
    } DragSourceCel;
    // The folder of the program's files, without a trailing separator.
    QString AppDir;
};
