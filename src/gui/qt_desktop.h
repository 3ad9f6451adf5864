// The desktop of the real program: Qt's file dialogs, message boxes and beep.
#pragma once

#include "gui/desktop.h"

namespace pagerprog::gui {

class QtDesktop : public Desktop {
public:
    std::optional<std::string> openFile(QWidget* parent, const FileDialogSpec& request) override;
    std::optional<std::string> saveFile(QWidget* parent, const FileDialogSpec& request) override;
    void message(QWidget* parent, const std::string& text) override;
    void beep() override;
};

}  // namespace pagerprog::gui
