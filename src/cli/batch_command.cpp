#include "cli/batch_command.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/pager/pager_workflows.h"
#include "app/production/production.h"
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

std::string_view resultText(PagerOutcome outcome) { return outcomeFacts(outcome).resultText; }

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
    PagerOutcome writePager() override;
    void unitDone(const UnitResult& result) override;

private:
    int begin();
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
    batch_ = beginCommandLineBatch(session_, options_, *this);
    announced_ = session_.production().batch().has_value();
    return batch_ ? kOk : kRefused;
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
        case StationStop::CapcodeInUse: return kRefused;
        case StationStop::WaitEnded: return cli::stopAsked ? kInterrupted : kBatchStopped;
        case StationStop::PagerFailed: return of(station.lastOutcome());
        case StationStop::RecordFailed:
        case StationStop::ProgrammerLeft: return kBatchStopped;
    }
    return kBatchStopped;
}

std::optional<std::string> CliBatch::typeEdit(const std::string& field, const std::string& value) {
    return typeCommandLineEdit(session_.app(), session_.host(), field, value);
}

// Enter between pagers, or, hands-free, the last pager taken out and the next put in.
bool CliBatch::waitForPager(std::optional<int> unit, int position) {
    const std::string pager = "pager " + std::to_string(*unit) + " of " + lastUnitNumber();  // a bench knows its unit
    if (options_.handsFree) {
        if (lastWritten_ && !waitUntilAnswering(false, "Take pager " + std::to_string(*lastWritten_) + " out"))
            return false;
        return waitUntilAnswering(true, "Put " + pager + " in");
    }
    if (position == 1) return true;
    std::cerr << "Connect " << pager << " and press Enter" << std::endl;
    std::string line;
    if (std::getline(std::cin, line)) return !cli::stopAsked;
    std::cin.clear();
    return false;
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
    std::cout << "unit " << unit.unit << ": " << capcodesText(unit.capcodes, slots()) << ": "
              << resultText(unit.outcome) << std::endl;
}

// The summary: pagers written and verified, the one that failed, why the batch stopped and
// what the next pager will get: none when the stepped capcodes were refused; with a capcode
// file, its next row rather than what the fields hold after a row was cut short.
int CliBatch::finish(int status) {
    const Batch::Figures figures = batch_->figures();
    const bool nextShown = !figures.nextRefused && batch_->plan().rows.empty();
    const SlotCapcodes next = Production::capcodesShown(session_.app().context());
    if (options_.json) {
        Json json{{"batch", batchNumber()}, {"asked", batch_->count()}, {"verified", figures.verified}};
        json["units"] = Json::array();
        for (const UnitResult& unit : figures.results) {
            json["units"].push_back({{"unit", unit.unit},
                                     {"capcodes", capcodesJson(unit.capcodes, slots())},
                                     {"outcome", jsonText(resultText(unit.outcome))}});
        }
        json["stopped"] = figures.stopped.empty() ? Json() : jsonText(figures.stopped);
        json["next"] = nextShown ? capcodesJson(next, slots()) : Json();
        json["next_row"] = figures.nextRow ? Json(*figures.nextRow) : Json();
        std::cout << jsonLine(json, JsonSpacing::Spaced) << std::endl;
        return status;
    }
    const auto id = session_.production().batch();
    std::cout << (id ? "batch " + std::to_string(*id) : std::string("no batch recorded")) << ": " << figures.verified
              << " of " << plural(batch_->count(), "pager") << " written and verified";
    for (const UnitResult& unit : figures.results) {
        if (unit.outcome != PagerOutcome::Done) std::cout << "; unit " << unit.unit << " " << resultText(unit.outcome);
    }
    std::cout << '\n';
    if (!figures.stopped.empty()) std::cout << "stopped: " << figures.stopped << '\n';
    if (nextShown) {
        std::cout << "next: " << capcodesText(next, slots()) << std::endl;
    } else if (figures.nextRow) {
        std::cout << "next: row " << *figures.nextRow << " of the capcode file" << std::endl;
    } else {
        std::cout << "next: none" << std::endl;
    }
    return status;
}

}  // namespace

int write(Session& session, const Options& options) {
    return options.gang ? writeGang(session, options) : CliBatch(session, options).run();
}

}  // namespace pagerprog::cli
