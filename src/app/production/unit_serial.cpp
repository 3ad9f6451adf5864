#include "app/production/unit_serial.h"

#include <utf8.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "app/record/production_record.h"

namespace pagerprog {

namespace {

std::string hexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isControl(std::uint32_t character) { return character < 0x20 || (character >= 0x7F && character < 0xA0); }

CheckedText checked(std::string_view typed, const std::string& what) {
    const std::string_view text = trimmed(typed);
    if (const auto bad = utf8::find_invalid(text.begin(), text.end()); bad != text.end()) {
        return {{},
                what + " holds the byte " + hexByte(static_cast<unsigned char>(*bad)) + " at byte " +
                    std::to_string(bad - text.begin() + 1) + ", which is no UTF-8 text"};
    }
    std::size_t characters = 0;
    for (auto at = text.begin(); at != text.end();) {
        const std::uint32_t character = utf8::next(at, text.end());
        ++characters;
        if (isControl(character))
            return {{},
                    what + " holds the control character " + hexByte(character) + " at character " +
                        std::to_string(characters)};
    }
    if (characters > kLongestRecordedName)
        return {{},
                what + " is " + std::to_string(characters) + " characters long; at most " +
                    std::to_string(kLongestRecordedName) + " are taken"};
    return {std::string(text), {}};
}

}  // namespace

CheckedText checkedSerial(std::string_view typed) { return checked(typed, "the serial"); }

CheckedText checkedOperator(std::string_view typed) { return checked(typed, "the operator name"); }

std::optional<RepeatedSerial> repeatedSerial(const std::vector<std::string>& serials) {
    std::map<std::string_view, std::size_t> seen;
    for (std::size_t at = 0; at < serials.size(); ++at) {
        if (serials[at].empty()) continue;
        const auto [earlier, fresh] = seen.emplace(serials[at], at);
        if (!fresh) return RepeatedSerial{serials[at], earlier->second, at};
    }
    return std::nullopt;
}

std::vector<std::string> readSerialFile(const std::string& path) {
    // A day's serials are a few kilobytes; a line longer than this is no serial at all.
    constexpr std::size_t kLongestLine = 4096;
    constexpr std::uintmax_t kLargestFile = 16 * 1024 * 1024;
    const auto fault = [&path](const std::string& what) {
        return std::runtime_error("the serial list " + path + " " + what);
    };
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) throw fault("is a folder, not a file");
    if (const auto size = std::filesystem::file_size(path, error); !error && size > kLargestFile)
        throw fault("is larger than 16 MB, too large for a serial list");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw fault("cannot be read");
    std::vector<std::string> serials;
    std::vector<int> lineNumbers;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        if (line.size() > kLongestLine) throw fault("has a line " + std::to_string(number) + " too long for a serial");
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const CheckedText serial = checkedSerial(line);
        if (!serial.taken()) throw fault("line " + std::to_string(number) + ": " + serial.refusal);
        if (serial.text.empty()) continue;
        serials.push_back(serial.text);
        lineNumbers.push_back(number);
    }
    if (file.bad()) throw fault("cannot be read");
    if (const auto repeat = repeatedSerial(serials))
        throw fault("has the serial " + repeat->serial + " on lines " + std::to_string(lineNumbers[repeat->first]) +
                    " and " + std::to_string(lineNumbers[repeat->second]));
    if (serials.empty()) throw fault("holds no serial");
    return serials;
}

std::optional<StoredUnit> verifiedWithSerial(const ProductionRecord& record, const std::string& serial) {
    for (StoredUnit& unit : record.find({.serial = serial, .operation = Operation::Write}))
        if (unit.unit.outcome == outcome::ok) return std::move(unit);
    return std::nullopt;
}

}  // namespace pagerprog
