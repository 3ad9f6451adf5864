#include "cli/session.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "app/document/profiles.h"
#include "app/pager/link_tools.h"
#include "app/pager/pager_commands.h"
#include "app/pager/pager_detection.h"
#include "app/production/production.h"
#include "cli/command_table.h"
#include "cli/field_edit.h"
#include "cli/record_reading.h"
#include "host/error_handler.h"
#include "host/plural.h"
#include "link/backend/link_setup.h"
#include "link/pager_link.h"
#include "link/parallel_ports.h"
#include "link/usb_programmer.h"

namespace pagerprog::cli {

Session::Session(const Options& options, Console& console) : host_(console), app_(host_) {
    // A script never saves or writes what it could not have seen.
    app_.program().refuseUnshownValues = true;
    if (options.command->usesPager()) {
        try {
            // A batch's count fills an empty folder of simulated pagers.
            link_ = std::make_unique<LinkSetup>(options.simulate, options.countGiven ? options.count : 0);
        } catch (const std::invalid_argument& error) {
            // The link names what it does not understand in --simulate.
            throw UsageError(error.what());
        }
        pagerCommands_ = std::make_unique<PagerCommands>(app_, link_->link());
    }
    app_.start(StartupOptions{systemDecimalSeparator(), options.dataDir});
    const auto& started = host_.logLines();
    languageFileMissing_ = std::find(started.begin(), started.end(), "Language file error") != started.end();
    if (options.command->recordsUnits()) openRecord(options);
    if (options.customer) pickCustomer(*options.customer);
    if (options.revision) stepToRevision(*options.revision);
    if (link_) {
        choosePort(options);
        attachLinkTools(options);
    }
}

// Every attempt of a pager command is kept; a record that cannot be used stops the command
// before any pager is touched, but for a hands-free batch, which waits for a server away.
void Session::openRecord(const Options& options) {
    const RecordLocation location = recordLocation(options);
    if (location.empty())
        throw std::runtime_error("no production record: give --db PATH (neither XDG_DATA_HOME nor HOME is set)");
    // A command that names a record row takes it from the record: a path without one is a
    // wrong path, not a new record.
    if (options.command->rowOperand && !location.onServer() && !std::filesystem::exists(location.path()))
        throw std::runtime_error("there is no production record at " + location.shown());
    try {
        pagerCommands_->production().open(location);
    } catch (const RecordError& error) {
        if (error.kind() != RecordError::Kind::Unreachable || !options.handsFree) throw;
    }
    pagerCommands_->production().setOperator(options.operatorName);
}

// The same menu commands the window offers; the trace file is the dialog's answer. Like
// the window, the program refuses a trace over the settings file or the record; it also
// keeps the trace off every other file the command reads or writes.
void Session::attachLinkTools(const Options& options) {
    if (options.ackPolling) app_.menuCommand(element::ackPolling);
    if (options.trace.empty()) return;
    std::vector<std::string> used = options.files;
    used.insert(used.end(), {options.capcodes, options.out});
    for (const std::string& simulated : options.simulate)
        if (const auto colon = simulated.find(':'); colon != std::string::npos)
            used.push_back(simulated.substr(colon + 1));
    for (const std::string& file : used) {
        if (sameFile(options.trace, file) || (!file.empty() && file == options.trace))
            throw UsageError("--trace " + options.trace + " would overwrite " + file + ", which the command uses");
    }
    host_.answerSave(options.trace);
    if (!app_.menuCommand(element::busTrace)) throw std::runtime_error("cannot write the trace file " + options.trace);
}

std::string Session::traceFailure() const {
    const LinkTrace* trace = link_ ? link_->link().trace() : nullptr;
    return trace ? trace->failure() : "";
}

Session::~Session() {
    if (link_) app_.menuCommand(element::exit);
}

void Session::pickCustomer(const std::string& name) {
    const auto item = matchingItem(app_.model().field(field::customer).items, name);
    if (!item) throw UsageError("unknown customer " + name);
    app_.model().userPick(field::customer, *item);
}

void Session::stepToRevision(const std::string& name) {
    const auto revision = findRevision(name);
    if (!revision) throw UsageError("unknown revision " + name);
    while (app_.program().hardwareRevision != *revision) switch_modelClick(app_.context());
}

// The USB programmer is taken as the window takes it (the one at the USB port asked for,
// when one was), unless a parallel port was asked for. A gang's programmers each take
// their own.
void Session::choosePort(const Options& options) {
    if (!link_->description().empty()) host_.log(link_->description());
    if (options.gang) return;
    const std::optional<PortName> port = options.ports.empty() ? std::nullopt : std::optional(options.ports.front());
    // The probe looks at every programmer, whichever port it is asked to try.
    const bool probe = options.command->pager == PagerUse::Looks;
    if (port && !port->usb()) {
        app_.menuCommand(port->base == parallel_port::lpt1.base ? element::lpt1 : element::lpt2);
        if (!probe) return;
    }
    ProgrammerPresence& presence = pagerCommands_->presence();
    if (port && port->kind == PortName::Kind::Usb) presence.wantPort(port->usbPort);
    link_->link().hid().start();
    if (!port || !port->usb() || app_.program().usbProgrammerInUse || probe) return;
    if (port->kind == PortName::Kind::AnyUsb) throw NoDevice("no USB programmer is attached");
    const std::string refusal = presence.refusalAt(port->usbPort);
    throw NoDevice(refusal.empty() ? "no USB programmer is plugged into " + port->usbPort
                                   : "the USB programmer at " + port->usbPort + " cannot be used: " + refusal);
}

bool Session::runCommand(const char* item) {
    const int messages = host_.messageCount();
    return app_.menuCommand(item) && host_.messageCount() == messages;
}

bool Session::runStep(const char* item) {
    const bool done = runCommand(item);
    console().stepEnded(done);
    return done;
}

bool Session::open(const std::string& path) {
    host_.answerOpen(path);
    return runStep(element::open);
}

bool Session::save(const std::string& path) {
    // "-" is standard output, written where it points and never replaced.
    host_.answerSave(path == "-" ? "/dev/stdout" : path);
    return runStep(element::save);
}

bool Session::readPager() { return runPagerCommand(element::readFromPager); }
bool Session::writePager() { return runPagerCommand(element::writeToPager); }

bool Session::verifyPager() {
    return runPagerStep([this] { return pagerCommands_->workflows().VerifyPager(); });
}

bool Session::restorePager(const PagerWorkflows::Restore& request) {
    return runPagerStep([&] { return pagerCommands_->workflows().RestorePager(request); });
}

PagerOutcome Session::lastOutcome() const { return pagerCommands_->workflows().lastOutcome(); }

bool Session::pagerAnswers() { return pagerprog::pagerAnswers(app_.context(), link_->link()); }

PagerLink& Session::link() { return link_->link(); }
PagerWorkflows& Session::workflows() { return pagerCommands_->workflows(); }
Production& Session::production() { return pagerCommands_->production(); }

bool Session::runPagerCommand(const char* item) {
    return runPagerStep([this, item] { return runCommand(item); });
}

bool Session::runPagerStep(const std::function<bool()>& step) {
    const int messages = host_.messageCount();
    const long long chunkBytes = host_.chunkBytes();
    bool done = false;
    runGuarded(host_, [&] { done = step(); });
    if (const std::string problem = link_->takePagerFileError(); !problem.empty()) host_.log(problem);
    done = done && host_.messageCount() == messages;
    console().stepEnded(done);
    tellTraffic(chunkBytes);
    return done;
}

void Session::tellTraffic(long long chunkBytesBefore) {
    const ProgramState& program = app_.program();
    if (program.usbProgrammerInUse) {
        const long long bytes = host_.chunkBytes() - chunkBytesBefore;
        const HidDevice* programmer = link().usb().currentDevice();
        console().detail((programmer ? programmerName(*programmer) : std::string("USB programmer")) + ": " +
                         plural(bytes / static_cast<long long>(kChunkSize), "chunk request") + " sent (" +
                         plural(bytes, "byte") + ")");
        return;
    }
    const ParallelPort* port = parallel_port::withBase(program.portBase);
    const BusTiming& t = link().timing();
    char timing[200];
    std::snprintf(timing, sizeof timing,
                  "bus free %u ms, SCL high %u us, SCL low %u us, SDA hold %u us, supply settle %u ms; page writes %s",
                  t.busFreeMs, t.sclHighUs, t.sclLowUs, t.sdaHoldUs, t.supplySettle * 500,
                  t.acknowledgePolling ? "poll the acknowledge" : "wait the bus-free time");
    console().detail(std::string(port ? port->name : "parallel port") + " bus timing: " + timing);
}

}  // namespace pagerprog::cli
