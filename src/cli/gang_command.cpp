#include "cli/gang_command.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/pager/pager_detection.h"
#include "app/production/gang.h"
#include "app/production/gang_station.h"
#include "app/production/production.h"
#include "cli/batch_parts.h"
#include "cli/exit_status.h"
#include "cli/shared_lines.h"
#include "context/context.h"
#include "host/plural.h"
#include "link/backend/link_setup.h"
#include "link/pager_link.h"

namespace pagerprog::cli {

using namespace exit_status;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(500);

class CliGang;

// One programmer of the gang: its lines behind its name on standard error, its waits for
// the pager changes, its writes and its counts.
class Member : public BatchFrontEnd {
public:
    Member(CliGang& gang, std::unique_ptr<StationLink> link, const PortName& port);

    // Why it cannot work ("" when it can); what its start said is shown only then.
    std::string setUp();
    GangStation& station() { return station_; }
    int verified() const { return verified_; }
    int failed() const { return failed_; }

    void notice(const std::string& line) override { err_ << line << '\n'; }
    void refusal(const std::string& line) override { console_.error("refused: " + line); }
    void warning(const std::string& line) override { console_.error("warning: " + line); }
    std::optional<std::string> typeEdit(const std::string& field, const std::string& value) override {
        return typeCommandLineEdit(station_.app(), host_, field, value);
    }
    bool stopAsked() override;
    bool waitForPager(std::optional<int> unit, int position) override;
    PagerOutcome writePager() override;
    void unitDone(const UnitResult& result) override;
    std::string programmerLost() override;

private:
    bool waitUntil(bool pagerIn, const std::string& notice);

    CliGang& gang_;
    std::unique_ptr<StationLink> link_;
    LineWriter err_;
    Console console_;
    CliHost host_;
    GangStation station_;
    std::optional<int> lastWritten_;
    std::string lost_;
    int verified_ = 0, failed_ = 0;
};

// The gang as a whole: the batch begun on the session's settings, the programmers chosen
// and set up, their run, and the summary. It speaks for the batch while it begins.
class CliGang : public BatchFrontEnd {
public:
    CliGang(Session& session, const Options& options)
        : session_(session), options_(options), out_(std::cout), err_(std::cerr) {}

    int run();

    Session& session() { return session_; }
    const Options& options() const { return options_; }
    Batch& batch() { return *batch_; }
    SharedLines& out() { return out_; }
    SharedLines& err() { return err_; }
    int slots() const { return addressSlots(session_.app().program().hardwareRevision); }
    // Before a member's pager is written: the batch's number, told once it has one.
    void announceBatch();

    void notice(const std::string& line) override { session_.console().status(line); }
    void refusal(const std::string& line) override { session_.console().error("refused: " + line); }
    void warning(const std::string& line) override { session_.console().error("warning: " + line); }
    std::optional<std::string> typeEdit(const std::string& field, const std::string& value) override {
        return typeCommandLineEdit(session_.app(), session_.host(), field, value);
    }
    // The gang itself programs no pager: its members do.
    bool stopAsked() override { return cli::stopAsked; }
    bool waitForPager(std::optional<int>, int) override { return false; }
    PagerOutcome writePager() override { return PagerOutcome::Refused; }
    void unitDone(const UnitResult&) override {}

private:
    struct Choice {
        PortName port;
        bool named;  // by --port: it must work, or nothing is written
    };
    std::vector<Choice> choose() const;
    int gather();
    int status(const std::vector<GangMemberEnd>& ends) const;
    int finish(const std::vector<GangMemberEnd>& ends, std::chrono::steady_clock::duration elapsed, int status);

    Session& session_;
    const Options& options_;
    SharedLines out_, err_;
    std::unique_ptr<Batch> batch_;
    std::unique_ptr<Gang> gang_;
    std::vector<std::unique_ptr<Member>> members_;
    std::mutex announcing_;
    bool announced_ = false;
};

Member::Member(CliGang& gang, std::unique_ptr<StationLink> link, const PortName& port)
    : gang_(gang),
      link_(std::move(link)),
      err_(gang.err(), port.name() + ": "),
      console_(err_),
      host_(console_, false),
      station_(host_, *link_->link, port) {}

std::string Member::setUp() {
    const Options& options = gang_.options();
    Session& session = gang_.session();
    Production& bench = session.production();
    console_.setVerbosity(Verbosity::Quiet);
    const std::string why =
        station_.setUp(StartupOptions{systemDecimalSeparator(), options.dataDir}, session.app().context(),
                       session.link().timing(), bench.used() ? std::optional(bench.location()) : std::nullopt);
    console_.stepEnded(why.empty());
    console_.setVerbosity(options.verbosity);
    return why;
}

bool Member::stopAsked() { return cli::stopAsked || gang_.batch().stopped(); }

// The first pager of each programmer may be in already; after that, the last one written
// goes out and the next comes in, for whichever unit comes next.
bool Member::waitForPager(std::optional<int>, int) {
    if (lastWritten_ && !waitUntil(false, "Take pager " + std::to_string(*lastWritten_) + " out")) return false;
    return waitUntil(true, "Put the next pager in");
}

bool Member::waitUntil(bool pagerIn, const std::string& notice) {
    bool told = false;
    while (!stopAsked() && !gang_.batch().finished()) {
        const SocketState state = socketState(station_.context(), station_.link());
        if (!state.unreachable.empty()) {
            lost_ = state.unreachable;
            return false;
        }
        if (state.pagerIn == pagerIn) return true;
        if (!told) err_ << notice << '\n';
        told = true;
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

PagerOutcome Member::writePager() {
    gang_.announceBatch();
    const int messages = host_.messageCount();
    const bool done = station_.app().menuCommand(element::writeToPager);
    const std::string problem = gang_.session().linkSetup().takePagerFileError(station_.name());
    if (!problem.empty()) host_.log(problem);
    console_.stepEnded(done && host_.messageCount() == messages);
    return station_.commands().workflows().lastOutcome();
}

void Member::unitDone(const UnitResult& unit) {
    lastWritten_ = unit.unit;
    (unit.outcome == PagerOutcome::Done ? verified_ : failed_)++;
    if (gang_.options().json) return;
    gang_.out().write("unit " + std::to_string(unit.unit) + " on " + unit.programmer + ": " +
                      capcodesText(unit.capcodes, gang_.slots()) + ": " + std::string(resultText(unit.outcome)) + "\n");
}

// After a failed write: a programmer that no longer answers, or answers with an error of
// its own, has failed; one that finds no pager has not.
std::string Member::programmerLost() {
    if (lost_.empty()) lost_ = socketState(station_.context(), station_.link()).unreachable;
    return lost_;
}

void CliGang::announceBatch() {
    std::lock_guard lock(announcing_);
    if (const auto id = session_.production().batch(); id && !announced_) {
        announced_ = true;
        err_.write("batch " + std::to_string(*id) + ": " + plural(batch_->count(), "pager") + "\n");
    }
}

// Those --port names ("usb" standing for every USB programmer no other --port names);
// without --port, every USB programmer and every simulated adapter.
std::vector<CliGang::Choice> CliGang::choose() const {
    std::vector<std::string> attached;
    for (const HidDeviceInfo& device : session_.linkSetup().hidDevices().enumerate()) {
        const bool listed = std::find(attached.begin(), attached.end(), device.portPath) != attached.end();
        if (UsbProgrammer::isProgrammer(device) && !device.portPath.empty() && !listed)
            attached.push_back(device.portPath);
    }
    const auto& ports = options_.ports;
    std::vector<Choice> chosen;
    for (const PortName& port : ports) {
        if (port.kind == PortName::Kind::Usb &&
            std::find(attached.begin(), attached.end(), port.usbPort) == attached.end())
            throw NoDevice("no USB programmer is plugged into " + port.usbPort);
        if (port.kind != PortName::Kind::AnyUsb) chosen.push_back({port, true});
    }
    const bool everyUsb = ports.empty() || std::any_of(ports.begin(), ports.end(), [](const PortName& p) {
                              return p.kind == PortName::Kind::AnyUsb;
                          });
    for (const std::string& path : attached) {
        const PortName port{PortName::Kind::Usb, path, 0};
        if (everyUsb && std::find(ports.begin(), ports.end(), port) == ports.end()) chosen.push_back({port, false});
    }
    if (ports.empty())
        for (const std::uint16_t base : session_.linkSetup().simulatedAdapters())
            chosen.push_back({PortName{PortName::Kind::Parallel, "", base}, false});
    return chosen;
}

// Sets every chosen programmer up; one --port named that cannot work stops the gang before
// any pager is written, one taken by default is left out.
int CliGang::gather() {
    for (const Choice& choice : choose()) {
        auto member = std::make_unique<Member>(*this, session_.linkSetup().stationLink(), choice.port);
        const std::string why = member->setUp();
        if (why.empty()) {
            members_.push_back(std::move(member));
            continue;
        }
        if (choice.named) {
            session_.console().error("pagerprog-cli: " + choice.port.name() + " cannot be used: " + why);
            return kNoAnswer;
        }
        err_.write(choice.port.name() + ": left out of the gang: " + why + "\n");
    }
    if (members_.empty()) {
        session_.console().error("pagerprog-cli: no programmer can be used for the gang");
        return kNoAnswer;
    }
    std::string names;
    for (const auto& member : members_) names += (names.empty() ? "" : ", ") + member->station().name();
    err_.write("gang of " + plural(static_cast<long long>(members_.size()), "programmer") + ": " + names + "\n");
    return kOk;
}

int CliGang::run() {
    batch_ = beginCommandLineBatch(session_, options_, *this);
    if (!batch_) return kRefused;
    gang_ = std::make_unique<Gang>(*batch_, session_.production());
    if (const int gathered = gather(); gathered != kOk) return gathered;
    InterruptWatch interrupts;
    std::vector<GangMember> members;
    for (const auto& member : members_) members.push_back({&member->station(), member.get()});
    const auto ends = gang_->run(members, options_.unique, [this](std::size_t at, const GangMemberEnd& end) {
        const std::string name = members_[at]->station().name();
        if (end.stop == StationStop::ProgrammerLeft) err_.write(name + " left the gang: " + end.leftBecause + "\n");
        if (!end.error.empty()) err_.write(name + ": pagerprog-cli: " + end.error + "\n");
    });
    if (batch_->upcoming() && !batch_->stopped()) batch_->stop("every programmer left the gang");
    return finish(ends, gang_->elapsed(), status(ends));
}

// Ctrl-C, a batch done, or why it stopped: before its first pager an input was refused,
// after it the batch stopped before its count.
int CliGang::status(const std::vector<GangMemberEnd>& ends) const {
    if (cli::stopAsked) return kInterrupted;
    if (!batch_->stopped()) return kOk;
    int attempted = 0;
    for (const GangMemberEnd& end : ends) {
        attempted += end.attempted;
        if (end.stop == StationStop::CapcodeInUse) return kRefused;
    }
    const bool refusedAtOnce = std::any_of(ends.begin(), ends.end(), [](const GangMemberEnd& end) {
        return end.stop == StationStop::CapcodesRefused || end.stop == StationStop::RowRefused;
    });
    return refusedAtOnce && attempted == 0 ? kRefused : kBatchStopped;
}

int CliGang::finish(const std::vector<GangMemberEnd>& ends, std::chrono::steady_clock::duration elapsed, int status) {
    const Batch::Figures figures = batch_->figures();
    Context& ctx = session_.app().context();
    showAddresses(ctx.model, figures.next.addresses);
    // None when the stepped capcodes were refused; with a capcode file, its next row instead.
    const bool nextShown = !figures.nextRefused && batch_->plan().rows.empty();
    const auto next = nextShown ? std::optional(Production::capcodesShown(ctx)) : std::nullopt;
    const double hours = std::chrono::duration<double>(elapsed).count() / 3600;
    const long long perHour = hours > 0 ? static_cast<long long>(figures.verified / hours + 0.5) : 0;
    const auto id = session_.production().batch();
    if (options_.json) {
        Json json{{"batch", id ? Json(*id) : Json()}, {"asked", batch_->count()}, {"verified", figures.verified}};
        json["units"] = Json::array();
        for (const UnitResult& unit : figures.results) {
            json["units"].push_back({{"unit", unit.unit},
                                     {"programmer", jsonText(unit.programmer)},
                                     {"capcodes", capcodesJson(unit.capcodes, slots())},
                                     {"outcome", jsonText(resultText(unit.outcome))}});
        }
        json["programmers"] = Json::array();
        for (std::size_t i = 0; i < members_.size(); ++i) {
            const Member& member = *members_[i];
            json["programmers"].push_back(
                {{"programmer", jsonText(members_[i]->station().name())},
                 {"verified", member.verified()},
                 {"failed", member.failed()},
                 {"left", ends[i].leftBecause.empty() ? Json() : jsonText(ends[i].leftBecause)}});
        }
        json["pagers_per_hour"] = perHour;
        json["stopped"] = figures.stopped.empty() ? Json() : jsonText(figures.stopped);
        addNext(json, next, figures.nextRow, slots());
        std::cout << jsonLine(json, JsonSpacing::Spaced) << std::endl;
        return status;
    }
    std::cout << verifiedLine(id, figures, batch_->count()) << '\n';
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const Member& member = *members_[i];
        std::cout << members_[i]->station().name() << ": " << member.verified() << " verified";
        if (member.failed() != 0) std::cout << ", " << member.failed() << " failed";
        if (!ends[i].leftBecause.empty()) std::cout << ", left the gang (" << ends[i].leftBecause << ")";
        std::cout << '\n';
    }
    std::cout << perHour << " pagers per hour\n";
    if (!figures.stopped.empty()) std::cout << "stopped: " << figures.stopped << '\n';
    std::cout << nextLine(next, figures.nextRow, slots()) << std::endl;
    return status;
}

}  // namespace

int writeGang(Session& session, const Options& options) { return CliGang(session, options).run(); }

}  // namespace pagerprog::cli
