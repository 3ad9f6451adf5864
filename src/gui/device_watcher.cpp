#include "gui/device_watcher.h"

#include "link/hid_controller.h"

namespace pagerprog::gui {

namespace {
constexpr int kPollIntervalMs = 500;  // a backend without a notice descriptor is asked this often
constexpr int kRetryMs = 100;         // a notice that came while busy is taken up this soon after
}  // namespace

DeviceWatcher::DeviceWatcher(HidController& hid, WindowEvents& events, std::function<void()> changed, QObject* parent)
    : QObject(parent), hid_(hid), events_(events), changed_(std::move(changed)) {
    connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
}

void DeviceWatcher::start() {
    QTimer::singleShot(0, this, [this] {
        events_.runEvent([this] { hid_.start(); });
        changed_();
        watch();
    });
}

void DeviceWatcher::watch() {
    const int fd = hid_.changeNoticeFd();
    if (fd < 0) {
        timer_.start(kPollIntervalMs);
        return;
    }
    notifier_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    timer_.setSingleShot(true);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        // The notice stays readable until polled: listen again only once it is taken up.
        notifier_->setEnabled(false);
        poll();
    });
}

void DeviceWatcher::poll() {
    if (events_.busy()) {
        if (notifier_ != nullptr) timer_.start(kRetryMs);
        return;
    }
    bool raised = false;
    events_.runEvent([&] { raised = hid_.pollChanges(); });
    if (notifier_ != nullptr) notifier_->setEnabled(true);
    if (raised) changed_();
}

}  // namespace pagerprog::gui
