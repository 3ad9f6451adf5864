#include "gui/window_session.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <cstdlib>
#include <filesystem>

#include "app/document/about_facts.h"
#include "app/document/data_folder.h"
#include "app/document/document.h"
#include "app/document/startup.h"
#include "app/pager/pager_audit.h"
#include "app/pager/pager_commands.h"
#include "app/production/bench_status.h"
#include "app/production/unit_serial.h"
#include "app/record/record_error.h"
#include "app/record/record_location.h"
#include "gui/device_watcher.h"
#include "gui/main_window.h"
#include "gui/pager_audit_dialog.h"
#include "gui/production_log_dialog.h"
#include "gui/stations_dialog.h"
#include "gui/window_gang.h"
#include "host/error_handler.h"
#include "link/pager_link.h"
#include "settings/settings_file.h"

namespace pagerprog::gui {

namespace {

constexpr const char* kRecentFilesKey = "recentFiles";
constexpr const char* kProductionRecordKey = "productionRecord";
constexpr const char* kOperatorKey = "operator";

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

// The recent files live in the user's settings of the program, in the system's
// file-name encoding.
RecentFiles loadRecentFiles() {
    std::vector<std::string> paths;
    for (const QString& path : QSettings().value(kRecentFilesKey).toStringList())
        paths.push_back(QFile::encodeName(path).toStdString());
    return RecentFiles(paths);
}

void storeRecentFiles(const RecentFiles& files) {
    QStringList paths;
    for (const auto& path : files.paths()) paths << QFile::decodeName(path.c_str());
    QSettings().setValue(kRecentFilesKey, paths);
}

std::string homeFolder() { return QFile::encodeName(QDir::homePath()).toStdString(); }

// The number of an "Open &Recent" item, from its element name.
std::optional<int> recentNumber(const std::string& item) {
    for (int n = 1; n <= element::kRecentFiles; ++n) {
        if (item == element::recentFile(n)) return n;
    }
    return std::nullopt;
}

bool dropsEdits(const std::string& item) {
    return item == element::exit || item == element::open || item == element::readFromPager;
}

}  // namespace

WindowSession::WindowSession(Desktop& desktop, const std::vector<std::string>& simulate,
                             const std::optional<PortName>& port)
    : desktop_(desktop),
      host_(desktop, [this] { return documentPath(app_.context()); }),
      app_(host_),
      link_(simulate),
      pagerCommands_(app_, link_.link()),
      productionLog_(pagerCommands_.production()),
      port_(port) {
    if (port_ && port_->kind == PortName::Kind::Usb) pagerCommands_.presence().wantPort(port_->usbPort);
    window_ = std::make_unique<MainWindow>(app_.model(), *this);
    host_.attach(window_.get());
    devices_ = std::make_unique<DeviceWatcher>(link_.link().hid(), *this, [this] { showBench(); });
}

WindowSession::~WindowSession() = default;

bool WindowSession::start() {
    const bool started = runGuarded(host_, [this] {
        Running running(running_);
        app_.start(StartupOptions{systemDecimalSeparator(), programDataFolder()});
        if (port_ && !port_->usb())
            app_.menuCommand(port_->base == parallel_port::lpt1.base ? element::lpt1 : element::lpt2);
    });
    if (!started) return false;
    if (!link_.description().empty()) host_.log(link_.description());
    return true;
}

void WindowSession::finishStart() {
    recent_ = loadRecentFiles();
    // PAGERPROG_DB names the record of every session started with it; else the one chosen last.
    const QString chosen = QSettings().value(kProductionRecordKey).toString();
    const bool named = std::getenv("PAGERPROG_DB") != nullptr && *std::getenv("PAGERPROG_DB") != '\0';
    openProductionRecord(chosen.isEmpty() || named ? defaultRecordLocation()
                                                   : RecordLocation::parse(QFile::encodeName(chosen).toStdString()));
    pagerCommands_.production().setOperator(
        checkedOperator(QSettings().value(kOperatorKey).toString().toStdString()).text);
    showDocument();
    showBench();
    devices_->start();
}

void WindowSession::runEvent(const std::function<void()>& event) {
    Running running(running_);
    runGuarded(host_, event);
}

bool WindowSession::menuCommand(const std::string& item) {
    Running running(running_);
    if (dropsEdits(item) && !keepOrDropEdits()) return false;
    if (item == element::saveAs) {
        saveAs();
    } else if (const auto number = recentNumber(item)) {
        openRecent(*number);
    } else if (item == element::guide) {
        showGuide();
    } else if (item == element::productionLog) {
        showProductionLog();
    } else if (item == element::productionRecord) {
        chooseProductionRecord();
    } else if (item == element::productionOperator) {
        chooseOperator();
    } else if (item == element::writeToPager) {
        writePager();
    } else if (item == element::comparePager) {
        comparePager();
    } else if (item == element::gangProgramming) {
        showStations();
    } else {
        app_.menuCommand(item);
        if (const std::string problem = link_.takePagerFileError(); !problem.empty()) host_.log(problem);
        if (item == element::about) showAbout();
    }
    showDocument();
    showBench();
    return true;
}

void WindowSession::deviceListClick(int row) {
    runEvent([this, row] { pagerCommands_.presence().DevListBoxClick(row); });
    showBench();
}

void WindowSession::openFile(const std::string& path) {
    Running running(running_);
    if (keepOrDropEdits()) openPath(path);
    showDocument();
}

bool WindowSession::mayClose() {
    if (busy()) return false;
    Running running(running_);
    const bool agreed = keepOrDropEdits();
    showDocument();
    return agreed;
}

WindowDocument WindowSession::document() {
    const Context& ctx = app_.context();
    return WindowDocument{documentPath(ctx), settingsModified(ctx)};
}

bool WindowSession::keepOrDropEdits() {
    Context& ctx = app_.context();
    if (!settingsModified(ctx)) return true;
    switch (desktop_.askSaveChanges(window_.get(), documentPath(ctx))) {
        case SaveChoice::Save:
            // Saved where they came from, when they came from a file.
            if (!documentPath(ctx).empty()) host_.answerNextSave(documentPath(ctx));
            return app_.menuCommand(element::save);
        case SaveChoice::Discard: return true;
        case SaveChoice::Cancel: break;
    }
    return false;
}

bool WindowSession::openPath(const std::string& path) {
    host_.answerNextOpen(path);
    return app_.menuCommand(element::open);
}

void WindowSession::saveAs() {
    const std::string& document = documentPath(app_.context());
    const auto path = desktop_.saveFileAs(window_.get(), settingsFileDialog(), document, document);
    if (!path) return;
    host_.answerNextSave(*path);
    app_.menuCommand(element::save);
}

void WindowSession::openRecent(int number) {
    const auto index = static_cast<std::size_t>(number - 1);
    if (index >= recent_.paths().size() || !keepOrDropEdits()) return;
    const std::string path = recent_.paths()[index];
    std::error_code error;
    // A file that has gone is taken off the list once the technician has seen it fail.
    if (!openPath(path) && !std::filesystem::exists(path, error)) {
        recent_.remove(path);
        storeRecentFiles(recent_);
    }
}

void WindowSession::showAbout() {
    AboutFacts facts = aboutFacts(app_.context());
    if (!link_.description().empty()) facts.connection += " (" + link_.description() + ")";
    desktop_.about(window_.get(), facts);
}

void WindowSession::showGuide() {
    const std::string guide = (std::filesystem::path(programDataFolder()) / "guide" / "pagerprog.html").string();
    if (!desktop_.openGuide(guide)) desktop_.message(window_.get(), "The user guide is in " + guide);
}

void WindowSession::showDocument() {
    const std::string& path = documentPath(app_.context());
    if (!path.empty() && recent_.add(path)) storeRecentFiles(recent_);
    showRecentFiles(app_.model(), recent_, homeFolder());
    window_->showDocument();
}

void WindowSession::showBench() {
    window_->showDeviceList(pagerCommands_.presence().devListLines());
    window_->benchStatus().show(benchStatus(app_.context(), pagerCommands_, link_.link()));
    if (productionLogDialog_ && productionLogDialog_->isVisible()) productionLogDialog_->refresh();
}

void WindowSession::openProductionRecord(const RecordLocation& location) {
    try {
        pagerCommands_.production().open(location);
    } catch (const RecordError&) {
        // Production keeps the reason; the status bar shows it and writes are refused.
    }
}

void WindowSession::chooseProductionRecord() {
    const RecordLocation& current = pagerCommands_.production().location();
    const auto chosen = desktop_.chooseProductionRecord(
        window_.get(), current.onServer() ? current.withoutPassword(current.connection()) : current.path().string());
    if (!chosen) return;
    const RecordLocation location = RecordLocation::parse(*chosen);
    if (location.hasPassword()) {
        desktop_.message(window_.get(),
                         "The production record's server takes its password from ~/.pgpass, a service file or "
                         "PGPASSWORD, not from its name: nothing was changed.");
        return;
    }
    openProductionRecord(location);
    QSettings().setValue(kProductionRecordKey, QFile::decodeName(chosen->c_str()));
}

void WindowSession::showProductionLog() {
    if (!productionLogDialog_) {
        productionLogDialog_ = new ProductionLogDialog(
            window_.get(), productionLog_, [this](const std::string& csv) { exportProductionLog(csv); },
            [this](std::int64_t id, QWidget* over) { savePreviousImage(id, over); });
    }
    productionLogDialog_->refresh();
    productionLogDialog_->show();
    productionLogDialog_->raise();
}

void WindowSession::writePager() {
    QLineEdit& entry = window_->unitSerial();
    const CheckedText serial = checkedSerial(entry.text().toStdString());
    if (!serial.taken()) {
        app_.context().logAndBeep("Not written: " + serial.refusal + ".");
        return;
    }
    Production& production = pagerCommands_.production();
    if (ProductionRecord* record = production.record(); record && !serial.text.empty()) {
        try {
            if (const auto earlier = verifiedWithSerial(*record, serial.text))
                host_.log("The serial " + serial.text + " is already in a pager (record row " +
                          std::to_string(earlier->id) + ", " + earlier->unit.time + ").");
        } catch (const RecordError&) {
            // The write says it when the record cannot be used.
        }
    }
    production.setSerial(serial.text);
    const int verified = pagerCommands_.workflows().verifiedWrites();
    app_.menuCommand(element::writeToPager);
    if (pagerCommands_.workflows().verifiedWrites() > verified) entry.clear();
}

void WindowSession::chooseOperator() {
    Production& production = pagerCommands_.production();
    const auto typed = desktop_.askText(
        window_.get(), "Operator",
        "Your name, recorded with every pager beside the account (empty for none):", production.operatorName());
    if (!typed) return;
    const CheckedText name = checkedOperator(*typed);
    if (!name.taken()) {
        desktop_.message(window_.get(), "Not taken: " + name.refusal + ".");
        return;
    }
    production.setOperator(name.text);
    QSettings().setValue(kOperatorKey, QString::fromStdString(name.text));
}

void WindowSession::comparePager() {
    const auto path = desktop_.openFile(window_.get(), settingsFileDialog());
    if (!path) return;
    const LoadedTemplate loaded =
        loadTemplate(app_.context(), *path, StartupOptions{systemDecimalSeparator(), programDataFolder()});
    if (!loaded.fields) {
        std::string why;
        for (const std::string& line : loaded.log) why += "\n" + line;
        desktop_.message(window_.get(), "The pager cannot be compared with " + *path + ":" + why);
        return;
    }
    if (!keepOrDropEdits() || !app_.menuCommand(element::readFromPager)) return;
    if (!pagerAuditDialog_) pagerAuditDialog_ = new PagerAuditDialog(window_.get());
    pagerAuditDialog_->showAudit(auditPager(*loaded.fields, app_.model().fields(), app_.program().hardwareRevision),
                                 *path);
}

void WindowSession::showStations() {
    gang_ = std::make_unique<WindowGang>(app_.context(), link_, pagerCommands_.production(), programDataFolder());
    stations_ = new StationsDialog(window_.get(), *gang_, [this](const std::string& line) { host_.log(line); });
    stations_->setAttribute(Qt::WA_DeleteOnClose);
    stations_->setWindowModality(Qt::WindowModal);
    ++running_;
    QObject::connect(stations_, &QDialog::finished, window_.get(), [this] {
        --running_;
        stations_ = nullptr;
        gang_.reset();
        showDocument();
        showBench();
    });
    stations_->show();
}

// The CSV file replaces the old one only once it is written whole.
void WindowSession::exportProductionLog(const std::string& csv) {
    const FileDialogDef csvFiles{{{"CSV files", "*.csv"}, {"All files", "*.*"}}, "csv"};
    const auto path = desktop_.saveFileAs(productionLogDialog_, csvFiles, "production.csv", {});
    if (!path) return;
    QSaveFile file(QFile::decodeName(path->c_str()));
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size()) &&
                         file.commit();
    if (!written)
        desktop_.message(productionLogDialog_,
                         "The production log was not exported to " + *path + ": " + file.errorString().toStdString());
}

void WindowSession::savePreviousImage(std::int64_t id, QWidget* over) {
    const std::string unit = "unit " + std::to_string(id);
    const auto image = productionLog_.previousImage(id);
    if (!image) {
        desktop_.message(over, "The production record keeps no image of the pager before " + unit + ".");
        return;
    }
    const auto path = desktop_.saveFileAs(over, settingsFileDialog(), "unit-" + std::to_string(id) + "-before.eep", {});
    if (!path) return;
    const SaveOutcome outcome = writeImageFile(*path, *image);
    if (outcome.saved) {
        host_.log("The pager's image before " + unit + " saved to " + *path);
    } else {
        desktop_.message(over,
                         "The pager's image before " + unit + " was not saved to " + *path + ": " + outcome.error);
    }
}

}  // namespace pagerprog::gui
