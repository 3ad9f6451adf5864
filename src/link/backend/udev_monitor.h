// Hot-plug notices for hidraw devices from udev's netlink source. Its descriptor fits a
// socket notifier in the window and poll() in the command-line tool.
#pragma once

struct udev;
struct udev_monitor;

namespace pagerprog {

class UdevMonitor {
public:
    UdevMonitor();
    ~UdevMonitor();
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

    // -1 when no monitor could be set up (then no notice ever comes).
    int fd() const;
    // True when at least one hidraw device came or went; drains every waiting notice.
    bool takeNotices();

private:
    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
};

}  // namespace pagerprog
