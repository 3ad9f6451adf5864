#include "link/vcd_trace.h"

#include "link/adapter_wiring.h"

#include <vector>

#include "link/port_access.h"

namespace pagerprog {

namespace {

using namespace wiring;

// Identifier codes and names, in the order of the lines.
constexpr const char* kIds[] = {"!", "#", "%", "&", "*", "+"};
constexpr const char* kNames[] = {"SCL", "SDA", "SDA_OUT", "POWER", "STATUS_READ", "SDA_IN"};

// On a real port the trace cannot see the chip pull SDA low; it only sees the status reads.
// A 24Cxx changes its output only while SCL is low, just after SCL falls, and holds it until
// the next fall. So a status read taken with the master's SDA released that shows SDA low
// means the chip pulled it from the SCL fall before that read until the next fall; a pull
// that no status read saw (the chip acknowledging a byte nobody checks) is missing from the
// trace, and the time the chip took to answer is not known either.
std::vector<bool> pullsSeenByStatusReads(std::span<const PortRecord> records, std::uint8_t data, std::uint8_t control) {
    std::vector<bool> pulled(records.size(), false);
    std::size_t windowStart = 0;
    bool windowPulled = false;
    auto closeWindow = [&](std::size_t end) {
        for (std::size_t i = windowStart; i < end; ++i) pulled[i] = windowPulled;
        windowStart = end;
        windowPulled = false;
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PortRecord& record = records[i];
        if (record.reg == kDataRegister) {
            if ((data & kSclOut) && !(record.value & kSclOut)) closeWindow(i);
            data = record.value;
        } else if (record.reg == kControlRegister) {
            control = record.value;
        } else if ((data & kSdaOut) && adapterPowered(data, control) && !(record.value & kSdaIn)) {
            windowPulled = true;
        }
    }
    closeWindow(records.size());
    return pulled;
}

}  // namespace

void VcdTrace::writeHeader(std::ostream& out) {
    out << "$version pagerprog " << PAGERPROG_VERSION << " $end\n"
        << "$comment parallel-port adapter: SCL and SDA are the bus lines (SDA as the chip sees it), SDA_OUT "
           "what the adapter drives, POWER the adapter's supply, STATUS_READ toggles at each status read, "
           "SDA_IN is what that read returned $end\n"
        << "$timescale 1 us $end\n$scope module adapter $end\n";
    for (int line = 0; line < kLineCount; ++line)
        out << "$var wire 1 " << kIds[line] << ' ' << kNames[line] << " $end\n";
    out << "$upscope $end\n$enddefinitions $end\n";
    headerWritten_ = true;
}

void VcdTrace::set(Line line, bool level) { levels_[line] = level; }

// Writes the lines whose level differs from what the file last says, under their time.
void VcdTrace::flushTime(std::int64_t micros, std::ostream& out) {
    bool timeWritten = writtenTime_ && *writtenTime_ == micros;
    for (int line = 0; line < kLineCount; ++line) {
        if (anyWritten_ && written_[line] == levels_[line]) continue;
        if (!timeWritten) {
            out << '#' << micros << '\n';
            writtenTime_ = micros;
            timeWritten = true;
        }
        out << (levels_[line] ? '1' : '0') << kIds[line] << '\n';
        written_[line] = levels_[line];
    }
    anyWritten_ = true;
}

void VcdTrace::append(std::span<const PortRecord> records, std::ostream& out) {
    if (records.empty()) return;
    if (!headerWritten_) writeHeader(out);
    if (!origin_) {
        origin_ = records.front().micros;
        flushTime(0, out);  // the levels before the first access: adapter off, both lines low
    }
    const bool wiredKnown = records.front().wiredSda.has_value();
    const std::vector<bool> pulled =
        wiredKnown ? std::vector<bool>() : pullsSeenByStatusReads(records, data_, control_);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const PortRecord& record = records[i];
        if (record.reg == kDataRegister) {
            data_ = record.value;
        } else if (record.reg == kControlRegister) {
            control_ = record.value;
        } else {
            set(kStatusReadLine, !levels_[kStatusReadLine]);
            set(kSdaInLine, (record.value & kSdaIn) != 0);
        }
        set(kSclLine, (data_ & kSclOut) != 0);
        set(kSdaOutLine, (data_ & kSdaOut) != 0);
        set(kPowerLine, adapterPowered(data_, control_));
        set(kSdaLine, wiredKnown ? record.wiredSda.value_or(false) : (data_ & kSdaOut) != 0 && !pulled[i]);
        flushTime(record.micros - *origin_, out);
    }
}

}  // namespace pagerprog
