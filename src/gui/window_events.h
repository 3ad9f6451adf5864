// What the window hands on: the technician's field events, menu commands, clicks on the
// device list, files given to it and its closing. The session runs them one at a time
// under the error handler, and tells the window which file its settings come from.
#pragma once

#include <functional>
#include <string>

namespace pagerprog::gui {

// The file the settings were last opened from or saved to ("" for none), and whether
// they hold edits since.
struct WindowDocument {
    std::string path;
    bool modified = false;
};

class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // One field event (change, exit, click, key); an escaping error is shown.
    virtual void runEvent(const std::function<void()>& event) = 0;
    // The command of a menu item, by the item's element name. False when it did not run
    // because the technician chose to keep unsaved edits.
    virtual bool menuCommand(const std::string& item) = 0;
    virtual void deviceListClick(int row) = 0;
    // Opens a settings file as "&Open" does, without the dialog (a dropped file).
    virtual void openFile(const std::string& path) = 0;
    // Asked before the window closes: false keeps it open (unsaved edits kept).
    virtual bool mayClose() = 0;
    virtual WindowDocument document() = 0;
    // True while an event or command runs (a transfer, a message box).
    virtual bool busy() const = 0;
};

}  // namespace pagerprog::gui
