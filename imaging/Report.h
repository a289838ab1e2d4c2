#pragma once
// The core never shows anything itself. Messages meant for the user and the default beep
// go through this hook; the editor installs a handler that turns them into message boxes,
// tests install one that records them. Without a handler they are dropped.
#include <functional>
#include <string>

enum class TReportKind { Message, Beep };

using ReportHandler = std::function<void(TReportKind Kind, const std::string& Text)>;

// Installs Handler and returns the one it replaces. User-interface thread only.
ReportHandler SetReportHandler(ReportHandler Handler);

void ShowMessage(const std::string& Text);
void MessageBeep();

// Installs a handler for the lifetime of the object and puts the previous one back.
class TScopedReportHandler {
public:
    explicit TScopedReportHandler(ReportHandler Handler)
        : Previous(SetReportHandler(std::move(Handler))) {}
    ~TScopedReportHandler() { SetReportHandler(std::move(Previous)); }
    TScopedReportHandler(const TScopedReportHandler&) = delete;
    TScopedReportHandler& operator=(const TScopedReportHandler&) = delete;

private:
    ReportHandler Previous;
};
