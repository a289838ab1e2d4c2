// The painter's side of the undo history: recording snapshots before an edit and applying
// one undo or redo step to the animation.
#include <QApplication>
#include <utility>

#include "model/Cellist.h"
#include "model/Spritez.h"
#include "model/undo.h"
#include "ui/animation/f_charanim.h"
#include "ui/common/DialogParts.h"
#include "ui/common/Questions.h"
#include "ui/painter/PainterControls.h"

namespace {

// The hourglass while a step is applied, and the flag that keeps cel insertions and
// deletions made by the step out of the history; both end however the step ends.
class TUndoStep {
public:
    explicit TUndoStep(bool& Undoing) : Flag(Undoing) { Flag = true; }
    ~TUndoStep() { Flag = false; }
    TUndoStep(const TUndoStep&) = delete;
    TUndoStep& operator=(const TUndoStep&) = delete;

private:
    bool& Flag;
    const THourglass Wait;
};

} // namespace

std::unique_ptr<TPxUndoNode> TfrmPainter::UndoSnapshot() const {
    if (Undoing || !Sprite) return nullptr;
    const int Index = CurrentCel();
    if (Index < 0 || Index >= Sprite->CelCount()) return nullptr;
    if (PaintOnAll())
        return std::make_unique<TPxUndoNode>(ukAllCels, 0, TPxUndoBlock{}, Sprite->SaveAllBits());
    return std::make_unique<TPxUndoNode>(ukCelImage, Index, Sprite->CelBitmap(Index).CopyBits());
}

void TfrmPainter::RecordUndo(std::unique_ptr<TPxUndoNode> Record) {
    if (Record) {
        History->ClearRedo();
        History->AddUndo(std::move(Record));
    }
    UpdateUndoButtons();
}

void TfrmPainter::SaveUndo() {
    RecordUndo(UndoSnapshot());
}

void TfrmPainter::RecordAround(std::unique_ptr<TPxUndoNode> Record,
                               const std::function<void()>& Change) {
    Change();
    RecordUndo(std::move(Record));
}

void TfrmPainter::RecordCelInserted(int Index, const std::function<void()>& Change) {
    RecordAround(Undoing ? nullptr : std::make_unique<TPxUndoNode>(ukCelInserted, Index), Change);
}

std::unique_ptr<TPxUndoNode> TfrmPainter::CelSnapshot(TPxUndoKind Kind, int Index) const {
    if (Undoing || !Sprite) return nullptr;
    return std::make_unique<TPxUndoNode>(Kind, Index, Sprite->CelBitmap(Index).CopyBits());
}

void TfrmPainter::RecordCelDeleted(int Index, const std::function<void()>& Change) {
    RecordAround(CelSnapshot(ukCelDeleted, Index), Change);
}

void TfrmPainter::RecordCel(int Index, const std::function<void()>& Change) {
    RecordAround(CelSnapshot(ukCelImage, Index), Change);
}

void TfrmPainter::RecordCel(const std::function<void()>& Change) {
    RecordAround(UndoSnapshot(), Change);
}

void TfrmPainter::UpdateUndoButtons() {
    // Another document's history never speaks for the active one's buttons.
    const TfrmPainter* Active = Editing().CurrentPainter;
    if (Active && Active != this) return;
    Host.SetUndoRedoEnabled(History->CanUndo(), History->CanRedo());
}

void TfrmPainter::ResetUndo() {
    History->Clear();
    UpdateUndoButtons();
}

void TfrmPainter::sbutUndoClick() {
    if (!History->CanUndo() || !Cels()) return;
    // A floating selection or a custom brush ends first, as choosing the brush tool ends it.
    if (SelectionFloating || CustomBrush || TextBrush) {
        CancelSelection();
        Host.SelectBrushTool();
    }
    ClearPreview();
    {
        const TUndoStep Step(Undoing);
        StepHistory(true);
        AfterUndoStep();
    }
}

void TfrmPainter::Redo() {
    if (!History->CanRedo() || !Cels()) return;
    if (SelectionFloating || CustomBrush || TextBrush) {
        Questions().Message(TBoxKind::Information,
                            "Can't Redo when selecting an area or using a custom brush.  Select "
                            "a built in brush type before attempting to Redo changes.");
        return;
    }
    ClearPreview();
    {
        const TUndoStep Step(Undoing);
        StepHistory(false);
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

// The newest record of one stack is applied, and only then leaves its stack for the other
// one: a step that fails half way keeps both stacks as they were.
void TfrmPainter::StepHistory(bool Back) {
    const auto& From = Back ? History->UndoNodes() : History->RedoNodes();
    if (From.empty()) return;
    const TPxUndoNode& Node = *From.back();
    std::unique_ptr<TPxUndoNode> Opposite = Fits(Node, *Sprite) ? ApplyRecord(Node, Back) : nullptr;
    std::unique_ptr<TPxUndoNode> Done = Back ? History->GetUndoNode() : History->GetRedoNode();
    if (!Opposite) return;
    if (Back)
        History->AddRedo(std::move(Opposite));
    else
        History->AddUndo(std::move(Opposite));
}

// Applies one record (an undo when Back, a redo otherwise) and returns the record that
// takes the step the other way, made before anything changes; none when the record no
// longer applies.
std::unique_ptr<TPxUndoNode> TfrmPainter::ApplyRecord(const TPxUndoNode& Node, bool Back) {
    const int Index = Node.CelIndex();
    const int Count = Sprite->CelCount();
    std::unique_ptr<TPxUndoNode> Opposite;
    switch (Node.Kind()) {
    case ukAllCels:
        Opposite =
            std::make_unique<TPxUndoNode>(ukAllCels, 0, TPxUndoBlock{}, Sprite->SaveAllBits());
        Sprite->RestoreAllBits(Node.CelBits());
        break;
    case ukCelImage:
        if (Index < 0 || Index >= Count) return nullptr;
        Opposite =
            std::make_unique<TPxUndoNode>(ukCelImage, Index, Sprite->CelBitmap(Index).CopyBits());
        Sprite->CelBitmap(Index).SetBits(Node.Bits());
        SetCurrent(Index);
        SetPreviewIndex(Index);
        break;
    case ukCelDeleted:
    case ukCelInserted: {
        // Undoing a deletion and redoing an insertion bring a cel back; the other two take
        // it away again.
        const bool Restore = (Node.Kind() == ukCelDeleted) == Back;
        if (Index < 0 || Index > Count || (!Restore && Index == Count)) return nullptr;
        if (Restore) {
            Opposite = std::make_unique<TPxUndoNode>(Node.Kind(), Index);
            InsertCelAt(Index);
            SetCurrent(Index);
            if (Node.Kind() == ukCelDeleted) Sprite->CelBitmap(Index).SetBits(Node.Bits());
            SetPreviewIndex(Index);
        } else {
            // A deletion that is redone keeps the pixels for the next undo.
            Opposite = Node.Kind() == ukCelDeleted
                           ? std::make_unique<TPxUndoNode>(ukCelDeleted, Index,
                                                           Sprite->CelBitmap(Index).CopyBits())
                           : std::make_unique<TPxUndoNode>(ukCelInserted, Index);
            DeleteCelAt(Index);
            SetPreviewIndex(Index < Sprite->CelCount() ? Index : Index - 1);
        }
        break;
    }
    }
    return Opposite;
}

void TfrmPainter::SetCurrent(int Index) {
    Cels()->SetCurrent(Index);
}

// A blank cel at Index, through the animation window's own commands: inserted before the cel
// there, or appended after the last one.
void TfrmPainter::InsertCelAt(int Index) {
    if (Index >= Sprite->CelCount()) {
        AnimationWindow->sbutAppendCelClick();
        return;
    }
    SetCurrent(Index);
    AnimationWindow->sbutInsertClick();
}

void TfrmPainter::DeleteCelAt(int Index) {
    SetCurrent(Index);
    AnimationWindow->sbutDeleteClick();
}

void TfrmPainter::SetPreviewIndex(int Index) {
    AnimationWindow->PreviewIndex = Index;
}

void TfrmPainter::AfterUndoStep() {
    Cels()->RedrawCels();
    // The pictures now differ from what was last saved, whichever way the step went.
    MarkModified();
    ShowPainterCel();
    UpdateUndoButtons();
    AnimationWindow->ShowCurrentCel();
}
