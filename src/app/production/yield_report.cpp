#include "app/production/yield_report.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>

#include "app/record/json_text.h"
#include "app/record/record_time.h"
#include "app/record/text_escaping.h"

namespace pagerprog {

namespace {

using Millis = std::chrono::sys_time<std::chrono::milliseconds>;

constexpr std::string_view kGroupingNames[] = {"day", "batch", "bench", "programmer", "operator"};
constexpr const char* kTotal = "all";

// One write, as the report reads it.
struct Write {
    std::string pager;
    std::string span;  // the batch (or the row) whose working time it counts in
    Millis start{}, end{};
    bool verified = false;
    std::string outcome;
    double seconds = 0;
};

std::string pagerOf(const StoredUnit& s) {
    const UnitRecord& u = s.unit;
    if (!u.serial.empty()) return "serial " + u.serial;
    if (u.batchId && u.unitNumber)
        return "batch " + std::to_string(*u.batchId) + " unit " + std::to_string(*u.unitNumber);
    return "row " + std::to_string(s.id);
}

std::string groupOf(const UnitRecord& u, ReportGrouping by) {
    switch (by) {
        case ReportGrouping::Day: return localTime(u.time).substr(0, 10);
        case ReportGrouping::Batch: return u.batchId ? std::to_string(*u.batchId) : "-";
        case ReportGrouping::Bench: return u.host;
        case ReportGrouping::Programmer:
            if (!u.programmerSerial.empty()) return u.programmerSerial;
            return u.host + ":" + (u.programmer.empty() ? u.port : u.programmer);
        case ReportGrouping::Operator: return u.operatorName.empty() ? u.user : u.operatorName;
    }
    return {};
}

std::optional<double> percentile95(std::vector<double> values) {
    if (values.empty()) return std::nullopt;
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least 95% of the values at or below it.
    const auto rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(values.size())));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

// The figures of one group's writes, oldest first.
YieldFigures figuresOf(std::string group, const std::vector<Write>& writes) {
    YieldFigures f;
    f.group = std::move(group);
    std::set<std::string> attempted, verified;
    std::map<std::string, std::pair<Millis, Millis>> spans;
    std::vector<double> times;
    for (const Write& w : writes) {
        const bool first = attempted.insert(w.pager).second;
        if (w.verified) {
            if (first) ++f.firstPass;
            if (verified.insert(w.pager).second) times.push_back(w.seconds);
        } else {
            ++f.failedWrites;
            ++f.failures[w.outcome];
        }
        auto [span, fresh] = spans.try_emplace(w.span, w.start, w.end);
        if (!fresh) span->second = {std::min(span->second.first, w.start), std::max(span->second.second, w.end)};
    }
    f.attempted = static_cast<int>(attempted.size());
    f.verified = static_cast<int>(verified.size());
    if (!times.empty()) {
        double sum = 0;
        for (double t : times) sum += t;
        f.meanSeconds = sum / static_cast<double>(times.size());
        f.p95Seconds = percentile95(times);
    }
    std::chrono::milliseconds worked{};
    for (const auto& [name, span] : spans) worked += span.second - span.first;
    if (worked.count() > 0 && f.verified > 0)
        f.pagersPerHour = f.verified * 3600000.0 / static_cast<double>(worked.count());
    return f;
}

bool beforeInReport(ReportGrouping by, const std::string& a, const std::string& b) {
    if (by == ReportGrouping::Batch && a != "-" && b != "-") return std::stoll(a) < std::stoll(b);
    return a < b;
}

std::string fixed(const std::optional<double>& value, const char* format) {
    if (!value) return "-";
    char text[32];
    std::snprintf(text, sizeof text, format, *value);
    return text;
}

std::string failuresText(const YieldFigures& f, const char* separator) {
    std::string text;
    for (const auto& [outcome, count] : f.failures)
        text += (text.empty() ? "" : separator) + outcome + "=" + std::to_string(count);
    return text;
}

// The columns after the group's: the CSV's and JSON's key, the table's header.
struct Column {
    std::string_view key, header;
};
constexpr Column kColumns[] = {{"attempted", "attempted"},         {"verified", "verified"},   {"failed", "failed"},
                               {"first_pass_yield", "first-pass"}, {"mean_seconds", "mean s"}, {"p95_seconds", "p95 s"},
                               {"pagers_per_hour", "per hour"},    {"failures", "failures"}};

std::vector<std::string> header(const YieldReport& report, std::string_view Column::*name) {
    std::vector<std::string> cells{std::string(reportGroupingName(report.by))};
    for (const Column& column : kColumns) cells.emplace_back(column.*name);
    return cells;
}

std::string csv(const YieldReport& report) {
    const auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size(); ++i) text += (i ? "," : "") + csvField(cells[i]);
        return text + "\r\n";
    };
    const auto number = [](const std::optional<double>& value, const char* format) {
        return value ? fixed(value, format) : std::string();
    };
    std::string out = line(header(report, &Column::key));
    std::vector<const YieldFigures*> all;
    for (const YieldFigures& f : report.groups) all.push_back(&f);
    all.push_back(&report.total);
    for (const YieldFigures* f : all) {
        out +=
            line({spreadsheetText(f->group), std::to_string(f->attempted), std::to_string(f->verified),
                  std::to_string(f->failedWrites), number(f->firstPassYield(), "%.3f"), number(f->meanSeconds, "%.1f"),
                  number(f->p95Seconds, "%.1f"), number(f->pagersPerHour, "%.1f"), failuresText(*f, " ")});
    }
    return out;
}

Json figuresJson(const YieldFigures& f) {
    const auto number = [](const std::optional<double>& value) { return value ? Json(*value) : Json(); };
    Json failures = Json::object();
    for (const auto& [outcome, count] : f.failures) failures[outcome] = count;
    return {{"group", jsonText(f.group)},
            {"attempted", f.attempted},
            {"verified", f.verified},
            {"failed", f.failedWrites},
            {"failures", failures},
            {"first_pass", f.firstPass},
            {"first_pass_yield", number(f.firstPassYield())},
            {"mean_seconds", number(f.meanSeconds)},
            {"p95_seconds", number(f.p95Seconds)},
            {"pagers_per_hour", number(f.pagersPerHour)}};
}

}  // namespace

std::optional<ReportGrouping> reportGroupingFromName(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kGroupingNames); ++i)
        if (kGroupingNames[i] == name) return static_cast<ReportGrouping>(i);
    return std::nullopt;
}

std::string_view reportGroupingName(ReportGrouping grouping) { return kGroupingNames[static_cast<int>(grouping)]; }

std::optional<double> YieldFigures::firstPassYield() const {
    if (attempted == 0) return std::nullopt;
    return static_cast<double>(firstPass) / attempted;
}

YieldReport yieldReport(const std::vector<StoredUnit>& units, ReportGrouping by) {
    std::vector<const StoredUnit*> writes;
    for (const StoredUnit& s : units) {
        const std::string& outcome = s.unit.outcome;
        if (s.unit.operation == Operation::Write && outcome != outcome::inProgress && recordTimePoint(s.unit.time))
            writes.push_back(&s);
    }
    // Oldest first: a pager's first write is the first of its group met.
    std::stable_sort(writes.begin(), writes.end(), [](const StoredUnit* a, const StoredUnit* b) {
        return a->unit.time != b->unit.time ? a->unit.time < b->unit.time : a->id < b->id;
    });
    std::map<std::string, std::vector<Write>> groups;
    std::vector<Write> all;
    for (const StoredUnit* s : writes) {
        const UnitRecord& u = s->unit;
        Write w;
        w.pager = pagerOf(*s);
        w.span = u.batchId ? "batch " + std::to_string(*u.batchId) : "row " + std::to_string(s->id);
        w.start = *recordTimePoint(u.time);
        w.end = w.start + std::chrono::milliseconds(std::max<std::int64_t>(u.durationMs, 0));
        w.verified = u.outcome == outcome::ok;
        w.outcome = u.outcome;
        w.seconds = static_cast<double>(u.durationMs) / 1000.0;
        groups[groupOf(u, by)].push_back(w);
        all.push_back(std::move(w));
    }
    YieldReport report;
    report.by = by;
    for (const auto& [name, group] : groups) report.groups.push_back(figuresOf(name, group));
    std::sort(report.groups.begin(), report.groups.end(),
              [by](const YieldFigures& a, const YieldFigures& b) { return beforeInReport(by, a.group, b.group); });
    report.total = figuresOf(kTotal, all);
    return report;
}

std::vector<std::vector<std::string>> yieldTable(const YieldReport& report) {
    std::vector<std::vector<std::string>> rows{header(report, &Column::header)};
    const auto add = [&rows](const YieldFigures& f) {
        const auto yield = f.firstPassYield();
        rows.push_back({f.group, std::to_string(f.attempted), std::to_string(f.verified),
                        std::to_string(f.failedWrites), yield ? fixed(*yield * 100, "%.1f%%") : "-",
                        fixed(f.meanSeconds, "%.1f"), fixed(f.p95Seconds, "%.1f"), fixed(f.pagersPerHour, "%.1f"),
                        failuresText(f, ", ")});
    };
    for (const YieldFigures& f : report.groups) add(f);
    add(report.total);
    return rows;
}

std::string formatYieldReport(const YieldReport& report, RecordFormat format) {
    switch (format) {
        case RecordFormat::Table: return alignedTable(yieldTable(report));
        case RecordFormat::Csv: return csv(report);
        case RecordFormat::Json: {
            Json groups = Json::array();
            for (const YieldFigures& f : report.groups) groups.push_back(figuresJson(f));
            const Json json{{"by", std::string(reportGroupingName(report.by))},
                            {"groups", groups},
                            {"total", figuresJson(report.total)}};
            return jsonLines(json, JsonSpacing::Spaced) + "\n";
        }
    }
    return {};
}

}  // namespace pagerprog
