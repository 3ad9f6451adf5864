// "&Open" and "&Save" through the window's dialogs.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/document/data_folder.h"
#include "gui/qt_desktop.h"
#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

class WindowFileTest : public WindowTest {
protected:
    std::string path(const char* name) { return QFile::encodeName(dir_.filePath(name)).toStdString(); }

private:
    QTemporaryDir dir_;
};

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(WindowFileTest, SaveWritesTheSettingsThroughTheSaveDialog) {
    desktop_.saveAnswer = path("pager.eep");
    chooseMenu(element::save);
    ASSERT_EQ(desktop_.saveDialogs.size(), 1u);
    const FileDialogDef& request = desktop_.saveDialogs[0];
    const std::vector<std::pair<std::string, std::string>> filters{
        {".eep", "*.eep"}, {".bin", "*.bin"}, {"*.*", "*.*"}};
    EXPECT_EQ(request.filters, filters);
    EXPECT_EQ(request.defaultExtension, "eep");
    EXPECT_EQ(logCount(QString::fromStdString("Save data to " + *desktop_.saveAnswer)), 1);
    EXPECT_EQ(logCount("ok!"), 1);
    EXPECT_EQ(fileBytes(*desktop_.saveAnswer).size(), 2048u);
    // Saved again, the settings replace their own file without a question; nothing else does.
    chooseMenu(element::save);
    EXPECT_EQ(desktop_.saveOwnFiles, (std::vector<std::string>{"", *desktop_.saveAnswer}));
}

TEST_F(WindowFileTest, OpenBringsASavedFileBackIntoTheWindow) {
    desktop_.saveAnswer = path("pager.eep");
    chooseMenu(element::save);
    const QString saved = editor<QLineEdit>("pubbox5")->text();
    typeOver("pubbox5", "CHANGED");
    ASSERT_EQ(model().text("pubbox5"), "CHANGED");
    desktop_.openAnswer = desktop_.saveAnswer;
    chooseMenu(element::open);
    EXPECT_EQ(logCount(QString::fromStdString("Load data from " + *desktop_.openAnswer)), 1);
    EXPECT_EQ(logCount("File loaded"), 1);
    EXPECT_EQ(editor<QLineEdit>("pubbox5")->text(), saved);
    EXPECT_EQ(model().text("pubbox5"), saved.toStdString());
}

TEST_F(WindowFileTest, CancelledDialogsChangeNothing) {
    const QStringList before = logLines();
    chooseMenu(element::open);
    chooseMenu(element::save);
    EXPECT_EQ(desktop_.openDialogs.size(), 1u);
    EXPECT_EQ(desktop_.saveDialogs.size(), 1u);
    EXPECT_EQ(logLines(), before);
}

// The real dialogs: filter entries shown by their captions, default extension "eep",
// files that do not exist yet accepted.
TEST(QtDesktopDialogs, OfferTheSettingsFileFilters) {
    QtDesktop desktop;
    for (const bool saving : {false, true}) {
        QStringList filters;
        QString suffix;
        bool anyFile = false;
        QTimer inspector;
        QObject::connect(&inspector, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            filters = dialog->nameFilters();
            suffix = dialog->defaultSuffix();
            anyFile = dialog->fileMode() == QFileDialog::AnyFile;
            dialog->reject();
        });
        inspector.start(20);
        const auto chosen = saving ? desktop.saveFile(nullptr, settingsFileDialog(), {})
                                   : desktop.openFile(nullptr, settingsFileDialog());
        inspector.stop();
        EXPECT_FALSE(chosen.has_value());
        EXPECT_EQ(filters, QStringList({".eep (*.eep)", ".bin (*.bin)", "*.* (*.*)"}));
        EXPECT_EQ(suffix, "eep");
        EXPECT_TRUE(anyFile);
    }
}

// The real save dialogs with a file chosen in them: an existing file other than the
// settings' own is replaced only when the technician says so (here: no, then cancelled).
TEST(QtDesktopDialogs, SaveAsksBeforeReplacingAnotherExistingFile) {
    QTemporaryDir dir;
    const auto file = [&](const char* name) { return QFile::encodeName(dir.filePath(name)).toStdString(); };
    std::ofstream(file("own.eep")) << "own";
    std::ofstream(file("other.eep")) << "other";
    const struct {
        std::string typed;
        bool saveAs;
        bool asked;
    } cases[] = {{file("other.eep"), false, true},
                 {file("other.eep"), true, true},
                 {file("own.eep"), false, false},
                 {file("own.eep"), true, false},
                 {file("new.eep"), false, false}};
    QtDesktop desktop;
    for (const auto& c : cases) {
        bool asked = false;
        bool typed = false;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* question = qobject_cast<QMessageBox*>(modal)) {
                asked = true;
                question->done(QMessageBox::No);
            } else if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog != nullptr && typed) {
                dialog->reject();
            } else if (dialog != nullptr) {
                typed = true;
                // Its folder, and its name typed over whatever name the dialog started with.
                const QString typed = QFile::decodeName(c.typed.c_str());
                dialog->selectFile(typed);
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QFileInfo(typed).fileName());
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            }
        });
        driver.start(20);
        const auto chosen = c.saveAs
                                ? desktop.saveFileAs(nullptr, settingsFileDialog(), file("own.eep"), file("own.eep"))
                                : desktop.saveFile(nullptr, settingsFileDialog(), file("own.eep"));
        EXPECT_EQ(asked, c.asked) << c.typed;
        EXPECT_EQ(chosen, c.asked ? std::nullopt : std::optional(c.typed)) << c.typed;
    }
}

// Without a web browser the guide opens in a window of the program's own.
TEST(QtDesktopGuide, ShownInItsOwnWindowWhenNoBrowserOpensIt) {
    const std::string guide = programDataFolder() + "/guide/pagerprog.html";
    QtDesktop desktop([](const QUrl&) { return false; });
    ASSERT_TRUE(desktop.openGuide(guide));
    QTextBrowser* window = desktop.guideWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->toPlainText().contains("pagerprog")) << window->toPlainText().left(200).toStdString();
    EXPECT_FALSE(desktop.openGuide(guide + ".missing")) << "the window tells where the guide should be";
}

}  // namespace
}  // namespace pagerprog::gui::test
