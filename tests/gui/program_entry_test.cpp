// The program itself: started with a simulated programmer it shows its window and can
// save a picture of it; a command line it does not take ends it at once.
#include <gtest/gtest.h>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "app/document/version.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

QProcessEnvironment offscreen() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    return environment;
}

ProgramRun runProgram(const QStringList& arguments, const QProcessEnvironment& environment = offscreen()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(PAGERPROG_GUI, arguments);
    const bool finished = process.waitForFinished(30000);
    EXPECT_TRUE(finished);
    if (!finished) process.kill();
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST(ProgramEntry, SimulatedProgrammerWindowSavesItsScreenshot) {
    QTemporaryDir dir;
    const QString shot = dir.filePath("window.png");
    // Qt's own arguments are Qt's.
    const ProgramRun run =
        runProgram({"-platform", "offscreen", "--simulate", "usb", "--screenshot", shot, "--delay", "300"});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains("Screenshot saved to " + shot));
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 600);
    EXPECT_GT(image.height(), 400);
}

TEST(ProgramEntry, UnknownSimulationIsAUsageError) {
    const ProgramRun run = runProgram({"--simulate", "serial"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, "pagerprog: --simulate takes usb or lpt, not serial (pagerprog --help tells the usage)\n");
}

// Told in one line, before the window system is needed: also without any display.
TEST(ProgramEntry, UnknownArgumentIsAUsageErrorWithOrWithoutADisplay) {
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    noDisplay.remove("DISPLAY");
    noDisplay.remove("WAYLAND_DISPLAY");
    noDisplay.remove("QT_QPA_PLATFORM");
    QProcessEnvironment x11 = noDisplay;
    x11.insert("QT_QPA_PLATFORM", "xcb");
    for (const QProcessEnvironment& environment : {offscreen(), noDisplay, x11}) {
        const ProgramRun run = runProgram({"--frobnicate"}, environment);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.errors, "pagerprog: unknown argument --frobnicate (pagerprog --help tells the usage)\n");
        EXPECT_EQ(runProgram({"--version"}, environment).exitCode, 0);
    }
}

}  // namespace

namespace {

TEST(ProgramEntry, VersionAndUsageComeWithoutAWindow) {
    ProgramRun run = runProgram({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, QString("pagerprog %1\n").arg(pagerprog::kProgramVersion));
    run = runProgram({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains("SETTINGS.eep"));
}

TEST(ProgramEntry, OneSettingsFileAtMost) {
    const ProgramRun run = runProgram({"a.eep", "b.eep"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains("unknown argument b.eep"));
}

}  // namespace
