#include "gui/window_session.h"

#include "app/data_folder.h"
#include "app/pager_commands.h"
#include "app/startup.h"
#include "gui/device_watcher.h"
#include "gui/main_window.h"
#include "link/pager_link.h"
#include "settings/error_handler.h"

namespace pagerprog::gui {

namespace {

// Counts an event or command for as long as it runs.
class Running {
public:
    explicit Running(int& count) : count_(count) { ++count_; }
    ~Running() { --count_; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    int& count_;
};

}  // namespace

WindowSession::WindowSession(Desktop& desktop, const std::string& simulate)
    : host_(desktop), app_(host_), link_(simulate), pagerCommands_(app_, link_.link()) {
    window_ = std::make_unique<MainWindow>(app_.model(), *this);
    host_.attach(window_.get());
    devices_ = std::make_unique<DeviceWatcher>(link_.link().hid(), *this, [this] { showDeviceList(); });
}

WindowSession::~WindowSession() = default;

bool WindowSession::start() {
    const bool started = runGuarded(host_, [this] {
        Running running(running_);
        app_.start(StartupOptions{systemDecimalSeparator(), programDataFolder()});
    });
    if (!started) return false;
    if (!link_.description().empty()) host_.log(link_.description());
    devices_->start();
    return true;
}

void WindowSession::runEvent(const std::function<void()>& event) {
    Running running(running_);
    runGuarded(host_, event);
}

void WindowSession::menuCommand(const std::string& item) {
    Running running(running_);
    app_.menuCommand(item);
    if (const std::string problem = link_.takePagerFileError(); !problem.empty()) host_.log(problem);
    showDeviceList();
}

void WindowSession::deviceListClick(int row) {
    runEvent([this, row] { pagerCommands_.presence().DevListBoxClick(row); });
}

void WindowSession::showDeviceList() { window_->showDeviceList(pagerCommands_.presence().devListLines()); }

}  // namespace pagerprog::gui
