#include "link/tracing_hid.h"

#include "link/clock.h"
#include "link/link_trace.h"

namespace pagerprog {

class TracingHidBackend::Connection : public HidConnection {
public:
    Connection(std::unique_ptr<HidConnection> connection, TracingHidBackend& owner)
        : connection_(std::move(connection)), owner_(owner) {}

    bool writeReport(std::span<const std::uint8_t> report) override {
        const bool sent = connection_->writeReport(report);
        if (LinkTrace* trace = owner_.trace_) {
            const std::int64_t now = owner_.clock_.nowMicros();
            if (sent)
                trace->report(now, LinkTrace::Direction::Out, report);
            else
                trace->reportFailed(now, LinkTrace::Direction::Out, "not sent");
        }
        return sent;
    }

    // A read that found nothing without waiting is no exchange (the layer drains late
    // replies that way before every request); every other outcome is traced.
    int readReport(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        const int received = connection_->readReport(buffer, timeout);
        LinkTrace* trace = owner_.trace_;
        if (trace == nullptr || (received == 0 && timeout.count() == 0)) return received;
        const std::int64_t now = owner_.clock_.nowMicros();
        if (received > 0)
            trace->report(now, LinkTrace::Direction::In, buffer.first(static_cast<std::size_t>(received)));
        else if (received == 0)
            trace->reportFailed(now, LinkTrace::Direction::In,
                                "nothing within " + std::to_string(timeout.count()) + " ms");
        else
            trace->reportFailed(now, LinkTrace::Direction::In, "read failed");
        return received;
    }

private:
    std::unique_ptr<HidConnection> connection_;
    TracingHidBackend& owner_;
};

HidOpening TracingHidBackend::open(const std::string& path) {
    HidOpening opening = backend_.open(path);
    if (opening.connection) opening.connection = std::make_unique<Connection>(std::move(opening.connection), *this);
    return opening;
}

}  // namespace pagerprog
