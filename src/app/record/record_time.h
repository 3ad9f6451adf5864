// Times in the record: ISO 8601 UTC text with milliseconds ("2026-12-08T09:30:00.123Z"),
// so that they sort and filter as plain text.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace pagerprog {

std::string utcTimestamp(std::chrono::system_clock::time_point time);
std::string utcNow();

// A date ("2026-12-08") or date-time ("2026-12-08T09:30", seconds and fraction optional,
// 'T' or a space between, an optional trailing 'Z'), read as UTC and written out in the
// record's form, so that a text comparison filters by time. Empty for anything else,
// an impossible date or another time zone included.
std::optional<std::string> normalizeUtcTime(std::string_view text);
// The end of a span of time given the same way, as a query's "before this time": a date
// alone reaches to the end of that day, a time to that time.
std::optional<std::string> normalizeUtcUntil(std::string_view text);

// A time of the record as a point in time; none for a text that is no such time.
std::optional<std::chrono::sys_time<std::chrono::milliseconds>> recordTimePoint(std::string_view recordTime);

// A time of the record as this machine's clock showed it, to the second
// ("2026-12-08 10:30:00" in Central Europe for "2026-12-08T09:30:00.123Z"); a text that is
// no such time as it is.
std::string localTime(std::string_view recordTime);

}  // namespace pagerprog
