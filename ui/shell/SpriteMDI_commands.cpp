// The main window's commands: each one routes to the active document from here. The table
// that makes their menu items and buttons is in SpriteMDI_table.cpp.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
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
#include "ui/common/Cursors.h"
#include "ui/common/Glyphs.h"
#include "ui/common/PictureSources.h"
#include "ui/common/Questions.h"
#include "ui/painter/brushfly.h"
#include "ui/painter/f_painter.h"
#include "ui/painter/frmTextSelection.h"
#include "ui/shell/Forms.h"
#include "ui/shell/Sizedlg.h"
#include "ui/shell/SpriteMDI_controls.h"
#include "ui/shell/f_palette.h"

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
    TFileDialog Dialog("dlgOpenAnimation", "Open Animation",
                       "Animated GIFs (*.GIF *.gif);;All Files (*)");
    Dialog.Folder = OpenFolder;
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

// The painter ends a floating selection or a custom brush before it undoes, and refuses to
// redo while one is in use.
void TfrmSpriteMDI::sbutUndoClick() {
    if (Editing.CurrentPainter) Editing.CurrentPainter->sbutUndoClick();
}

void TfrmSpriteMDI::sbutRedoClick() {
    if (Editing.CurrentPainter) Editing.CurrentPainter->Redo();
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
    const std::optional<TRgbPicture> Pasted = ReadPastedPicture(
        QApplication::clipboard()->mimeData(), Editing.CurrentAnimation->BackgroundRgb(), Refusal);
    if (Pasted)
        Editing.CurrentAnimation->ImportFromBitmap(*Pasted);
    else if (!Refusal.isEmpty())
        Questions().Message(TBoxKind::Error, Refusal);
}

// ---- View ----

void TfrmSpriteMDI::ShowBarClick(const QString& Item) {
    const std::pair<const char*, QWidget*> Bars[] = {{"mniStatusBar", statusBar()},
                                                     {"mniStandardBar", Controls->toolStandard},
                                                     {"mniPaintBar", Controls->toolPaint},
                                                     {"mniShiftBar", Controls->toolShift}};
    for (const auto& [Name, Bar] : Bars)
        if (Item == Name) Bar->setVisible(Controls->Command(Name)->isChecked());
}

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

void TfrmSpriteMDI::sbutOnionSkinClick() {
    Editing.OnionSkin = Controls->Command("sbutOnionSkin")->isChecked();
    Controls->Command("mniOnionSkin")->setChecked(Editing.OnionSkin);
    ViewOptionsChanged();
}

void TfrmSpriteMDI::mniOnionSkinClick() {
    Controls->Command("sbutOnionSkin")->setChecked(Controls->Command("mniOnionSkin")->isChecked());
    sbutOnionSkinClick();
}

void TfrmSpriteMDI::SetOnionCels(bool After, int Count) {
    (After ? Editing.OnionAfter : Editing.OnionBefore) = Count;
    ViewOptionsChanged();
}

void TfrmSpriteMDI::mniPixelGridClick() {
    Editing.PixelGrid = Controls->Command("mniPixelGrid")->isChecked();
    ViewOptionsChanged();
}

void TfrmSpriteMDI::ViewOptionsChanged() {
    for (QMdiSubWindow* Window : Area->subWindowList())
        if (auto* Painter = qobject_cast<TfrmPainter*>(Window)) Painter->ViewOptionsChanged();
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

void TfrmSpriteMDI::sbutCreateBrushClick() {
    if (Editing.CurrentPainter) Editing.CurrentPainter->CreateCustomBrush();
    Controls->Command("sbutCreateBrush")->setChecked(true);
    Controls->Command("mniCreateCustomBrush")->setChecked(true);
    SetPainterCursor(CursorIdOf(ptBrush));
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

void TfrmSpriteMDI::Transform(void (TSprite::*Operation)(bool All)) {
    if (!Editing.CurrentAnimation) return;
    const THourglass Wait;
    Editing.CurrentAnimation->Transform(Operation);
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

void TfrmSpriteMDI::About1Click() {
    Questions().Message(TBoxKind::Information, "Ostra Vale Vimbrel\nVersion 1.0c");
}
