// The desktop of the real program: Qt's file dialogs and message boxes, the system's
// web browser for the guide, and the beep.
#pragma once

#include "gui/desktop.h"

namespace pagerprog::gui {

class QtDesktop : public Desktop {
public:
    std::optional<std::string> openFile(QWidget* parent, const FileDialogDef& request) override;
    std::optional<std::string> saveFile(QWidget* parent, const FileDialogDef& request, const std::string& own) override;
    std::optional<std::string> saveFileAs(QWidget* parent, const FileDialogDef& request, const std::string& start,
                                          const std::string& own) override;
    std::optional<std::string> chooseProductionRecord(QWidget* parent, const std::string& current) override;
    void message(QWidget* parent, const std::string& text) override;
    SaveChoice askSaveChanges(QWidget* parent, const std::string& document) override;
    void about(QWidget* parent, const AboutFacts& facts) override;
    bool openGuide(const std::string& path) override;
    void beep() override;
};

}  // namespace pagerprog::gui
