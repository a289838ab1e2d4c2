#pragma once
// Pieces that the animation dialogs share: the group of four disposal-method radio buttons
// and the naming of controls (designed name as objectName, what a person reads as the
// accessible name). User-interface thread only.
#include <QGroupBox>
#include <QString>
#include <cstdint>

class QButtonGroup;
class QPushButton;
class QWidget;

// Gives Control its designed name and the name a person reads ("&" marks dropped).
void NameControl(QWidget* Control, const QString& Name, const QString& Caption);

// A push button named and captioned as designed ("&Ok", "&Cancel", "&Help", ...).
QPushButton* MakeButton(const QString& Name, const QString& Caption, QWidget* Parent);

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
