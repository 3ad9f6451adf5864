// A host that records everything the core tells the outside world, in order, so
// tests can assert the exact status-log lines, beeps, boxes and focus requests.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"

namespace pagerprog::testing {

class RecordingHost : public Host {
public:
    // Every event as one line: "log: TEXT", "beep", "message: TEXT", "focus: FIELD",
    // "progress: ..." for the progress window.
    std::vector<std::string> events;
    std::vector<std::string> logLines;
    std::vector<std::string> messages;
    std::vector<std::string> focusRequests;
    int beeps = 0;
    // Answers for the next dialogs; nothing queued means cancelled.
    std::deque<std::optional<std::string>> openAnswers, saveAnswers;
    std::vector<FileDialogDef> dialogs;
    bool progressVisible = false;
    std::string progressCaptionText;
    int progressMin = 0, progressMax = 0, progressPos = 0;
    int progressSteps = 0;                            // total of all steps
    std::vector<std::pair<int, int>> progressPasses;  // (number, count) as each pass began
    bool cancelRequested = false;                     // the answer between passes
    // Runs at each status-log line, after it is kept: a test's hook into a command under way.
    std::function<void(const std::string&)> onLog;

    void log(const std::string& line) override {
        logLines.push_back(line);
        events.push_back("log: " + line);
        if (onLog) onLog(line);
    }
    void beep() override {
        ++beeps;
        events.push_back("beep");
    }
    void messageBox(const std::string& text) override {
        messages.push_back(text);
        events.push_back("message: " + text);
    }
    void requestFocus(const std::string& field) override {
        focusRequests.push_back(field);
        events.push_back("focus: " + field);
    }
    std::optional<std::string> openFileDialog(const FileDialogDef& request) override {
        return answer(openAnswers, request);
    }
    std::optional<std::string> saveFileDialog(const FileDialogDef& request) override {
        return answer(saveAnswers, request);
    }
    void progressShow() override {
        progressVisible = true;
        events.push_back("progress: show");
    }
    void progressHide() override {
        progressVisible = false;
        events.push_back("progress: hide");
    }
    void progressCaption(const std::string& caption) override {
        progressCaptionText = caption;
        events.push_back("progress: caption " + caption);
    }
    void progressRange(int minimum, int maximum) override {
        progressMin = minimum;
        progressMax = maximum;
    }
    void progressPosition(int position) override { progressPos = position; }
    void progressPass(int number, int count) override { progressPasses.emplace_back(number, count); }
    bool progressCancelRequested() override { return cancelRequested; }
    void progressStep(int count) override {
        progressPos += count;
        progressSteps += count;
    }

    void clear() {
        events.clear();
        logLines.clear();
        messages.clear();
        focusRequests.clear();
        beeps = 0;
    }

private:
    std::optional<std::string> answer(std::deque<std::optional<std::string>>& answers, const FileDialogDef& request) {
        dialogs.push_back(request);
        if (answers.empty()) return std::nullopt;
        auto next = answers.front();
        answers.pop_front();
        return next;
    }
};

}  // namespace pagerprog::testing
