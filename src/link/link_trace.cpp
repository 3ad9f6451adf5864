#include "link/link_trace.h"

#include <cstdio>

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

std::int64_t LinkTrace::sinceStart(std::int64_t micros) {
    if (!origin_) origin_ = micros;
    return micros - *origin_;
}

void LinkTrace::busTransfer(std::span<const PortRecord> records) {
    if (records.empty() || !takes(Kind::Bus)) return;
    vcd_.append(records, file_);
    file_.flush();
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
    file_.flush();
}

void LinkTrace::reportFailed(std::int64_t micros, Direction direction, const std::string& why) {
    if (!takes(Kind::Reports)) return;
    file_ << sinceStart(micros) << ' ' << directionText(direction) << " (" << why << ")\n";
    file_.flush();
}

}  // namespace pagerprog
