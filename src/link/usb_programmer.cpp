#include "link/usb_programmer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <system_error>

#include "link/crc8.h"
#include "link/hid_controller.h"
#include "link/port_access.h"
#include "settings/host.h"
#include "settings/program_state.h"

namespace pagerprog {

namespace {

constexpr std::uint16_t kVendorId = 0x04D8;
constexpr std::uint16_t kProductId = 0x1000;
// The request layout reaches byte 36; the CRC follows.
constexpr std::size_t kMinimumRequestLength = 38;
constexpr std::size_t kReplyDataOffset = 3;
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

UsbProgrammer::UsbProgrammer(HidController& hid, PortAccess& port, Host& host, ProgramState& program,
                             SettingsModel& model)
    : hid_(hid), port_(port), host_(host), program_(program), model_(model) {
    hid_.onDeviceChange([this] { deviceChange(); });
}

bool UsbProgrammer::isProgrammer(const HidDevice& device) {
    return device.vendorId() == kVendorId && device.productId() == kProductId &&
           (device.productString() == "Z16 programmer" || device.productString() == "Z26 programmer");
}

void UsbProgrammer::deviceChange() {
    if (current_ != nullptr && !current_->pluggedIn()) programmerUnplugged();
    if (current_ == nullptr) {
        if (auto* device = hid_.checkOut(isProgrammer)) programmerArrived(device);
    }
}

void UsbProgrammer::programmerUnplugged() {
    hid_.release(current_);
    current_ = nullptr;
    program_.portBase = kLpt1Base;
    program_.usbProgrammerInUse = false;
    model_.setElementVisible(element::groupSpeed, true);
    host_.log("USB port unplug.");
    model_.setElementEnabled(element::writeToPager, false);
    model_.setElementEnabled(element::readFromPager, false);
}

void UsbProgrammer::programmerArrived(HidDevice* device) {
    current_ = device;
    host_.log("USB port is ready.");
    // The parallel port is not used again while the programmer is present.
    port_.shutDown();
    program_.usbProgrammerInUse = true;
    model_.setElementEnabled(element::menuParallelPort, false);
    model_.setElementVisible(element::groupSpeed, false);
    model_.setElementEnabled(element::writeToPager, true);
    model_.setElementEnabled(element::readFromPager, true);
    model_.setElementEnabled(element::switchModel, false);
    // The hello request keeps bytes 2 onwards from the previous request; its reply is not examined.
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
    if (chunk) host_.progressStep(static_cast<int>(kChunkSize));
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
    if (reply == Reply::Silent) {
        host_.messageBox(kProgrammerSilentText);
        return false;
    }
    if (const char* text = errorLetterText(reply_[1])) {
        host_.messageBox(text);
        return false;
    }
    return true;
}

bool UsbProgrammer::readChunk(std::uint8_t chipCode, unsigned address, std::span<std::uint8_t, kChunkSize> data) {
    setAddress(kRead, chipCode, address);
    std::fill_n(request_.begin() + 5, kChunkSize, std::uint8_t{0});
    if (!replyAccepted(exchange(true, kReplyDataOffset + kChunkSize))) return false;
    std::copy_n(reply_.begin() + kReplyDataOffset, kChunkSize, data.begin());
    return true;
}

bool UsbProgrammer::writeChunk(std::uint8_t chipCode, unsigned address,
                               std::span<const std::uint8_t, kChunkSize> data) {
    setAddress(kWrite, chipCode, address);
    std::copy(data.begin(), data.end(), request_.begin() + 5);
    return replyAccepted(exchange(true, kReplyStatusLength));
}

void UsbProgrammer::enumerateDevices() {
    hid_.enumerate([this](HidDevice& device, int) {
        std::string line = device.productString();
        if (line.empty()) {
            char text[32];
            std::snprintf(text, sizeof text, "Device VID=%04X PID=%04X", device.vendorId(), device.productId());
            line = text;
        }
        // Check it out (unless its holder already has) so the line keeps its device.
        if (!device.checkedOut())
            hid_.checkOut([&device](const HidDevice& candidate) { return &candidate == &device; });
        devListLines_.push_back(line);
        devListDevices_.push_back(&device);
    });
}

void UsbProgrammer::DevListBoxClick(int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= devListDevices_.size()) return;
    current_ = devListDevices_[static_cast<std::size_t>(selected)];
    model_.setElementEnabled(element::menuParallelPort, false);
}

void UsbProgrammer::dataError(int systemErrorCode) {
    host_.messageBox("Read Error: " + std::system_category().message(systemErrorCode));
}

}  // namespace pagerprog
