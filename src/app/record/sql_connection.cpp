#include "app/record/sql_connection.h"

#include "app/record/record_error.h"

namespace pagerprog {

std::int64_t SqlStatement::integer(int column) const {
    const SqlValue read = value(column, SqlType::Integer);
    const auto* number = std::get_if<std::int64_t>(&read);
    return number ? *number : 0;
}

std::string SqlStatement::text(int column) const {
    SqlValue read = value(column, SqlType::Text);
    auto* chars = std::get_if<std::string>(&read);
    return chars ? std::move(*chars) : std::string();
}

std::vector<std::uint8_t> SqlStatement::blob(int column) const {
    SqlValue read = value(column, SqlType::Blob);
    auto* bytes = std::get_if<std::vector<std::uint8_t>>(&read);
    return bytes ? std::move(*bytes) : std::vector<std::uint8_t>();
}

std::optional<std::string> SqlStatement::optionalText(int column) const {
    if (isNull(column)) return std::nullopt;
    return text(column);
}

std::optional<std::int64_t> SqlStatement::optionalInteger(int column) const {
    if (isNull(column)) return std::nullopt;
    return integer(column);
}

void SqlConnection::damaged(const std::string& what) const {
    throw RecordError(RecordError::Kind::Damaged, name() + " is damaged: " + what);
}

}  // namespace pagerprog
