#include "cli/shared_lines.h"

namespace pagerprog::cli {

void SharedLines::write(const std::string& line) {
    std::lock_guard lock(mutex_);
    out_ << line << std::flush;
}

// Flushed after every write, so that each line goes out as soon as it ends.
LineWriter::LineWriter(SharedLines& lines, std::string prefix)
    : std::ostream(&buffer_), buffer_(lines, std::move(prefix)) {
    setf(std::ios::unitbuf);
}

// Every line completed so far goes out; what follows the last newline waits for its end.
int LineWriter::Buffer::sync() {
    const std::string text = str();
    const auto end = text.rfind('\n');
    if (end == std::string::npos) return 0;
    std::string lines;
    for (std::size_t at = 0; at <= end;) {
        const auto newline = text.find('\n', at);
        lines += prefix_ + text.substr(at, newline + 1 - at);
        at = newline + 1;
    }
    lines_.write(lines);
    str(text.substr(end + 1));
    return 0;
}

}  // namespace pagerprog::cli
