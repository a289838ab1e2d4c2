#pragma once
// The program's frame window: the multiple-document area that holds every document (an
// animation window and its painter window), the menu bar, the three dockable tool bars and
// the status bar. It edits nothing itself: it keeps the program-wide editing state that the
// document windows read and write, is their host (DocumentHost.h), decides which commands
// are available, and routes every command to the active document.
//
// Owns its menus, tool bars, the default palette and the document windows (as children of
// its MDI area; they delete themselves when they close). User-interface thread only.
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Color.h"
#include "ui/common/DocumentHost.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSpinBox;
class QStatusBar;
class QToolBar;
class QToolButton;
class TCelList;
class TPxBitmap;
class TPxPalette;
class TSprite;
class TfrmCharAnimation;
class TfrmPainter;
class TRecovery;

class TfrmSpriteMDI : public QMainWindow, public TDocumentHost {
    Q_OBJECT
public:
    explicit TfrmSpriteMDI(QWidget* Parent = nullptr);
    // AppDir is the folder the program's files are found in (the default palette, the
    // palettes and images folders, the help file); the other constructor takes
    // ProgramDataFolder().
    explicit TfrmSpriteMDI(const QString& AppDir, QWidget* Parent = nullptr);
    ~TfrmSpriteMDI() override;

    // ---- The editing state, which the document windows read and write ----
    TEditingState& State() override { return Editing; }
    int UntitledCount = 0;
    bool Activated = false;

    // ---- What the document windows ask of it (DocumentHost.h) ----

    // Recomputes which document commands are available from the number of child windows.
    void UpdateCommandStates() override;
    void EnableCommands(bool Enable);
    void SetStatusText(int Panel, const QString& Text) override;
    void SelectBrushTool() override { tbutBrushClick(); }
    void CutCel() override { sbutCutClick(); }
    void CopyCel() override { sbutCopyClick(); }
    void PasteCel() override { sbutPasteClick(); }
    void SetCutCopyEnabled(bool Enabled) override;
    void SetPasteEnabled(bool Enabled) override;
    void SetUndoRedoEnabled(bool CanUndo, bool CanRedo) override;
    void SetCreateCustomBrushEnabled(bool Enabled) override;
    void SetStretchChecked(bool Checked) override;
    QString AskSaveAnimationName(const QString& Offered) override;
    // The text of the brush-size box.
    QString BrushSizeText() const;

    // Selects the brush tool.
    void tbutBrushClick();
    void sbutCopyClick();
    void sbutCutClick();
    void sbutPasteClick();
    void mniSavePaletteClick();
    // The brush shape 0..5 chosen by the Brush Shape menu or the flyout: the button shows
    // it, the menu ticks it and the painter rebuilds its brushes. 6, the flyout's custom
    // brush, only shows on the button.
    void SetBrushShape(int Shape);

    // The first activation disables the document commands and greets the user.
    void FormActivate();
    // The application became active: the clipboard may hold a picture now, or no longer.
    void AppOnActivate();

    // ---- Documents ----

    // A new animation window with its painter, from the New Animation dialog's settings.
    TfrmCharAnimation* CreateAnimationWindow();
    // Opens FileName into a new document; false (after the error box) when it cannot.
    bool OpenAnimation(const QString& FileName);
    // Opens each file as its own document, in order: those given on the command line or
    // dropped from a file manager. One that cannot be read gets its error box and the
    // others open all the same.
    void OpenFiles(const QStringList& FileNames);
    // Opens the recovery copy CopyFile as a modified document captioned Caption (its own
    // new caption when Caption is empty); null when it cannot be read. Faults lists what
    // was wrong with a damaged copy that opened all the same.
    TfrmCharAnimation* OpenRecoveredAnimation(const QString& CopyFile, const QString& Caption,
                                              std::vector<std::string>& Faults);
    // Saves the current animation (Save), or under a new name (Save As).
    void sbutSaveAnimationClick();
    void mniSaveAsClick();
    // Gives the active document a new palette (ownership passes to its animation window).
    void SetPalette(std::unique_ptr<TPxPalette> Palette);

    QMdiArea* MdiArea() const { return Area; }
    // The copies of unsaved work.
    TRecovery& Recovery() const { return *KeptWork; }
    // The recent files, most recent first (at most 8).
    QStringList RecentFiles() const { return Recent; }
    void AddRecentFile(const QString& FileName);

    // A command by its designed name ("mniSave", "sbutSave", "tbutFill", ...), for the
    // windows that switch single commands and for tests; null for an unknown name.
    QAction* Command(const QString& Name) const;

protected:
    void closeEvent(QCloseEvent* Event) override;
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    // GIF files dragged from a file manager open as documents.
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    // ---- Building (SpriteMDI.cpp, SpriteMDI_table.cpp) ----
    friend class TCommandTable;
    void BuildWindow();
    void BuildCommands();
    void BuildToolBars();
    QAction* AddCommand(const QString& Name, QAction* Action);

    // ---- Commands (SpriteMDI_commands.cpp) ----
    void NewSpriteLibraryClick();
    void Open1Click();
    void mniCloseClick();
    void RecentFileClick(const QString& FileName);
    void sbutUndoClick();
    void sbutRedoClick();
    void mniShowPainterClick();
    void sbutShowPainterClick();
    void tbarPaletteClick();
    void mniStretchClick();
    void sbutResizeClick();
    void SetDisposalMethodforAllCels1Click();
    void mniPaintOnAllClick();
    void sbutPaintOnAllClick();
    // The onion skin and the pixel grid of every painter; Count cels After or before the
    // current one.
    void mniOnionSkinClick();
    void sbutOnionSkinClick();
    void SetOnionCels(bool After, int Count);
    void mniPixelGridClick();
    void ViewOptionsChanged();
    void ToolCommand(TPaintTool Tool, const char* Button, const char* Item);
    void tbutTextClick();
    void txtSizeChange();
    void mniSizeClick(int Size);
    // Operation on the active animation's current cel or, with Paint on All, on every cel.
    void Transform(void (TSprite::*Operation)(bool All));
    void sbutCreateBrushClick();
    // The View menu's items that show and hide the status bar and the tool bars.
    void ShowBarClick(const QString& Item);
    void SetPainterCursor(int Id);
    // The brush-shape flyout at the brush-shape button.
    void sbutBrushShapeClick();
    void ArrangeIcons1Click();
    void mnuWindowPopup();
    void About1Click();

    // ---- Documents (SpriteMDI_documents.cpp) ----
    // Writes the current animation to Target; on failure the error box, and caption,
    // Modified and recent files stay as they were.
    bool SaveAnimation(const QString& Target);
    void LoadDefaultPalette();
    std::unique_ptr<TPxPalette> DocumentPalette() const;
    // A new document with FileName loaded into it, not yet shown; null when it cannot be
    // read (the window is gone again then).
    TfrmCharAnimation* LoadDocument(const QString& FileName, std::vector<std::string>& Faults);
    // Shows a loaded document under Caption and makes it the active one.
    void ShowDocument(TfrmCharAnimation* Animation, const QString& Caption);

    // ---- Settings (SpriteMDI_settings.cpp) ----
    void RestoreToolBars();
    void SaveToolBars() const;
    void LoadRecentFiles();
    void SaveRecentFiles() const;
    void ShowRecentFiles();

    TEditingState Editing;
    struct TControls;
    std::unique_ptr<TControls> Controls;
    QMdiArea* Area = nullptr;
    QStringList Recent;
    // The palette loaded at start-up, current while no document is.
    std::unique_ptr<TPxPalette> DefaultPalette;
    // The Open dialog's folder: the images folder at first, then the last file's folder.
    QString OpenFolder;
    // Set while the window takes itself apart; document windows then find no commands.
    bool ShuttingDown = false;
    // Declared last, so destroyed first of the members: after the destructor has closed the
    // documents, whose copies it removes then.
    std::unique_ptr<TRecovery> KeptWork;
};
