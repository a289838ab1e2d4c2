#pragma once
// The dialog that sets one disposal method for all cels. Exists once and keeps its choice
// ("Restore Background Color" at first). User-interface thread only.
#include <QDialog>
#include <cstdint>

class TfrmGlobDisp : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGlobDisp(QWidget* Parent = nullptr);

    // 0 "Unspecified", 1 "No Disposal", 2 "Restore Background Color",
    // 3 "Overwrite with Prev Image".
    std::uint8_t Disposal() const;
    void SetDisposal(std::uint8_t Disposal);
};
