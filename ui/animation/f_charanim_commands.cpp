// The animation window's commands that change cels or document settings: insert, append
// and delete with their undo records, the eight transforms, colour replacement, the
// background colour, disposal methods, GIF properties, saving the palette, and the Cut,
// Copy and Paste items.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <algorithm>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "model/Cellist.h"
#include "model/Spritez.h"
#include "model/undo.h"
#include "ui/animation/f_animprops.h"
#include "ui/animation/f_charanim.h"
#include "ui/animation/f_charanim_controls.h"
#include "ui/animation/f_new.h"
#include "ui/animation/frmGlobDisposal.h"
#include "ui/common/Files.h"
#include "ui/common/Questions.h"
#include "ui/painter/f_painter.h"

namespace {

const QString BackgroundQuestion = "The Background Color will be set to the Left Mouse Drawing "
                                   "Color.  Note:  This action can not be Undone.";

} // namespace

bool TfrmCharAnimation::PaintOnAll() const {
    return Editing().PaintOnAll;
}

COLORREF TfrmCharAnimation::PaletteRgb(COLORREF Color) const {
    const TRgbColor Shown = Cels->Palette().ColorOf(Color);
    return PALETTERGB(Shown.Red, Shown.Green, Shown.Blue);
}

void TfrmCharAnimation::CelsChanged() {
    if (!Cels) return;
    ShowPainterCel();
    PreviewIndex = Cels->Current();
    ShowCurrentCel();
    ShowCelDelay();
    Modified = true;
}

void TfrmCharAnimation::ShowPainterCel() {
    if (TfrmPainter* Shown = Painter()) Shown->ShowPainterCel();
}

// ---- Cels in and out ----

void TfrmCharAnimation::sbutInsertClick() {
    if (!Whole()) return;
    Host.SelectBrushTool();
    // The new cel takes the current position.
    Painter()->RecordCelInserted(Cels->Current(), [&] { Cels->InsertCel(DefaultDelay); });
    CelsChanged();
}

void TfrmCharAnimation::sbutAppendCelClick() {
    if (!Whole()) return;
    Painter()->RecordCelInserted(Cels->CelCount(), [&] { Cels->AppendCel(DefaultDelay); });
    CelsChanged();
}

void TfrmCharAnimation::sbutDeleteClick() {
    if (!Whole()) return;
    Host.SelectBrushTool();
    // The only cel stays. Recording its deletion all the same would make Undo insert a
    // copy of a cel that was never deleted, so nothing is recorded or marked modified.
    if (Cels->CelCount() <= 1) return;
    Painter()->RecordCelDeleted(Cels->Current(), [&] {
        if (Editing().DragSourceCel.Bitmap == &Cels->CurrentBitmap()) Editing().DragSourceCel = {};
        Cels->DeleteCel();
    });
    CelsChanged();
}

// ---- Pictures ----

void TfrmCharAnimation::Transform(void (TSprite::*Operation)(bool All)) {
    if (!Whole()) return;
    Painter()->RecordCel([&] { (Cels->Sprite().*Operation)(PaintOnAll()); });
    Cels->RedrawCels();
    CelsChanged();
}

void TfrmCharAnimation::ReplaceColors() {
    TfrmPainter* Shown = Painter();
    if (!Whole()) return;
    const THourglass Wait;
    const COLORREF From = PaletteRgb(Shown->LeftColor());
    const COLORREF To = PaletteRgb(Shown->RightColor());
    Shown->RecordCel([&] {
        if (PaintOnAll())
            Cels->Sprite().ReplaceColorAll(From, To);
        else
            Cels->Sprite().ReplaceColor(Cels->Current(), From, To);
    });
    Cels->RedrawCels();
    ShowPainterCel();
    ShowCurrentCel();
    Modified = true;
}

void TfrmCharAnimation::ChangeBackgroundColor() {
    TfrmPainter* Shown = Painter();
    if (!Cels || !Shown) return;
    if (!Questions().OkCancel(TBoxKind::Information, BackgroundQuestion)) return;
    const THourglass Wait;
    const COLORREF New = PaletteRgb(Shown->LeftColor());
    Cels->Sprite().ChangeBackColor(Cels->BackColor(), New);
    Cels->SetBackColor(New);
    Shown->SetBackgroundColor(New);
    Cels->RedrawCels();
    ShowPainterCel();
    ShowCurrentCel();
    Shown->ResetUndo();
    Modified = true;
}

// ---- Settings ----

void TfrmCharAnimation::SetDisposalForAll() {
    if (!Cels || !frmGlobDisp) return;
    Cels->Sprite().SetDisposalAll(frmGlobDisp->Disposal());
    Modified = true;
}

void TfrmCharAnimation::butPropertiesClick() {
    if (!Cels || !frmAnimProps) return;
    TCel& Cel = Cels->Sprite().Cel(Cels->Current());
    frmAnimProps->SetDisposal(Cel.Disposal());
    frmAnimProps->SetTransparent(BackgroundTransparent);
    frmAnimProps->SetLoopCount(LoopCount);
    frmAnimProps->SetComments(Comments);
    if (frmAnimProps->exec() != QDialog::Accepted || !Cels) return;
    Cels->Sprite().Cel(Cels->Current()).SetDisposal(frmAnimProps->Disposal());
    BackgroundTransparent = frmAnimProps->Transparent();
    LoopCount = std::uint16_t(std::clamp(frmAnimProps->LoopCount(), 0, 50000));
    Comments = frmAnimProps->Comments();
    Modified = true;
}

void TfrmCharAnimation::SavePalette() {
    const TPxPalette* Saved = Cels ? &Cels->Palette() : OwnedPalette.get();
    // The dialog starts in the folder the New Animation dialog offers palettes from.
    if (Saved)
        SavePaletteAs(*Saved, frmNew ? frmNew->PaletteDir() : QString(),
                      FileErrors::SaveDocumentPalette);
}

// ---- Clipboard ----

void TfrmCharAnimation::SetCopyPasteButtons() {
    const bool CanPaste = Editing().ClipboardHasBitmap;
    Host.SetCutCopyEnabled(true);
    Host.SetPasteEnabled(CanPaste);
    Controls->mniPaste->setEnabled(CanPaste);
}

void TfrmCharAnimation::mniCutClick() {
    Host.CutCel();
}

void TfrmCharAnimation::mniCopyClick() {
    Host.CopyCel();
}

void TfrmCharAnimation::mniPasteClick() {
    Host.PasteCel();
}
