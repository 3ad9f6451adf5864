// The real window over a simulated programmer or adapter, driven with QTest as a
// technician drives it, with a desktop whose dialogs answer as the test says.
#pragma once

#include <gtest/gtest.h>
#include <QLineEdit>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/desktop.h"
#include "gui/main_window.h"
#include "gui/window_session.h"

namespace pagerprog::gui::test {

// Answers the file dialogs with the paths a test sets (nothing: cancelled) and "Save
// changes?" as the test sets (Discard unless told), and records every dialog, question,
// message box, About dialog, guide and beep.
class ScriptedDesktop : public Desktop {
public:
    std::optional<std::string> openAnswer;
    std::optional<std::string> saveAnswer;
    std::optional<std::string> saveAsAnswer;
    std::optional<std::string> recordAnswer;
    std::optional<std::string> textAnswer;
    SaveChoice saveChangesAnswer = SaveChoice::Discard;
    std::vector<FileDialogDef> openDialogs;
    std::vector<FileDialogDef> saveDialogs;
    std::vector<std::string> saveAsStarts;      // the file each "Save As" dialog started at
    std::vector<std::string> saveOwnFiles;      // the file each save dialog replaces without asking
    std::vector<std::string> saveChangesAsked;  // the document named by each "Save changes?"
    std::vector<std::string> messages;
    std::vector<std::string> textsAsked;  // the current text each question started with
    std::vector<AboutFacts> abouts;
    std::vector<std::string> guides;
    int beeps = 0;

    std::optional<std::string> openFile(QWidget*, const FileDialogDef& request) override;
    std::optional<std::string> saveFile(QWidget*, const FileDialogDef& request, const std::string& own) override;
    std::optional<std::string> saveFileAs(QWidget*, const FileDialogDef&, const std::string& start,
                                          const std::string& own) override;
    std::optional<std::string> chooseProductionRecord(QWidget*, const std::string&) override { return recordAnswer; }
    void message(QWidget*, const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> askText(QWidget*, const std::string&, const std::string&,
                                       const std::string& current) override {
        textsAsked.push_back(current);
        return textAnswer;
    }
    SaveChoice askSaveChanges(QWidget*, const std::string& document) override;
    void about(QWidget*, const AboutFacts& facts) override { abouts.push_back(facts); }
    bool openGuide(const std::string& path) override;
    void beep() override { ++beeps; }
};

class WindowTest : public ::testing::Test {
protected:
    // "usb" or "lpt", as `pagerprog --simulate` takes it, once for each simulated device.
    explicit WindowTest(std::string simulate = "usb") : simulate_{std::move(simulate)} {}
    explicit WindowTest(std::vector<std::string> simulate) : simulate_(std::move(simulate)) {}

    void SetUp() override;
    void TearDown() override;

    MainWindow& window() { return session_->window(); }
    SettingsModel& model() { return session_->app().model(); }
    WindowSession& session() { return *session_; }

    template <typename Widget>
    Widget* editor(const std::string& field) {
        auto* widget = qobject_cast<Widget*>(window().fieldEditor(field));
        EXPECT_NE(widget, nullptr) << field;
        return widget;
    }

    QStringList logLines();
    int logCount(const QString& line);
    // Runs the event loop until `done` holds or `timeoutMs` passes.
    bool waitFor(const std::function<bool()>& done, int timeoutMs = 3000);
    // Lets queued work (focus moves, device polls) run.
    void settle();
    // Shows the field's tab and clicks the field as the technician does, moving the
    // focus there.
    void clickInto(QWidget* widget);
    // Selects the field's whole text and types `keys` into it, key by key.
    void typeOver(const std::string& field, const QString& keys);
    void chooseMenu(const std::string& element);

    ScriptedDesktop desktop_;

private:
    std::vector<std::string> simulate_;
    std::unique_ptr<WindowSession> session_;
};

// The same window over the simulated parallel-port adapter: no programmer attached, so
// the revision can be stepped to the six-address layouts.
class AdapterWindowTest : public WindowTest {
protected:
    AdapterWindowTest() : WindowTest("lpt") {}
};

}  // namespace pagerprog::gui::test
