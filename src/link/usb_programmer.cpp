#include "link/usb_programmer.h"

#include <algorithm>
#include <chrono>

#include "link/crc8.h"
#include "link/hid_controller.h"

namespace pagerprog {

namespace {

constexpr std::uint16_t kVendorId = 0x04D8;
constexpr std::uint16_t kProductId = 0x1000;
// The request layout reaches byte 36; the CRC follows.
constexpr std::size_t kMinimumRequestLength = 38;
constexpr std::size_t kReplyStatusLength = 2;
// A programmer answers within milliseconds; a second of silence means it will not.
constexpr std::chrono::milliseconds kReplyTimeLimit{1000};

const char* errorLetterText(std::uint8_t status) {
    switch (status) {
        case 'A': return "EERPOM not found!";
        case 'B': return "USB error!";
        case 'C': return "CRC error!";
        case 'D': return "CMD not valid!";
        default: return nullptr;
    }
}

}  // namespace

bool UsbProgrammer::isProgrammer(const HidDeviceInfo& device) {
    return device.vendorId == kVendorId && device.productId == kProductId &&
           (device.productString == "Z16 programmer" || device.productString == "Z26 programmer");
}

bool UsbProgrammer::isProgrammer(const HidDevice& device) { return isProgrammer(device.info()); }

UsbProgrammer::Fitness UsbProgrammer::fitness(HidDevice& device) {
    const std::size_t out = device.outputReportLength();
    const std::size_t in = device.inputReportLength();
    const std::size_t neededIn = kReplyDataOffset + kChunkSize;
    if (out < kMinimumRequestLength || out > kReportBufferSize)
        return {"its output reports of " + std::to_string(out) + " bytes cannot carry a request (" +
                std::to_string(kMinimumRequestLength) + " to " + std::to_string(kReportBufferSize) + " bytes needed)."};
    if (in < neededIn)
        return {"its input reports of " + std::to_string(in) + " bytes cannot carry a reply (" +
                std::to_string(neededIn) + " bytes needed)."};
    switch (const HidOpenProblem problem = device.open()) {
        case HidOpenProblem::None: return {};
        case HidOpenProblem::NoPermission: return {"this user may not open it.", problem};
        case HidOpenProblem::Gone: return {"it was unplugged.", problem};
        case HidOpenProblem::Busy: return {"another program is using it.", problem};
        case HidOpenProblem::Other: return {"it cannot be opened.", problem};
    }
    return {};
}

HidDevice* UsbProgrammer::takeFirstProgrammer(const std::string& portPath) {
    current_ = hid_.checkOut([&portPath](const HidDevice& device) {
        return isProgrammer(device) && (portPath.empty() || device.portPath() == portPath);
    });
    return current_;
}

std::optional<std::string> UsbProgrammer::unpluggedPort() {
    // A failed report drops the device's handle; opening it again finds whether it is there.
    if (current_ == nullptr || current_->open() != HidOpenProblem::Gone) return std::nullopt;
    return current_->portPath().empty() ? current_->path() : current_->portPath();
}

bool UsbProgrammer::releaseIfUnplugged() {
    if (current_ == nullptr || current_->pluggedIn()) return false;
    hid_.release(current_);
    current_ = nullptr;
    return true;
}

// The hello request keeps bytes 2 onwards from the previous request.
void UsbProgrammer::hello() {
    request_[1] = kHello;
    exchange(false, 0);
}

void UsbProgrammer::setAddress(std::uint8_t command, std::uint8_t chipCode, unsigned address) {
    request_[1] = command;
    request_[2] = chipCode;
    request_[3] = static_cast<std::uint8_t>(address >> 8);
    request_[4] = static_cast<std::uint8_t>(address);
}

UsbProgrammer::Reply UsbProgrammer::exchange(bool chunk, std::size_t replyNeeded) {
    if (current_ == nullptr) return Reply::Silent;
    const std::size_t outLength = current_->outputReportLength();
    const std::size_t inLength = std::min(current_->inputReportLength(), kReportBufferSize);
    if (outLength < kMinimumRequestLength || outLength > kReportBufferSize) return Reply::Silent;

    discardLateReplies(inLength);
    request_[0] = 0;
    request_[outLength - 1] = crc8(std::span<const std::uint8_t>(request_).subspan(1, outLength - 2));
    const bool sent = current_->writeReport(std::span<const std::uint8_t>(request_).first(outLength));
    if (chunk && bytesMoved_) bytesMoved_(static_cast<int>(kChunkSize));
    if (!sent) return Reply::Silent;
    // A reply that fails, never comes or is too short leaves nothing usable: the bytes
    // still in the reply buffer belong to an earlier request.
    const int received = current_->readReport(std::span<std::uint8_t>(reply_).first(inLength), kReplyTimeLimit);
    if (received <= 0 || static_cast<std::size_t>(received) < std::max(replyNeeded, kReplyStatusLength))
        return Reply::Silent;
    return Reply::Received;
}

// A reply that came after its request had given up waiting is still queued by the system;
// read as the answer to the next request it would shift every chunk after it by one.
void UsbProgrammer::discardLateReplies(std::size_t inLength) {
    constexpr int kMostQueuedReports = 64;
    for (int i = 0; i < kMostQueuedReports; ++i) {
        if (current_->readReport(std::span<std::uint8_t>(reply_).first(inLength), std::chrono::milliseconds(0)) <= 0)
            return;
    }
}

bool UsbProgrammer::replyAccepted(Reply reply) {
    pagerMissing_ = reply == Reply::Received && reply_[1] == 'A';
    const char* text = reply == Reply::Silent ? kProgrammerSilentText : errorLetterText(reply_[1]);
    error_ = text != nullptr ? text : "";
    return text == nullptr;
}

bool UsbProgrammer::readChunk(std::uint8_t chipCode, unsigned address, std::span<std::uint8_t, kChunkSize> data) {
    setAddress(kRead, chipCode, address);
    std::fill_n(request_.begin() + kRequestDataOffset, kChunkSize, std::uint8_t{0});
    if (!replyAccepted(exchange(true, kReplyDataOffset + kChunkSize))) return false;
    std::copy_n(reply_.begin() + kReplyDataOffset, kChunkSize, data.begin());
    return true;
}

bool UsbProgrammer::writeChunk(std::uint8_t chipCode, unsigned address,
                               std::span<const std::uint8_t, kChunkSize> data) {
    setAddress(kWrite, chipCode, address);
    std::copy(data.begin(), data.end(), request_.begin() + kRequestDataOffset);
    return replyAccepted(exchange(true, kReplyStatusLength));
}

}  // namespace pagerprog
