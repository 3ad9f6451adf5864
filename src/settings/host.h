// Everything the core needs from the world outside it: the status log, the beep,
// message boxes, focus, file dialogs and the progress window. The Qt window, the
// command-line tool and the tests each provide one.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pagerprog {

// A file dialog's filter entries ("caption", "pattern") and default extension.
struct FileDialogSpec {
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension;
};

// The dialogs of "&Open", "&Save" and the debug dump: ".eep", ".bin", "*.*"; "eep".
FileDialogSpec settingsFileDialog();

class Host {
public:
    virtual ~Host() = default;

    // One line appended to the status log.
    virtual void log(const std::string& line) = 0;
    // The system's default alert sound.
    virtual void beep() = 0;
    // A modal message box with this text.
    virtual void messageBox(const std::string& text) = 0;
    // Put the input focus into the named field.
    virtual void requestFocus(const std::string& field) = 0;

    // The open and save dialogs: the chosen path, or nothing when cancelled.
    // The save dialog never asks before replacing a file.
    virtual std::optional<std::string> openFileDialog(const FileDialogSpec& request) = 0;
    virtual std::optional<std::string> saveFileDialog(const FileDialogSpec& request) = 0;

    // The progress window shown while a pager is read or written.
    virtual void progressShow() = 0;
    virtual void progressHide() = 0;
    virtual void progressCaption(const std::string& caption) = 0;
    virtual void progressRange(int minimum, int maximum) = 0;
    virtual void progressPosition(int position) = 0;
    // Advance the bar by `count` steps.
    virtual void progressStep(int count) = 0;
};

}  // namespace pagerprog
