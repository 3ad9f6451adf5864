// What the window asks of the desktop beyond its own widgets: the file dialogs, modal
// message boxes and questions, the About dialog, the user guide and the alert sound. The
// program uses the Qt ones; tests answer in their place.
#pragma once

#include <optional>
#include <string>

#include "app/document/about_facts.h"
#include "host/host.h"

class QWidget;

namespace pagerprog::gui {

// The answers to "Save changes?".
enum class SaveChoice { Save, Discard, Cancel };

class Desktop {
public:
    virtual ~Desktop() = default;
    // The chosen path in the system's file-name encoding, or nothing when cancelled.
    virtual std::optional<std::string> openFile(QWidget* parent, const FileDialogDef& request) = 0;
    // The save dialogs ask before replacing an existing file other than `own` (the file the
    // settings came from or went to last when they are saved again, else ""). This one starts
    // in the current folder.
    virtual std::optional<std::string> saveFile(QWidget* parent, const FileDialogDef& request,
                                                const std::string& own) = 0;
    // "Save &As..." and the exports: starts at the file `start`.
    virtual std::optional<std::string> saveFileAs(QWidget* parent, const FileDialogDef& request,
                                                  const std::string& start, const std::string& own) = 0;
    // The production record: a file (an existing one is taken as it is, a new one is made)
    // or a server's connection string, starting at `current`.
    virtual std::optional<std::string> chooseProductionRecord(QWidget* parent, const std::string& current) = 0;
    virtual void message(QWidget* parent, const std::string& text) = 0;
    // A line of text asked for under `title`, `label` saying what, starting with `current`;
    // nothing when cancelled.
    virtual std::optional<std::string> askText(QWidget* parent, const std::string& title, const std::string& label,
                                               const std::string& current) = 0;
    // "Save changes?" before edits to `document` (a file name, or "" for none) are dropped.
    virtual SaveChoice askSaveChanges(QWidget* parent, const std::string& document) = 0;
    virtual void about(QWidget* parent, const AboutFacts& facts) = 0;
    // Shows the HTML user guide at `path`; false when no viewer could be started.
    virtual bool openGuide(const std::string& path) = 0;
    virtual void beep() = 0;
};

}  // namespace pagerprog::gui
