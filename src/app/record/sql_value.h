// A value as an SQL store keeps it, whichever SQL server holds the record.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace pagerprog {

// RowId is the table's own integer key, numbered by the store.
enum class SqlType { RowId, Integer, Text, Blob };

// std::monostate is NULL.
using SqlValue = std::variant<std::monostate, std::int64_t, std::string, std::vector<std::uint8_t>>;

}  // namespace pagerprog
