#pragma once
// The size question: asked when a picture of another size is pasted or dropped onto an
// animation, it lets the user choose between resizing the animation to the picture and
// keeping the animation's size. It exists once and keeps the last choice made with OK.
// Owns its controls; user-interface thread only.
#include <QDialog>

class QRadioButton;

class TfrmQSize : public QDialog {
    Q_OBJECT
public:
    explicit TfrmQSize(QWidget* Parent = nullptr);

    // After OK: true for "Resize the Destination Image to match the Source Image.", false
    // for "Leave the Destination Size the same.".
    bool ResizeChosen() const;
    void SetResizeChosen(bool Resize);

    void done(int Result) override;

private:
    QRadioButton* radResize;
    QRadioButton* radNothing;
    bool Kept = true;
};

// The program's one size question, made at start-up with the other once-only
// windows; null before and after.
extern TfrmQSize* frmQSize;
