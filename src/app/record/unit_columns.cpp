#include "app/record/unit_columns.h"

#include "app/record/difference_blob.h"

namespace pagerprog {

namespace {

// How a unit gives and takes each kind of value. A NULL where the schema allows none reads
// as the member's empty value, as SQLite's own text and integer readers give it.

template <std::string UnitRecord::*member>
constexpr ColumnAccess kText{[](const StoredUnit& s) -> SqlValue { return s.unit.*member; },
                             [](StoredUnit& s, SqlValue&& value) {
                                 auto* text = std::get_if<std::string>(&value);
                                 s.unit.*member = text ? std::move(*text) : std::string();
                                 return true;
                             }};

template <std::int64_t UnitRecord::*member>
constexpr ColumnAccess kNumber{[](const StoredUnit& s) -> SqlValue { return s.unit.*member; },
                               [](StoredUnit& s, SqlValue&& value) {
                                   const auto* number = std::get_if<std::int64_t>(&value);
                                   s.unit.*member = number ? *number : 0;
                                   return true;
                               }};

template <auto member>
constexpr ColumnAccess kOptionalNumber{
    [](const StoredUnit& s) -> SqlValue {
        const auto& number = s.unit.*member;
        return number ? SqlValue(std::int64_t(*number)) : SqlValue();
    },
    [](StoredUnit& s, SqlValue&& value) {
        using Number = typename std::remove_reference_t<decltype(s.unit.*member)>::value_type;
        const auto* number = std::get_if<std::int64_t>(&value);
        s.unit.*member = number ? std::optional(static_cast<Number>(*number)) : std::nullopt;
        return true;
    }};

constexpr ColumnAccess kRowId{[](const StoredUnit& s) -> SqlValue { return s.id; },
                              [](StoredUnit& s, SqlValue&& value) {
                                  const auto* id = std::get_if<std::int64_t>(&value);
                                  s.id = id ? *id : 0;
                                  return id != nullptr;
                              }};

constexpr ColumnAccess kOperation{
    [](const StoredUnit& s) -> SqlValue { return std::string(operationName(s.unit.operation)); },
    [](StoredUnit& s, SqlValue&& value) {
        const auto* name = std::get_if<std::string>(&value);
        const auto operation = name ? operationFromName(*name) : std::nullopt;
        if (operation) s.unit.operation = *operation;
        return operation.has_value();
    }};

constexpr ColumnAccess kDifferences{
    [](const StoredUnit& s) -> SqlValue { return encodeDifferences(s.unit.differences); },
    [](StoredUnit& s, SqlValue&& value) {
        const auto* blob = std::get_if<std::vector<std::uint8_t>>(&value);
        const auto differences = decodeDifferences(blob ? *blob : std::vector<std::uint8_t>());
        if (differences) s.unit.differences = *differences;
        return differences.has_value();
    }};

constexpr ColumnAccess kImageKept{[](const StoredUnit& s) -> SqlValue { return std::int64_t(s.previousImageKept); },
                                  nullptr};

using enum SqlType;
using enum Shown;
constexpr bool null = true, notNull = false;

// An item without a column is kept beside the units table (the slots and the status log in
// tables of their own, the previous image in unit_images) by the store's own code.
// clang-format off
constexpr UnitColumn kUnitColumns[] = {
//   key                    column             type     null     since shown        table        access
    {"id",                  "id",              RowId,   notNull, 1,    Value,       "id",        kRowId},
    {"time",                "time",            Text,    notNull, 1,    Time,        "time",      kText<&UnitRecord::time>},
    {"operation",           "operation",       Text,    notNull, 1,    Value,       "operation", kOperation},
    {"outcome",             "outcome",         Text,    notNull, 1,    Value,       "outcome",   kText<&UnitRecord::outcome>,
                                                                                                 {}, true},
    {"batch",               "batch_id",        Integer, null,    2,    Value,       "batch",     kOptionalNumber<&UnitRecord::batchId>,
                                                                                                 "batches (id)"},
    {"unit",                "unit_number",     Integer, null,    2,    Value,       "unit",      kOptionalNumber<&UnitRecord::unitNumber>},
    {"csv_row",             "csv_row",         Integer, null,    2,    Value,       "",          kOptionalNumber<&UnitRecord::csvRow>},
    {"slots",               "",                Integer, notNull, 1,    Slots,       "capcodes",  {}},
    {"frequency",           "frequency",       Text,    notNull, 1,    Value,       "frequency", kText<&UnitRecord::frequency>},
    {"customer",            "customer",        Text,    notNull, 1,    Value,       "customer",  kText<&UnitRecord::customer>},
    {"revision",            "revision",        Text,    notNull, 1,    Value,       "revision",  kText<&UnitRecord::revision>},
    {"port",                "port",            Text,    notNull, 1,    Value,       "port",      kText<&UnitRecord::port>},
    {"vid_pid",             "vid_pid",         Text,    notNull, 1,    Value,       "",          kText<&UnitRecord::vidPid>},
    {"settings_path",       "settings_path",   Text,    notNull, 1,    Value,       "",          kText<&UnitRecord::settingsPath>},
    {"settings_sha256",     "settings_sha256", Text,    notNull, 1,    Value,       "",          kText<&UnitRecord::settingsSha256>},
    {"image_sha256",        "image_sha256",    Text,    notNull, 1,    Value,       "",          kText<&UnitRecord::imageSha256>,
                                                                                                 {}, true},
    {"user",                "user",            Text,    notNull, 1,    Value,       "",          kText<&UnitRecord::user>},
    {"host",                "host",            Text,    notNull, 1,    Value,       "",          kText<&UnitRecord::host>},
    {"program_version",     "program_version", Text,    notNull, 1,    Value,       "",          kText<&UnitRecord::programVersion>},
    {"duration_ms",         "duration_ms",     Integer, notNull, 1,    Value,       "ms",        kNumber<&UnitRecord::durationMs>,
                                                                                                 {}, true},
    {"differences",         "differences",     Blob,    notNull, 1,    Differences, "",          kDifferences, {}, true},
    {"uid",                 "uid",             Text,    null,    4,    Value,       "",          kText<&UnitRecord::uid>},
    {"pid",                 "pid",             Integer, null,    4,    Value,       "",          kOptionalNumber<&UnitRecord::pid>},
    {"programmer",          "programmer",      Text,    null,    4,    Value,       "",          kText<&UnitRecord::programmer>},
    {"programmer_serial",   "programmer_serial", Text,  null,    4,    Value,       "",          kText<&UnitRecord::programmerSerial>},
    {"serial",              "serial",          Text,    null,    4,    Value,       "serial",    kText<&UnitRecord::serial>},
    {"operator",            "operator",        Text,    null,    4,    Value,       "",          kText<&UnitRecord::operatorName>},
    {"origin",              "origin",          Text,    null,    4,    Value,       "",          kText<&UnitRecord::origin>},
    {"origin_row",          "origin_row",      Integer, null,    4,    Value,       "",          kOptionalNumber<&UnitRecord::originRow>},
    {"hook",                "hook",            Text,    null,    4,    Value,       "",          kText<&UnitRecord::hook>},
    {"status_log",          "",                Text,    notNull, 1,    Lines,       "",          {}},
    {"previous_image_kept", "",                Integer, notNull, 1,    Flag,        "",          kImageKept},
};
// clang-format on

std::string_view typeName(const SqlDialect& dialect, SqlType type) {
    switch (type) {
        case RowId: return dialect.rowId;
        case Integer: return dialect.integer;
        case Text: return dialect.text;
        case Blob: return dialect.blob;
    }
    return {};
}

// Quoted, so that no server takes a column for a word of its own (PostgreSQL's "user").
std::string quoted(const UnitColumn* column) { return '"' + std::string(column->sqlName) + '"'; }

}  // namespace

std::span<const UnitColumn> unitColumns() { return kUnitColumns; }

std::vector<const UnitColumn*> storedColumns(int version) {
    std::vector<const UnitColumn*> columns;
    for (const UnitColumn& column : kUnitColumns) {
        if (!column.sqlName.empty() && column.since <= version) columns.push_back(&column);
    }
    return columns;
}

std::string createUnitsTableSql(const SqlDialect& dialect) {
    std::string sql = "CREATE TABLE units (";
    const char* separator = "\n    ";
    for (const UnitColumn* column : storedColumns()) {
        sql.append(separator).append(quoted(column)).append(" ").append(typeName(dialect, column->type));
        if (!column->nullable && column->type != RowId) sql += " NOT NULL";
        if (!column->references.empty()) sql.append(" REFERENCES ").append(column->references);
        separator = ",\n    ";
    }
    return sql + "\n)";
}

std::string insertUnitSql() {
    std::string names, parameters;
    for (const UnitColumn* column : storedColumns()) {
        if (column->type == RowId) continue;
        const char* separator = names.empty() ? "" : ", ";
        names.append(separator).append(quoted(column));
        parameters.append(separator).append("?");
    }
    return "INSERT INTO units (" + names + ") VALUES (" + parameters + ") ON CONFLICT (uid) DO NOTHING RETURNING id";
}

std::string createUnitOutcomesTableSql(const SqlDialect& dialect) {
    std::string sql = "CREATE TABLE unit_outcomes (\n    unit_id " + std::string(dialect.integer) +
                      " PRIMARY KEY REFERENCES units (id),\n    time " + std::string(dialect.text) + " NOT NULL";
    for (const UnitColumn* column : storedColumns()) {
        if (column->completed)
            sql.append(",\n    ")
                .append(quoted(column))
                .append(" ")
                .append(typeName(dialect, column->type))
                .append(" NOT NULL");
    }
    return sql + "\n)";
}

std::string insertUnitOutcomeSql() {
    std::string names = "unit_id, time", parameters = "?, ?";
    for (const UnitColumn* column : storedColumns()) {
        if (!column->completed) continue;
        names.append(", ").append(quoted(column));
        parameters.append(", ?");
    }
    return "INSERT INTO unit_outcomes (" + names + ") VALUES (" + parameters + ")";
}

std::string selectedUnitColumns() {
    std::string sql;
    for (const UnitColumn* column : storedColumns()) {
        if (!sql.empty()) sql += ", ";
        const std::string name = quoted(column);
        sql += column->completed ? "COALESCE(o." + name + ", u." + name + ")" : "u." + name;
    }
    return sql;
}

}  // namespace pagerprog
