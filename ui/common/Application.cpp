#include "ui/common/Application.h"

#include <QTimer>
#include <new>
#include <stdexcept>
#include <utility>

#include "gif/DynArrB.h"
#include "ui/common/Questions.h"

namespace {

// The failure waiting for its box, and whether the box is open now.
QString PendingText;
bool BoxScheduled = false;
bool BoxShowing = false;

class TBoxShowing {
public:
    TBoxShowing() { BoxShowing = true; }
    ~TBoxShowing() { BoxShowing = false; }
    TBoxShowing(const TBoxShowing&) = delete;
    TBoxShowing& operator=(const TBoxShowing&) = delete;
};

void ShowPendingFailure() {
    BoxScheduled = false;
    if (PendingText.isEmpty()) return;
    const QString Text = std::exchange(PendingText, QString());
    const TBoxShowing Showing;
    Questions().Message(TBoxKind::Error, Text);
}

} // namespace

// The box waits until the event that failed has been left: a failure inside a paint event
// or under a mouse grab must not open a modal loop there.
void ReportFailure(const std::exception_ptr& Failure) noexcept {
    // What fails again while its box is open (a timer, a repaint) is the same failure.
    if (BoxShowing || !PendingText.isEmpty()) return;
    try {
        PendingText = FailureText(Failure);
        if (BoxScheduled) return;
        QTimer::singleShot(0, qApp, &ShowPendingFailure);
        BoxScheduled = true;
    } catch (...) {
    }
}

QString FailureText(const std::exception_ptr& Failure) {
    // Literals need no memory of their own: the likeliest failure is that there is none.
    try {
        std::rethrow_exception(Failure);
    } catch (const std::bad_alloc&) {
    } catch (const ENotEnoughMemory&) {
    } catch (const std::length_error&) {
        return QStringLiteral("Error:  The command needs a picture larger than memory can hold.  "
                              "It was abandoned.");
    } catch (const std::exception& Other) {
        return "Error:  The command could not be finished (" + QString::fromUtf8(Other.what()) +
               ").  It was abandoned.";
    } catch (...) {
        return QStringLiteral("Error:  The command could not be finished.  It was abandoned.");
    }
    return QStringLiteral("Error:  Not enough memory to finish the command.  It was abandoned; "
                          "close other animations or programs and try again.");
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        // Nothing may leave here: beyond this point lies the toolkit's event loop.
        ReportFailure(std::current_exception());
        return false;
    }
}
