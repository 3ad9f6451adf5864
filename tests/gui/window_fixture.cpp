#include "window_fixture.h"

#include <QApplication>
#include <QSettings>
#include <QTest>

#include "app/production/production.h"
#include "gui/program_start.h"

namespace pagerprog::gui::test {

std::optional<std::string> ScriptedDesktop::openFile(QWidget*, const FileDialogDef& request) {
    openDialogs.push_back(request);
    return openAnswer;
}

std::optional<std::string> ScriptedDesktop::saveFile(QWidget*, const FileDialogDef& request, const std::string& own) {
    saveDialogs.push_back(request);
    saveOwnFiles.push_back(own);
    return saveAnswer;
}

std::optional<std::string> ScriptedDesktop::saveFileAs(QWidget*, const FileDialogDef&, const std::string& start,
                                                       const std::string& own) {
    saveAsStarts.push_back(start);
    saveOwnFiles.push_back(own);
    return saveAsAnswer;
}

SaveChoice ScriptedDesktop::askSaveChanges(QWidget*, const std::string& document) {
    saveChangesAsked.push_back(document);
    return saveChangesAnswer;
}

bool ScriptedDesktop::openGuide(const std::string& path) {
    guides.push_back(path);
    return true;
}

void WindowTest::SetUp() {
    QSettings().clear();  // no recent files from an earlier test

    session_ = std::make_unique<WindowSession>(desktop_, simulate_);
    ASSERT_TRUE(startWindow(*session_, ProgramOptions{}));
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    // The rest of the session starts once the first frame is on the screen.
    ASSERT_TRUE(waitFor([this] { return session_->pagerCommands().production().used(); }));
    // The first device-change event runs once the loop runs.
    if (simulate_.front().starts_with("usb")) {
        ASSERT_TRUE(waitFor([this] { return logCount("USB port is ready.") == 1; }));
    }
    settle();
}

void WindowTest::TearDown() {
    if (session_) window().close();
    session_.reset();
}

QStringList WindowTest::logLines() { return window().statusLog().toPlainText().split('\n'); }

int WindowTest::logCount(const QString& line) { return static_cast<int>(logLines().count(line)); }

bool WindowTest::waitFor(const std::function<bool()>& done, int timeoutMs) { return QTest::qWaitFor(done, timeoutMs); }

void WindowTest::settle() { QTest::qWait(50); }

void WindowTest::clickInto(QWidget* widget) {
    QTabWidget& tabs = window().tabs();
    for (int i = 0; i < tabs.count(); ++i) {
        if (tabs.widget(i)->isAncestorOf(widget)) tabs.setCurrentIndex(i);
    }
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    settle();
}

void WindowTest::typeOver(const std::string& field, const QString& keys) {
    auto* edit = editor<QLineEdit>(field);
    ASSERT_NE(edit, nullptr);
    clickInto(edit);
    ASSERT_EQ(QApplication::focusWidget(), edit) << field;
    edit->selectAll();
    QTest::keyClicks(edit, keys);
}

void WindowTest::chooseMenu(const std::string& element) {
    QAction* action = window().menuAction(element);
    ASSERT_NE(action, nullptr) << element;
    action->trigger();
    settle();
}

}  // namespace pagerprog::gui::test
