// A pager's unit serial, the code on the label of its case (a barcode scanner types it and
// ends it with Enter), and the operator's name the record keeps beside the account: both
// are printable text of at most 64 characters, kept without leading and trailing blanks.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/record/record_types.h"

namespace pagerprog {

class ProductionRecord;

inline constexpr std::size_t kLongestRecordedName = 64;  // characters

struct CheckedText {
    std::string text;     // as the record keeps it
    std::string refusal;  // why it is not taken ("" when it is)
    bool taken() const { return refusal.empty(); }
};

// Blanks (spaces and tabs) at either end are dropped; a control character, a byte that is
// no UTF-8 or more than 64 characters are refused, the refusal naming what and where. An
// empty serial is taken as none; an empty operator name too.
CheckedText checkedSerial(std::string_view typed);
CheckedText checkedOperator(std::string_view typed);

// A list of serials, one a line, for the pagers of a batch in turn; blank lines are no
// serials. Throws std::runtime_error naming the file, the line and the fault: a file that
// cannot be read, a serial refused, the same serial twice.
std::vector<std::string> readSerialFile(const std::string& path);

// The first serial that comes twice, with the positions (counted from 0) of both; empty
// serials are none.
struct RepeatedSerial {
    std::string serial;
    std::size_t first = 0, second = 0;
};
std::optional<RepeatedSerial> repeatedSerial(const std::vector<std::string>& serials);

// The latest write the record shows verified into a pager with this serial.
std::optional<StoredUnit> verifiedWithSerial(const ProductionRecord& record, const std::string& serial);

}  // namespace pagerprog
