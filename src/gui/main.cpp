// pagerprog: the window program. Builds the main window over the settings model, runs
// the start-up sequence, and runs the message loop until the window closes.
#include <QApplication>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <exception>
#include <memory>

#include "app/document/version.h"
#include "gui/main_window.h"
#include "gui/program_options.h"
#include "gui/program_start.h"
#include "gui/qt_desktop.h"
#include "gui/window_session.h"

namespace {

using namespace pagerprog::gui;

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

// Saves a picture of the window once it has settled, says where, and ends the program.
void takeScreenshotLater(MainWindow& window, const ProgramOptions& options, int& status) {
    QTimer::singleShot(options.screenshotDelayMs, &window, [&window, &status, path = *options.screenshot] {
        const QString file = QString::fromStdString(path);
        if (window.grab().save(file, "PNG")) {
            std::printf("Screenshot saved to %s\n", path.c_str());
        } else {
            std::fprintf(stderr, "pagerprog: cannot save the screenshot to %s\n", path.c_str());
            status = kFailed;
        }
        std::fflush(stdout);
        // Ends without asking about unsaved edits: there is nobody to answer.
        QCoreApplication::exit(status);
    });
}

// For bench/window_start_bench: once the window's first frame is drawn, "first frame" on
// standard output, and the program ends.
constexpr const char* kFirstFrameVariable = "PAGERPROG_BENCH_FIRST_FRAME";

void reportFirstFrame(QWidget& window) {
    afterFirstFrame(window, [] {
        std::puts("first frame");
        std::fflush(stdout);
        QCoreApplication::exit(kOk);
    });
}

// One line, so that the reason is not lost above the whole usage text.
int usageError(const char* reason) {
    std::fprintf(stderr, "pagerprog: %s (pagerprog --help tells the usage)\n", reason);
    return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // The command line is checked, and the version or usage told, before the window system is
    // needed: without a display Qt would end the program at once.
    ProgramOptions options;
    try {
        options = parseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        return usageError(error.what());
    }
    if (options.help || options.version) {
        if (options.version) std::printf("pagerprog %s\n", pagerprog::kProgramVersion);
        if (options.help) std::printf("%s", kUsageText);
        return kOk;
    }
    QApplication application(argc, argv);
    // Qt takes the user's locale for the C library too; the core formats and parses
    // numbers itself with the system's decimal separator, over the C number format.
    std::setlocale(LC_NUMERIC, "C");
    setProgramIdentity();

    QtDesktop desktop;
    std::unique_ptr<WindowSession> session;
    try {
        session = std::make_unique<WindowSession>(desktop, options.simulate, options.port);
    } catch (const std::invalid_argument& error) {
        return usageError(error.what());
    } catch (const std::exception& error) {
        desktop.message(nullptr, error.what());
        return kFailed;
    }
    // Told before the rest of the session starts.
    if (qEnvironmentVariableIsSet(kFirstFrameVariable)) reportFirstFrame(session->window());
    // An error escaping start-up has been shown; the program ends.
    if (!startWindow(*session, options)) return kFailed;

    int status = kOk;
    if (options.screenshot) takeScreenshotLater(session->window(), options, status);
    const int loop = QApplication::exec();
    return status != kOk ? status : loop;
}
