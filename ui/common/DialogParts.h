#pragma once
// What the program's dialogs share: naming their controls, the OK, Cancel and Help buttons
// and the row most of them show them in, and the hourglass of a long command.
// User-interface thread only.
#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

// Gives Control its designed name and the name a person reads ("&" marks dropped).
void NameControl(QWidget* Control, const QString& Name, const QString& Caption);
template <class TControl>
TControl* Named(TControl* Control, const QString& Name, const QString& Caption) {
    NameControl(Control, Name, Caption);
    return Control;
}

// Gives a window its designed name and its title, which is also the name a person reads.
void NameWindow(QWidget& Window, const QString& Name, const QString& Title);

// A push button named and captioned as designed ("&Ok", "&Cancel", "&Help", ...) that
// answers Enter only when it is the dialog's default button.
QPushButton* MakeButton(const QString& Name, const QString& Caption, QWidget* Parent);

// Wires a dialog's usual buttons: OK is the default button and accepts, Cancel rejects, and
// Help, like F1, opens help topic HelpContext.
void WireDialogButtons(QDialog& Dialog, QPushButton* Ok, QPushButton* Cancel, QPushButton* Help,
                       int HelpContext);

// "&Ok" (butOk), "&Cancel" (butCancel), the button ExtraName captioned ExtraCaption when
// given, and "&Help" (butHelp), made in this order with MakeButton and the usual ones wired,
// in a row: Help and the extra button at the left, OK and Cancel at the right.
QHBoxLayout* OkCancelHelpRow(QDialog& Dialog, int HelpContext, const QString& ExtraName = {},
                             const QString& ExtraCaption = {});

// The hourglass for as long as one lives, however the scope is left.
class THourglass {
public:
    THourglass();
    ~THourglass();
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};
