#include "app/record/record_time.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace pagerprog {

namespace {

using Millis = std::chrono::sys_time<std::chrono::milliseconds>;

std::string format(Millis time) {
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), int(clock.hours().count()), int(clock.minutes().count()),
                  int(clock.seconds().count()), int(clock.subseconds().count()));
    return text;
}

// Reads exactly `width` digits at `at`, moving past them.
std::optional<int> digits(std::string_view text, std::size_t& at, std::size_t width) {
    if (at + width > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        const char c = text[at + i];
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    at += width;
    return value;
}

bool skip(std::string_view text, std::size_t& at, char expected) {
    if (at >= text.size() || text[at] != expected) return false;
    ++at;
    return true;
}

std::optional<Millis> parse(std::string_view text) {
    using namespace std::chrono;
    std::size_t at = 0;
    const auto year = digits(text, at, 4);
    const bool dashed1 = skip(text, at, '-');
    const auto month = digits(text, at, 2);
    const bool dashed2 = skip(text, at, '-');
    const auto day = digits(text, at, 2);
    if (!year || !dashed1 || !month || !dashed2 || !day) return std::nullopt;
    const year_month_day date{std::chrono::year(*year), std::chrono::month(unsigned(*month)),
                              std::chrono::day(unsigned(*day))};
    if (!date.ok()) return std::nullopt;

    int hours = 0, minutes = 0, seconds = 0, millis = 0;
    if (at < text.size() && (text[at] == 'T' || text[at] == ' ')) {
        ++at;
        const auto h = digits(text, at, 2);
        const bool colon = skip(text, at, ':');
        const auto m = digits(text, at, 2);
        if (!h || !colon || !m || *h > 23 || *m > 59) return std::nullopt;
        hours = *h;
        minutes = *m;
        if (skip(text, at, ':')) {
            const auto s = digits(text, at, 2);
            if (!s || *s > 59) return std::nullopt;
            seconds = *s;
            if (skip(text, at, '.')) {
                // Milliseconds are kept; finer digits are dropped, as the record keeps none.
                const std::size_t first = at;
                for (int scale = 100; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]));
                     ++at, scale /= 10) {
                    millis += (text[at] - '0') * scale;
                }
                if (at == first) return std::nullopt;
            }
        }
    }
    skip(text, at, 'Z');
    if (at != text.size()) return std::nullopt;
    return sys_days{date} + std::chrono::hours{hours} + std::chrono::minutes{minutes} + std::chrono::seconds{seconds} +
           std::chrono::milliseconds{millis};
}

}  // namespace

std::string utcTimestamp(std::chrono::system_clock::time_point time) {
    return format(std::chrono::floor<std::chrono::milliseconds>(time));
}

std::string utcNow() { return utcTimestamp(std::chrono::system_clock::now()); }

std::optional<std::string> normalizeUtcTime(std::string_view text) {
    const auto time = parse(text);
    if (!time) return std::nullopt;
    return format(*time);
}

std::optional<std::string> normalizeUtcUntil(std::string_view text) {
    const auto time = parse(text);
    if (!time) return std::nullopt;
    const bool dateAlone = text.find_first_of("T ") == std::string_view::npos;
    return format(dateAlone ? *time + std::chrono::days{1} : *time);
}

std::optional<std::chrono::sys_time<std::chrono::milliseconds>> recordTimePoint(std::string_view recordTime) {
    return parse(recordTime);
}

std::string localTime(std::string_view recordTime) {
    const auto time = parse(recordTime);
    if (!time) return std::string(recordTime);
    const std::time_t seconds = std::chrono::floor<std::chrono::seconds>(*time).time_since_epoch().count();
    std::tm local{};
    char text[32];
    if (!localtime_r(&seconds, &local) || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local))
        return std::string(recordTime);
    return text;
}

}  // namespace pagerprog
