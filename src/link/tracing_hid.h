// A HID backend that passes everything through to the real one and, while a trace is
// attached, writes every report exchanged with an opened device to it: its time, its
// direction and its bytes, and the sends and reads that failed.
#pragma once

#include "link/hid_backend.h"

namespace pagerprog {

class Clock;
class LinkTrace;

class TracingHidBackend : public HidBackend {
public:
    TracingHidBackend(HidBackend& backend, Clock& clock) : backend_(backend), clock_(clock) {}

    // Null stops tracing; connections already open follow at once.
    void traceTo(LinkTrace* trace) { trace_ = trace; }

    std::vector<HidDeviceInfo> enumerate() override { return backend_.enumerate(); }
    HidOpening open(const std::string& path) override;
    bool takeChangeNotices() override { return backend_.takeChangeNotices(); }
    int changeNoticeFd() const override { return backend_.changeNoticeFd(); }

private:
    class Connection;

    HidBackend& backend_;
    Clock& clock_;
    LinkTrace* trace_ = nullptr;
};

}  // namespace pagerprog
