#pragma once
// The editor's application object: the one place where an exception thrown while an event
// is handled ends. Whatever a command throws (memory running out, a size the core cannot
// hold, a failure of the core) unwinds to notify(), which abandons the event and shows the
// error box through the questions seam once the event has been left; the program goes on.
// Modal dialogs run their own event loops through the same notify(), so a failure inside
// one ends there and the dialog stays open.
//
// The toolkit's widget and action code is not built to be unwound through: what it holds
// on the way would leak. So the handlers it calls for the commands and for painting
// (RunGuarded) end a failure before it gets there, and report it the same way.
//
// Commands allocate before they change anything, so an abandoned command leaves its
// document as it was. User-interface thread only.
#include <QApplication>
#include <QString>
#include <exception>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* Receiver, QEvent* Event) override;
};

// The text of the error box for a failure: "Error:  " and its likely cause.
QString FailureText(const std::exception_ptr& Failure);

// Shows the error box for Failure once the event being handled has been left. Never throws.
void ReportFailure(const std::exception_ptr& Failure) noexcept;

// Runs Handler; whatever it throws is reported and ends here.
template <typename THandler> void RunGuarded(THandler&& Handler) {
    try {
        Handler();
    } catch (...) {
        ReportFailure(std::current_exception());
    }
}
