// What the window hands on: the technician's field events, menu commands and clicks
// on the device list. The session runs them one at a time under the error handler.
#pragma once

#include <functional>
#include <string>

namespace pagerprog::gui {

class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // One field event (change, exit, click, key); an escaping error is shown.
    virtual void runEvent(const std::function<void()>& event) = 0;
    // The command of a menu item, by the item's element name.
    virtual void menuCommand(const std::string& item) = 0;
    virtual void deviceListClick(int row) = 0;
    // True while an event or command runs (a transfer, a message box).
    virtual bool busy() const = 0;
};

}  // namespace pagerprog::gui
