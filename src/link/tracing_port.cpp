#include "link/tracing_port.h"

#include "link/clock.h"
#include "link/link_trace.h"

namespace pagerprog {

std::optional<std::string> TracingPort::claim(std::uint16_t base) {
    auto error = port_.claim(base);
    if (!error) {
        base_ = base;
        recordingFor_ = trace_;
        records_.clear();
    }
    return error;
}

void TracingPort::release() {
    port_.release();
    if (recordingFor_ != nullptr && recordingFor_ == trace_) recordingFor_->busTransfer(records_);
    recordingFor_ = nullptr;
    records_.clear();
}

std::uint8_t TracingPort::readPort(std::uint16_t port) {
    const std::uint8_t value = port_.readPort(port);
    if (recordingFor_ != nullptr && port == base_ + kStatusRegister) record(port, value);
    return value;
}

void TracingPort::writePort(std::uint16_t port, std::uint8_t value) {
    port_.writePort(port, value);
    if (recordingFor_ != nullptr && port != base_ + kStatusRegister) record(port, value);
}

void TracingPort::record(std::uint16_t port, std::uint8_t value) {
    records_.push_back({clock_.nowMicros(), static_cast<std::uint16_t>(port - base_), value, port_.wiredSda()});
}

}  // namespace pagerprog
