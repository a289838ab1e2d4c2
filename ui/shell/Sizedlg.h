#pragma once
// "Resize Cels": the dialog in which the user types a new cel size for an animation and
// chooses between cropping and stretching the pictures. It exists once and keeps its
// choice from one use to the next; the caller fills in the animation's size before it
// shows the dialog and reads the answer after OK. Owns its controls; user-interface
// thread only.
#include <QDialog>

class QPushButton;
class QRadioButton;
class QSpinBox;

class TdlgSize : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 22;

    explicit TdlgSize(QWidget* Parent = nullptr);

    // Width 1..640, height 1..480; values beyond are brought into range.
    void SetSize(int Width, int Height);
    int Width() const;
    int Height() const;
    // Stretch the pictures to the new size; otherwise crop them at the top left.
    bool Stretch() const;
    void SetStretch(bool Stretch);

    // Puts back the size and choice the dialog showed when it was opened.
    void butRestoreClick();
    void done(int Result) override;

protected:
    // Each opening takes what the fields hold as the values Restore puts back.
    void showEvent(QShowEvent* Event) override;

private:
    QSpinBox* spinX;
    QSpinBox* spinY;
    QRadioButton* radCrop;
    QRadioButton* radStretch;
    int RestoreWidth = 1;
    int RestoreHeight = 1;
    bool RestoreStretch = false;
};
