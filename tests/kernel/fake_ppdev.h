// /dev/parport0 as drivers/char/ppdev.c serves it over the sharing layer of
// drivers/parport/share.c, with the PC port of parport_pc.h behind it:
//   open       succeeds (ENOENT once the port is gone; EACCES when the node's mode
//              refuses the user, which the VFS decides before ppdev)
//   PPCLAIM    registers this file's device on first use, failing with ENXIO when another
//              device holds the port exclusively (parport_register_dev_model returns NULL)
//              or the port is gone; sleeps while another device has the port claimed
//              (parport_claim_or_block), another program or another open file of this
//              one; EINVAL when already claimed; restores this file's control state
//   PPRELEASE  saves the control state and gives the port back
//   PPRDATA, PPWDATA, PPRSTATUS, PPRCONTROL, PPWCONTROL  EINVAL unless claimed
//   close      releases a claimed port
// Other ioctls are not modelled and fail with EINVAL, read() and write() (IEEE 1284
// transfers) with ENOSYS. A removed port
// (parport_remove_port) keeps its open files: register reads return 0 and writes vanish,
// all without an error (dead_ops in share.c), and the node disappears.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "parport_pc.h"

namespace fake_kernel {

class FakePpdev {
public:
    FakePpdev(pagerprog::SimulatedPager& pager, pagerprog::Clock& clock) : port_(pager, clock) {}

    void attach(bool accessible);
    void holdExclusively() { exclusivelyHeld_ = true; }
    void holdUntil(std::chrono::steady_clock::time_point release) { heldUntil_ = release; }
    void vanishAfter(long registerAccesses) { vanishAfter_ = registerAccesses; }
    long registerAccesses() const { return accesses_; }
    // Open files of the node; a claim given up on keeps one until its helper closes it.
    int openFiles() const;
    int pin(int number) const { return port_.pin(number); }

    // A descriptor for `node` opened with `flags`, or minus the error number.
    int open(const std::string& node, int flags);

private:
    class File;

    int claim(File& file);
    void release(File& file);
    int readRegister(unsigned long request, std::uint8_t& value);
    int writeRegister(unsigned long request, std::uint8_t value);
    // Counts one register access; the port goes away once the scene says so.
    void countAccess();

    // Claims may sleep on a backend's helper thread while the test thread goes on.
    mutable std::mutex mutex_;
    std::condition_variable released_;
    const File* owner_ = nullptr;
    int openFiles_ = 0;

    PcParallelPort port_;
    bool present_ = false;
    bool accessible_ = true;
    bool removed_ = false;
    bool exclusivelyHeld_ = false;
    std::optional<std::chrono::steady_clock::time_point> heldUntil_;
    std::optional<long> vanishAfter_;
    long accesses_ = 0;
};

}  // namespace fake_kernel
