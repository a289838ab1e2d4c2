#pragma once
// The dialog that sets one disposal method for all cels. Exists once and keeps the choice
// of its last OK ("Restore Background Color" at first); Cancel returns to it. Owns its
// controls; user-interface thread only.
#include <QDialog>
#include <cstdint>

class TDisposalChoice;

class TfrmGlobDisp : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 30;

    explicit TfrmGlobDisp(QWidget* Parent = nullptr);

    // 0 "Unspecified", 1 "No Disposal", 2 "Restore Background Color",
    // 3 "Overwrite with Prev Image".
    std::uint8_t Disposal() const;
    void SetDisposal(std::uint8_t Disposal);

    void done(int Result) override;

private:
    TDisposalChoice* Disposals = nullptr;
    std::uint8_t Kept;
};

// The program's one disposal-for-all dialog, made at start-up with the other once-only
// windows; null before and after.
extern TfrmGlobDisp* frmGlobDisp;
