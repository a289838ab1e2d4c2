#pragma once
// What a document (an animation window with its painter) asks of the window that holds it:
// the editing state, and the few things only the main window can do: switch single
// commands on and off, choose the brush tool, show a status text, ask for a file name to
// save under, and run its clipboard commands. The main window implements it; tests and
// benchmarks use TPlainHost. The host outlives its documents. User-interface thread only.
#include <QString>

#include "ui/common/EditingState.h"

class TDocumentHost {
public:
    virtual ~TDocumentHost() = default;

    virtual TEditingState& State() = 0;

    // The document commands follow the number of documents open (after one has closed).
    virtual void UpdateCommandStates() = 0;
    virtual void SetUndoRedoEnabled(bool CanUndo, bool CanRedo) = 0;
    virtual void SetCutCopyEnabled(bool Enabled) = 0;
    virtual void SetPasteEnabled(bool Enabled) = 0;
    virtual void SetCreateCustomBrushEnabled(bool Enabled) = 0;
    // The Stretch Animation item follows the active window's "Stretch Image" box.
    virtual void SetStretchChecked(bool Checked) = 0;
    // Chooses the brush tool, as its button does.
    virtual void SelectBrushTool() = 0;
    // Panel 0 (messages) or 1 (the painter's cursor position).
    virtual void SetStatusText(int Panel, const QString& Text) = 0;
    // Asks for a file name with the save dialog dlgSaveAnimation, offering Offered; empty
    // when cancelled.
    virtual QString AskSaveAnimationName(const QString& Offered) = 0;
    // The Cut, Copy and Paste commands on the active document.
    virtual void CutCel() = 0;
    virtual void CopyCel() = 0;
    virtual void PasteCel() = 0;
};

// A host without a main window: it keeps an editing state of its own and does nothing
// else (it offers no file name, so a modified document it holds cannot be saved on close).
class TPlainHost : public TDocumentHost {
public:
    TEditingState& State() override { return Editing; }
    void UpdateCommandStates() override {}
    void SetUndoRedoEnabled(bool, bool) override {}
    void SetCutCopyEnabled(bool) override {}
    void SetPasteEnabled(bool) override {}
    void SetCreateCustomBrushEnabled(bool) override {}
    void SetStretchChecked(bool) override {}
    void SelectBrushTool() override {}
    void SetStatusText(int, const QString&) override {}
    QString AskSaveAnimationName(const QString&) override { return {}; }
    void CutCel() override {}
    void CopyCel() override {}
    void PasteCel() override {}

private:
    TEditingState Editing;
};
