// Delivers USB hot-plug on the window thread: the layer's first device-change event once
// the main loop runs, then one whenever devices come or go, found through the layer's
// notice descriptor, or by polling when it has none. A change waits while an event or
// command runs, so a transfer never sees its programmer swapped under it.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>

#include "gui/window_events.h"

namespace pagerprog {
class HidController;
}

namespace pagerprog::gui {

class DeviceWatcher : public QObject {
public:
    // `changed` runs after each device-change event.
    DeviceWatcher(HidController& hid, WindowEvents& events, std::function<void()> changed, QObject* parent = nullptr);

    // Raises the first event as soon as the main loop runs, then watches.
    void start();

private:
    void watch();
    void poll();

    HidController& hid_;
    WindowEvents& events_;
    std::function<void()> changed_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer timer_;
};

}  // namespace pagerprog::gui
