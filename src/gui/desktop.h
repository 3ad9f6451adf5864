// What the window asks of the desktop beyond its own widgets: the file dialogs, modal
// message boxes and the alert sound. The program uses the Qt ones; tests answer in
// their place.
#pragma once

#include <optional>
#include <string>

#include "settings/host.h"

class QWidget;

namespace pagerprog::gui {

class Desktop {
public:
    virtual ~Desktop() = default;
    // The chosen path in the system's file-name encoding, or nothing when cancelled.
    virtual std::optional<std::string> openFile(QWidget* parent, const FileDialogSpec& request) = 0;
    // Never asks before replacing an existing file.
    virtual std::optional<std::string> saveFile(QWidget* parent, const FileDialogSpec& request) = 0;
    virtual void message(QWidget* parent, const std::string& text) = 0;
    virtual void beep() = 0;
};

}  // namespace pagerprog::gui
