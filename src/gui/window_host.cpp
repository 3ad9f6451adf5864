#include "gui/window_host.h"

#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/state_form.h"

namespace pagerprog::gui {

void WindowHost::log(const std::string& line) {
    if (window_) window_->appendLog(messageText(line));
}

void WindowHost::beep() { desktop_.beep(); }

void WindowHost::messageBox(const std::string& text) { desktop_.message(window_, text); }

void WindowHost::requestFocus(const std::string& field) {
    if (window_) window_->focusFieldLater(field);
}

namespace {

std::optional<std::string> takeAnswer(std::optional<std::string>& answer) {
    auto taken = std::move(answer);
    answer.reset();
    return taken;
}

}  // namespace

std::optional<std::string> WindowHost::openFileDialog(const FileDialogDef& request) {
    if (openAnswer_) return takeAnswer(openAnswer_);
    return desktop_.openFile(window_, request);
}

std::optional<std::string> WindowHost::saveFileDialog(const FileDialogDef& request) {
    if (saveAnswer_) return takeAnswer(saveAnswer_);
    const bool settings = request == settingsFileDialog();
    return desktop_.saveFile(window_, request, settings ? document_() : std::string());
}

void WindowHost::progressShow() {
    if (window_) window_->progressWindow().showCentred();
}

void WindowHost::progressHide() {
    if (window_) window_->progressWindow().closeProgress();
}

void WindowHost::progressCaption(const std::string& caption) {
    if (window_) window_->progressWindow().setCaption(messageText(caption));
}

void WindowHost::progressRange(int minimum, int maximum) {
    if (window_) window_->progressWindow().setRange(minimum, maximum);
}

void WindowHost::progressPosition(int position) {
    if (window_) window_->progressWindow().setPosition(position);
}

void WindowHost::progressStep(int count) {
    if (window_) window_->progressWindow().step(count);
}

void WindowHost::progressPass(int number, int count) {
    if (window_) window_->progressWindow().setPass(number, count);
}

bool WindowHost::progressCancelRequested() { return window_ && window_->progressWindow().cancelRequested(); }

}  // namespace pagerprog::gui
