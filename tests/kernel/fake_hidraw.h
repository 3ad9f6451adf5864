// The USB programmer as the kernel presents it: usbhid with hid-generic, and hidraw on
// top (drivers/hid/hidraw.c, drivers/hid/usbhid/hid-core.c). Behind it runs the project's
// simulated programmer. Each open file of /dev/hidraw0 is one end of a SOCK_SEQPACKET
// socket pair, so input reports keep their boundaries and poll() works as on hidraw:
//   open       ENOENT without the device, EACCES when the node's mode refuses the user
//   write      ENODEV once the device is gone, EINVAL below 2 or above 16384 bytes
//              (HID_MAX_BUFFER_SIZE); a report ID of 0 in byte 0 is not sent to the device
//              (usbhid_output_report), any other byte 0 goes with the report; returns the
//              byte count written
//   read       one input report per call, cut to the buffer with the rest dropped; the
//              report ID is byte 0 for numbered reports and absent otherwise
//              (hid_report_raw_event); EIO once the device is gone and nothing is queued
//   poll       POLLIN with a report queued; POLLHUP once the device is gone
//   ioctl      HIDIOCGRDESCSIZE, HIDIOCGRDESC (EINVAL above HID_MAX_DESCRIPTOR_SIZE - 1),
//              HIDIOCGRAWINFO; ENODEV once the device is gone; others not modelled (ENOTTY)
// The device's own firmware takes only reports of its format (its report ID and report
// size) and ignores anything else.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "link/sim/simulated_usb_programmer.h"
#include "programmer_sysfs.h"
#include "sysfs_tree.h"

namespace fake_kernel {

class FakeProgrammer {
public:
    explicit FakeProgrammer(pagerprog::SimulatedPager& pager);
    ~FakeProgrammer();
    FakeProgrammer(const FakeProgrammer&) = delete;
    FakeProgrammer& operator=(const FakeProgrammer&) = delete;

    void plug(std::uint8_t reportId, unsigned reportSize, bool accessible);
    void unplug();
    void silentFromChunk(long chunk) { programmer_.silentFromChunk = chunk; }
    void unplugAtChunk(long chunk) { programmer_.unplugAtChunk = chunk; }

    const SysfsTree& sysfs() const { return sysfs_; }
    // A descriptor for `node` opened with `flags`, or minus the error number.
    int open(const std::string& node, int flags);

private:
    class File;

    ssize_t write(File& file, std::span<const std::uint8_t> buffer);
    int ioctl(unsigned long request, void* argument) const;
    // The firmware's side of one output report, as it arrives over the interrupt pipe.
    void receive(File& file, std::span<const std::uint8_t> report);
    void sendInputReport(std::span<const std::uint8_t> reply);
    void announce(const char* action) const;

    pagerprog::SimulatedUsbProgrammer programmer_;
    ProgrammerIdentity identity_;
    SysfsTree sysfs_;
    std::set<File*> files_;
    std::vector<std::uint8_t> descriptor_;
    std::uint8_t reportId_ = 0;
    unsigned reportSize_ = 0;
    bool accessible_ = true;
    bool present_ = false;
    int hidSequence_ = 0;
};

}  // namespace fake_kernel
