// The window tests run headless: one QApplication for all of them, on the offscreen
// platform unless another is asked for, with private runtime and settings folders.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <clocale>

#include "gui/program_start.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QFile::setPermissions(runtimeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
    // The recent files and other user settings, and the production record, go to folders
    // of the test run's own.
    QTemporaryDir configDir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir.path()));
    QTemporaryDir dataDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataDir.path()));
    QApplication application(argc, argv);
    pagerprog::gui::setProgramIdentity();
    std::setlocale(LC_NUMERIC, "C");  // as the program does: the core formats numbers itself
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
