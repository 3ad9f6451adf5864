#include "cli/cli_options.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <span>
#include <string_view>

#include "app/production/unit_serial.h"
#include "app/production/yield_report.h"
#include "app/record/record_time.h"
#include "cli/command_table.h"
#include "cli/escapes.h"

namespace pagerprog::cli {

namespace {

template <typename Number>
Number numberOption(std::string_view option, const std::string& text, Number lowest) {
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lowest) {
        throw UsageError(std::string(option) + " takes a whole number of at least " + std::to_string(lowest) +
                         ", not " + text);
    }
    return value;
}

// A serial or operator name as the record keeps it; refused ones are usage errors.
std::string recordedName(const CheckedText& checked, std::string_view option) {
    if (!checked.taken()) throw UsageError(std::string(option) + ": " + checked.refusal);
    if (checked.text.empty()) throw UsageError(std::string(option) + " needs a value, not blanks");
    return checked.text;
}

// Seconds, with a fraction if need be: "10", "0.5".
std::chrono::milliseconds secondsOption(std::string_view option, const std::string& text) {
    constexpr double kLongest = 3600;
    double seconds = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (ec != std::errc() || end != text.data() + text.size() || !(seconds > 0) || seconds > kLongest)
        throw UsageError(std::string(option) + " takes seconds, more than 0 and at most 3600, not " + text);
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}

void setVerbosity(Options& o, Verbosity verbosity) {
    if (o.verbosity != Verbosity::Normal && o.verbosity != verbosity) throw UsageError("-q and -v do not go together");
    o.verbosity = verbosity;
}

using Value = const std::string&;

// One option: its names, whether a value comes with it, and what it sets.
struct OptionDef {
    std::string_view name;
    std::string_view alias;  // the long name of a short option
    bool takesValue;
    void (*apply)(Options&, std::string_view name, Value value);

    bool named(std::string_view word) const { return word == name || (!alias.empty() && word == alias); }
};

// The options before the command.
constexpr OptionDef kGlobalOptions[] = {
    {"--customer", "", true, [](Options& o, std::string_view, Value v) { o.customer = v; }},
    {"--revision", "", true, [](Options& o, std::string_view, Value v) { o.revision = v; }},
    {"--data-dir", "", true, [](Options& o, std::string_view, Value v) { o.dataDir = v; }},
    {"--simulate", "", true, [](Options& o, std::string_view, Value v) { o.simulate.push_back(v); }},
    {"--port", "", true,
     [](Options& o, std::string_view, Value v) {
         const auto port = PortName::parse(v);
         if (!port) throw UsageError("--port takes usb, usb@PORTPATH, lpt1 or lpt2, not " + v);
         if (std::find(o.ports.begin(), o.ports.end(), *port) != o.ports.end())
             throw UsageError("--port " + v + " is given twice");
         o.ports.push_back(*port);
     }},
    {"--trace", "", true, [](Options& o, std::string_view, Value v) { o.trace = v; }},
    {"--ack-polling", "", false, [](Options& o, std::string_view, Value) { o.ackPolling = true; }},
    {"--db", "", true, [](Options& o, std::string_view, Value v) { o.db = v; }},
    {"--operator", "", true,
     [](Options& o, std::string_view name, Value v) { o.operatorName = recordedName(checkedOperator(v), name); }},
    {"--allow-default-prompts", "", false, [](Options& o, std::string_view, Value) { o.allowDefaultPrompts = true; }},
    {"-q", "--quiet", false, [](Options& o, std::string_view, Value) { setVerbosity(o, Verbosity::Quiet); }},
    {"-v", "--verbose", false, [](Options& o, std::string_view, Value) { setVerbosity(o, Verbosity::Verbose); }},
};

// The options after the command; the command table says which command takes which.
constexpr OptionDef kCommandOptions[] = {
    {"-o", "", true, [](Options& o, std::string_view, Value v) { o.out = v; }},
    {"--states", "", false, [](Options& o, std::string_view, Value) { o.states = true; }},
    {"--json", "", false,
     [](Options& o, std::string_view, Value) {
         o.json = true;
         o.format = "json";
     }},
    {"--count", "", true,
     [](Options& o, std::string_view name, Value v) {
         o.count = numberOption(name, v, 1);
         o.countGiven = true;
     }},
    {"--hands-free", "", false, [](Options& o, std::string_view, Value) { o.handsFree = true; }},
    {"--gang", "", false,
     [](Options& o, std::string_view, Value) {
         o.gang = true;
         o.handsFree = true;
     }},
    {"--on-fail", "", true,
     [](Options& o, std::string_view, Value v) {
         const auto onFailure = onFailureFromName(v);
         if (!onFailure) throw UsageError("--on-fail takes reuse or skip, not " + v);
         o.onFailure = *onFailure;
     }},
    {"--capcodes", "", true, [](Options& o, std::string_view, Value v) { o.capcodes = v; }},
    {"--resume", "", true,
     [](Options& o, std::string_view name, Value v) { o.resume = numberOption<std::int64_t>(name, v, 1); }},
    {"--join", "", true,
     [](Options& o, std::string_view name, Value v) { o.join = numberOption<std::int64_t>(name, v, 1); }},
    {"--unique", "", false, [](Options& o, std::string_view, Value) { o.unique = true; }},
    {"--scan", "", false, [](Options& o, std::string_view, Value) { o.scan = true; }},
    {"--serials", "", true, [](Options& o, std::string_view, Value v) { o.serials = v; }},
    {"--pre-unit", "", true, [](Options& o, std::string_view, Value v) { o.preUnit = v; }},
    {"--post-unit", "", true, [](Options& o, std::string_view, Value v) { o.postUnit = v; }},
    {"--hook-timeout", "", true,
     [](Options& o, std::string_view name, Value v) { o.hookTimeout = secondsOption(name, v); }},
    {"--serial", "", true,
     [](Options& o, std::string_view name, Value v) { o.serial = recordedName(checkedSerial(v), name); }},
    {"--print-sql", "", false, [](Options& o, std::string_view, Value) { o.printSql = true; }},
    {"--from", "", true, [](Options& o, std::string_view, Value v) { o.from = v; }},
    {"--force", "", false, [](Options& o, std::string_view, Value) { o.force = true; }},
    {"--batch", "", true,
     [](Options& o, std::string_view name, Value v) { o.batch = numberOption<std::int64_t>(name, v, 1); }},
    {"--since", "", true,
     [](Options& o, std::string_view, Value v) {
         o.since = normalizeUtcTime(v);
         if (!o.since) throw UsageError("--since takes a date (2026-12-08) or a UTC time, not " + v);
     }},
    {"--until", "", true,
     [](Options& o, std::string_view, Value v) {
         o.until = normalizeUtcUntil(v);
         if (!o.until) throw UsageError("--until takes a date (2026-12-08) or a UTC time, not " + v);
     }},
    {"--by", "", true,
     [](Options& o, std::string_view, Value v) {
         if (!reportGroupingFromName(v))
             throw UsageError("--by takes day, batch, bench, programmer or operator, not " + v);
         o.by = v;
     }},
    {"--capcode", "", true,
     [](Options& o, std::string_view name, Value v) { o.capcode = numberOption<std::uint32_t>(name, v, 0); }},
    {"--format", "", true,
     [](Options& o, std::string_view, Value v) {
         if (v != "table" && v != "csv" && v != "json") throw UsageError("--format takes table, csv or json, not " + v);
         o.format = v;
     }},
};

// The words of the command line after the program's name, taken one by one.
class Arguments {
public:
    Arguments(int argc, char** argv) : words_(argv + 1, argv + argc) {}
    bool done() const { return next_ == words_.size(); }
    const std::string& peek() const { return words_[next_]; }
    const std::string& take() { return words_[next_++]; }

private:
    std::vector<std::string> words_;
    std::size_t next_ = 0;
};

bool isOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

// An option word: the option it names and the value joined to it ("--db=PATH", "-oOUT").
struct OptionWord {
    std::string name;
    std::optional<std::string> joined{};
    const OptionDef* def = nullptr;
};

OptionWord readOption(std::span<const OptionDef> table, const std::string& word) {
    OptionWord option{word};
    const std::size_t equals = word.find('=');
    if (word.starts_with("--") && equals != std::string::npos) {
        option = {word.substr(0, equals), word.substr(equals + 1)};
    } else if (!word.starts_with("--") && word.size() > 2) {
        option = {word.substr(0, 2), word.substr(2)};
    }
    for (const OptionDef& def : table)
        if (def.named(option.name)) option.def = &def;
    // Only a short option that takes a value has it joined; "-qv" names no option.
    const bool joinedToFlag = !word.starts_with("--") && option.joined && option.def && !option.def->takesValue;
    if (!option.def || joinedToFlag) return {word};
    return option;
}

// Applies an option known to the table, taking its value from the word or the next one.
void applyOption(const OptionWord& option, Arguments& args, Options& o) {
    std::string value;
    if (!option.def->takesValue) {
        if (option.joined) throw UsageError(option.name + " takes no value");
    } else if (option.joined) {
        value = *option.joined;
    } else if (args.done()) {
        throw UsageError(option.name + " needs a value");
    } else {
        value = args.take();
    }
    // An empty value would quietly mean the default: the default record, the real devices.
    if (option.def->takesValue && value.empty()) throw UsageError(option.name + " needs a value, not an empty one");
    option.def->apply(o, option.name, value);
}

void readGlobalOptions(Arguments& args, Options& o) {
    while (!args.done() && isOption(args.peek())) {
        const std::string& word = args.take();
        if (word == "--") return;
        const OptionWord option = readOption(kGlobalOptions, word);
        if (!option.def) throw UsageError("unknown option " + word);
        applyOption(option, args, o);
    }
}

void readCommand(Arguments& args, Options& o) {
    if (args.done()) throw UsageError("no command");
    const std::string& name = args.take();
    o.command = findCommand(name);
    if (!o.command) throw UsageError("unknown command " + name);
}

// A word after the command that is no option: FIELD=VALUE for a command that takes
// edits, a file otherwise.
void addOperand(const std::string& word, Options& o) {
    const std::size_t equals = word.find('=');
    if (equals != std::string::npos && o.command->edits)
        o.edits.emplace_back(word.substr(0, equals), unescaped(word.substr(equals + 1)));
    else
        o.files.push_back(word);
}

void readCommandArguments(Arguments& args, Options& o) {
    bool optionsEnded = false;
    while (!args.done()) {
        const std::string& word = args.take();
        if (optionsEnded || !isOption(word)) {
            addOperand(word, o);
        } else if (word == "--") {
            optionsEnded = true;
        } else {
            const OptionWord option = readOption(kCommandOptions, word);
            if (!option.def || !o.command->takes(option.def->name))
                throw UsageError(option.name + " does not go with " + std::string(o.command->name));
            applyOption(option, args, o);
        }
    }
}

void checkFiles(Options& o) {
    const CommandDef& command = *o.command;
    if (!command.actions.empty()) {
        // record setup|copy|sync|status, batch release UNIT: the action, then what it takes.
        if (o.files.empty()) throw UsageError(std::string(command.name) + " needs what to do");
        o.action = o.files.front();
        const CommandAction* action = command.action(o.action);
        if (!action) throw UsageError("unknown " + std::string(command.name) + " action " + o.action);
        o.files.erase(o.files.begin());
        if (o.files.size() != (action->unitOperand ? 1u : 0u))
            throw UsageError("wrong number of operands for " + std::string(command.name) + " " + o.action);
        if (action->unitOperand) o.unit = numberOption<int>("the unit", o.files.front(), 1);
        return;
    }
    const bool filesFit = o.files.size() == command.files || (command.filesOptional && o.files.empty());
    if (!filesFit) throw UsageError("wrong number of files for " + std::string(command.name));
    if (command.rowOperand && !o.files.empty()) o.row = numberOption<std::int64_t>(command.name, o.files.front(), 1);
}

// The pager a command is about: one way of naming it, exactly.
void checkPagerNamed(Options& o) {
    const std::string name(o.command->name);
    if (name == "restore" && o.files.empty() == !o.serial)
        throw UsageError("restore takes a record row or --serial S, one of them");
    if (name != "history") return;
    if (!o.files.empty()) o.serial = recordedName(checkedSerial(o.files.front()), "history");
    if (o.serial.has_value() == o.capcode.has_value())
        throw UsageError("history takes a serial or --capcode N, one of them");
}

void checkBatchOptions(const Options& o) {
    if (o.scan && !o.serials.empty()) throw UsageError("--scan and --serials do not go together: give serials one way");
    // One terminal cannot tell which programmer's pager a scanned line is for.
    if (o.scan && o.gang)
        throw UsageError("--scan does not go with --gang: give the serials with --serials or a serial column");
    if (o.command->name == "report" && o.by.empty())
        throw UsageError("report needs --by day|batch|bench|programmer|operator");
}

void checkOutput(const Options& o) {
    if (!o.command->takes("-o")) return;
    if (o.out.empty()) throw UsageError(std::string(o.command->name) + " needs -o OUT");
    if (o.out == "-" && isatty(STDOUT_FILENO))
        throw UsageError("-o - would write the binary image to the terminal; redirect standard output or give a file");
}

// Several programmers are a gang's; one trace file cannot follow several of them.
void checkPorts(const Options& o) {
    if (o.gang && !o.trace.empty()) throw UsageError("--trace follows one programmer, not a --gang");
    if (o.gang) return;
    if (o.ports.size() > 1) throw UsageError("several --port go with write --gang only");
}

void checkPagerOptions(const Options& o) {
    if (o.command->usesPager()) return;
    const char* pagerOption = !o.ports.empty()      ? "--port"
                              : !o.simulate.empty() ? "--simulate"
                              : !o.trace.empty()    ? "--trace"
                              : o.ackPolling        ? "--ack-polling"
                                                    : nullptr;
    if (pagerOption)
        throw UsageError(std::string(pagerOption) + " goes with the pager commands, not " +
                         std::string(o.command->name));
}

// Options that only go together in some ways.
void checkCombinations(const Options& o) {
    if (o.resume && o.join) throw UsageError("--resume and --join do not go together");
    if (o.command->name == "batch" && !o.batch) throw UsageError("batch " + o.action + " needs --batch ID");
    const CommandAction* action = o.command->action(o.action);
    if (o.printSql && (!action || !action->printsSql)) throw UsageError("--print-sql goes with record setup");
    if (action && action->needsFrom && o.from.empty()) throw UsageError("record copy needs --from FILE");
    if (!o.from.empty() && (!action || !action->needsFrom)) throw UsageError("--from goes with record copy");
}

}  // namespace

Options parseOptions(int argc, char** argv, const std::string& defaultDataDir,
                     const std::optional<std::string>& defaultOperator) {
    Options o;
    o.dataDir = defaultDataDir;
    if (defaultOperator) {
        const CheckedText name = checkedOperator(*defaultOperator);
        if (!name.taken()) throw UsageError("PAGERPROG_OPERATOR: " + name.refusal);
        o.operatorName = name.text;
    }
    Arguments args(argc, argv);
    readGlobalOptions(args, o);
    readCommand(args, o);
    readCommandArguments(args, o);
    checkFiles(o);
    checkPagerNamed(o);
    checkBatchOptions(o);
    checkOutput(o);
    checkPagerOptions(o);
    checkPorts(o);
    checkCombinations(o);
    return o;
}

}  // namespace pagerprog::cli
