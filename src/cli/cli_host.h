// The command-line tool's host: status-log lines, beeps and message boxes go to the
// console (standard error); file dialogs answer with the paths given on the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "host/host.h"

namespace pagerprog::cli {

class CliHost : public Host {
public:
    // `bars`: a progress bar is drawn on a terminal (not for the programmers of a gang, whose
    // lines go out between each other's).
    explicit CliHost(Console& console, bool bars = true) : console_(console), bars_(bars) {}

    void log(const std::string& line) override;
    void beep() override;
    void messageBox(const std::string& text) override;
    void requestFocus(const std::string& field) override;
    std::optional<std::string> openFileDialog(const FileDialogDef& request) override;
    std::optional<std::string> saveFileDialog(const FileDialogDef& request) override;
    void progressShow() override;
    void progressHide() override;
    void progressCaption(const std::string& caption) override;
    void progressRange(int minimum, int maximum) override;
    void progressPosition(int position) override;
    void progressStep(int count) override;

    // The path the next open or save dialog answers with (nothing: cancelled).
    void answerOpen(std::string path) { openAnswer_ = std::move(path); }
    void answerSave(std::string path) { saveAnswer_ = std::move(path); }

    Console& console() { return console_; }
    int messageCount() const { return messages_; }
    int focusRequestCount() const { return focusRequests_; }
    const std::vector<std::string>& logLines() const { return logLines_; }
    // The bytes of the USB programmer's chunk requests so far, as the transfers told them.
    long long chunkBytes() const { return chunkBytes_; }

private:
    void drawBar();
    void endBarLine();

    Console& console_;
    bool bars_;
    std::optional<std::string> openAnswer_, saveAnswer_;
    std::vector<std::string> logLines_;
    int messages_ = 0;
    int focusRequests_ = 0;
    bool progressShown_ = false;
    std::string caption_;
    int maximum_ = 0, position_ = 0, drawnPercent_ = -1;
    long long chunkBytes_ = 0;
};

}  // namespace pagerprog::cli
