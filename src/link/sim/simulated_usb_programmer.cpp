#include "link/sim/simulated_usb_programmer.h"

#include <algorithm>
#include <utility>

#include "link/chip_table.h"
#include "link/clock.h"
#include "link/crc8.h"
#include "link/sim/simulated_pager.h"
#include "link/usb_programmer.h"

namespace pagerprog {

namespace {
constexpr auto kHello = UsbProgrammer::kHello;
constexpr auto kRead = UsbProgrammer::kRead;
constexpr auto kWrite = UsbProgrammer::kWrite;
}  // namespace

class SimulatedUsbProgrammer::Connection : public HidConnection {
public:
    // A connection belongs to one plugging-in of the programmer; after a re-plug it is dead
    // even where the device comes back under the same path.
    Connection(SimulatedUsbProgrammer& programmer, std::string path)
        : programmer_(programmer), path_(std::move(path)), generation_(programmer.generation_) {}
    bool writeReport(std::span<const std::uint8_t> report) override {
        return alive() && programmer_.request(path_, report);
    }
    // The simulated programmer answers at once, so waiting would change nothing.
    int readReport(std::span<std::uint8_t> buffer, std::chrono::milliseconds) override {
        return alive() ? programmer_.reply(path_, buffer) : -1;
    }

private:
    bool alive() const { return generation_ == programmer_.generation_; }

    SimulatedUsbProgrammer& programmer_;
    std::string path_;
    int generation_;
};

SimulatedUsbProgrammer::SimulatedUsbProgrammer(SimulatedPager& pager) : pager_(pager) {}

std::string SimulatedUsbProgrammer::path() const {
    return "sim:" + portPath + "#" + std::to_string(samePathOnReplug ? 1 : generation_);
}

void SimulatedUsbProgrammer::plug() {
    if (plugged_) return;
    plugged_ = true;
    ++generation_;
    changed_ = true;
}

void SimulatedUsbProgrammer::unplug() {
    if (!plugged_) return;
    plugged_ = false;
    replies_.clear();
    lateReply_.reset();
    changed_ = true;
}

std::vector<HidDeviceInfo> SimulatedUsbProgrammer::enumerate() {
    if (!plugged_) return {};
    return {HidDeviceInfo{path(), vendorId, productId, productString, reportLength, reportLength, portPath, serial}};
}

HidOpening SimulatedUsbProgrammer::open(const std::string& path) {
    if (!plugged_ || path != this->path()) return {nullptr, HidOpenProblem::Gone};
    if (!mayOpen) return {nullptr, HidOpenProblem::NoPermission};
    return {std::make_unique<Connection>(*this, path), HidOpenProblem::None};
}

void SimulatedUsbProgrammer::reportTakesTime() {
    if (clock_ != nullptr && reportTime_.count() > 0) clock_->sleepMillis(static_cast<unsigned>(reportTime_.count()));
}

bool SimulatedUsbProgrammer::takeChangeNotices() { return std::exchange(changed_, false); }

bool SimulatedUsbProgrammer::request(const std::string& path, std::span<const std::uint8_t> report) {
    if (!plugged_ || path != this->path()) return false;
    reportTakesTime();
    requests.emplace_back(report.begin(), report.end());
    const bool chunk = report.size() > 1 && (report[1] == kRead || report[1] == kWrite);
    const long index = chunk ? chunks_++ : -1;
    if (chunk && unplugAtChunk == index) {
        unplug();
        return false;
    }
    if (chunk && silentFromChunk && index >= *silentFromChunk) return true;

    std::vector<std::uint8_t> answer(reportLength, 0);
    answer[1] = chunk && errorLetterAtChunk == index ? errorLetter : handle(report, answer);
    if (chunk && lateReplyAtChunk == index) {
        lateReply_ = std::move(answer);
    } else {
        replies_.push_back(std::move(answer));
    }
    return true;
}

int SimulatedUsbProgrammer::reply(const std::string& path, std::span<std::uint8_t> buffer) {
    if (!plugged_ || path != this->path()) return -1;
    if (replies_.empty()) {
        // Nothing in time; a late reply turns up just after the reader stopped waiting.
        if (lateReply_) replies_.push_back(*std::exchange(lateReply_, std::nullopt));
        return 0;
    }
    reportTakesTime();
    const std::size_t length = std::min(buffer.size(), replies_.front().size());
    std::copy_n(replies_.front().begin(), length, buffer.begin());
    replies_.pop_front();
    return static_cast<int>(length);
}

std::uint8_t SimulatedUsbProgrammer::handle(std::span<const std::uint8_t> report, std::vector<std::uint8_t>& reply) {
    if (report.size() < kRequestDataOffset + kChunkSize + 1) return 'D';
    if (crc8(report.subspan(1, report.size() - 2)) != report.back()) return 'C';
    const std::uint8_t command = report[1];
    if (command == kHello) return kSuccess;
    if (command != kRead && command != kWrite) return 'D';
    if (!eepromPresent || !pager_.present() || (report[2] & 0xF0) != findChip(16)->chipCode) return 'A';
    const unsigned address = (unsigned{report[3]} << 8) | report[4];
    if (address % kChunkSize != 0 || address + kChunkSize > kImageSize) return 'D';
    for (std::size_t i = 0; i < kChunkSize; ++i) {
        if (command == kWrite)
            pager_.writeByte(static_cast<unsigned>(address + i), report[kRequestDataOffset + i]);
        else
            reply[kReplyDataOffset + i] = pager_.readByte(static_cast<unsigned>(address + i));
    }
    if (command == kWrite) pager_.commit();
    return kSuccess;
}

}  // namespace pagerprog
