// A USB programmer as the kernel presents it: usbhid with hid-generic, and hidraw on top
// (drivers/hid/hidraw.c, drivers/hid/usbhid/hid-core.c), plugged into one USB port under
// the hidraw minor it got. Behind it runs the project's simulated programmer. Each open
// file of its /dev/hidrawN is one end of a SOCK_SEQPACKET socket pair, so input reports
// keep their boundaries and poll() works as on hidraw:
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
//   flock      LOCK_EX and LOCK_SH with LOCK_NB: EWOULDBLOCK while another open file of
//              the node (or another program) holds an exclusive lock, or any lock for
//              LOCK_EX; LOCK_UN and the file's close give it up (fs/locks.c); a lock that
//              would wait is not modelled (EINVAL)
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

// Where and how a programmer is plugged in.
struct Plugging {
    std::uint8_t reportId = 0;
    unsigned reportSize = 64;
    bool accessible = true;
    std::string port = "1-1";  // the USB port path
    std::string serial;        // "" none
    int hidSequence = 1;       // numbers the HID devices since boot
    int minor = 0;             // the hidraw minor
};

class FakeProgrammer {
public:
    FakeProgrammer(pagerprog::SimulatedPager& pager, SysfsTree& sysfs);
    ~FakeProgrammer();
    FakeProgrammer(const FakeProgrammer&) = delete;
    FakeProgrammer& operator=(const FakeProgrammer&) = delete;

    void plug(const Plugging& plugging);
    void unplug();
    bool present() const { return present_; }
    int minor() const { return plugging_.minor; }
    void silentFromChunk(long chunk) { programmer_.silentFromChunk = chunk; }
    void unplugAtChunk(long chunk) { programmer_.unplugAtChunk = chunk; }
    // Another program holds the node locked, until the programmer is plugged in again.
    void heldElsewhere() { heldElsewhere_ = true; }

    // A descriptor for its node opened with `flags`, or minus the error number.
    int open(int flags);

private:
    class File;

    ssize_t write(File& file, std::span<const std::uint8_t> buffer);
    int ioctl(unsigned long request, void* argument) const;
    int flock(File& file, int operation);
    // The firmware's side of one output report, as it arrives over the interrupt pipe.
    void receive(File& file, std::span<const std::uint8_t> report);
    void sendInputReport(std::span<const std::uint8_t> reply);
    void announce(const char* action) const;

    pagerprog::SimulatedUsbProgrammer programmer_;
    SysfsTree& sysfs_;
    ProgrammerIdentity identity_;
    Plugging plugging_;
    std::vector<std::string> syspaths_;  // its devices in sysfs, parents first
    std::set<File*> files_;
    std::vector<std::uint8_t> descriptor_;
    bool present_ = false;
    // flock(2) on the node: the files holding a lock, and whether it is exclusive.
    std::set<File*> lockHolders_;
    bool lockExclusive_ = false;
    bool heldElsewhere_ = false;
};

}  // namespace fake_kernel
