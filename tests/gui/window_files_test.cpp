// "&Open" and "&Save" through the window's dialogs.
#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

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
// files that do not exist yet accepted, and no question before replacing a file.
TEST(QtDesktopDialogs, OfferTheSettingsFileFiltersAndNeverAskBeforeReplacing) {
    QtDesktop desktop;
    for (const bool saving : {false, true}) {
        QStringList filters;
        QString suffix;
        bool confirmsOverwrite = true;
        bool anyFile = false;
        QTimer inspector;
        QObject::connect(&inspector, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            filters = dialog->nameFilters();
            suffix = dialog->defaultSuffix();
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            anyFile = dialog->fileMode() == QFileDialog::AnyFile;
            dialog->reject();
        });
        inspector.start(20);
        const auto chosen =
            saving ? desktop.saveFile(nullptr, settingsFileDialog()) : desktop.openFile(nullptr, settingsFileDialog());
        inspector.stop();
        EXPECT_FALSE(chosen.has_value());
        EXPECT_EQ(filters, QStringList({".eep (*.eep)", ".bin (*.bin)", "*.* (*.*)"}));
        EXPECT_EQ(suffix, "eep");
        EXPECT_FALSE(confirmsOverwrite);
        EXPECT_TRUE(anyFile);
    }
}

}  // namespace
}  // namespace pagerprog::gui::test
