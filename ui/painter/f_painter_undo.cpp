// The painter's side of the undo history: recording snapshots before an edit and applying
// one undo or redo step to the animation.
#include <QApplication>
#include <utility>

#include "model/Cellist.h"
#include "model/Spritez.h"
#include "model/undo.h"
#include "ui/animation/f_charanim.h"
#include "ui/painter/PainterControls.h"
#include "ui/shell/Forms.h"
#include "ui/shell/Questions.h"
#include "ui/shell/SpriteMDI.h"

namespace {

// The hourglass while a step is applied, and the flag that keeps cel insertions and
// deletions made by the step out of the history; both end however the step ends.
class TUndoStep {
public:
    explicit TUndoStep(bool& Undoing) : Flag(Undoing) {
        Flag = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TUndoStep() {
        QApplication::restoreOverrideCursor();
        Flag = false;
    }
    TUndoStep(const TUndoStep&) = delete;
    TUndoStep& operator=(const TUndoStep&) = delete;

private:
    bool& Flag;
};

} // namespace

void TfrmPainter::SaveUndo() {
    if (Undoing || !Sprite) return;
    const int Index = CurrentCel();
    if (Index < 0 || Index >= Sprite->CelCount()) return;
    History->ClearRedo();
    if (PaintOnAll())
        History->AddUndoAllCels(Sprite->SaveAllBits());
    else
        History->AddUndoCel(Index, Sprite->CelBitmap(Index).CopyBits());
    UpdateUndoButtons();
}

void TfrmPainter::UpdateUndoButtons() {
    if (!frmSpriteMDI) return;
    // Another document's history never speaks for the active one's buttons.
    if (frmSpriteMDI->CurrentPainter && frmSpriteMDI->CurrentPainter != this) return;
    frmSpriteMDI->SetUndoRedoEnabled(History->CanUndo(), History->CanRedo());
}

void TfrmPainter::ResetUndo() {
    History = std::make_unique<TPxUndo>();
    UpdateUndoButtons();
}

void TfrmPainter::sbutUndoClick() {
    if (!History->CanUndo() || !Sprite) return;
    // A floating selection or a custom brush ends first, as choosing the brush tool ends it.
    if (SelectionFloating || CustomBrush || TextBrush) {
        if (frmSpriteMDI)
            frmSpriteMDI->tbutBrushClick();
        else
            CancelSelection();
    }
    ClearPreview();
    {
        const TUndoStep Step(Undoing);
        if (std::unique_ptr<TPxUndoNode> Node = History->GetUndoNode()) ApplyUndo(*Node);
        AfterUndoStep();
    }
}

void TfrmPainter::Redo() {
    if (!History->CanRedo() || !Sprite) return;
    if (SelectionFloating || CustomBrush || TextBrush) {
        Questions().Message(TBoxKind::Information,
                            "Can't Redo when selecting an area or using a custom brush.  Select "
                            "a built in brush type before attempting to Redo changes.");
        return;
    }
    ClearPreview();
    {
        const TUndoStep Step(Undoing);
        if (std::unique_ptr<TPxUndoNode> Node = History->GetRedoNode()) ApplyRedo(*Node);
        AfterUndoStep();
    }
}

// ---- Applying records ----

namespace {
// Whether the record's snapshots fit the cels they would be put back into; a record that
// does not is dropped rather than written over cels of another size.
bool Fits(const TPxUndoNode& Node, const TSprite& Sprite) {
    const std::size_t Size =
        Sprite.CelCount() > 0 ? std::size_t(Sprite.CelBitmap(0).ImageSize()) : 0;
    if (Node.Kind() == ukCelImage || (Node.Kind() == ukCelDeleted && !Node.Bits().empty()))
        return Node.Bits().size() == Size;
    for (const TPxUndoBlock& Block : Node.CelBits())
        if (Block.size() != Size) return false;
    return true;
}
} // namespace

// Puts a snapshot's pixels back, first keeping the pixels they replace as the record of
// the other direction: on the redo stack when stepping Back, on the undo stack otherwise.
void TfrmPainter::RestoreSnapshot(const TPxUndoNode& Node, bool Back) {
    if (Node.Kind() == ukAllCels) {
        TPxUndoBlocks Replaced = Sprite->SaveAllBits();
        if (Back)
            History->AddRedoAllCels(std::move(Replaced));
        else
            History->AddUndoAllCels(std::move(Replaced));
        Sprite->RestoreAllBits(Node.CelBits());
        return;
    }
    const int Index = Node.CelIndex();
    if (Index < 0 || Index >= Sprite->CelCount()) return;
    TPxUndoBlock Replaced = Sprite->CelBitmap(Index).CopyBits();
    if (Back)
        History->AddRedoCel(Index, std::move(Replaced));
    else
        History->AddUndoCel(Index, std::move(Replaced));
    Sprite->CelBitmap(Index).SetBits(Node.Bits());
    SetCurrent(Index);
    SetPreviewIndex(Index);
}

void TfrmPainter::ApplyUndo(TPxUndoNode& Node) {
    const int Index = Node.CelIndex();
    const int Count = Sprite->CelCount();
    if (!Fits(Node, *Sprite)) return;
    switch (Node.Kind()) {
    case ukCelImage:
    case ukAllCels:
        RestoreSnapshot(Node, true);
        break;
    case ukCelDeleted:
        if (Index < 0 || Index > Count) return;
        History->AddRedoCelDeleted(Index);
        InsertCelAt(Index);
        SetCurrent(Index);
        Sprite->CelBitmap(Index).SetBits(Node.Bits());
        SetPreviewIndex(Index);
        break;
    case ukCelInserted:
        if (Index < 0 || Index >= Count) return;
        History->AddRedoCelInserted(Index);
        DeleteCelAt(Index);
        SetPreviewIndex(Index < Sprite->CelCount() ? Index : Index - 1);
        break;
    }
}

void TfrmPainter::ApplyRedo(TPxUndoNode& Node) {
    const int Index = Node.CelIndex();
    const int Count = Sprite->CelCount();
    if (!Fits(Node, *Sprite)) return;
    switch (Node.Kind()) {
    case ukCelImage:
    case ukAllCels:
        RestoreSnapshot(Node, false);
        break;
    case ukCelDeleted:
        if (Index < 0 || Index >= Count) return;
        History->AddUndoCelDeleted(Index, Sprite->CelBitmap(Index).CopyBits());
        DeleteCelAt(Index);
        SetPreviewIndex(Index < Sprite->CelCount() ? Index : Index - 1);
        break;
    case ukCelInserted:
        if (Index < 0 || Index > Count) return;
        History->AddUndoCelInserted(Index);
        InsertCelAt(Index);
        SetCurrent(Index);
        SetPreviewIndex(Index);
        break;
    }
}

void TfrmPainter::SetCurrent(int Index) {
    if (TCelList* List = Cels())
        List->SetCurrent(Index);
    else
        Sprite->SetCurrent(Index);
}

// A blank cel at Index: inserted before the cel there, or appended after the last one.
void TfrmPainter::InsertCelAt(int Index) {
    const bool Append = Index >= Sprite->CelCount();
    if (!Append) SetCurrent(Index);
    if (AnimationWindow) {
        if (Append)
            AnimationWindow->sbutAppendCelClick();
        else
            AnimationWindow->sbutInsertClick();
        return;
    }
    const int Delay = Sprite->CelCount() > 0 ? Sprite->Cel(0).Delay() : 200;
    if (TCelList* List = Cels()) {
        Append ? List->AppendCel(Delay) : List->InsertCel(Delay);
    } else if (Append) {
        Sprite->AddCel(Delay);
    } else {
        Sprite->InsertCel(Delay);
    }
}

void TfrmPainter::DeleteCelAt(int Index) {
    SetCurrent(Index);
    if (AnimationWindow) {
        AnimationWindow->sbutDeleteClick();
        return;
    }
    if (TCelList* List = Cels()) {
        List->DeleteCel();
    } else if (Sprite->CelCount() > 1) {
        Sprite->DeleteCel(Index);
        Sprite->SetCurrent(std::min(Index, Sprite->CelCount() - 1));
    }
}

void TfrmPainter::SetPreviewIndex(int Index) {
    if (AnimationWindow) AnimationWindow->PreviewIndex = Index;
}

void TfrmPainter::AfterUndoStep() {
    if (TCelList* List = Cels()) List->RedrawCels();
    // The pictures now differ from what was last saved, whichever way the step went.
    MarkModified();
    if (AnimationWindow)
        AnimationWindow->ShowPainterCel();
    else
        ShowPainterCel();
    UpdateUndoButtons();
    if (AnimationWindow) AnimationWindow->ShowCurrentCel();
}
