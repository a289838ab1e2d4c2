// The command table of the main window: every menu item and tool-bar button is made here from
// one row of the table, and the tool bars from their lists of buttons. What the commands do
// is in SpriteMDI_commands.cpp.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <functional>
#include <vector>

#include "model/Spritez.h"
#include "ui/animation/f_charanim.h"
#include "ui/common/Application.h"
#include "ui/common/Glyphs.h"
#include "ui/common/Help.h"
#include "ui/painter/f_painter.h"
#include "ui/shell/Forms.h"
#include "ui/shell/SpriteMDI_controls.h"
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
    mnOnionBefore,
    mnOnionAfter,
    mnNone,
};

// The menus that sit inside the Painter menu.
bool IsSubmenu(TMenuId Menu) {
    return Menu == mnShape || Menu == mnSize || Menu == mnShift || Menu == mnOnionBefore ||
           Menu == mnOnionAfter;
}

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
    Choice = 1u << 10,      // one of the radio items of its submenu
};

using W = TfrmSpriteMDI;
using TRun = std::function<void(W&)>;

// One command: its menu item, its tool-bar button, or both. Run is what both do; RunButton,
// when given, is what the button does instead. A command without Run has no action of its
// own here: it is shown and switched all the same.
struct TCommand {
    TMenuId Menu = mnNone;
    // No menu item when empty; "-" for a separator, named by Caption when it has one.
    QString Item, Caption, Shortcut;
    // No button when empty; without a picture the button shows the square brush shape.
    QString Button, Hint, Picture;
    TRun Run, RunButton;
    unsigned Flags = 0;

    TCommand& Keys(const char* Sequence) {
        Shortcut = Sequence;
        return *this;
    }
    TCommand& AndButton(const QString& Name, const QString& Tip, const QString& Glyph) {
        Button = Name;
        Hint = Tip;
        Picture = Glyph;
        return *this;
    }
    TCommand& ButtonRuns(TRun Pressed) {
        RunButton = std::move(Pressed);
        return *this;
    }
    TCommand& With(unsigned More) {
        Flags |= More;
        return *this;
    }
};

TCommand Item(TMenuId Menu, const QString& Name, const QString& Caption, TRun Run = {}) {
    TCommand Command;
    Command.Menu = Menu;
    Command.Item = Name;
    Command.Caption = Caption;
    Command.Run = std::move(Run);
    return Command;
}

TCommand Separator(TMenuId Menu, const char* Name = "") {
    return Item(Menu, "-", Name);
}

TCommand Button(const char* Name, const char* Hint, const char* Picture, TRun Run) {
    TCommand Command;
    Command.Run = std::move(Run);
    return Command.AndButton(Name, Hint, Picture);
}

// A command the active animation window carries out.
TRun OnAnimation(void (TfrmCharAnimation::*Operation)()) {
    return [Operation](W& M) {
        if (TfrmCharAnimation* Animation = M.State().CurrentAnimation) (Animation->*Operation)();
    };
}

// The tool bars, as button names in order; "|" is a separator.
const char* const StandardButtons[] = {
    "sbutNew",         "sbutOpen",
    "sbutSave",        "|",
    "sbutCut",         "sbutCopy",
    "sbutPaste",       "sbutUndo",
    "sbutRedo",        "|",
    "sbutAddCel",      "sbutDeleteCel",
    "sbutAppendCel",   "|",
    "sbutShowPainter", "sbutResize",
    "sbutBGColor",     "sbutPalette",
    "sbutSwapColors",  "|",
    "sbutPaintOnAll",  "sbutOnionSkin",
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

// The rows of the table, in the order of the menus; the commands of the main window itself
// are in reach here.
class TCommandTable {
public:
    static std::vector<TCommand> Rows();

private:
    // One of the paint tools: its radio menu item and radio button choose it.
    static TCommand PaintTool(TPaintTool Code, const char* Name, const char* Caption,
                              const char* Button, const char* Hint, const char* Picture) {
        return Item(mnPainter, Name, Caption, [=](W& M) { M.ToolCommand(Code, Button, Name); })
            .AndButton(Button, Hint, Picture)
            .With(Tool | ButtonDoc);
    }
    // A shift, turn or flip of the current cel or, with Paint on All, of every cel.
    static TCommand Turn(TMenuId Menu, const QString& Name, const QString& Caption,
                         const QString& Button, const QString& Hint, const QString& Picture,
                         void (TSprite::*Operation)(bool)) {
        return Item(Menu, Name, Caption, [Operation](W& M) { M.Transform(Operation); })
            .AndButton(Button, Hint, Picture)
            .With(ButtonDoc);
    }
};

std::vector<TCommand> TCommandTable::Rows() {
    std::vector<TCommand> Rows = {
        // File
        Item(mnFile, "NewSpriteLibrary", "&New...", [](W& M) { M.NewSpriteLibraryClick(); })
            .Keys("Ctrl+N")
            .AndButton("sbutNew", "New Animation", "New"),
        Item(mnFile, "Open1", "&Open...", [](W& M) { M.Open1Click(); })
            .Keys("Ctrl+O")
            .AndButton("sbutOpen", "Open Animation", "Open"),
        Item(mnFile, "mniClose", "&Close", [](W& M) { M.mniCloseClick(); }).With(ItemDoc),
        Item(mnFile, "mniSave", "&Save", [](W& M) { M.sbutSaveAnimationClick(); })
            .Keys("Ctrl+S")
            .AndButton("sbutSave", "Save Animation", "Save")
            .With(ItemDoc | ButtonDoc),
        Item(mnFile, "mniSaveAs", "Save &As...", [](W& M) { M.mniSaveAsClick(); }).With(ItemDoc),
        Separator(mnFile),
        Item(mnFile, "mniImport", "&Import from Grid...",
             [](W&) {
                 if (frmImport) frmImport->Open1Click();
             })
            .With(ItemDoc),
        Item(mnFile, "mniImportIntoCel", "Import into Cel...",
             OnAnimation(&TfrmCharAnimation::Importcel1Click))
            .With(ItemDoc),
        Item(mnFile, "mniExportFromCel", "Export from cel...",
             OnAnimation(&TfrmCharAnimation::ExportCel1Click))
            .With(ItemDoc),
        Item(mnFile, "mniExportScaled", "Export Scaled Cop&y...",
             OnAnimation(&TfrmCharAnimation::ExportScaledCopy))
            .With(ItemDoc),
        Item(mnFile, "mniExportSheet", "Export Sprite S&heet...",
             OnAnimation(&TfrmCharAnimation::ExportSpriteSheet))
            .With(ItemDoc),
        Separator(mnFile, "mniRecentFilesStart"),
        Separator(mnFile, "mniRecentFilesEnd"),
        Item(mnFile, "Exit1", "E&xit", [](W& M) { M.close(); }),
        // Edit
        Item(mnEdit, "mniUndo", "&Undo", [](W& M) { M.sbutUndoClick(); })
            .Keys("Ctrl+Z")
            .AndButton("sbutUndo", "Undo Editing", "Undo")
            .With(ButtonDoc),
        Item(mnEdit, "mniRedo", "&Redo", [](W& M) { M.sbutRedoClick(); })
            .Keys("Ctrl+Y")
            .AndButton("sbutRedo", "Redo Editing", "Redo")
            .With(ButtonDoc),
        Separator(mnEdit),
        Item(mnEdit, "mniCut", "Cu&t", [](W& M) { M.sbutCutClick(); })
            .Keys("Ctrl+X")
            .AndButton("sbutCut", "Cut", "Cut")
            .With(ButtonDoc),
        Item(mnEdit, "mniCopy", "&Copy", [](W& M) { M.sbutCopyClick(); })
            .Keys("Ctrl+C")
            .AndButton("sbutCopy", "Copy", "Copy")
            .With(ButtonDoc),
        Item(mnEdit, "mniPaste", "&Paste", [](W& M) { M.sbutPasteClick(); })
            .Keys("Ctrl+V")
            .AndButton("sbutPaste", "Paste", "Paste")
            .With(ButtonDoc | ItemOff | ButtonOff),
        // View
        Item(mnView, "mniShowPainter", "Show Painter", [](W& M) { M.mniShowPainterClick(); })
            .AndButton("sbutShowPainter", "Show Painter", "ShowPainter")
            .ButtonRuns([](W& M) { M.sbutShowPainterClick(); })
            .With(ItemDoc | ButtonDoc),
        Item(mnView, "mniPalette", "Palette Window...", [](W& M) { M.tbarPaletteClick(); })
            .AndButton("sbutPalette", "Edit Palette", "Palette")
            .With(ItemDoc | ButtonDoc),
        Separator(mnView),
    };
    for (const auto& [Name, Caption] :
         {std::pair("mniStatusBar", "&Status Bar"), std::pair("mniStandardBar", "&Main Toolbar"),
          std::pair("mniPaintBar", "P&aint Toolbar"), std::pair("mniShiftBar", "Shift Toolbar")})
        Rows.push_back(Item(mnView, Name, Caption, [Name = Name](W& M) {
                           M.ShowBarClick(Name);
                       }).With(ItemCheck | ItemTicked));

    std::vector<TCommand> Animation = {
        Item(mnAnimation, "mniInsertCel", "&Insert Cel",
             OnAnimation(&TfrmCharAnimation::sbutInsertClick))
            .AndButton("sbutAddCel", "Insert Cel", "InsertCel")
            .With(ButtonDoc),
        Item(mnAnimation, "mniAppendCel", "&Append Cel to End",
             OnAnimation(&TfrmCharAnimation::sbutAppendCelClick))
            .AndButton("sbutAppendCel", "Append Cel", "AppendCel")
            .With(ButtonDoc),
        Item(mnAnimation, "mniDeleteCel", "&Delete Cel",
             OnAnimation(&TfrmCharAnimation::sbutDeleteClick))
            .AndButton("sbutDeleteCel", "Delete Cel", "DeleteCel")
            .With(ButtonDoc),
        Separator(mnAnimation),
        Item(mnAnimation, "ShowGIFProperties1", "&Show GIF Properties...",
             OnAnimation(&TfrmCharAnimation::butPropertiesClick)),
        Item(mnAnimation, "mniStretch", "S&tretch Animation", [](W& M) { M.mniStretchClick(); })
            .With(ItemCheck),
        Item(mnAnimation, "SetDisposalMethodforAllCels1", "S&et Disposal Method for All Cels...",
             [](W& M) { M.SetDisposalMethodforAllCels1Click(); }),
        Separator(mnAnimation),
        Item(mnAnimation, "mniRun", "&Run", OnAnimation(&TfrmCharAnimation::sbutPlayClick))
            .Keys("F8"),
        Item(mnAnimation, "mniRunBackwards", "R&un Backwards",
             OnAnimation(&TfrmCharAnimation::sbutPlayReverseClick)),
        Item(mnAnimation, "mniStop", "Sto&p", OnAnimation(&TfrmCharAnimation::sbutAnimStopClick))
            .Keys("F9"),
        Item(mnAnimation, "mniFrameForward", "Frame &Forward",
             OnAnimation(&TfrmCharAnimation::sbutFrameForwardClick)),
        Item(mnAnimation, "mniFrameBackward", "Frame &Backward",
             OnAnimation(&TfrmCharAnimation::sbutFrameBackwardsClick)),
        // Painter
        Item(mnPainter, "mniPaintOnAll", "Paint on All Cels", [](W& M) { M.mniPaintOnAllClick(); })
            .AndButton("sbutPaintOnAll", "Paint on All Cels", "PaintOnAll")
            .ButtonRuns([](W& M) { M.sbutPaintOnAllClick(); })
            .With(ItemCheck | ButtonToggle),
        Separator(mnPainter),
        PaintTool(ptSelectArea, "mniSelectArea", "Select Area", "tbutSelectArea", "Select Area",
                  "SelectArea"),
        Item(mnPainter, "mniCreateCustomBrush", "Create Custom Brush",
             [](W& M) { M.sbutCreateBrushClick(); })
            .AndButton("sbutCreateBrush", "Create Custom Brush", "CreateBrush")
            .With(Tool | ButtonDoc | ItemOff | ButtonOff),
        Item(mnPainter, "mniPaintBrush", "Paint Brush", [](W& M) { M.tbutBrushClick(); })
            .AndButton("tbutBrush", "Paint with Brush", "Brush")
            .With(Tool | ButtonDoc | ItemTicked | ButtonDown),
        PaintTool(ptPickupColor, "mniPickupColor", "Pickup Color", "tbutPickupColor",
                  "Pickup Color", "Pickup"),
        PaintTool(ptFill, "mniFill", "Fill", "tbutFill", "Fill", "Fill"),
        Item(mnPainter, "mniText", "Text", [](W& M) { M.tbutTextClick(); })
            .AndButton("tbutText", "Create Text Brush", "Text")
            .With(Tool | ButtonDoc),
        PaintTool(ptRectangle, "mniRectangle", "Rectangle", "tbutRectangle", "Rectangle",
                  "Rectangle"),
        PaintTool(ptSolidRectangle, "mniSolidRectangle", "Solid Rectangle", "tbutSolidRectangle",
                  "Solid Rectangle", "SolidRectangle"),
        PaintTool(ptCircle, "mniCircle", "Circle", "tbutCircle", "Circle", "Circle"),
        PaintTool(ptSolidCircle, "mniSolidCircle", "Solid Circle", "tbutSolidCircle",
                  "Solid Circle", "SolidCircle"),
        PaintTool(ptLine, "mniLine", "Line", "tbutLine", "Line", "Line"),
        PaintTool(ptLines, "mniLines", "Lines", "tbutLines", "Lines", "Lines"),
        Separator(mnPainter),
        // What the painters show besides the cel.
        Item(mnPainter, "mniOnionSkin", "Onion Skin", [](W& M) { M.mniOnionSkinClick(); })
            .AndButton("sbutOnionSkin", "Onion Skin", "OnionSkin")
            .ButtonRuns([](W& M) { M.sbutOnionSkinClick(); })
            .With(ItemCheck | ButtonToggle),
    };
    for (int Count = 0; Count <= 3; ++Count) {
        const QString Caption =
            Count == 0 ? QString("None") : QString("%1 Cel%2").arg(Count).arg(Count > 1 ? "s" : "");
        if (Count > 0)
            Animation.push_back(
                Item(mnOnionBefore, QString("mniOnionBefore%1").arg(Count), Caption, [Count](W& M) {
                    M.SetOnionCels(false, Count);
                }).With(Count == 1 ? Choice | ItemTicked : unsigned(Choice)));
        Animation.push_back(
            Item(mnOnionAfter, QString("mniOnionAfter%1").arg(Count), Caption, [Count](W& M) {
                M.SetOnionCels(true, Count);
            }).With(Count == 0 ? Choice | ItemTicked : unsigned(Choice)));
    }
    Animation.push_back(Item(mnPainter, "mniPixelGrid", "Pixel Grid", [](W& M) {
                            M.mniPixelGridClick();
                        }).With(ItemCheck));
    Animation.push_back(Separator(mnPainter));
    Rows.insert(Rows.end(), Animation.begin(), Animation.end());

    // The Brush Shape and Brush Size submenus.
    const char* const Shapes[][2] = {{"mniSquare", "Square"},
                                     {"mniRound", "Round"},
                                     {"mniHorzLine", "Horizontal Line"},
                                     {"mniVertLine", "Vertical Line"},
                                     {"mniBackSlash", "Backslash"},
                                     {"mniForewardSlash", "Foreward Slash"}};
    for (int Shape = 0; Shape < 6; ++Shape)
        Rows.push_back(Item(mnShape, Shapes[Shape][0], Shapes[Shape][1], [Shape](W& M) {
                           M.SetBrushShape(Shape);
                       }).With(Shape == 0 ? ShapeItem | ItemTicked : unsigned(ShapeItem)));
    for (int Size = 1; Size <= 8; ++Size)
        Rows.push_back(Item(mnSize, QString("mniSize%1").arg(Size), QString::number(Size),
                            [Size](W& M) { M.mniSizeClick(Size); }));

    Rows.push_back(Item(mnPainter, "mniSwapColors", "Swap Colors",
                        OnAnimation(&TfrmCharAnimation::ReplaceColors))
                       .AndButton("sbutSwapColors", "Replace Color", "SwapColors")
                       .With(ButtonDoc));
    // The Shift submenu, then the turns.
    const std::pair<const char*, void (TSprite::*)(bool)> Shifts[] = {
        {"Up", &TSprite::ShiftUp},
        {"Down", &TSprite::ShiftDown},
        {"Left", &TSprite::ShiftLeft},
        {"Right", &TSprite::ShiftRight},
    };
    for (const auto& [Way, Operation] : Shifts)
        Rows.push_back(Turn(mnShift, QString("mniShift") + Way, Way, QString("sbutShift") + Way,
                            QString("Shift ") + Way, QString("Shift") + Way, Operation));
    const std::vector<TCommand> Turns = {
        Turn(mnPainter, "mniRotateClockwise", "Rotate Clockwise", "sbutRotateClockwise",
             "Rotate Clockwise", "RotateClockwise", &TSprite::RotateClockwise),
        Turn(mnPainter, "mniRotateCounterClockwise", "Rotate Counter-Clockwise",
             "sbutRotateCClockwise", "Rotate Counter-Clockwise", "RotateCounterClockwise",
             &TSprite::RotateCClockwise),
        Turn(mnPainter, "mniFlipHorz", "Flip Horizontal", "sbutFlipHorz", "Flip Top to Bottom",
             "FlipTopToBottom", &TSprite::FlipHorz),
        Turn(mnPainter, "mniFlipVert", "Flip Vertical", "sbutFlipVert", "Flip Side to Side",
             "FlipSideToSide", &TSprite::FlipVert),
        Separator(mnPainter),
        Item(mnPainter, "mniSavePalette", "Save Palette...", [](W& M) { M.mniSavePaletteClick(); }),
        // Buttons without a menu item
        Button("sbutResize", "Resize Cels", "Resize", [](W& M) { M.sbutResizeClick(); })
            .With(ButtonDoc),
        Button("sbutBrushShape", "Brush Shape", "", [](W& M) { M.sbutBrushShapeClick(); })
            .With(ButtonDoc),
        Button("sbutBGColor", "Change Background Color", "BGColor",
               OnAnimation(&TfrmCharAnimation::ChangeBackgroundColor))
            .With(ButtonDoc),
        // Window
        Item(mnWindow, "Tile1", "&Tile", [](W& M) { M.MdiArea()->tileSubWindows(); }),
        Item(mnWindow, "Cascade1", "&Cascade", [](W& M) { M.MdiArea()->cascadeSubWindows(); }),
        Item(mnWindow, "ArrangeIcons1", "&Arrange Icons", [](W& M) { M.ArrangeIcons1Click(); }),
        Separator(mnWindow, "mniWindowList"),
        // Help
        // No website item: the program has no web page of its own to open, and an item that
        // does nothing only disappoints. Contents and About say what there is to say.
        Item(mnHelp, "mniContents", "&Contents", [](W&) { ShowHelp(1); }),
        Separator(mnHelp),
        Item(mnHelp, "About1", "&About...", [](W& M) { M.About1Click(); }),
    };
    Rows.insert(Rows.end(), Turns.begin(), Turns.end());
    return Rows;
}

QAction* TfrmSpriteMDI::AddCommand(const QString& Name, QAction* Action) {
    Action->setObjectName(Name);
    Controls->Commands.insert(Name, Action);
    return Action;
}

void TfrmSpriteMDI::BuildCommands() {
    QMenuBar* Bar = menuBar();
    Bar->setObjectName("mnuMain");
    Bar->setAccessibleName("Menu");
    struct TMenuName {
        const char* Name;
        const char* Caption;
    };
    const TMenuName MenuNames[mnNone] = {
        {"mniFile", "&File"},
        {"mniEdit", "&Edit"},
        {"mniView", "&View"},
        {"mniAnimation", "&Animation"},
        {"mniPainter", "&Painter"},
        {"mniBrushShape", "Brush Shape"},
        {"mniBrushSize", "Brush Size"},
        {"mniShift", "Shift"},
        {"mnuWindow", "&Window"},
        {"mniHelp", "&Help"},
        {"mniOnionBefore", "Onion Skin Before"},
        {"mniOnionAfter", "Onion Skin After"},
    };
    QMenu* Menus[mnNone] = {};
    for (int i = 0; i < mnNone; ++i) {
        Menus[i] = new QMenu(MenuNames[i].Caption, this);
        Menus[i]->setObjectName(MenuNames[i].Name);
        Menus[i]->menuAction()->setObjectName(MenuNames[i].Name);
        Menus[i]->setAccessibleName(Mnemonicless(MenuNames[i].Caption));
        if (!IsSubmenu(TMenuId(i))) Bar->addMenu(Menus[i]);
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
    QActionGroup* Choices[mnNone] = {};

    for (const TCommand& Row : TCommandTable::Rows()) {
        if (IsSubmenu(Row.Menu)) {
            if (!SubmenuPlaced[Row.Menu]) Menus[mnPainter]->addMenu(Menus[Row.Menu]);
            SubmenuPlaced[Row.Menu] = true;
        }
        if (Row.Item == "-") {
            QAction* Separator = Menus[Row.Menu]->addSeparator();
            if (!Row.Caption.isEmpty()) AddCommand(Row.Caption, Separator);
            continue;
        }
        const TRun Run = Row.Run;
        if (!Row.Item.isEmpty()) {
            QAction* Item = AddCommand(Row.Item, Menus[Row.Menu]->addAction(Row.Caption));
            if (!Row.Shortcut.isEmpty()) Item->setShortcut(QKeySequence(Row.Shortcut));
            Item->setCheckable(Row.Flags & (ItemCheck | Tool | ShapeItem));
            Item->setChecked(Row.Flags & ItemTicked);
            Item->setEnabled(!(Row.Flags & ItemOff));
            if (Row.Flags & Tool) Controls->ToolItems->addAction(Item);
            if (Row.Flags & ShapeItem) Controls->ShapeItems->addAction(Item);
            if (Row.Flags & Choice) {
                if (!Choices[Row.Menu]) Choices[Row.Menu] = new QActionGroup(this);
                Item->setCheckable(true);
                Choices[Row.Menu]->addAction(Item);
            }
            if (Row.Flags & ItemDoc) Controls->DocumentCommands.append(Item);
            if (Run)
                connect(Item, &QAction::triggered, this,
                        [this, Run] { RunGuarded([&] { Run(*this); }); });
        }
        if (!Row.Button.isEmpty()) {
            auto* Button = new QAction(
                Row.Picture.isEmpty() ? BrushShapeGlyph(0) : Glyph(Row.Picture), Row.Hint, this);
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
    AddButtons(C.toolPaint, std::initializer_list<const char*>{"sbutBrushShape"});
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
