#include "cli/cli_host.h"

#include <unistd.h>
#include <algorithm>
#include <ostream>

#include "link/usb_programmer.h"

namespace pagerprog::cli {

void CliHost::log(const std::string& line) {
    logLines_.push_back(line);
    endBarLine();
    console_.status("log: " + line);
}

void CliHost::beep() {
    endBarLine();
    console_.status("beep");
}

void CliHost::messageBox(const std::string& text) {
    ++messages_;
    endBarLine();
    console_.error("message: " + text);
}

// A line printed while the bar is drawn starts below it; the bar is drawn afresh.
void CliHost::endBarLine() {
    if (drawnPercent_ < 0) return;
    console_.stream() << '\n';
    drawnPercent_ = -1;
}

void CliHost::requestFocus(const std::string&) { ++focusRequests_; }

std::optional<std::string> CliHost::openFileDialog(const FileDialogDef&) {
    auto answer = std::move(openAnswer_);
    openAnswer_.reset();
    return answer;
}

std::optional<std::string> CliHost::saveFileDialog(const FileDialogDef&) {
    auto answer = std::move(saveAnswer_);
    saveAnswer_.reset();
    return answer;
}

void CliHost::progressShow() {
    progressShown_ = true;
    drawnPercent_ = -1;
}

void CliHost::progressHide() {
    endBarLine();
    progressShown_ = false;
}

// Each phase of a transfer (read-back, write, verify) keeps its own finished bar line.
void CliHost::progressCaption(const std::string& caption) {
    endBarLine();
    caption_ = caption;
}

void CliHost::progressRange(int, int maximum) { maximum_ = maximum; }

void CliHost::progressPosition(int position) {
    position_ = position;
    drawBar();
}

void CliHost::progressStep(int count) {
    // The transfers step the bar by each USB chunk request's bytes, by single bytes on the bus.
    if (count == static_cast<int>(kChunkSize)) chunkBytes_ += count;
    position_ += count;
    drawBar();
}

// A one-line bar, redrawn in place on a terminal only when its percentage moves.
void CliHost::drawBar() {
    if (!bars_ || !progressShown_ || maximum_ <= 0 || console_.quiet() || !isatty(STDERR_FILENO)) return;
    const int percent = std::clamp(position_ * 100 / maximum_, 0, 100);
    // A phase shows its bar once data moves, so captions that pass without a transfer
    // leave no empty bars behind.
    if (percent == 0 || percent == drawnPercent_) return;
    drawnPercent_ = percent;
    const int filled = percent * 30 / 100;
    console_.stream() << "\r\033[K" << caption_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
                      << std::string(static_cast<std::size_t>(30 - filled), '.') << "] " << percent << "%"
                      << std::flush;
}

}  // namespace pagerprog::cli
