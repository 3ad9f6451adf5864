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

}  // namespace pagerprog
