// A USB programmer that answers with whatever the input holds: report lengths from the
// first bytes, then one reply report after another. No crash, no access outside a buffer,
// and a write counts as verified only when the read-back replies carried exactly the
// image written.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_bench.h"
#include "link/clock.h"
#include "link/hid_backend.h"
#include "link/pager_link.h"
#include "link/sim/simulated_port.h"

using namespace pagerprog;

namespace {

class ScriptedProgrammer : public HidBackend {
public:
    ScriptedProgrammer(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
        inLength_ = next() % 70;
        outLength_ = next() % 70;
    }
    std::vector<HidDeviceInfo> enumerate() override {
        return {HidDeviceInfo{"scripted", 0x04D8, 0x1000, "Z16 programmer", inLength_, outLength_, "1-1", ""}};
    }
    HidOpening open(const std::string&) override { return {std::make_unique<Handle>(*this), HidOpenProblem::None}; }
    bool takeChangeNotices() override { return false; }

    bool writeReport(std::span<const std::uint8_t> report) {
        lastCommand_ = report.size() > 1 ? report[1] : 0;
        return true;
    }
    int readReport(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) {
        if (timeout.count() == 0 && next() % 4 != 0) return 0;  // mostly no late reply queued
        if (at_ >= size_) return 0;                             // silence once the input ends
        const std::size_t length = std::min<std::size_t>({buffer.size(), std::size_t{next()} % 70, size_ - at_});
        std::copy_n(data_ + at_, length, buffer.begin());
        if (lastCommand_ == UsbProgrammer::kRead && timeout.count() != 0 && length >= 35)
            readBack.insert(readBack.end(), buffer.begin() + 3, buffer.begin() + 35);
        at_ += length;
        return static_cast<int>(length);
    }

    std::vector<std::uint8_t> readBack;  // the data of every full read reply, in order

private:
    // The connection the link holds; the device answers through it.
    class Handle : public HidConnection {
    public:
        explicit Handle(ScriptedProgrammer& device) : device_(device) {}
        bool writeReport(std::span<const std::uint8_t> report) override { return device_.writeReport(report); }
        int readReport(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
            return device_.readReport(buffer, timeout);
        }

    private:
        ScriptedProgrammer& device_;
    };

    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::size_t inLength_ = 0, outLength_ = 0;
    std::uint8_t lastCommand_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ScriptedProgrammer programmer(data, size);
    SimulatedClock clock;
    SimulatedPort port;
    PagerLink link(port, clock, programmer);
    link.hid().start();
    if (link.usb().takeFirstProgrammer() == nullptr) return 0;
    TransferObserver observer;
    Image source{};
    for (std::size_t i = 0; i < kImageSize; ++i) source[i] = static_cast<std::uint8_t>(i * 13 + 5);
    const Image written = source;
    const TransferOutcome outcome =
        link.transfer(kChip24C16, 0, kWriteMode, source, TransferRoute{true, 0x378}, observer);
    if (source != written) std::abort();  // a write never changes its source
    if (outcome.result == TransferResult::VerifyOk) {
        const auto& back = programmer.readBack;
        if (back.size() < kImageSize || !std::equal(written.begin(), written.end(), back.end() - kImageSize))
            std::abort();  // verified what was never read back
    }
    Image buffer{};
    link.transfer(kChip24C16, 0, kReadMode, buffer, TransferRoute{true, 0x378}, observer);
    return 0;
}
