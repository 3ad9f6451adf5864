// A host in front of another: it passes everything on, and while a capture runs it also
// keeps the status-log lines, so that a pager operation can record exactly what it told
// the technician.
#pragma once

#include <string>
#include <vector>

#include "host/host.h"

namespace pagerprog {

class HostTap : public Host {
public:
    explicit HostTap(Host& outside) : outside_(outside) {}

    void log(const std::string& line) override {
        if (capturing_) captured_.push_back(line);
        outside_.log(line);
    }
    void beep() override { outside_.beep(); }
    void messageBox(const std::string& text) override { outside_.messageBox(text); }
    std::optional<std::string> openFileDialog(const FileDialogDef& request) override {
        return outside_.openFileDialog(request);
    }
    std::optional<std::string> saveFileDialog(const FileDialogDef& request) override {
        return outside_.saveFileDialog(request);
    }
    void progressShow() override { outside_.progressShow(); }
    void progressHide() override { outside_.progressHide(); }
    void progressCaption(const std::string& caption) override { outside_.progressCaption(caption); }
    void progressRange(int minimum, int maximum) override { outside_.progressRange(minimum, maximum); }
    void progressPosition(int position) override { outside_.progressPosition(position); }
    void progressStep(int count) override { outside_.progressStep(count); }
    void progressPass(int number, int count) override { outside_.progressPass(number, count); }
    bool progressCancelRequested() override { return outside_.progressCancelRequested(); }
    void requestFocus(const std::string& field) override { outside_.requestFocus(field); }

    // Starts keeping the status-log lines, forgetting any kept before.
    void startCapture() {
        captured_.clear();
        capturing_ = true;
    }
    // The lines logged since startCapture; the capture ends.
    std::vector<std::string> endCapture() {
        capturing_ = false;
        return std::move(captured_);
    }

private:
    Host& outside_;
    bool capturing_ = false;
    std::vector<std::string> captured_;
};

}  // namespace pagerprog
