#pragma once
// The group of four disposal-method radio buttons that the animation dialogs share.
// User-interface thread only.
#include <QGroupBox>
#include <QString>
#include <cstdint>

class QButtonGroup;
class QPushButton;
class QWidget;

// A group box holding radUnspecified, radNoDisposal, radRestoreBG and radOverwrite, one of
// which is always chosen. Owns its buttons (as children).
class TDisposalChoice : public QGroupBox {
public:
    TDisposalChoice(const QString& Name, const QString& Title, QWidget* Parent);

    // The value of the chosen button: 3 "Overwrite with Prev Image", 2 "Restore
    // Background Color", 1 "No Disposal", else 0 "Unspecified".
    std::uint8_t Disposal() const;
    // Chooses the button of Disposal; a value with no button of its own counts as 0.
    void SetDisposal(std::uint8_t Disposal);

private:
    QButtonGroup* Buttons;
};
