// A trace file of the pager link: the parallel-port bus as an IEEE 1364 value change dump
// (VCD), or the USB programmer's reports as text lines. The path of the first transfer
// traced decides which; the other path's traffic is then left out of that file.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/vcd_trace.h"

namespace pagerprog {

class LinkTrace {
public:
    // The trace in a new file at `path`; nothing, with `error` set, when it cannot be made.
    static std::unique_ptr<LinkTrace> create(const std::string& path, std::string& error);

    const std::string& path() const { return path_; }
    // Why the file does not hold the whole trace (a full disk, say): "" while it does.
    const std::string& failure() const { return failure_; }

    // One parallel-port transfer's register accesses, appended as line changes.
    void busTransfer(std::span<const PortRecord> records);

    enum class Direction { Out, In };
    // One report sent or received.
    void report(std::int64_t micros, Direction direction, std::span<const std::uint8_t> bytes);
    // A report that could not be sent, or a read that failed or got nothing in time.
    void reportFailed(std::int64_t micros, Direction direction, const std::string& why);

private:
    enum class Kind { Unset, Bus, Reports };

    explicit LinkTrace(std::string path) : path_(std::move(path)), file_(path_, std::ios::trunc) {}
    bool takes(Kind kind);
    void flush();
    std::int64_t sinceStart(std::int64_t micros);

    std::string path_;
    std::ofstream file_;
    std::string failure_;
    Kind kind_ = Kind::Unset;
    std::optional<std::int64_t> origin_;
    VcdTrace vcd_;
};

}  // namespace pagerprog
