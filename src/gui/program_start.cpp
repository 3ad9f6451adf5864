#include "gui/program_start.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QTimer>

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

class FirstFrame : public QObject {
public:
    FirstFrame(QWidget& window, std::function<void()> then) : QObject(&window), then_(std::move(then)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Once the painted frame has gone to the screen.
            QTimer::singleShot(0, this, [this] {
                then_();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> then_;
};

}  // namespace

void setProgramIdentity() {
    QCoreApplication::setOrganizationName("pagerprog");
    QCoreApplication::setApplicationName("pagerprog");
    QCoreApplication::setApplicationVersion(kProgramVersion);
    QGuiApplication::setDesktopFileName("org.pagerprog.pagerprog");
}

void afterFirstFrame(QWidget& window, std::function<void()> then) { new FirstFrame(window, std::move(then)); }

bool startWindow(WindowSession& session, const ProgramOptions& options) {
    if (!session.start()) return false;
    // Whatever the first frame does not show waits until it is on the screen.
    afterFirstFrame(session.window(), [&session, file = options.file] {
        session.finishStart();
        QApplication::setWindowIcon(programIcon());
        if (file) session.openFile(*file);
    });
    session.window().showCentred();
    return true;
}

}  // namespace pagerprog::gui
