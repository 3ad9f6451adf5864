// The HID device layer: the list of attached HID devices, the device-change event,
// check-out of one device by its holder, and synchronous report output and input.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "link/hid_backend.h"

namespace pagerprog {

class HidDevice {
public:
    HidDevice(HidBackend& backend, HidDeviceInfo info) : backend_(backend), info_(std::move(info)) {}

    std::uint16_t vendorId() const { return info_.vendorId; }
    std::uint16_t productId() const { return info_.productId; }
    const std::string& productString() const { return info_.productString; }
    std::size_t inputReportLength() const { return info_.inputReportLength; }
    std::size_t outputReportLength() const { return info_.outputReportLength; }
    const std::string& path() const { return info_.path; }
    const std::string& portPath() const { return info_.portPath; }
    const std::string& serial() const { return info_.serial; }
    const HidDeviceInfo& info() const { return info_; }
    bool pluggedIn() const { return pluggedIn_; }
    bool checkedOut() const { return checkedOut_; }

    // Opens the device now unless it is open; None when it is, else why it cannot be.
    HidOpenProblem open();
    // Lets the device go until its next use, so that another holder may open it meanwhile.
    void close() { connection_.reset(); }
    // Whole-report output and input; the device is opened on first use.
    bool writeReport(std::span<const std::uint8_t> report);
    int readReport(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout);

private:
    friend class HidController;
    HidConnection* connection();

    HidBackend& backend_;
    HidOpenProblem openProblem_ = HidOpenProblem::None;
    HidDeviceInfo info_;
    bool pluggedIn_ = true;
    bool checkedOut_ = false;
    std::unique_ptr<HidConnection> connection_;
};

class HidController {
public:
    using Handler = std::function<void()>;
    using Predicate = std::function<bool(const HidDevice&)>;

    explicit HidController(HidBackend& backend) : backend_(backend) {}

    // The device-change event, raised on the caller's (the window's) thread.
    void onDeviceChange(Handler handler) { deviceChange_ = std::move(handler); }
    // The first event once the main loop runs: scan, then raise.
    void start();
    // Called when the backend's notice descriptor is readable (or polled): when devices
    // came or went, rescans and raises the event. True when it was raised.
    bool pollChanges();
    int changeNoticeFd() const { return backend_.changeNoticeFd(); }

    // The first plugged-in, not checked-out device the predicate accepts, now checked out.
    HidDevice* checkOut(const Predicate& accept);
    // The holder gives a device up; it leaves the list.
    void release(HidDevice* device);
    // The holder lets others check the device out again; one that was unplugged leaves the list.
    void giveBack(HidDevice* device);
    // Calls the handler for each plugged-in device with its list index.
    void enumerate(const std::function<void(HidDevice&, int index)>& handler);
    const std::vector<std::unique_ptr<HidDevice>>& devices() const { return devices_; }

private:
    void rescan();

    HidBackend& backend_;
    std::vector<std::unique_ptr<HidDevice>> devices_;
    Handler deviceChange_;
};

}  // namespace pagerprog
