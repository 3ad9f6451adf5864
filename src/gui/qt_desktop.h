// The desktop of the real program: Qt's file dialogs and message boxes, the system's
// web browser for the guide (a window of the program's own when none opens it), and the beep.
#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <functional>

#include "gui/desktop.h"

namespace pagerprog::gui {

class QtDesktop : public Desktop {
public:
    // `browser` opens a page in the system's web browser; false when none did.
    explicit QtDesktop(std::function<bool(const QUrl&)> browser = defaultBrowser);
    ~QtDesktop() override;
    QtDesktop(const QtDesktop&) = delete;
    QtDesktop& operator=(const QtDesktop&) = delete;

    std::optional<std::string> openFile(QWidget* parent, const FileDialogDef& request) override;
    std::optional<std::string> saveFile(QWidget* parent, const FileDialogDef& request, const std::string& own) override;
    std::optional<std::string> saveFileAs(QWidget* parent, const FileDialogDef& request, const std::string& start,
                                          const std::string& own) override;
    std::optional<std::string> chooseProductionRecord(QWidget* parent, const std::string& current) override;
    void message(QWidget* parent, const std::string& text) override;
    std::optional<std::string> askText(QWidget* parent, const std::string& title, const std::string& label,
                                       const std::string& current) override;
    SaveChoice askSaveChanges(QWidget* parent, const std::string& document) override;
    void about(QWidget* parent, const AboutFacts& facts) override;
    bool openGuide(const std::string& path) override;
    void beep() override;

    // The guide's own window, once a browser did not open the guide.
    QTextBrowser* guideWindow() const { return guideWindow_; }

private:
    static bool defaultBrowser(const QUrl& page);

    std::function<bool(const QUrl&)> browser_;
    QPointer<QTextBrowser> guideWindow_;
};

}  // namespace pagerprog::gui
