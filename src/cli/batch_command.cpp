#include "cli/batch_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <thread>

#include "app/pager/capcode_check.h"
#include "app/pager/pager_workflows.h"
#include "app/production/production.h"
#include "app/record/text_escaping.h"
#include "cli/capcode_rows.h"
#include "cli/exit_status.h"
#include "cli/field_edit.h"
#include "cli/settings_commands.h"
#include "context/context.h"

namespace pagerprog::cli {

using namespace exit_status;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(500);

// Ctrl-C asks the batch to stop; the pager being written is finished first.
std::atomic<bool> stopAsked{false};
extern "C" void askToStop(int) { stopAsked = true; }

class InterruptWatch {
public:
    InterruptWatch() {
        stopAsked = false;
        struct sigaction action {};
        action.sa_handler = askToStop;
        sigemptyset(&action.sa_mask);
        // No restart: a wait for Enter ends at Ctrl-C.
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptWatch() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    struct sigaction previous_ {};
};

struct UnitResult {
    int unit = 0;
    SlotCapcodes capcodes{};
    PagerOutcome outcome = PagerOutcome::Done;
};

std::string outcomeText(PagerOutcome outcome) {
    switch (outcome) {
        case PagerOutcome::Done: return "verified";
        case PagerOutcome::VerifyFailed: return "verify failed";
        case PagerOutcome::NotWritten: return "not written";
        case PagerOutcome::NoAnswer: return "no pager answered";
        case PagerOutcome::ProgrammerFailed: return "programmer error";
        case PagerOutcome::BadImage: return "pager image bad";
        case PagerOutcome::OtherCustomer: return "pager of another customer";
        case PagerOutcome::Refused: return "refused";
        case PagerOutcome::Cancelled: return "cancelled";
    }
    return "refused";
}

// "address1=2004000 address2=2004008" for the enabled slots of the revision.
std::string capcodesText(const SlotCapcodes& capcodes, int slots) {
    std::string text;
    for (int slot = 1; slot <= slots; ++slot) {
        const SlotCapcode& c = capcodes[static_cast<std::size_t>(slot - 1)];
        if (!c.enabled) continue;
        if (!text.empty()) text += ' ';
        text += field::address(slot) + "=" + std::to_string(c.capcode);
    }
    return text;
}

std::string capcodesJson(const SlotCapcodes& capcodes, int slots) {
    std::string text = "{";
    bool first = true;
    for (int slot = 1; slot <= slots; ++slot) {
        const SlotCapcode& c = capcodes[static_cast<std::size_t>(slot - 1)];
        if (!c.enabled) continue;
        text += (first ? "\"" : ", \"") + field::address(slot) + "\": " + std::to_string(c.capcode);
        first = false;
    }
    return text + "}";
}

// One batch of pagers: the settings loaded, the edits applied, the record holding the batch.
class Batch {
public:
    Batch(Session& session, const Options& options) : session_(session), options_(options) {}

    int run();

private:
    int begin();
    bool resume(const BatchState& state);
    bool stepLikeTheBatch(const BatchState& state);
    bool enoughRows() const;
    int nextUnit(int number);
    bool applyRow(const CapcodeRow& row);
    std::vector<int> ownSlots() const;
    bool capcodesAreNew();
    bool waitForPager(int number);
    bool waitUntilAnswering(bool answering, const std::string& notice);
    int stop(int status, const std::string& why);
    int finish(int status);
    std::optional<SlotCapcodes> nextCapcodes() const;
    void printUnit(const UnitResult& unit);
    int slots() const { return addressSlots(session_.app().program().hardwareRevision); }

    Session& session_;
    const Options& options_;
    int count_ = 1;
    std::vector<CapcodeRow> rows_;
    std::size_t nextRow_ = 0;
    std::size_t resumeRow_ = 0;  // the row the next pager takes: a failed pager's is taken again
    bool nextRefused_ = false;   // the stepped capcodes are refused, so there is no next pager
    std::vector<UnitResult> units_;
    std::string stopped_;
};

// Every way a started batch ends, a Ctrl-C during a write or a pager that cannot be
// reached included, ends with the summary.
int Batch::run() {
    if (const int status = begin(); status != kOk) return status;
    InterruptWatch interrupts;
    try {
        for (int done = 0; done < count_; ++done) {
            const int status = stopAsked ? stop(kBatchStopped, "Ctrl-C") : nextUnit(done + 1);
            if (status != kOk) return finish(status);
        }
    } catch (const NoDevice& error) {
        std::cerr << "pagerprog-cli: " << error.what() << '\n';
        return finish(stop(kNoAnswer, error.what()));
    } catch (const std::exception& error) {
        std::cerr << "refused: " << error.what() << '\n';
        return finish(stop(kRefused, error.what()));
    }
    return finish(kOk);
}

// Loads the settings and the edits, reads the capcode file, and starts the batch in the
// record or resumes one.
int Batch::begin() {
    if (!promptsAreTheWindows(session_, options_)) return kRefused;
    if (!session_.open(options_.files[0]) || !applyEdits(session_, options_.edits)) return kRefused;
    if (!options_.capcodes.empty()) rows_ = readCapcodeRows(options_.capcodes);
    Production& production = session_.production();
    const ProgramState& program = session_.app().program();
    count_ = options_.count;
    if (options_.resume) {
        const auto state = production.record()->batchState(*options_.resume);
        if (!state) {
            std::cerr << "refused: the production record has no batch " << *options_.resume << '\n';
            return kRefused;
        }
        return resume(*state) && enoughRows() ? kOk : kRefused;
    }
    if (!rows_.empty() && !options_.countGiven) count_ = static_cast<int>(rows_.size());
    if (!enoughRows()) return kRefused;
    BatchStart start;
    start.settingsPath = Production::recordedPath(program.settingsFile);
    start.settingsSha256 = program.settingsFileSha256;
    start.countAsked = count_;
    start.capcodeSource = rows_.empty() ? CapcodeSource::Stepping : CapcodeSource::CsvFile;
    start.csvPath = Production::recordedPath(options_.capcodes);
    start.steps = Production::stepsShown(session_.app().context());
    std::cerr << "batch " << production.startBatch(start) << ": " << count_ << " pager" << (count_ == 1 ? "" : "s")
              << '\n';
    return kOk;
}

// Goes on where a stopped batch ended: the next unit number, and the capcodes after the last
// verified unit's (stepped on, or the next row of the capcode file).
bool Batch::resume(const BatchState& state) {
    const ProgramState& program = session_.app().program();
    if (state.start.settingsSha256 != program.settingsFileSha256) {
        std::cerr << "refused: batch " << state.id << " was started with another settings file ("
                  << state.start.settingsPath << ")\n";
        return false;
    }
    if (!options_.countGiven) count_ = std::max(0, state.start.countAsked - state.verifiedUnits);
    if (state.start.capcodeSource == CapcodeSource::CsvFile && rows_.empty()) {
        std::cerr << "capcodes from " << state.start.csvPath << ", as batch " << state.id << " took them\n";
        rows_ = readCapcodeRows(state.start.csvPath);
    }
    if (rows_.empty() && !stepLikeTheBatch(state)) return false;
    session_.production().resumeBatch(state);
    if (state.csvRow) nextRow_ = resumeRow_ = static_cast<std::size_t>(*state.csvRow);
    if (state.lastCapcodes && rows_.empty()) {
        SettingsModel& m = session_.app().model();
        for (int slot = 1; slot <= kRecordSlots; ++slot)
            m.setText(field::address(slot), std::to_string((*state.lastCapcodes)[std::size_t(slot - 1)].capcode));
        for (int slot = 1; slot <= slots(); ++slot) m.fireExit(field::address(slot));
        session_.workflows().stepAddresses();
    }
    std::cerr << "batch " << state.id << " resumed at unit " << state.nextUnit << ": " << count_ << " pager"
              << (count_ == 1 ? "" : "s") << " to go\n";
    return true;
}

// The steps the batch was started with, unless the command line gives steps of its own:
// without them the next pager would get the capcodes of the last one.
bool Batch::stepLikeTheBatch(const BatchState& state) {
    const bool stepsGiven = std::any_of(options_.edits.begin(), options_.edits.end(),
                                        [](const auto& edit) { return edit.first.starts_with("autoinc"); });
    if (stepsGiven) return true;
    if (!state.start.steps) {
        std::cerr << "refused: batch " << state.id
                  << " was recorded without its capcode steps; give them again (autoinc1=8, say)\n";
        return false;
    }
    FieldEdits steps;
    std::istringstream words(*state.start.steps);
    for (std::string step; words >> step;) {
        const auto equals = step.find('=');
        if (equals != std::string::npos) steps.emplace_back(step.substr(0, equals), step.substr(equals + 1));
    }
    if (!applyEdits(session_, steps)) return false;
    std::cerr << "steps of batch " << state.id << ": " << *state.start.steps << '\n';
    return true;
}

// A capcode file must hold a row for every pager still to come, before the first is written.
bool Batch::enoughRows() const {
    if (rows_.empty()) return true;
    const std::size_t left = rows_.size() - std::min(nextRow_, rows_.size());
    if (left >= static_cast<std::size_t>(count_)) return true;
    std::cerr << "refused: the capcode file has " << left << " row" << (left == 1 ? "" : "s") << " left for " << count_
              << " pager" << (count_ == 1 ? "" : "s") << '\n';
    return false;
}

// One pager: its capcodes (from the capcode file, checked), a wait for it, the write.
int Batch::nextUnit(int number) {
    const int unitNumber = session_.production().nextUnit();
    if (!rows_.empty()) {
        if (nextRow_ >= rows_.size()) return stop(kBatchStopped, "the capcode file has no more rows");
        const CapcodeRow& row = rows_[nextRow_++];
        if (!applyRow(row)) return stop(kBatchStopped, "row " + std::to_string(row.number) + " was refused");
        session_.production().setCsvRow(row.number);
    }
    if (const auto problem = capcodeProblem(session_.app().context())) {
        nextRefused_ = true;
        return stop(kBatchStopped, "the capcodes of the next pager are refused: " + *problem);
    }
    if (!capcodesAreNew()) return stop(kRefused, "a capcode is already in another pager (--unique)");
    if (!waitForPager(number)) {
        return stop(kBatchStopped,
                    stopAsked ? "Ctrl-C" : "the input ended before pager " + std::to_string(number) + " was connected");
    }
    UnitResult unit;
    unit.unit = unitNumber;
    unit.capcodes = Production::capcodesShown(session_.app().context());
    session_.writePager();
    unit.outcome = session_.lastOutcome();
    units_.push_back(unit);
    printUnit(unit);
    if (unit.outcome != PagerOutcome::Done)
        return stop(of(unit.outcome), "unit " + std::to_string(unitNumber) + " " + outcomeText(unit.outcome));
    resumeRow_ = nextRow_;
    return kOk;
}

bool Batch::applyRow(const CapcodeRow& row) {
    for (int slot = 1; slot <= kRecordSlots; ++slot) {
        const auto& cell = row.addresses[static_cast<std::size_t>(slot - 1)];
        if (!cell) continue;
        const EditResult result = applyFieldEdit(session_.app(), session_.host(), field::address(slot), *cell);
        if (result.outcome != EditOutcome::Applied) {
            std::cerr << "refused: row " << row.number << " of " << options_.capcodes << ": " << result.reason << '\n';
            return false;
        }
    }
    return true;
}

// The capcodes that are this pager's own: the slots that step from pager to pager or that
// the capcode file sets. Slots that stay the same through a batch hold capcodes the pagers
// share (a group call), so only when no slot steps is every enabled slot the pager's own.
std::vector<int> Batch::ownSlots() const {
    const SettingsModel& m = session_.app().model();
    std::vector<int> own;
    for (int slot = 1; slot <= slots(); ++slot) {
        const bool fromFile = std::any_of(rows_.begin(), rows_.end(), [slot](const CapcodeRow& row) {
            return row.addresses[static_cast<std::size_t>(slot - 1)].has_value();
        });
        const bool steps = m.text(field::autoinc(slot)) != "0";
        if (fromFile || steps) own.push_back(slot);
    }
    if (own.empty())
        for (int slot = 1; slot <= slots(); ++slot) own.push_back(slot);
    return own;
}

// Warns of an own capcode the record shows verified into another pager; false with --unique.
bool Batch::capcodesAreNew() {
    ProductionRecord& record = *session_.production().record();
    const SlotCapcodes capcodes = Production::capcodesShown(session_.app().context());
    bool fresh = true;
    for (const int slot : ownSlots()) {
        const SlotCapcode& c = capcodes[static_cast<std::size_t>(slot - 1)];
        if (!c.enabled) continue;
        if (const auto earlier = record.verifiedWithCapcode(c.capcode)) {
            std::cerr << (options_.unique ? "refused: " : "warning: ") << field::address(slot) << ' ' << c.capcode
                      << " is already in a pager (record row " << earlier->id << ", " << earlier->unit.time << ")\n";
            fresh = false;
        }
    }
    return fresh || !options_.unique;
}

// Enter between pagers, or, hands-free, the last pager taken out and the next put in.
bool Batch::waitForPager(int number) {
    if (options_.handsFree) {
        if (number > 1 && !waitUntilAnswering(false, "Take pager " + std::to_string(number - 1) + " out")) return false;
        return waitUntilAnswering(true,
                                  "Put pager " + std::to_string(number) + " of " + std::to_string(count_) + " in");
    }
    if (number == 1) return true;
    std::cerr << "Connect pager " << number << " of " << count_ << " and press Enter" << std::endl;
    std::string line;
    if (std::getline(std::cin, line)) return !stopAsked;
    std::cin.clear();
    return false;
}

bool Batch::waitUntilAnswering(bool answering, const std::string& notice) {
    bool told = false;
    while (!stopAsked) {
        if (session_.pagerAnswers() == answering) return true;
        if (!told) std::cerr << notice << std::endl;
        told = true;
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

int Batch::stop(int status, const std::string& why) {
    stopped_ = why;
    return status;
}

void Batch::printUnit(const UnitResult& unit) {
    if (options_.json) return;
    std::cout << "unit " << unit.unit << ": " << capcodesText(unit.capcodes, slots()) << ": "
              << outcomeText(unit.outcome) << std::endl;
}

// What the next pager would get: none when the stepped capcodes are refused; with a capcode
// file, its next row rather than what the fields hold after a row was cut short.
std::optional<SlotCapcodes> Batch::nextCapcodes() const {
    if (nextRefused_ || !rows_.empty()) return std::nullopt;
    return Production::capcodesShown(session_.app().context());
}

// The summary: pagers written and verified, the one that failed, why the batch stopped and
// the capcodes the next pager will get.
int Batch::finish(int status) {
    Production& production = session_.production();
    int verified = 0;
    for (const UnitResult& unit : units_) verified += unit.outcome == PagerOutcome::Done;
    const std::optional<SlotCapcodes> next = nextCapcodes();
    const int nextRow = resumeRow_ < rows_.size() ? rows_[resumeRow_].number : 0;  // rows count from 1
    const std::int64_t batch = production.batch().value_or(0);
    if (options_.json) {
        std::cout << "{\"batch\": " << batch << ", \"asked\": " << count_ << ", \"verified\": " << verified
                  << ", \"units\": [";
        for (std::size_t i = 0; i < units_.size(); ++i) {
            const UnitResult& unit = units_[i];
            std::cout << (i ? ", " : "") << "{\"unit\": " << unit.unit
                      << ", \"capcodes\": " << capcodesJson(unit.capcodes, slots())
                      << ", \"outcome\": " << jsonString(outcomeText(unit.outcome)) << "}";
        }
        std::cout << "], \"stopped\": " << (stopped_.empty() ? "null" : jsonString(stopped_))
                  << ", \"next\": " << (next ? capcodesJson(*next, slots()) : "null")
                  << ", \"next_row\": " << (nextRow ? std::to_string(nextRow) : "null") << "}" << std::endl;
        return status;
    }
    std::cout << "batch " << batch << ": " << verified << " of " << count_ << " pager" << (count_ == 1 ? "" : "s")
              << " written and verified";
    for (const UnitResult& unit : units_) {
        if (unit.outcome != PagerOutcome::Done) std::cout << "; unit " << unit.unit << " " << outcomeText(unit.outcome);
    }
    std::cout << '\n';
    if (!stopped_.empty()) std::cout << "stopped: " << stopped_ << '\n';
    if (next) {
        std::cout << "next: " << capcodesText(*next, slots()) << std::endl;
    } else if (nextRow) {
        std::cout << "next: row " << nextRow << " of the capcode file" << std::endl;
    } else {
        std::cout << "next: none" << std::endl;
    }
    return status;
}

}  // namespace

int write(Session& session, const Options& options) { return Batch(session, options).run(); }

}  // namespace pagerprog::cli
