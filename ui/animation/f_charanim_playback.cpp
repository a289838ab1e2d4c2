// Playback in the animation window: the timer that steps the preview through the cels at
// each cel's own delay, the five playback buttons, the preview drawing and the two
// frame-rate fields. Playback only moves the preview, never the current cel.
#include <QCheckBox>
#include <QCoreApplication>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <optional>

#include "model/Cellist.h"
#include "model/Spritez.h"
#include "ui/animation/PreviewBox.h"
#include "ui/animation/f_charanim.h"
#include "ui/animation/f_charanim_controls.h"

namespace {

// The delay typed into a frame-rate field: none while its text is empty, and none, after
// Restore has shown the stored delay again, for a text that is not a number in the fields'
// range.
template <typename TRestore>
std::optional<int> TypedDelay(const QSpinBox& Field, TRestore&& Restore) {
    const QString Text = Field.text().trimmed();
    if (Text.isEmpty()) return std::nullopt;
    bool Number = false;
    const int Value = Text.toInt(&Number);
    if (Number && Value >= 0 && Value <= 99999) return Value;
    Restore();
    return std::nullopt;
}

} // namespace

void TfrmCharAnimation::SetTimerInterval(int Milliseconds) {
    timeAnimation->setInterval(std::max(Milliseconds, MinimumInterval));
}

void TfrmCharAnimation::SetPlayButtons(QToolButton* Down) {
    for (QToolButton* Button :
         {Controls->sbutPlayReverse, Controls->sbutFrameBackwards, Controls->sbutAnimStop,
          Controls->sbutFrameForward, Controls->sbutPlay})
        Button->setChecked(Button == Down);
}

// ---- The timer ----

void TfrmCharAnimation::timeAnimationTimer() {
    if (!Playing || !Cels || Busy) return;
    Busy = true;
    // Input and painting go first; a tick that arrives meanwhile finds Busy and is skipped.
    QCoreApplication::processEvents();
    // The window may have been closed, or cels deleted, while the events were handled.
    if (!Cels || !Playing) {
        Busy = false;
        return;
    }
    const TSprite& Shown = Cels->Sprite();
    PreviewIndex = std::clamp(PreviewIndex, 0, Shown.CelCount() - 1);
    PreviewIndex = Direction == 1 ? Shown.NextIndex(PreviewIndex) : Shown.PrevIndex(PreviewIndex);
    ShowCurrentCel();
    SetTimerInterval(Shown.Cel(PreviewIndex).Delay());
    Busy = false;
}

// ---- Buttons ----

void TfrmCharAnimation::sbutPlayClick() {
    Direction = 1;
    Playing = true;
    SetPlayButtons(Controls->sbutPlay);
}

void TfrmCharAnimation::sbutPlayReverseClick() {
    Direction = -1;
    Playing = true;
    SetPlayButtons(Controls->sbutPlayReverse);
}

void TfrmCharAnimation::sbutAnimStopClick() {
    Playing = false;
    SetPlayButtons(nullptr);
    if (!Cels) return;
    PreviewIndex = Cels->Current();
    ShowCurrentCel();
}

void TfrmCharAnimation::sbutFrameForwardClick() {
    StepPreview(1);
}

void TfrmCharAnimation::sbutFrameBackwardsClick() {
    StepPreview(-1);
}

void TfrmCharAnimation::StepPreview(int Way) {
    Playing = false;
    SetPlayButtons(nullptr);
    if (!Cels) return;
    const TSprite& Shown = Cels->Sprite();
    const int From = std::clamp(PreviewIndex, 0, Shown.CelCount() - 1);
    PreviewIndex = Way == 1 ? Shown.NextIndex(From) : Shown.PrevIndex(From);
    ShowCurrentCel();
}

// ---- The preview ----

void TfrmCharAnimation::ShowCurrentCel() {
    // The preview asks for cel PreviewIndex when it paints (clamped to the cels there are).
    Controls->imgRunAnimation->update();
}

void TfrmCharAnimation::RefreshPreview() {
    // The backdrop depends only on the box's size and is made again when that changes.
    ShowCurrentCel();
}

QImage TfrmCharAnimation::PreviewImage() const {
    return Controls->imgRunAnimation->Picture();
}

void TfrmCharAnimation::UpdatePreviewSize() {
    // 1:1, a cel larger than the pane scrolls; stretched, the cel fills whatever is shown.
    TPreviewBox& Preview = *Controls->imgRunAnimation;
    if (Cels && !Preview.Stretch())
        Preview.setMinimumSize(Cels->Sprite().Width(), Cels->Sprite().Height());
    else
        Preview.setMinimumSize(1, 1);
}

bool TfrmCharAnimation::StretchImage() const {
    return Controls->cboxStretch->isChecked();
}

void TfrmCharAnimation::SetStretchImage(bool Stretch) {
    Controls->cboxStretch->setChecked(Stretch);
    cboxStretchClick();
}

void TfrmCharAnimation::cboxStretchClick() {
    Controls->imgRunAnimation->SetStretch(StretchImage());
    UpdatePreviewSize();
    RefreshPreview();
    Host.SetStretchChecked(StretchImage());
}

// ---- Frame-rate fields ----

void TfrmCharAnimation::ShowCelDelay() {
    if (!Cels) return;
    const int Delay = Cels->Sprite().Cel(Cels->Current()).Delay();
    {
        const QSignalBlocker Quiet(Controls->spinFrameRate);
        Controls->spinFrameRate->setValue(Delay);
    }
    SetTimerInterval(Delay);
}

void TfrmCharAnimation::ShowDefaultDelay() {
    const QSignalBlocker Quiet(Controls->spinDefaultFrameRate);
    Controls->spinDefaultFrameRate->setValue(DefaultDelay);
}

void TfrmCharAnimation::spinFrameRateChange() {
    if (!Cels) return;
    const std::optional<int> Typed =
        TypedDelay(*Controls->spinFrameRate, [this] { ShowCelDelay(); });
    if (!Typed) return;
    const int Delay = *Typed;
    TCel& Cel = Cels->Sprite().Cel(Cels->Current());
    // A new delay is written to the file, so it is a change worth asking about on close.
    if (Cel.Delay() != Delay) {
        Cel.SetDelay(Delay);
        Modified = true;
    }
    SetTimerInterval(Delay);
}

void TfrmCharAnimation::spinDefaultFrameRateChange() {
    if (!Cels) return;
    const std::optional<int> Typed =
        TypedDelay(*Controls->spinDefaultFrameRate, [this] { ShowDefaultDelay(); });
    if (!Typed) return;
    const int Delay = *Typed;
    TSprite& Changed = Cels->Sprite();
    for (int i = 0; i < Changed.CelCount(); ++i) {
        TCel& Cel = Changed.Cel(i);
        if (Cel.Delay() == DefaultDelay && Cel.Delay() != Delay) {
            Cel.SetDelay(Delay);
            Modified = true;
        }
    }
    ShowCelDelay();
    DefaultDelay = Delay;
}
