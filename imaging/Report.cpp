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
    if (CurrentHandler()) CurrentHandler()(TReportKind::Message, Text);
}

void MessageBeep() {
    if (CurrentHandler()) CurrentHandler()(TReportKind::Beep, std::string());
}
