// The command table of the main window: every menu item and tool-bar button is made here
// from one row, and every command routes to the active document from here.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include "imaging/Palette.h"
#include "imaging/brush.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "ui/animation/f_charanim.h"
#include "ui/animation/f_new.h"
#include "ui/animation/frmGlobDisposal.h"
#include "ui/common/Application.h"
#include "ui/common/Cursors.h"
#include "ui/common/Glyphs.h"
#include "ui/common/Help.h"
#include "ui/common/PictureSources.h"
#include "ui/common/Questions.h"
#include "ui/painter/brushfly.h"
#include "ui/painter/f_painter.h"
#include "ui/painter/frmTextSelection.h"
#include "ui/shell/Forms.h"
#include "ui/shell/Sizedlg.h"
#include "ui/shell/SpriteMDI_controls.h"
#include "ui/shell/f_palette.h"
#include "ui/shell/frmimprt.h"

namespace {

enum TMenuId {
    mnFile,
    mnEdit,
    mnView,
    mnAnimation,
    mnPainter,
    mnShape,
    mnSize,
    mnShift,
    mnWindow,
    mnHelp,
    mnNone,
};

enum : unsigned {
    ItemDoc = 1u << 0,      // the menu item is one of the document commands
    ButtonDoc = 1u << 1,    // the button is one of the document commands
    ItemCheck = 1u << 2,    // the menu item carries a check mark
    ItemTicked = 1u << 3,   // ... ticked at first
    ButtonToggle = 1u << 4, // the button stays down or up
    ButtonDown = 1u << 5,   // ... down at first
    ItemOff = 1u << 6,      // the menu item starts disabled
    ButtonOff = 1u << 7,    // the button starts disabled
    Tool = 1u << 8,         // one of the paint tools: radio button and radio menu item
    ShapeItem = 1u << 9,    // one of the brush shapes in the menu
};

using TRun = void (*)(TfrmSpriteMDI&);

// One command: its menu item and its tool-bar button, either of which may be missing. A
// row whose Item is "-" is a separator of its menu, named by Caption when it has one.
// Run is what both do; RunButton, when given, is what the button does instead. A command
// without Run has no action of its own here: it is shown and switched all the same.
struct TRow {
    TMenuId Menu;
    const char* Item;
    const char* Caption;
    const char* Shortcut;
    const char* Button;
    const char* Hint;
    const char* Picture;
    TRun Run;
    TRun RunButton;
    unsigned Flags;
};

// The tool bars, as button names in order; "|" is a separator.
const char* const StandardButtons[] = {
    "sbutNew",        "sbutOpen", "sbutSave",        "|",          "sbutCut",     "sbutCopy",
    "sbutPaste",      "sbutUndo", "sbutRedo",        "|",          "sbutAddCel",  "sbutDeleteCel",
    "sbutAppendCel",  "|",        "sbutShowPainter", "sbutResize", "sbutBGColor", "sbutPalette",
    "sbutSwapColors", "|",        "sbutPaintOnAll",
};
const char* const PaintButtons[] = {
    "tbutSelectArea",
    "sbutCreateBrush",
    "tbutBrush",
    "tbutPickupColor",
    "|",
    "tbutFill",
    "tbutText",
    "tbutRectangle",
    "tbutSolidRectangle",
    "tbutCircle",
    "tbutSolidCircle",
    "tbutLine",
    "tbutLines",
    "|",
};
const char* const ShiftButtons[] = {
    "sbutShiftUp",
    "sbutShiftRight",
    "sbutShiftDown",
    "sbutShiftLeft",
    "|",
    "sbutRotateClockwise",
    "sbutRotateCClockwise",
    "|",
    "sbutFlipVert",
    "sbutFlipHorz",
};

QString Mnemonicless(const QString& Text) {
    QString Plain = Text;
    return Plain.remove('&');
}

} // namespace

QAction* TfrmSpriteMDI::AddCommand(const QString& Name, QAction* Action) {
    Action->setObjectName(Name);
    Controls->Commands.insert(Name, Action);
    return Action;
}

void TfrmSpriteMDI::BuildCommands() {
    using W = TfrmSpriteMDI;
    static const TRow Rows[] = {
        // File
        {mnFile, "NewSpriteLibrary", "&New...", "Ctrl+N", "sbutNew", "New Animation", "New",
         [](W& M) { M.NewSpriteLibraryClick(); }, nullptr, 0},
        {mnFile, "Open1", "&Open...", "Ctrl+O", "sbutOpen", "Open Animation", "Open",
         [](W& M) { M.Open1Click(); }, nullptr, 0},
        {mnFile, "mniClose", "&Close", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.mniCloseClick(); }, nullptr, ItemDoc},
        {mnFile, "mniSave", "&Save", "Ctrl+S", "sbutSave", "Save Animation", "Save",
         [](W& M) { M.sbutSaveAnimationClick(); }, nullptr, ItemDoc | ButtonDoc},
        {mnFile, "mniSaveAs", "Save &As...", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.mniSaveAsClick(); }, nullptr, ItemDoc},
        {mnFile, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnFile, "mniImport", "&Import from Grid...", nullptr, nullptr, nullptr, nullptr,
         [](W&) { if (frmImport) frmImport->Open1Click(); }, nullptr, ItemDoc},
        {mnFile, "mniImportIntoCel", "Import into Cel...", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->Importcel1Click(); }, nullptr,
         ItemDoc},
        {mnFile, "mniExportFromCel", "Export from cel...", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->ExportCel1Click(); }, nullptr,
         ItemDoc},
        {mnFile, "-", "mniRecentFilesStart", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnFile, "-", "mniRecentFilesEnd", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnFile, "Exit1", "E&xit", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.close(); },
         nullptr, 0},
        // Edit
        {mnEdit, "mniUndo", "&Undo", "Ctrl+Z", "sbutUndo", "Undo Editing", "Undo",
         [](W& M) { M.sbutUndoClick(); }, nullptr, ButtonDoc},
        {mnEdit, "mniRedo", "&Redo", "Ctrl+Y", "sbutRedo", "Redo Editing", "Redo",
         [](W& M) { M.sbutRedoClick(); }, nullptr, ButtonDoc},
        {mnEdit, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnEdit, "mniCut", "Cu&t", "Ctrl+X", "sbutCut", "Cut", "Cut", [](W& M) { M.sbutCutClick(); },
         nullptr, ButtonDoc},
        {mnEdit, "mniCopy", "&Copy", "Ctrl+C", "sbutCopy", "Copy", "Copy",
         [](W& M) { M.sbutCopyClick(); }, nullptr, ButtonDoc},
        {mnEdit, "mniPaste", "&Paste", "Ctrl+V", "sbutPaste", "Paste", "Paste",
         [](W& M) { M.sbutPasteClick(); }, nullptr, ButtonDoc | ItemOff | ButtonOff},
        // View
        {mnView, "mniShowPainter", "Show Painter", nullptr, "sbutShowPainter", "Show Painter",
         "ShowPainter", [](W& M) { M.mniShowPainterClick(); },
         [](W& M) { M.sbutShowPainterClick(); }, ItemDoc | ButtonDoc},
        {mnView, "mniPalette", "Palette Window...", nullptr, "sbutPalette", "Edit Palette",
         "Palette", [](W& M) { M.tbarPaletteClick(); }, nullptr, ItemDoc | ButtonDoc},
        {mnView, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnView, "mniStatusBar", "&Status Bar", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.statusBar()->setVisible(M.Command("mniStatusBar")->isChecked()); }, nullptr,
         ItemCheck | ItemTicked},
        {mnView, "mniStandardBar", "&Main Toolbar", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.Controls->toolStandard->setVisible(M.Command("mniStandardBar")->isChecked()); },
         nullptr, ItemCheck | ItemTicked},
        {mnView, "mniPaintBar", "P&aint Toolbar", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.Controls->toolPaint->setVisible(M.Command("mniPaintBar")->isChecked()); },
         nullptr, ItemCheck | ItemTicked},
        {mnView, "mniShiftBar", "Shift Toolbar", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.Controls->toolShift->setVisible(M.Command("mniShiftBar")->isChecked()); },
         nullptr, ItemCheck | ItemTicked},
        // Animation
        {mnAnimation, "mniInsertCel", "&Insert Cel", nullptr, "sbutAddCel", "Insert Cel",
         "InsertCel", [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->sbutInsertClick(); },
         nullptr, ButtonDoc},
        {mnAnimation, "mniAppendCel", "&Append Cel to End", nullptr, "sbutAppendCel",
         "Append Cel", "AppendCel",
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->sbutAppendCelClick(); }, nullptr,
         ButtonDoc},
        {mnAnimation, "mniDeleteCel", "&Delete Cel", nullptr, "sbutDeleteCel", "Delete Cel",
         "DeleteCel", [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->sbutDeleteClick(); },
         nullptr, ButtonDoc},
        {mnAnimation, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnAnimation, "ShowGIFProperties1", "&Show GIF Properties...", nullptr, nullptr, nullptr,
         nullptr, [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->butPropertiesClick(); },
         nullptr, 0},
        {mnAnimation, "mniStretch", "S&tretch Animation", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.mniStretchClick(); }, nullptr, ItemCheck},
        {mnAnimation, "SetDisposalMethodforAllCels1", "S&et Disposal Method for All Cels...",
         nullptr, nullptr, nullptr, nullptr, [](W& M) { M.SetDisposalMethodforAllCels1Click(); },
         nullptr, 0},
        {mnAnimation, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnAnimation, "mniRun", "&Run", "F8", nullptr, nullptr, nullptr,
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->sbutPlayClick(); }, nullptr, 0},
        {mnAnimation, "mniRunBackwards", "R&un Backwards", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->sbutPlayReverseClick(); }, nullptr,
         0},
        {mnAnimation, "mniStop", "Sto&p", "F9", nullptr, nullptr, nullptr,
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->sbutAnimStopClick(); }, nullptr, 0},
        {mnAnimation, "mniFrameForward", "Frame &Forward", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->sbutFrameForwardClick(); },
         nullptr, 0},
        {mnAnimation, "mniFrameBackward", "Frame &Backward", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->sbutFrameBackwardsClick(); },
         nullptr, 0},
        // Painter
        {mnPainter, "mniPaintOnAll", "Paint on All Cels", nullptr, "sbutPaintOnAll",
         "Paint on All Cels", "PaintOnAll", [](W& M) { M.mniPaintOnAllClick(); },
         [](W& M) { M.sbutPaintOnAllClick(); }, ItemCheck | ButtonToggle},
        {mnPainter, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnPainter, "mniSelectArea", "Select Area", nullptr, "tbutSelectArea", "Select Area",
         "SelectArea", [](W& M) { M.ToolCommand(ptSelectArea, "tbutSelectArea", "mniSelectArea"); },
         nullptr, Tool | ButtonDoc},
        {mnPainter, "mniCreateCustomBrush", "Create Custom Brush", nullptr, "sbutCreateBrush",
         "Create Custom Brush", "CreateBrush",
         [](W& M) {
             if (M.Editing.CurrentPainter) M.Editing.CurrentPainter->CreateCustomBrush();
             M.Controls->Command("sbutCreateBrush")->setChecked(true);
             M.Controls->Command("mniCreateCustomBrush")->setChecked(true);
             M.SetPainterCursor(CursorIdOf(ptBrush));
         },
         nullptr, Tool | ButtonDoc | ItemOff | ButtonOff},
        {mnPainter, "mniPaintBrush", "Paint Brush", nullptr, "tbutBrush", "Paint with Brush",
         "Brush", [](W& M) { M.tbutBrushClick(); }, nullptr,
         Tool | ButtonDoc | ItemTicked | ButtonDown},
        {mnPainter, "mniPickupColor", "Pickup Color", nullptr, "tbutPickupColor", "Pickup Color",
         "Pickup", [](W& M) { M.ToolCommand(ptPickupColor, "tbutPickupColor", "mniPickupColor"); },
         nullptr, Tool | ButtonDoc},
        {mnPainter, "mniFill", "Fill", nullptr, "tbutFill", "Fill", "Fill",
         [](W& M) { M.ToolCommand(ptFill, "tbutFill", "mniFill"); }, nullptr, Tool | ButtonDoc},
        {mnPainter, "mniText", "Text", nullptr, "tbutText", "Create Text Brush", "Text",
         [](W& M) { M.tbutTextClick(); }, nullptr, Tool | ButtonDoc},
        {mnPainter, "mniRectangle", "Rectangle", nullptr, "tbutRectangle", "Rectangle",
         "Rectangle", [](W& M) { M.ToolCommand(ptRectangle, "tbutRectangle", "mniRectangle"); },
         nullptr, Tool | ButtonDoc},
        {mnPainter, "mniSolidRectangle", "Solid Rectangle", nullptr, "tbutSolidRectangle",
         "Solid Rectangle", "SolidRectangle",
         [](W& M) { M.ToolCommand(ptSolidRectangle, "tbutSolidRectangle", "mniSolidRectangle"); },
         nullptr, Tool | ButtonDoc},
        {mnPainter, "mniCircle", "Circle", nullptr, "tbutCircle", "Circle", "Circle",
         [](W& M) { M.ToolCommand(ptCircle, "tbutCircle", "mniCircle"); }, nullptr,
         Tool | ButtonDoc},
        {mnPainter, "mniSolidCircle", "Solid Circle", nullptr, "tbutSolidCircle", "Solid Circle",
         "SolidCircle", [](W& M) { M.ToolCommand(ptSolidCircle, "tbutSolidCircle", "mniSolidCircle"); },
         nullptr, Tool | ButtonDoc},
        {mnPainter, "mniLine", "Line", nullptr, "tbutLine", "Line", "Line",
         [](W& M) { M.ToolCommand(ptLine, "tbutLine", "mniLine"); }, nullptr, Tool | ButtonDoc},
        {mnPainter, "mniLines", "Lines", nullptr, "tbutLines", "Lines", "Lines",
         [](W& M) { M.ToolCommand(ptLines, "tbutLines", "mniLines"); }, nullptr, Tool | ButtonDoc},
        {mnPainter, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnShape, "mniSquare", "Square", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.SetBrushShape(0); }, nullptr, ShapeItem | ItemTicked},
        {mnShape, "mniRound", "Round", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.SetBrushShape(1); }, nullptr, ShapeItem},
        {mnShape, "mniHorzLine", "Horizontal Line", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.SetBrushShape(2); }, nullptr, ShapeItem},
        {mnShape, "mniVertLine", "Vertical Line", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.SetBrushShape(3); }, nullptr, ShapeItem},
        {mnShape, "mniBackSlash", "Backslash", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.SetBrushShape(4); }, nullptr, ShapeItem},
        {mnShape, "mniForewardSlash", "Foreward Slash", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.SetBrushShape(5); }, nullptr, ShapeItem},
        {mnSize, "mniSize1", "1", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.mniSizeClick(1); },
         nullptr, 0},
        {mnSize, "mniSize2", "2", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.mniSizeClick(2); },
         nullptr, 0},
        {mnSize, "mniSize3", "3", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.mniSizeClick(3); },
         nullptr, 0},
        {mnSize, "mniSize4", "4", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.mniSizeClick(4); },
         nullptr, 0},
        {mnSize, "mniSize5", "5", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.mniSizeClick(5); },
         nullptr, 0},
        {mnSize, "mniSize6", "6", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.mniSizeClick(6); },
         nullptr, 0},
        {mnSize, "mniSize7", "7", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.mniSizeClick(7); },
         nullptr, 0},
        {mnSize, "mniSize8", "8", nullptr, nullptr, nullptr, nullptr, [](W& M) { M.mniSizeClick(8); },
         nullptr, 0},
        {mnPainter, "mniSwapColors", "Swap Colors", nullptr, "sbutSwapColors", "Replace Color",
         "SwapColors", [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->ReplaceColors(); },
         nullptr, ButtonDoc},
        {mnShift, "mniShiftUp", "Up", nullptr, "sbutShiftUp", "Shift Up", "ShiftUp",
         [](W& M) { M.Transform(&TfrmCharAnimation::ShiftUp); }, nullptr, ButtonDoc},
        {mnShift, "mniShiftDown", "Down", nullptr, "sbutShiftDown", "Shift Down", "ShiftDown",
         [](W& M) { M.Transform(&TfrmCharAnimation::ShiftDown); }, nullptr, ButtonDoc},
        {mnShift, "mniShiftLeft", "Left", nullptr, "sbutShiftLeft", "Shift Left", "ShiftLeft",
         [](W& M) { M.Transform(&TfrmCharAnimation::ShiftLeft); }, nullptr, ButtonDoc},
        {mnShift, "mniShiftRight", "Right", nullptr, "sbutShiftRight", "Shift Right", "ShiftRight",
         [](W& M) { M.Transform(&TfrmCharAnimation::ShiftRight); }, nullptr, ButtonDoc},
        {mnPainter, "mniRotateClockwise", "Rotate Clockwise", nullptr, "sbutRotateClockwise",
         "Rotate Clockwise", "RotateClockwise",
         [](W& M) { M.Transform(&TfrmCharAnimation::RotateClockwise); }, nullptr, ButtonDoc},
        {mnPainter, "mniRotateCounterClockwise", "Rotate Counter-Clockwise", nullptr,
         "sbutRotateCClockwise", "Rotate Counter-Clockwise", "RotateCounterClockwise",
         [](W& M) { M.Transform(&TfrmCharAnimation::RotateCounterClockwise); }, nullptr, ButtonDoc},
        {mnPainter, "mniFlipHorz", "Flip Horizontal", nullptr, "sbutFlipHorz", "Flip Top to Bottom",
         "FlipTopToBottom", [](W& M) { M.Transform(&TfrmCharAnimation::FlipHorizontal); }, nullptr,
         ButtonDoc},
        {mnPainter, "mniFlipVert", "Flip Vertical", nullptr, "sbutFlipVert", "Flip Side to Side",
         "FlipSideToSide", [](W& M) { M.Transform(&TfrmCharAnimation::FlipVertical); }, nullptr,
         ButtonDoc},
        {mnPainter, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnPainter, "mniSavePalette", "Save Palette...", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.mniSavePaletteClick(); }, nullptr, 0},
        // Buttons without a menu item
        {mnNone, nullptr, nullptr, nullptr, "sbutResize", "Resize Cels", "Resize",
         [](W& M) { M.sbutResizeClick(); },
         nullptr, ButtonDoc},
        {mnNone, nullptr, nullptr, nullptr, "sbutBrushShape", "Brush Shape", nullptr,
         [](W& M) { M.sbutBrushShapeClick(); }, nullptr, ButtonDoc},
        {mnNone, nullptr, nullptr, nullptr, "sbutBGColor", "Change Background Color", "BGColor",
         [](W& M) { if (M.Editing.CurrentAnimation) M.Editing.CurrentAnimation->ChangeBackgroundColor(); }, nullptr,
         ButtonDoc},
        // Window
        {mnWindow, "Tile1", "&Tile", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.Area->tileSubWindows(); }, nullptr, 0},
        {mnWindow, "Cascade1", "&Cascade", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.Area->cascadeSubWindows(); }, nullptr, 0},
        {mnWindow, "ArrangeIcons1", "&Arrange Icons", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.ArrangeIcons1Click(); }, nullptr, 0},
        {mnWindow, "-", "mniWindowList", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        // Help
        {mnHelp, "mniContents", "&Contents", nullptr, nullptr, nullptr, nullptr,
         [](W&) { ShowHelp(1); }, nullptr, 0},
        {mnHelp, "OstraValeSoftwaresWebsite1", "&Ostra Vale Software's Website...", nullptr, nullptr,
         nullptr, nullptr, [](W& M) { M.OstraValeSoftwaresWebsite1Click(); }, nullptr, 0},
        {mnHelp, "-", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0},
        {mnHelp, "About1", "&About...", nullptr, nullptr, nullptr, nullptr,
         [](W& M) { M.About1Click(); }, nullptr, 0},
    };

    QMenuBar* Bar = menuBar();
    Bar->setObjectName("mnuMain");
    Bar->setAccessibleName("Menu");
    struct TMenuName {
        const char* Name;
        const char* Caption;
    };
    const TMenuName MenuNames[mnNone] = {
        {"mniFile", "&File"},           {"mniEdit", "&Edit"},
        {"mniView", "&View"},           {"mniAnimation", "&Animation"},
        {"mniPainter", "&Painter"},     {"mniBrushShape", "Brush Shape"},
        {"mniBrushSize", "Brush Size"}, {"mniShift", "Shift"},
        {"mnuWindow", "&Window"},       {"mniHelp", "&Help"},
    };
    QMenu* Menus[mnNone] = {};
    for (int i = 0; i < mnNone; ++i) {
        Menus[i] = new QMenu(MenuNames[i].Caption, this);
        Menus[i]->setObjectName(MenuNames[i].Name);
        Menus[i]->menuAction()->setObjectName(MenuNames[i].Name);
        Menus[i]->setAccessibleName(Mnemonicless(MenuNames[i].Caption));
        const bool Submenu = i == mnShape || i == mnSize || i == mnShift;
        if (!Submenu) Bar->addMenu(Menus[i]);
        Controls->Commands.insert(MenuNames[i].Name, Menus[i]->menuAction());
    }
    Controls->mniFile = Menus[mnFile];
    Controls->mnuWindow = Menus[mnWindow];
    Controls->DocumentMenus = {Menus[mnEdit], Menus[mnAnimation], Menus[mnPainter],
                               Menus[mnWindow]};
    connect(Menus[mnWindow], &QMenu::aboutToShow, this, &TfrmSpriteMDI::mnuWindowPopup);

    Controls->ToolButtons = new QActionGroup(this);
    Controls->ToolItems = new QActionGroup(this);
    Controls->ShapeItems = new QActionGroup(this);
    // The submenus sit in the Painter menu where their first item comes in the table.
    bool SubmenuPlaced[mnNone] = {};

    for (const TRow& Row : Rows) {
        if (Row.Menu == mnShape || Row.Menu == mnSize || Row.Menu == mnShift) {
            if (!SubmenuPlaced[Row.Menu]) Menus[mnPainter]->addMenu(Menus[Row.Menu]);
            SubmenuPlaced[Row.Menu] = true;
        }
        if (Row.Item && QByteArray(Row.Item) == "-") {
            QAction* Separator = Menus[Row.Menu]->addSeparator();
            if (Row.Caption) AddCommand(Row.Caption, Separator);
            continue;
        }
        const TRun Run = Row.Run;
        if (Row.Item) {
            QAction* Item = AddCommand(Row.Item, Menus[Row.Menu]->addAction(Row.Caption));
            if (Row.Shortcut) Item->setShortcut(QKeySequence(Row.Shortcut));
            Item->setCheckable(Row.Flags & (ItemCheck | Tool | ShapeItem));
            Item->setChecked(Row.Flags & ItemTicked);
            Item->setEnabled(!(Row.Flags & ItemOff));
            if (Row.Flags & Tool) Controls->ToolItems->addAction(Item);
            if (Row.Flags & ShapeItem) Controls->ShapeItems->addAction(Item);
            if (Row.Flags & ItemDoc) Controls->DocumentCommands.append(Item);
            if (Run)
                connect(Item, &QAction::triggered, this,
                        [this, Run] { RunGuarded([&] { Run(*this); }); });
        }
        if (Row.Button) {
            auto* Button =
                new QAction(Row.Picture ? Glyph(Row.Picture) : BrushShapeGlyph(0), Row.Hint, this);
            AddCommand(Row.Button, Button);
            Button->setToolTip(Row.Hint);
            Button->setCheckable(Row.Flags & (ButtonToggle | Tool));
            Button->setChecked(Row.Flags & ButtonDown);
            Button->setEnabled(!(Row.Flags & ButtonOff));
            if (Row.Flags & Tool) Controls->ToolButtons->addAction(Button);
            if (Row.Flags & ButtonDoc) Controls->DocumentCommands.append(Button);
            const TRun Pressed = Row.RunButton ? Row.RunButton : Run;
            if (Pressed)
                connect(Button, &QAction::triggered, this,
                        [this, Pressed] { RunGuarded([&] { Pressed(*this); }); });
        }
    }
    Controls->RecentEnd = Controls->Command("mniRecentFilesEnd");
}

void TfrmSpriteMDI::BuildToolBars() {
    const auto MakeBar = [this](const char* Name, const char* Title) {
        auto* Bar = new QToolBar(Title, this);
        Bar->setObjectName(Name);
        Bar->setAccessibleName(Title);
        Bar->setMovable(true);
        Bar->setFloatable(true);
        Bar->setIconSize(QSize(16, 16));
        return Bar;
    };
    const auto AddButtons = [this](QToolBar* Bar, const auto& Names) {
        for (const char* Name : Names) {
            if (QByteArray(Name) == "|") {
                Bar->addSeparator();
                continue;
            }
            QAction* Button = Controls->Command(Name);
            Bar->addAction(Button);
            QWidget* Widget = Bar->widgetForAction(Button);
            Widget->setObjectName(Name);
            Widget->setAccessibleName(Button->toolTip());
        }
    };
    TControls& C = *Controls;
    C.toolStandard = MakeBar("toolStandard", "Standard");
    C.toolPaint = MakeBar("toolPaint", "Paint Tools");
    C.toolShift = MakeBar("toolShift", "Shift Image");
    C.toolPaint->setOrientation(Qt::Vertical);
    C.toolShift->setOrientation(Qt::Vertical);
    AddButtons(C.toolStandard, StandardButtons);
    AddButtons(C.toolPaint, PaintButtons);
    AddButtons(C.toolShift, ShiftButtons);

    auto* lblShape = new QLabel("Shape", C.toolPaint);
    lblShape->setObjectName("lblShape");
    C.toolPaint->addWidget(lblShape);
    QAction* Shape = C.Command("sbutBrushShape");
    C.toolPaint->addAction(Shape);
    QWidget* ShapeButton = C.toolPaint->widgetForAction(Shape);
    ShapeButton->setObjectName("sbutBrushShape");
    ShapeButton->setAccessibleName(Shape->toolTip());
    auto* lblSize = new QLabel("Size", C.toolPaint);
    lblSize->setObjectName("lblSize");
    C.toolPaint->addWidget(lblSize);
    C.txtSize = new TBrushSizeBox(C.toolPaint);
    C.txtSize->setObjectName("txtSize");
    C.txtSize->setAccessibleName("Brush Size");
    C.txtSize->setToolTip("Brush Size");
    lblSize->setBuddy(C.txtSize);
    C.toolPaint->addWidget(C.txtSize);
    connect(C.txtSize->Editor(), &QLineEdit::textChanged, this,
            [this] { RunGuarded([this] { txtSizeChange(); }); });

    addToolBar(Qt::TopToolBarArea, C.toolStandard);
    addToolBar(Qt::RightToolBarArea, C.toolPaint);
    addToolBarBreak(Qt::RightToolBarArea);
    addToolBar(Qt::RightToolBarArea, C.toolShift);

    // The View menu's check marks follow the bars, however they were shown or hidden.
    const std::pair<QToolBar*, const char*> Toggles[] = {{C.toolStandard, "mniStandardBar"},
                                                         {C.toolPaint, "mniPaintBar"},
                                                         {C.toolShift, "mniShiftBar"}};
    for (const auto& [Bar, Item] : Toggles) {
        QAction* Check = C.Command(Item);
        QToolBar* Watched = Bar;
        connect(Bar, &QToolBar::visibilityChanged, Check,
                [Check, Watched] { Check->setChecked(!Watched->isHidden()); });
    }
}

// ---- File ----

void TfrmSpriteMDI::NewSpriteLibraryClick() {
    if (!frmNew || frmNew->exec() != QDialog::Accepted) return;
    TfrmCharAnimation* Animation = CreateAnimationWindow();
    Animation->FormActivate();
    Animation->show();
    if (TfrmPainter* Painter = Animation->Painter()) Painter->show();
    Area->setActiveSubWindow(Animation);
    UpdateCommandStates();
    Animation->SetCopyPasteButtons();
}

void TfrmSpriteMDI::Open1Click() {
    TFileDialog Dialog;
    Dialog.Name = "dlgOpenAnimation";
    Dialog.Title = "Open Animation";
    Dialog.Filter = "Animated GIFs (*.GIF *.gif);;All Files (*)";
    Dialog.Folder = OpenFolder;
    Dialog.MustExist = true;
    const QString FileName = Questions().AskFile(Dialog);
    if (FileName.isEmpty()) return;
    OpenAnimation(FileName);
    UpdateCommandStates();
    OpenFolder = QFileInfo(FileName).absolutePath();
}

void TfrmSpriteMDI::RecentFileClick(const QString& FileName) {
    OpenAnimation(FileName);
    UpdateCommandStates();
}

void TfrmSpriteMDI::mniCloseClick() {
    if (Editing.CurrentAnimation) Editing.CurrentAnimation->close();
}

// ---- Edit ----

void TfrmSpriteMDI::sbutUndoClick() {
    if (!Editing.CurrentPainter) return;
    if (Editing.CurrentPainter->SelectionOrCustomBrush()) tbutBrushClick();
    const THourglass Wait;
    Editing.CurrentPainter->sbutUndoClick();
}

void TfrmSpriteMDI::sbutRedoClick() {
    if (!Editing.CurrentPainter) return;
    if (Editing.CurrentPainter->SelectionOrCustomBrush()) {
        Questions().Message(TBoxKind::Information,
                            "Can't Redo when selecting an area or using a custom brush.  Select a "
                            "built in brush type before attempting to Redo changes.");
        return;
    }
    const THourglass Wait;
    Editing.CurrentPainter->Redo();
}

void TfrmSpriteMDI::sbutCopyClick() {
    if (!Editing.CurrentAnimation || !Editing.CurrentAnimation->CelList()) return;
    // A copy of its own: the cel may change or go before the clipboard is read.
    QApplication::clipboard()->setMimeData(
        CelPictureData(Editing.CurrentAnimation->CelList()->CurrentBitmap()));
    Editing.ClipboardHasBitmap = true;
    Editing.CurrentAnimation->SetCopyPasteButtons();
}

void TfrmSpriteMDI::sbutCutClick() {
    if (!Editing.CurrentAnimation) return;
    sbutCopyClick();
    Editing.CurrentAnimation->sbutDeleteClick();
}

void TfrmSpriteMDI::sbutPasteClick() {
    if (!Editing.ClipboardHasBitmap || !Editing.CurrentAnimation) return;
    QString Refusal;
    const std::optional<RgbPicture> Pasted =
        ReadPastedPicture(QApplication::clipboard()->mimeData(), Refusal);
    if (Pasted)
        Editing.CurrentAnimation->ImportFromBitmap(*Pasted);
    else if (!Refusal.isEmpty())
        Questions().Message(TBoxKind::Error, Refusal);
}

// ---- View ----

void TfrmSpriteMDI::mniShowPainterClick() {
    TfrmPainter* Painter = Editing.CurrentPainter;
    if (!Painter) return;
    if (Painter->isMinimized()) Painter->showNormal();
    Painter->show();
    Area->setActiveSubWindow(Painter);
    Painter->setFocus();
}

void TfrmSpriteMDI::sbutShowPainterClick() {
    TfrmPainter* Painter = Editing.CurrentPainter;
    if (!Painter) return;
    Painter->showNormal();
    Painter->show();
    Area->setActiveSubWindow(Painter);
    Painter->setFocus();
}

void TfrmSpriteMDI::tbarPaletteClick() {
    if (!Editing.CurrentPainter) return;
    if (Editing.CurrentPainter->SelectionOrCustomBrush()) {
        Questions().Message(TBoxKind::Information,
                            "Can't modify palette when selecting an area or using a custom brush.  "
                            "Select a built in brush type before editing the palette.");
        return;
    }
    if (!Editing.CurrentAnimation || !Editing.CurrentAnimation->Palette() || !frmPalette) return;
    frmPalette->SetWorkingPalette(*Editing.CurrentAnimation->Palette());
    if (frmPalette->exec() != QDialog::Accepted || !Editing.CurrentAnimation) return;
    SetPalette(frmPalette->TakeWorkingPalette());
    // A palette change cannot be undone.
    if (Editing.CurrentPainter) Editing.CurrentPainter->ResetUndo();
}

// ---- Animation ----

void TfrmSpriteMDI::mniStretchClick() {
    if (!Editing.CurrentAnimation) return;
    Editing.CurrentAnimation->SetStretchImage(!Editing.CurrentAnimation->StretchImage());
    SetStretchChecked(Editing.CurrentAnimation->StretchImage());
}

void TfrmSpriteMDI::sbutResizeClick() {
    const QPointer<TfrmCharAnimation> Animation = Editing.CurrentAnimation;
    if (!Animation || !Animation->Sprite() || !dlgSize) return;
    dlgSize->SetSize(Animation->Sprite()->Width(), Animation->Sprite()->Height());
    if (dlgSize->exec() != QDialog::Accepted || !Animation) return;
    Animation->ResizeCels(dlgSize->Width(), dlgSize->Height(), dlgSize->Stretch());
}

void TfrmSpriteMDI::SetDisposalMethodforAllCels1Click() {
    if (!Editing.CurrentAnimation || !frmGlobDisp) return;
    if (frmGlobDisp->exec() == QDialog::Accepted && Editing.CurrentAnimation)
        Editing.CurrentAnimation->SetDisposalForAll();
}

// ---- Painter ----

void TfrmSpriteMDI::sbutPaintOnAllClick() {
    Editing.PaintOnAll = Controls->Command("sbutPaintOnAll")->isChecked();
    Controls->Command("mniPaintOnAll")->setChecked(Editing.PaintOnAll);
}

void TfrmSpriteMDI::mniPaintOnAllClick() {
    // The item has inverted its own check already; the button follows, then acts.
    Controls->Command("sbutPaintOnAll")
        ->setChecked(Controls->Command("mniPaintOnAll")->isChecked());
    sbutPaintOnAllClick();
}

void TfrmSpriteMDI::ToolCommand(TPaintTool Tool, const char* Button, const char* Item) {
    Controls->Command(Button)->setChecked(true);
    Controls->Command(Item)->setChecked(true);
    if (Editing.CurrentPainter) Editing.CurrentPainter->CancelSelection();
    Editing.CurrentTool = Tool;
    SetPainterCursor(CursorIdOf(Tool));
}

void TfrmSpriteMDI::tbutBrushClick() {
    Controls->Command("tbutBrush")->setChecked(true);
    Editing.CurrentTool = ptBrush;
    if (Editing.CurrentPainter) Editing.CurrentPainter->CancelSelection();
    SetPainterCursor(CursorIdOf(ptBrush));
    if (Editing.CurrentPainter) Editing.CurrentPainter->ShowPainterCel();
    Controls->Command("mniPaintBrush")->setChecked(true);
}

void TfrmSpriteMDI::tbutTextClick() {
    if (!frmText || frmText->exec() != QDialog::Accepted || !Editing.CurrentPainter) {
        tbutBrushClick();
        return;
    }
    Editing.CurrentPainter->CancelSelection();
    Editing.CurrentTool = ptBrush;
    Editing.CurrentPainter->MakeTextBrush();
    SetPainterCursor(CursorIdOf(ptBrush));
    Controls->Command("tbutText")->setChecked(true);
    Controls->Command("mniText")->setChecked(true);
}

void TfrmSpriteMDI::SetPainterCursor(int Id) {
    if (Editing.CurrentPainter) Editing.CurrentPainter->SetToolCursor(Id);
}

void TfrmSpriteMDI::sbutBrushShapeClick() {
    if (!frmBrushFly) return;
    QWidget* Button = findChild<QWidget*>("sbutBrushShape");
    frmBrushFly->ShowShape(Editing.BrushShape);
    frmBrushFly->PopupAt(Button ? Button->mapToGlobal(QPoint(0, 0)) : QPoint(0, 0));
}

void TfrmSpriteMDI::SetBrushShape(int Shape) {
    if (Shape == shCustom) {
        Controls->Command("sbutBrushShape")->setIcon(Glyph("CreateBrush"));
        return;
    }
    if (Shape < 0 || Shape > 5) return;
    Editing.BrushShape = Shape;
    if (frmBrushFly) frmBrushFly->ShowShape(Shape);
    Controls->Command("sbutBrushShape")->setIcon(BrushShapeGlyph(Shape));
    const char* Items[] = {"mniSquare",   "mniRound",     "mniHorzLine",
                           "mniVertLine", "mniBackSlash", "mniForewardSlash"};
    Controls->Command(Items[Shape])->setChecked(true);
    if (Editing.CurrentPainter) Editing.CurrentPainter->UpdateBrush();
}

void TfrmSpriteMDI::txtSizeChange() {
    bool Ok = false;
    int Size = Controls->txtSize->Text().trimmed().toInt(&Ok);
    if (!Ok) Size = 2;
    // Correcting the text runs this rule again with the corrected value.
    if (Size < 1) {
        Controls->txtSize->SetText("1");
        return;
    }
    if (Size > Controls->txtSize->maximum()) {
        Controls->txtSize->SetText(QString::number(Controls->txtSize->maximum()));
        return;
    }
    if (Size == Editing.BrushSize) return;
    Editing.BrushSize = Size;
    if (Editing.CurrentPainter) Editing.CurrentPainter->UpdateBrush();
}

void TfrmSpriteMDI::mniSizeClick(int Size) {
    Controls->txtSize->SetText(QString::number(Size));
}

void TfrmSpriteMDI::Transform(void (TfrmCharAnimation::*Operation)()) {
    if (!Editing.CurrentAnimation) return;
    const THourglass Wait;
    (Editing.CurrentAnimation->*Operation)();
}

void TfrmSpriteMDI::mniSavePaletteClick() {
    if (Editing.CurrentAnimation) Editing.CurrentAnimation->SavePalette();
}

// ---- Window ----

void TfrmSpriteMDI::ArrangeIcons1Click() {
    // Minimised windows line up along the bottom edge, left to right, wrapping upwards.
    const QSize Client = Area->viewport()->size();
    int X = 0, Y = Client.height();
    int RowHeight = 0;
    for (QMdiSubWindow* Window : Area->subWindowList(QMdiArea::CreationOrder)) {
        if (!Window->isMinimized()) continue;
        const QSize Size = Window->size();
        if (X > 0 && X + Size.width() > Client.width()) {
            X = 0;
            Y -= RowHeight;
            RowHeight = 0;
        }
        if (RowHeight == 0) RowHeight = Size.height();
        Window->move(X, Y - Size.height());
        X += Size.width();
    }
}

void TfrmSpriteMDI::mnuWindowPopup() {
    qDeleteAll(Controls->WindowItems);
    Controls->WindowItems.clear();
    const QList<QMdiSubWindow*> Windows = Area->subWindowList(QMdiArea::CreationOrder);
    Controls->Command("mniWindowList")->setVisible(!Windows.isEmpty());
    int Number = 0;
    for (QMdiSubWindow* Window : Windows) {
        ++Number;
        QString Title = Window->windowTitle();
        Title.replace('&', "&&");
        QAction* Item = Controls->mnuWindow->addAction(QString("&%1 %2").arg(Number).arg(Title));
        Item->setObjectName(QString("mniWindow%1").arg(Number));
        Item->setCheckable(true);
        Item->setChecked(Window == Area->activeSubWindow());
        connect(Item, &QAction::triggered, this, [this, Window] {
            if (!Area->subWindowList().contains(Window)) return;
            if (Window->isMinimized()) Window->showNormal();
            Area->setActiveSubWindow(Window);
        });
        Controls->WindowItems.append(Item);
    }
}

// ---- Help ----

void TfrmSpriteMDI::OstraValeSoftwaresWebsite1Click() {
    // The program opens no web page: it reads and writes only what the user chooses.
}

void TfrmSpriteMDI::About1Click() {
    Questions().Message(TBoxKind::Information, "Ostra Vale Vimbrel\nVersion 1.0c");
}
