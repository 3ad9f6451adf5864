// What a batch on the command line takes from one programmer or a gang alike: Ctrl-C
// asking it to stop, the batch begun from the command line, edits typed as on the command
// line, and capcodes as the result lines write them.
#pragma once

#include <signal.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "app/production/batch_station.h"
#include "app/record/json_text.h"
#include "app/record/record_types.h"

namespace pagerprog {
class Application;
}

namespace pagerprog::cli {

class CliHost;
class Session;
struct Options;

// Set once Ctrl-C asked the batch to stop; the pager being written is finished first.
extern std::atomic<bool> stopAsked;

// Ctrl-C sets stopAsked while this lives, and says at once that the batch will stop.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    struct sigaction previous_ {};
};

// Loads the settings file and starts the batch with the command line's edits, or resumes
// one; nothing (after saying why through the front end) when it must not begin.
std::unique_ptr<Batch> beginCommandLineBatch(Session& session, const Options& options, BatchFrontEnd& frontEnd);

// FIELD=VALUE typed as the command line types it: why it was refused, or nothing. An edit
// not understood throws UsageError, as on every other command.
std::optional<std::string> typeCommandLineEdit(Application& app, CliHost& host, const std::string& field,
                                               const std::string& value);

// The enabled slots of the revision, as "address1=2004000 address2=2004008" and in JSON.
std::string capcodesText(const SlotCapcodes& capcodes, int slots);
Json capcodesJson(const SlotCapcodes& capcodes, int slots);

// A unit's result as its result line says it: "verified", "verify failed".
inline std::string_view resultText(PagerOutcome outcome) { return outcomeFacts(outcome).resultText; }

// A batch's summary opens with "batch 4: 2 of 3 pagers written and verified; unit 3 verify
// failed" (or "no batch recorded: ...").
std::string verifiedLine(std::optional<std::int64_t> batch, const Batch::Figures& figures, int count);

// What the next pager gets, closing a batch's summary: its capcodes where they are known,
// else its row of the capcode file, else none.
std::string nextLine(const std::optional<SlotCapcodes>& next, std::optional<int> nextRow, int slots);
void addNext(Json& summary, const std::optional<SlotCapcodes>& next, std::optional<int> nextRow, int slots);

}  // namespace pagerprog::cli
