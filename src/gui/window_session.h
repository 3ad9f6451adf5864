// One run of the window program: the host, the application with its settings and
// program state, the pager link (real or simulated devices), the main window and the
// hot-plug watcher, put together in the order start-up needs. Field events and menu
// commands run here one at a time under the error handler. Commands that would drop
// unsaved edits ("&Exit", "&Open", "&RD_From_Pager", closing the window) ask first; the
// window's own additions run here too: "Save &As...", the recent files, the user guide,
// the About dialog, the production log, the choice of the production record and of the
// operator, the unit serial a write records, and the comparison of a pager with a file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/document/application.h"
#include "app/document/recent_files.h"
#include "app/pager/pager_commands.h"
#include "app/production/production_log.h"
#include "gui/desktop.h"
#include "gui/window_events.h"
#include "gui/window_host.h"
#include "link/backend/link_setup.h"
#include "link/port_name.h"

namespace pagerprog::gui {

class DeviceWatcher;
class MainWindow;
class ProductionLogDialog;
class PagerAuditDialog;
class StationsDialog;
class WindowGang;

class WindowSession : public WindowEvents {
public:
    // `simulate` as LinkSetup takes it (std::invalid_argument for any other text); `port`
    // the programmer or parallel port to use (none: the first programmer, else LPT1).
    WindowSession(Desktop& desktop, const std::vector<std::string>& simulate,
                  const std::optional<PortName>& port = std::nullopt);
    ~WindowSession() override;
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    // Runs the start-up sequence and says which simulated device is attached. False when an
    // error escaped start-up (it has been shown).
    bool start();
    // What the window's first frame does not need, once it is shown: the recent files, the
    // production record, the status bar, and the first device-change event.
    void finishStart();

    MainWindow& window() { return *window_; }
    Application& app() { return app_; }
    LinkSetup& link() { return link_; }
    PagerCommands& pagerCommands() { return pagerCommands_; }
    const RecentFiles& recentFiles() const { return recent_; }
    // The production log dialog, once it was opened; the gang's, while it is open.
    ProductionLogDialog* productionLog() { return productionLogDialog_; }
    // The last comparison of a pager with a file, once one was made.
    PagerAuditDialog* pagerAudit() { return pagerAuditDialog_; }
    StationsDialog* stations() { return stations_; }

    void runEvent(const std::function<void()>& event) override;
    bool menuCommand(const std::string& item) override;
    void deviceListClick(int row) override;
    void openFile(const std::string& path) override;
    bool mayClose() override;
    WindowDocument document() override;
    bool busy() const override { return running_ > 0; }

private:
    // "Save changes?" when the settings hold unsaved edits. True when what would drop
    // them may go on: nothing to lose, saved, or dropped on purpose.
    bool keepOrDropEdits();
    // "&Open" with its dialog answered by `path`.
    bool openPath(const std::string& path);
    void saveAs();
    void openRecent(int number);
    void showAbout();
    void showGuide();
    // The file the settings now come from heads the recent files; the window shows both.
    void showDocument();
    // The device list, the status bar and an open production log follow each command and
    // each programmer coming or going.
    void showBench();
    // The production record of the window's settings (the default one at first); a record
    // that cannot be used is shown in the status bar and no pager is written.
    void openProductionRecord(const RecordLocation& location);
    void chooseProductionRecord();
    void showProductionLog();
    // "&WR_To_Pager" with the serial of the "Unit serial" entry, which is cleared once the
    // pager verified.
    void writePager();
    void chooseOperator();
    // "Compare pager with file...": the file chosen, the pager read as "&RD_From_Pager"
    // reads it (asking first about unsaved edits), and the differences shown.
    void comparePager();
    // "Gang programming...": window-modal; the window counts as busy while it is open, so
    // that no hot-plug event reaches a programmer of the gang.
    void showStations();
    void exportProductionLog(const std::string& csv);
    // The pager's image before unit `id` as a settings file, asked over `over`.
    void savePreviousImage(std::int64_t id, QWidget* over);

    Desktop& desktop_;
    WindowHost host_;
    Application app_;
    LinkSetup link_;
    // The link's commands and track bars are attached before start-up sets the timing.
    PagerCommands pagerCommands_;
    RecentFiles recent_;
    ProductionLog productionLog_;
    ProductionLogDialog* productionLogDialog_ = nullptr;  // a child of the window, made when first asked for
    PagerAuditDialog* pagerAuditDialog_ = nullptr;        // the same
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<DeviceWatcher> devices_;
    std::optional<PortName> port_;
    std::unique_ptr<WindowGang> gang_;
    StationsDialog* stations_ = nullptr;
    int running_ = 0;  // events and commands under way, nested ones included, and an open gang
};

}  // namespace pagerprog::gui
