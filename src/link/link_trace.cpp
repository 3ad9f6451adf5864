#include "link/link_trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pagerprog {

std::unique_ptr<LinkTrace> LinkTrace::create(const std::string& path, std::string& error) {
    std::unique_ptr<LinkTrace> trace(new LinkTrace(path));
    if (!trace->file_) {
        error = "Cannot write the trace file " + path;
        return nullptr;
    }
    return trace;
}

bool LinkTrace::takes(Kind kind) {
    if (kind_ == Kind::Unset) kind_ = kind;
    return kind_ == kind;
}

// The first failed write is the one the technician hears of; what follows is lost anyway.
void LinkTrace::flush() {
    file_.flush();
    if (!file_ && failure_.empty())
        failure_ = "The trace file " + path_ + " was cut short: " + std::strerror(errno) + ".";
}

std::int64_t LinkTrace::sinceStart(std::int64_t micros) {
    if (!origin_) origin_ = micros;
    return micros - *origin_;
}

void LinkTrace::busTransfer(std::span<const PortRecord> records) {
    if (records.empty() || !takes(Kind::Bus)) return;
    vcd_.append(records, file_);
    flush();
}

namespace {
const char* directionText(LinkTrace::Direction direction) {
    return direction == LinkTrace::Direction::Out ? "out" : "in";
}
}  // namespace

void LinkTrace::report(std::int64_t micros, Direction direction, std::span<const std::uint8_t> bytes) {
    if (!takes(Kind::Reports)) return;
    std::string line = std::to_string(sinceStart(micros)) + ' ' + directionText(direction);
    char hex[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(hex, sizeof hex, " %02X", byte);
        line += hex;
    }
    file_ << line << '\n';
    flush();
}

void LinkTrace::reportFailed(std::int64_t micros, Direction direction, const std::string& why) {
    if (!takes(Kind::Reports)) return;
    file_ << sinceStart(micros) << ' ' << directionText(direction) << " (" << why << ")\n";
    flush();
}

}  // namespace pagerprog
