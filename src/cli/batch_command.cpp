#include "cli/batch_command.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/pager/pager_workflows.h"
#include "app/production/production.h"
#include "app/production/unit_serial.h"
#include "app/record/json_text.h"
#include "cli/batch_parts.h"
#include "cli/exit_status.h"
#include "cli/gang_command.h"
#include "context/context.h"
#include "host/plural.h"

namespace pagerprog::cli {

using namespace exit_status;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(500);
// How often a hands-free batch asks again for a production record server that is away.
constexpr auto kRecordRetryInterval = std::chrono::seconds(5);

// One line typed by a scanner (or a technician), ended by Enter. Read byte by byte so that
// a line that never ends holds no more than kLongestScan bytes.
struct ScannedLine {
    std::string text;
    bool ended = false;    // no line came: the input ended (Ctrl-D) or was interrupted
    bool tooLong = false;  // the line was longer than kLongestScan bytes; the rest was dropped
};
constexpr std::size_t kLongestScan = 4096;

ScannedLine readScannedLine(std::istream& in) {
    ScannedLine line;
    char c = 0;
    bool any = false;
    while (in.get(c) && c != '\n') {
        any = true;
        if (line.text.size() < kLongestScan)
            line.text += c;
        else
            line.tooLong = true;
    }
    if (!in) {
        in.clear();
        line.ended = !any;
    }
    // A scanner set to end its lines with CR LF.
    if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    return line;
}

// The command line's side of a batch: the technician's Enter or the pager changes, the
// edits typed as on the command line, the lines on standard output and error.
class CliBatch : public BatchFrontEnd {
public:
    CliBatch(Session& session, const Options& options) : session_(session), options_(options) {}

    int run();

    void notice(const std::string& line) override { session_.console().status(line); }
    void refusal(const std::string& line) override { session_.console().error("refused: " + line); }
    void warning(const std::string& line) override { session_.console().error("warning: " + line); }
    std::optional<std::string> typeEdit(const std::string& field, const std::string& value) override;
    bool stopAsked() override { return cli::stopAsked; }
    bool waitForPager(std::optional<int> unit, int position) override;
    std::string scannedSerial() override { return scanned_; }
    PagerOutcome writePager() override;
    void unitDone(const UnitResult& result) override;
    bool waitForRecord(const std::string& problem) override;

private:
    // How the scans of the pagers' serials ended the batch, if they did.
    enum class ScanEnd { None, Empty, Refused };

    int begin();
    bool takeHooks();
    bool scanSerial(const std::string& pager, const std::string& prompt);
    void announceBatch();
    int status(StationStop stop, const BatchStation& station) const;
    bool waitUntilAnswering(bool answering, const std::string& notice);
    int finish(int status);
    // Null for a batch that never came to write a pager.
    Json batchNumber() const {
        const auto id = session_.production().batch();
        return id ? Json(*id) : Json();
    }
    int slots() const { return addressSlots(session_.app().program().hardwareRevision); }
    std::string lastUnitNumber() const { return std::to_string(batch_->plan().firstUnit + batch_->count() - 1); }

    Session& session_;
    const Options& options_;
    std::unique_ptr<Batch> batch_;
    std::optional<int> lastWritten_;
    bool announced_ = false;
    bool waitingForRecord_ = false;
    std::string scanned_;
    ScanEnd scanEnd_ = ScanEnd::None;
};

// Every way a started batch ends, a Ctrl-C during a write or a pager that cannot be
// reached included, ends with the summary.
int CliBatch::run() {
    if (const int status = begin(); status != kOk) return status;
    InterruptWatch interrupts;
    BatchStation station(session_.app().context(), session_.production(), *batch_, *this, options_.unique);
    try {
        return finish(status(station.run(), station));
    } catch (const NoDevice& error) {
        session_.console().error("pagerprog-cli: " + std::string(error.what()));
        batch_->stop(error.what());
        return finish(kNoAnswer);
    } catch (const std::exception& error) {
        refusal(error.what());
        batch_->stop(error.what());
        return finish(kRefused);
    }
}

// Loads the settings, and starts the batch with its edits or resumes one.
int CliBatch::begin() {
    if (!takeHooks()) return kRefused;
    batch_ = beginCommandLineBatch(session_, options_, *this);
    announced_ = session_.production().batch().has_value();
    return batch_ ? kOk : kRefused;
}

// A hook that cannot run is refused before the first pager, not found out at each one.
bool CliBatch::takeHooks() {
    for (const auto& [which, command] : {std::pair("pre-unit", &options_.preUnit), {"post-unit", &options_.postUnit}}) {
        if (command->empty()) continue;
        if (const std::string problem = hookProblem(*command); !problem.empty()) {
            refusal(std::string("the ") + which + " hook " + problem);
            return false;
        }
    }
    session_.production().setHooks({options_.preUnit, options_.postUnit, options_.hookTimeout});
    return true;
}

// A new batch takes its number when its first pager is about to be written.
void CliBatch::announceBatch() {
    const auto id = session_.production().batch();
    if (announced_ || !id) return;
    announced_ = true;
    notice("batch " + std::to_string(*id) + ": " + plural(batch_->count(), "pager"));
}

// A batch that stopped before its first pager refused an input; after it, it stopped
// before its count.
int CliBatch::status(StationStop stop, const BatchStation& station) const {
    const int stoppedBeforeCount = station.attempted() == 0 ? kRefused : kBatchStopped;
    switch (stop) {
        case StationStop::Done: return batch_->figures().stopped.empty() ? kOk : kBatchStopped;
        case StationStop::CapcodesRefused:
        case StationStop::RowRefused: return stoppedBeforeCount;
        case StationStop::CapcodeInUse:
        case StationStop::SerialInUse: return kRefused;
        case StationStop::HookRefused: return stoppedBeforeCount;
        case StationStop::WaitEnded:
            if (cli::stopAsked) return kInterrupted;
            // An empty scan is how the technician ends a batch of scanned pagers.
            if (scanEnd_ == ScanEnd::Empty) return kOk;
            return scanEnd_ == ScanEnd::Refused ? stoppedBeforeCount : kBatchStopped;
        case StationStop::PagerFailed: return of(station.lastOutcome());
        case StationStop::RecordFailed: return stoppedBeforeCount;
        case StationStop::RecordAway: return kRefused;
        case StationStop::ProgrammerLeft: return kBatchStopped;
    }
    return kBatchStopped;
}

std::optional<std::string> CliBatch::typeEdit(const std::string& field, const std::string& value) {
    return typeCommandLineEdit(session_.app(), session_.host(), field, value);
}

// Hands-free, the batch waits for the production record's server rather than stopping;
// with Enter between pagers, the technician is there to start it again.
bool CliBatch::waitForRecord(const std::string& problem) {
    if (!options_.handsFree) return false;
    if (!waitingForRecord_)
        session_.console().error("waiting: " + problem + "; asking again every " +
                                 std::to_string(kRecordRetryInterval.count()) + " s (Ctrl-C ends the batch)");
    waitingForRecord_ = true;
    const auto until = std::chrono::steady_clock::now() + kRecordRetryInterval;
    while (!cli::stopAsked && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(kPollInterval);
    return !cli::stopAsked;
}

// Enter between pagers, or, hands-free, the last pager taken out and the next put in. With
// --scan, each pager's serial is scanned first; the scanner's Enter is the one between pagers.
// A bench knows the unit it waits for.
bool CliBatch::waitForPager(std::optional<int> unit, int position) {
    if (waitingForRecord_) notice("the production record answers again");
    waitingForRecord_ = false;
    // A joined batch's units are numbered across its benches.
    const std::string pager =
        options_.join ? "the pager of unit " + std::to_string(*unit) + " of batch " + std::to_string(*options_.join)
                      : "pager " + std::to_string(*unit) + " of " + lastUnitNumber();
    if (options_.handsFree) {
        if (lastWritten_ && !waitUntilAnswering(false, "Take pager " + std::to_string(*lastWritten_) + " out"))
            return false;
        if (options_.scan && !scanSerial(pager, "Scan the serial of " + pager)) return false;
        return waitUntilAnswering(true, "Put " + pager + " in");
    }
    if (options_.scan) return scanSerial(pager, "Connect " + pager + " and scan its serial");
    if (position == 1) return true;
    std::cerr << "Connect " << pager << " and press Enter" << std::endl;
    std::string line;
    if (std::getline(std::cin, line)) return !cli::stopAsked;
    std::cin.clear();
    return false;
}

// A serial refused at a terminal is scanned again; from a file or a pipe, whose next line
// belongs to the next pager, it stops the batch before this one.
bool CliBatch::scanSerial(const std::string& pager, const std::string& prompt) {
    scanned_.clear();
    while (true) {
        std::cerr << prompt << " (an empty line ends the batch)" << std::endl;
        const ScannedLine line = readScannedLine(std::cin);
        if (cli::stopAsked) return false;
        const CheckedText serial =
            line.tooLong ? CheckedText{{}, "the scanned line is longer than " + std::to_string(kLongestScan) + " bytes"}
                         : checkedSerial(line.text);
        if (serial.taken() && serial.text.empty()) {
            scanEnd_ = ScanEnd::Empty;
            batch_->stop("no serial scanned for " + pager);
            return false;
        }
        if (serial.taken()) {
            scanned_ = serial.text;
            return true;
        }
        refusal(serial.refusal + " (" + pager + ")");
        if (!isatty(STDIN_FILENO)) {
            scanEnd_ = ScanEnd::Refused;
            batch_->stop("the serial scanned for " + pager + " was refused: " + serial.refusal);
            return false;
        }
    }
}

bool CliBatch::waitUntilAnswering(bool answering, const std::string& notice) {
    bool told = false;
    while (!cli::stopAsked) {
        if (session_.pagerAnswers() == answering) return true;
        if (!told) std::cerr << notice << std::endl;
        told = true;
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

PagerOutcome CliBatch::writePager() {
    session_.writePager();
    return session_.lastOutcome();
}

void CliBatch::unitDone(const UnitResult& unit) {
    announceBatch();
    lastWritten_ = unit.unit;
    if (options_.json) return;
    std::cout << "unit " << unit.unit << (unit.serial.empty() ? "" : ", serial " + unit.serial) << ": "
              << capcodesText(unit.capcodes, slots()) << ": " << resultText(unit.outcome) << std::endl;
}

// The summary: pagers written and verified, the one that failed, why the batch stopped and
// what the next pager will get: none when the stepped capcodes were refused; with a capcode
// file, its next row rather than what the fields hold after a row was cut short.
int CliBatch::finish(int status) {
    const Batch::Figures figures = batch_->figures();
    // None when the stepped capcodes were refused; with a capcode file, its next row instead.
    const bool nextShown = !figures.nextRefused && batch_->plan().rows.empty();
    const auto next = nextShown ? std::optional(Production::capcodesShown(session_.app().context())) : std::nullopt;
    if (options_.json) {
        Json json{{"batch", batchNumber()}, {"asked", batch_->count()}, {"verified", figures.verified}};
        json["units"] = Json::array();
        for (const UnitResult& unit : figures.results) {
            json["units"].push_back({{"unit", unit.unit},
                                     {"serial", unit.serial.empty() ? Json() : jsonText(unit.serial)},
                                     {"capcodes", capcodesJson(unit.capcodes, slots())},
                                     {"outcome", jsonText(resultText(unit.outcome))}});
        }
        json["stopped"] = figures.stopped.empty() ? Json() : jsonText(figures.stopped);
        addNext(json, next, figures.nextRow, slots());
        std::cout << jsonLine(json, JsonSpacing::Spaced) << std::endl;
        return status;
    }
    std::cout << verifiedLine(session_.production().batch(), figures, batch_->count()) << '\n';
    if (!figures.stopped.empty())
        std::cout << (scanEnd_ == ScanEnd::Empty ? "ended: " : "stopped: ") << figures.stopped << '\n';
    std::cout << nextLine(next, figures.nextRow, slots()) << std::endl;
    return status;
}

}  // namespace

int write(Session& session, const Options& options) {
    return options.gang ? writeGang(session, options) : CliBatch(session, options).run();
}

}  // namespace pagerprog::cli
