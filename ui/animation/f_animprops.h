#pragma once
// The Animation Properties dialog: the current cel's disposal method and the animation's
// transparency, loop count and comments. The animation window sets every value before it
// shows the dialog and reads them back after OK; "Reset" returns the fields to the values
// last set. Exists once; owns its controls; user-interface thread only.
#include <QDialog>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QPlainTextEdit;
class QSpinBox;
class TDisposalChoice;

class TfrmAnimProps : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 20;

    explicit TfrmAnimProps(QWidget* Parent = nullptr);

    std::uint8_t Disposal() const;
    void SetDisposal(std::uint8_t Disposal);
    bool Transparent() const;
    void SetTransparent(bool Transparent);
    int LoopCount() const; // 0..50000
    void SetLoopCount(int LoopCount);
    // Lines as the GIF file stores them: UTF-8 for typed text; lines left untouched come
    // back byte for byte as they were set, whatever their encoding.
    std::vector<std::string> Comments() const;
    void SetComments(const std::vector<std::string>& Lines);

    void butResetClick();

private:
    TDisposalChoice* Disposals = nullptr;
    QCheckBox* chkTransparent = nullptr;
    QSpinBox* spinLoops = nullptr;
    QPlainTextEdit* memComments = nullptr;

    // The values last set, for Reset.
    std::uint8_t GivenDisposal = 0;
    bool GivenTransparent = false;
    int GivenLoopCount = 0;
    std::vector<std::string> GivenComments;
    // GivenComments as the comment box shows them.
    QString ShownComments;
};

// The program's one Animation Properties dialog, made at start-up with the other once-only
// windows; null before and after.
extern TfrmAnimProps* frmAnimProps;
