#include "ui/animation/Document.h"

#include <QMdiArea>

#include "model/Cellist.h"
#include "ui/animation/f_charanim.h"
#include "ui/painter/f_painter.h"

TfrmCharAnimation* MakeDocument(TDocumentHost& Host, QMdiArea& Area,
                                std::unique_ptr<TPxPalette> Palette, const QString& Caption,
                                int CelCount) {
    auto* Animation = new TfrmCharAnimation(Host);
    Area.addSubWindow(Animation);
    // The painter takes the current palette as it is made.
    Host.State().CurrentPalette = Palette.get();
    Animation->TakePalette(std::move(Palette));
    Animation->SetCaption(Caption);
    Animation->NewAnimation(CelCount);

    auto* Painter = new TfrmPainter(Host);
    Area.addSubWindow(Painter);
    Painter->AnimationWindow = Animation;
    Animation->SetPainterWindow(Painter);
    Painter->Attach(Animation->Sprite(), Animation->Palette(), Animation->CelList()->Current());
    Painter->SetPalette(*Animation->Palette());
    return Animation;
}
