#include "gui/program_start.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>

#include "app/document/data_folder.h"
#include "app/document/version.h"
#include "gui/main_window.h"
#include "gui/window_session.h"

namespace pagerprog::gui {

namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The icon from the desktop's theme when installed there, else the program's own sizes
// beside its data, so that it is sharp at any scale.
QIcon programIcon() {
    QIcon icon;
    const QDir icons(QFile::decodeName(programDataFolder().c_str()) + "/../icons/hicolor");
    for (const int size : kIconSizes) {
        const QString file = icons.filePath(QString("%1x%1/apps/pagerprog.png").arg(size));
        if (QFile::exists(file)) icon.addFile(file, QSize(size, size));
    }
    return QIcon::fromTheme("pagerprog", icon);
}

}  // namespace

void setProgramIdentity() {
    QCoreApplication::setOrganizationName("pagerprog");
    QCoreApplication::setApplicationName("pagerprog");
    QCoreApplication::setApplicationVersion(kProgramVersion);
    QGuiApplication::setDesktopFileName("org.pagerprog.pagerprog");
    QApplication::setWindowIcon(programIcon());
}

bool startWindow(WindowSession& session, const ProgramOptions& options) {
    if (!session.start()) return false;
    session.window().showCentred();
    if (options.file) session.openFile(*options.file);
    return true;
}

}  // namespace pagerprog::gui
