// No lost edits: the window knows when its settings differ from the last file opened or
// saved or pager read, asks before "&Exit", "&Open" and "&RD_From_Pager" drop them, and
// names its file in the title; Save As, the recent files, a file from the command line
// or dropped on the window, the About dialog, the guide and the menu keys.
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "app/document/version.h"
#include "gui/program_start.h"
#include "link/sim/simulated_devices.h"
#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

class WindowDocumentTest : public WindowTest {
protected:
    std::string path(const std::string& name) {
        return QFile::encodeName(dir_.filePath(QString::fromStdString(name))).toStdString();
    }

    // Saves the settings to `name` through "&Save"; the settings then hold no edits.
    std::string saveTo(const std::string& name) {
        desktop_.saveAnswer = path(name);
        chooseMenu(element::save);
        return *desktop_.saveAnswer;
    }
    void edit() { typeOver("pubbox5", "CHANGED"); }
    // The title the profiles set, which a loaded file or read pager may change.
    QString title() { return QString::fromStdString(model().title()); }
    bool edited() { return model().text("pubbox5") == "CHANGED"; }

private:
    QTemporaryDir dir_;
};

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct PromptCase {
    const char* command;
    SaveChoice answer;
};

class UnsavedEditsPrompt : public WindowDocumentTest, public testing::WithParamInterface<PromptCase> {};

// Each command that drops the settings asks first; Save saves them where they came from
// and goes on, Discard goes on, Cancel keeps the edits and does nothing else.
TEST_P(UnsavedEditsPrompt, AsksBeforeDroppingEdits) {
    const auto [command, answer] = GetParam();
    const std::string file = saveTo("batch.eep");
    const std::vector<char> savedBytes = fileBytes(file);
    edit();
    desktop_.openAnswer = file;
    desktop_.saveChangesAnswer = answer;
    const int shutDowns = session().link().simulated()->port.shutDowns;
    const std::size_t saveDialogs = desktop_.saveDialogs.size();
    chooseMenu(command);

    ASSERT_EQ(desktop_.saveChangesAsked, std::vector<std::string>{file});
    // Saved straight into the file the settings came from, without a dialog.
    EXPECT_EQ(desktop_.saveDialogs.size(), saveDialogs);
    EXPECT_EQ(fileBytes(file) != savedBytes, answer == SaveChoice::Save);
    const bool ran = answer != SaveChoice::Cancel;
    if (std::string(command) == element::exit) {
        EXPECT_EQ(session().link().simulated()->port.shutDowns, shutDowns + (ran ? 1 : 0));
        EXPECT_EQ(window().isVisible(), !ran);
    } else if (std::string(command) == element::open) {
        EXPECT_EQ(logCount("File loaded"), ran ? 1 : 0);
        EXPECT_EQ(edited(), answer == SaveChoice::Save || answer == SaveChoice::Cancel);
    } else {
        EXPECT_EQ(logCount("Read completed"), ran ? 1 : 0);
        EXPECT_EQ(edited(), answer == SaveChoice::Cancel);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryPathAndAnswer, UnsavedEditsPrompt,
    testing::Values(PromptCase{element::exit, SaveChoice::Save}, PromptCase{element::exit, SaveChoice::Discard},
                    PromptCase{element::exit, SaveChoice::Cancel}, PromptCase{element::open, SaveChoice::Save},
                    PromptCase{element::open, SaveChoice::Discard}, PromptCase{element::open, SaveChoice::Cancel},
                    PromptCase{element::readFromPager, SaveChoice::Save},
                    PromptCase{element::readFromPager, SaveChoice::Discard},
                    PromptCase{element::readFromPager, SaveChoice::Cancel}));

TEST_F(WindowDocumentTest, NothingIsAskedWithoutEditsAndClosingAsksToo) {
    saveTo("batch.eep");
    chooseMenu(element::readFromPager);
    desktop_.openAnswer = path("batch.eep");
    chooseMenu(element::open);
    EXPECT_TRUE(desktop_.saveChangesAsked.empty());
    edit();
    desktop_.saveChangesAnswer = SaveChoice::Cancel;
    window().close();
    EXPECT_EQ(desktop_.saveChangesAsked.size(), 1u);
    EXPECT_TRUE(window().isVisible());
}

TEST_F(WindowDocumentTest, TitleNamesTheFileAndMarksEdits) {
    EXPECT_EQ(window().windowTitle(), title());
    typeOver("pubbox5", "SAVED");
    settle();
    EXPECT_EQ(window().windowTitle(), title() + " *");
    saveTo("batch.eep");
    EXPECT_EQ(window().windowTitle(), title() + " - batch.eep");
    edit();
    settle();
    EXPECT_EQ(window().windowTitle(), title() + " - batch.eep *");
    // Typing the saved text back is no edit any more.
    typeOver("pubbox5", "SAVED");
    settle();
    EXPECT_EQ(window().windowTitle(), title() + " - batch.eep");
    // A pager read: the settings no longer come from the file.
    chooseMenu(element::readFromPager);
    EXPECT_EQ(window().windowTitle(), title());
}

TEST_F(WindowDocumentTest, SaveAsStartsAtTheFileAndMakesTheNewOneCurrent) {
    const std::string first = saveTo("first.eep");
    desktop_.saveAsAnswer = path("second.eep");
    chooseMenu(element::saveAs);
    EXPECT_EQ(desktop_.saveAsStarts, std::vector<std::string>{first});
    EXPECT_EQ(logCount(QString::fromStdString("Save data to " + *desktop_.saveAsAnswer)), 1);
    EXPECT_EQ(fileBytes(*desktop_.saveAsAnswer), fileBytes(first));
    EXPECT_EQ(window().windowTitle(), title() + " - second.eep");
    // Cancelled: nothing saved, nothing logged.
    const QStringList before = logLines();
    desktop_.saveAsAnswer.reset();
    chooseMenu(element::saveAs);
    EXPECT_EQ(logLines(), before);
}

TEST_F(WindowDocumentTest, RecentFilesKeepTheLastEightNewestFirstAndOpenThem) {
    EXPECT_FALSE(window().menuAction(element::recentFiles)->isEnabled());
    for (int n = 1; n <= 9; ++n) saveTo("file" + std::to_string(n) + ".eep");
    ASSERT_EQ(session().recentFiles().paths().size(), 8u);
    EXPECT_EQ(session().recentFiles().paths().front(), path("file9.eep"));
    EXPECT_EQ(session().recentFiles().paths().back(), path("file2.eep"));
    EXPECT_TRUE(window().menuAction(element::recentFiles)->isEnabled());
    QAction* third = window().menuAction(element::recentFile(3));
    EXPECT_TRUE(third->isVisible());
    EXPECT_TRUE(third->text().startsWith("&3 ")) << third->text().toStdString();
    EXPECT_TRUE(third->text().endsWith("file7.eep")) << third->text().toStdString();

    chooseMenu(element::recentFile(3));
    EXPECT_EQ(logCount(QString::fromStdString("Load data from " + path("file7.eep"))), 1);
    EXPECT_EQ(session().recentFiles().paths().front(), path("file7.eep"));
    EXPECT_TRUE(desktop_.openDialogs.empty());

    // A file that has gone is taken off once it failed to open.
    std::filesystem::remove(path("file8.eep"));
    chooseMenu(element::recentFile(3));
    EXPECT_EQ(logCount("Load file error"), 1);
    EXPECT_EQ(session().recentFiles().paths().size(), 7u);
}

TEST_F(WindowDocumentTest, ADroppedSettingsFileIsOpened) {
    const std::string file = saveTo("dropped.eep");
    edit();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(&window(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window(), &drop);
    EXPECT_EQ(desktop_.saveChangesAsked.size(), 1u);
    EXPECT_EQ(logCount("File loaded"), 1);
    EXPECT_FALSE(edited());
    // Anything but one settings file is refused at the door.
    QMimeData text;
    text.setUrls({QUrl::fromLocalFile("/tmp/notes.txt")});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(&window(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

// As `pagerprog --simulate usb --simulate usb --port usb@sim2 FILE` starts: the file opens
// after the start-up sequence, and the programmer in use is the one --port names.
TEST_F(WindowDocumentTest, AFileOnTheCommandLineOpensAfterStartUp) {
    const std::string file = saveTo("start.eep");
    const ProgramOptions options =
        parseProgramOptions({"--simulate", "usb", "--simulate", "usb", "--port", "usb@sim2", file});
    ScriptedDesktop desktop;
    WindowSession started(desktop, options.simulate, options.port);
    ASSERT_TRUE(startWindow(started, options));
    // Opened once the window's first frame is on the screen.
    ASSERT_TRUE(waitFor([&] { return started.window().statusLog().toPlainText().contains("File loaded"); }));
    const QStringList lines = started.window().statusLog().toPlainText().split('\n');
    const auto load = lines.indexOf(QString::fromStdString("Load data from " + file));
    ASSERT_GE(load, 0);
    EXPECT_LT(lines.indexOf("73TV8 USB CapCode Programmer Windows version V7.6"), load);
    EXPECT_EQ(lines.value(load + 1), "File loaded");
    EXPECT_EQ(started.window().windowTitle(), QString::fromStdString(started.app().model().title()) + " - start.eep");
    ASSERT_TRUE(waitFor([&] { return started.window().deviceList().count() == 2; }));
    EXPECT_EQ(started.window().deviceList().item(1)->text(), "Z16 programmer at sim2: in use");
    EXPECT_THROW(parseProgramOptions({"--port", "usb1"}), UsageError);
    started.window().close();
}

TEST_F(WindowDocumentTest, AboutShowsItsDialogBesideTheStatusLogLine) {
    chooseMenu(element::about);
    ASSERT_EQ(desktop_.abouts.size(), 1u);
    const AboutFacts& facts = desktop_.abouts[0];
    EXPECT_EQ(facts.version, kProgramVersion);
    EXPECT_EQ(facts.licence, "GNU General Public License, version 3 or later");
    EXPECT_EQ(facts.connection, "USB programmer (" + session().link().description() + ")");
    EXPECT_EQ(logCount("73TV8 USB CapCode Programmer Windows version V7.6"), 2);
}

TEST_F(WindowDocumentTest, TheGuideOpensFromTheDataFolder) {
    chooseMenu(element::guide);
    ASSERT_EQ(desktop_.guides.size(), 1u);
    EXPECT_TRUE(desktop_.guides[0].ends_with("/guide/pagerprog.html")) << desktop_.guides[0];
    EXPECT_TRUE(std::filesystem::exists(desktop_.guides[0])) << desktop_.guides[0];
}

TEST_F(WindowDocumentTest, MenuItemsHaveTheirKeys) {
    const std::vector<std::pair<const char*, QKeySequence>> keys{
        {element::open, QKeySequence("Ctrl+O")},         {element::save, QKeySequence("Ctrl+S")},
        {element::saveAs, QKeySequence("Ctrl+Shift+S")}, {element::exit, QKeySequence("Ctrl+Q")},
        {element::readFromPager, QKeySequence("F5")},    {element::writeToPager, QKeySequence("F6")},
    };
    for (const auto& [item, key] : keys) EXPECT_EQ(window().menuAction(item)->shortcut(), key) << item;
    EXPECT_TRUE(window().menuAction(element::writeToPager)->toolTip().contains("F6"));
}

}  // namespace
}  // namespace pagerprog::gui::test
