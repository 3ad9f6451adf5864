// Everything the core needs from the world outside it, in the three parts it really is:
// the status log with its beep, the dialogs and message boxes, and the progress window;
// plus the input focus. Every operation does nothing by default, so a host says only
// what it does: the Qt window, the command-line tool, the test recorder and the
// benchmark each override their own part.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pagerprog {

// A file dialog's filter entries ("caption", "pattern") and default extension.
struct FileDialogDef {
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension;

    bool operator==(const FileDialogDef&) const = default;
};

// The dialogs of "&Open", "&Save" and the debug dump: ".eep", ".bin", "*.*"; "eep".
FileDialogDef settingsFileDialog();

class StatusLog {
public:
    virtual ~StatusLog() = default;
    // One line appended to the status log.
    virtual void log(const std::string&) {}
    // The system's default alert sound.
    virtual void beep() {}
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box with this text.
    virtual void messageBox(const std::string&) {}
    // The open and save dialogs: the chosen path, or nothing when cancelled. The window's save
    // dialog asks before replacing an existing file other than the one the settings came from;
    // the command-line tool answers its dialogs itself.
    virtual std::optional<std::string> openFileDialog(const FileDialogDef&) { return std::nullopt; }
    virtual std::optional<std::string> saveFileDialog(const FileDialogDef&) { return std::nullopt; }
};

// The progress window shown while a pager is read or written.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void progressShow() {}
    virtual void progressHide() {}
    virtual void progressCaption(const std::string&) {}
    virtual void progressRange(int /*minimum*/, int /*maximum*/) {}
    virtual void progressPosition(int) {}
    // Advance the bar by `count` steps.
    virtual void progressStep(int /*count*/) {}
    // A transfer runs in `count` passes over the pager (read-back, write, verify); pass
    // `number`, counted from 1, begins now, the bar starting afresh for it.
    virtual void progressPass(int /*number*/, int /*count*/) {}
    // Asked between passes only: true when the technician asked to stop at the next one.
    virtual bool progressCancelRequested() { return false; }
};

class Host : public StatusLog, public Dialogs, public Progress {
public:
    // Put the input focus into the named field.
    virtual void requestFocus(const std::string&) {}
};

}  // namespace pagerprog
