// The core's view of the window: status-log lines go to `Memo1`, message boxes and
// file dialogs to the desktop, focus requests to the fields, progress to `State_Form`.
#pragma once

#include <QPointer>
#include <functional>

#include "gui/desktop.h"
#include "host/host.h"

namespace pagerprog::gui {

class MainWindow;

class WindowHost : public Host {
public:
    // `document` tells the file the settings came from or went to last ("" for none): saving
    // them there again replaces it without asking.
    WindowHost(Desktop& desktop, std::function<std::string()> document)
        : desktop_(desktop), document_(std::move(document)) {}

    // The window exists after the model it shows; it is attached before start-up runs.
    void attach(MainWindow* window) { window_ = window; }

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
    void progressPass(int number, int count) override;
    bool progressCancelRequested() override;

    // The next open or save dialog is not shown: it answers with `path` (a file given on
    // the command line, dropped, picked from the recent files or from "Save &As...").
    void answerNextOpen(std::string path) { openAnswer_ = std::move(path); }
    void answerNextSave(std::string path) { saveAnswer_ = std::move(path); }

private:
    Desktop& desktop_;
    std::function<std::string()> document_;
    QPointer<MainWindow> window_;
    std::optional<std::string> openAnswer_, saveAnswer_;
};

}  // namespace pagerprog::gui
