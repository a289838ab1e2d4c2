#include "imaging/Report.h"

#include <utility>

namespace {
ReportHandler& CurrentHandler() {
    static ReportHandler Handler;
    return Handler;
}
} // namespace

ReportHandler SetReportHandler(ReportHandler Handler) {
    return std::exchange(CurrentHandler(), std::move(Handler));
}

void ShowMessage(const std::string& Text) {
    if (CurrentHandler()) CurrentHandler()(ReportKind::Message, Text);
}

void MessageBeep() {
    if (CurrentHandler()) CurrentHandler()(ReportKind::Beep, std::string());
}
