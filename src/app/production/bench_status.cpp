#include "app/production/bench_status.h"

#include <cctype>
#include <cstdio>

#include "app/pager/pager_commands.h"
#include "context/context.h"
#include "host/plural.h"
#include "link/hid_controller.h"
#include "link/pager_link.h"
#include "link/usb_programmer.h"

namespace pagerprog {

namespace {

std::string capcodeList(const SlotCapcodes& capcodes) {
    std::string text;
    for (const SlotCapcode& slot : capcodes) {
        if (!slot.enabled) continue;
        if (!text.empty()) text += ' ';
        text += std::to_string(slot.capcode);
    }
    return text.empty() ? "none" : text;
}

// "Read", "Write" or "Verify": the record's name of the operation, capitalised.
std::string operationWord(Operation operation) {
    std::string word(operationName(operation));
    word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
    return word;
}

// Why an attempt failed, in the technician's words; a refusal or a cancel repeats what the
// status log said last.
std::string failure(const PagerAttempt& attempt) {
    const auto& differences = attempt.differences;
    if (attempt.outcome == PagerOutcome::VerifyFailed && !differences.empty()) {
        char first[16];
        std::snprintf(first, sizeof first, "0x%03X", unsigned(differences.front().address));
        return plural(static_cast<long long>(differences.size()), "byte differs", "bytes differ") + ", the first at " +
               first;
    }
    if (const std::string_view why = outcomeFacts(attempt.outcome).failure; !why.empty()) return std::string(why);
    return attempt.statusLog.empty() ? "refused" : attempt.statusLog.back();
}

StatusPart result(const Context& ctx, const PagerAttempt& attempt) {
    const std::string operation = operationWord(attempt.operation);
    if (attempt.outcome == PagerOutcome::Done) {
        if (attempt.operation == Operation::Write) {
            // What the technician needs for the next pager first, where a narrow bar still shows it.
            const std::string next = capcodeList(Production::capcodesShown(ctx));
            const std::string written = capcodeList(attempt.capcodes);
            return {"Next: " + next + " \u00b7 verified " + written, Tone::Good,
                    "Verified: " + written + " written; next " + next};
        }
        const std::string text = operation + (attempt.operation == Operation::Read ? " completed" : " OK");
        return {text, Tone::Good, text};
    }
    const char* ended = attempt.outcome == PagerOutcome::Refused     ? " refused: "
                        : attempt.outcome == PagerOutcome::Cancelled ? " cancelled: "
                                                                     : " failed: ";
    const std::string text = operation + ended + failure(attempt);
    return {text, Tone::Bad, text};
}

StatusPart port(const Context& ctx, PagerLink& link) {
    const HidDevice* programmer = link.usb().currentDevice();
    if (ctx.program.usbProgrammerInUse && programmer != nullptr)
        return {"USB programmer: ready", Tone::Good, "USB programmer " + programmer->path()};
    const ParallelPort* parallel = parallel_port::withBase(ctx.program.portBase);
    const std::string port(parallel ? parallel->name : parallel_port::lpt1.name);
    return {port + " adapter", Tone::Plain,
            port + " parallel-port adapter on " + link.port().deviceName(ctx.program.portBase)};
}

// A server as "dbname on host" (the socket's folder for a local one), a file by its name.
std::string shortName(const RecordLocation& location) {
    if (!location.onServer()) return location.path().filename().string();
    const std::string& shown = location.shown();
    const std::string scheme = "postgresql://";
    if (!shown.starts_with(scheme)) return shown;
    const std::size_t slash = shown.find('/', scheme.size()), query = shown.find('?');
    const std::string host = shown.substr(scheme.size(), slash - scheme.size());
    const std::string dbname = shown.substr(slash + 1, query == std::string::npos ? query : query - slash - 1);
    return dbname + " on " + (host.empty() ? "this computer" : host);
}

StatusPart record(const Production& production) {
    if (!production.used()) return {"No production record", Tone::Bad, ""};
    const RecordLocation& location = production.location();
    const std::string shown = location.shown();
    const bool away = production.serverAway();
    if (!production.usable() && !away)
        return {"Record unusable: no pager is written", Tone::Bad,
                "The production record " + shown + " cannot be used (" + production.problem() + ")"};
    const std::int64_t waiting = production.spooled();
    const std::string name = "Record: " + shortName(location);
    if (!away && waiting == 0) return {name, Tone::Plain, shown};
    std::string detail = away ? "The production record's server does not answer: " + production.problem() + "."
                              : "The production record on " + shown + " answers.";
    if (waiting > 0)
        detail += " " + plural(waiting, "unit waits", "units wait") + " in the spool " +
                  production.spool().path().string() + " until the server takes them.";
    return {
        name + (away ? " (server away)" : "") + (waiting > 0 ? " \u00b7 " + std::to_string(waiting) + " in spool" : ""),
        Tone::Warning, detail};
}

}  // namespace

BenchStatus benchStatus(const Context& ctx, PagerCommands& commands, PagerLink& link) {
    BenchStatus status;
    status.port = port(ctx, link);
    if (const auto& attempt = commands.workflows().lastAttempt()) status.result = result(ctx, *attempt);
    const int verified = commands.workflows().verifiedWrites();
    status.verified = {std::to_string(verified) + " verified", Tone::Plain,
                       plural(verified, "pager") + " verified since start"};
    status.record = record(commands.production());
    return status;
}

}  // namespace pagerprog
