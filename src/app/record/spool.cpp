#include "app/record/spool.h"

#include <nlohmann/json.hpp>

#include "app/record/data_home.h"
#include "app/record/production_record.h"
#include "app/record/record_error.h"
#include "app/record/record_time.h"
#include "app/record/sqlite_database.h"
#include "app/record/unit_columns.h"

namespace pagerprog {

namespace {

using nlohmann::json;

constexpr const char* kSpoolTable = R"sql(
CREATE TABLE spooled_units (
    uid TEXT PRIMARY KEY,
    record TEXT NOT NULL,
    time TEXT NOT NULL,
    unit BLOB NOT NULL
);
)sql";

json bytesJson(std::string_view text) { return json::binary(std::vector<std::uint8_t>(text.begin(), text.end())); }

json valueJson(const SqlValue& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) return bytesJson(*text);
    if (const auto* blob = std::get_if<std::vector<std::uint8_t>>(&value)) return json::binary(*blob);
    return nullptr;
}

std::optional<std::string> textOf(const json& value) {
    if (!value.is_binary()) return std::nullopt;
    return std::string(value.get_binary().begin(), value.get_binary().end());
}

std::optional<SqlValue> valueOf(const json& value, SqlType type) {
    if (value.is_null()) return SqlValue();
    if (type == SqlType::Text) {
        if (auto text = textOf(value)) return SqlValue(std::move(*text));
    } else if (type == SqlType::Blob) {
        if (value.is_binary()) return SqlValue(std::vector<std::uint8_t>(value.get_binary()));
    } else if (value.is_number_integer()) {
        return SqlValue(value.get<std::int64_t>());
    }
    return std::nullopt;
}

std::optional<Image> imageOf(const json& value) {
    if (!value.is_binary() || value.get_binary().size() != kImageSize) return std::nullopt;
    Image image;
    std::copy(value.get_binary().begin(), value.get_binary().end(), image.begin());
    return image;
}

// The spool file, made when it is first needed; a file that is no spool is left alone.
std::unique_ptr<Database> openSpool(const std::filesystem::path& file, bool readOnly) {
    if (!readOnly && file.has_parent_path()) {
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
    }
    auto db = std::make_unique<Database>(file, readOnly, 5000, "the spool");
    const bool ours = db->queryText("SELECT count(*) FROM sqlite_schema WHERE name = 'spooled_units'") == "1";
    if (!ours) {
        if (readOnly || db->queryText("SELECT count(*) FROM sqlite_schema") != "0")
            throw RecordError(RecordError::Kind::CannotOpen, db->name() + " is another program's file, not a spool");
        db->exec("PRAGMA journal_mode = WAL");
        db->exec(kSpoolTable);
    }
    // A unit in the spool is the only copy of its pager's end: it must survive a power cut.
    db->exec("PRAGMA synchronous = FULL");
    return db;
}

}  // namespace

std::vector<std::uint8_t> encodeUnit(const UnitRecord& unit) {
    const StoredUnit row{0, unit, false};
    json encoded = json::object();
    for (const UnitColumn* column : storedColumns()) {
        if (column->type != SqlType::RowId) encoded[std::string(column->sqlName)] = valueJson(column->access.get(row));
    }
    json slots = json::array();
    for (const SlotCapcode& slot : unit.capcodes) slots.push_back({slot.capcode, slot.enabled});
    encoded["slots"] = slots;
    json lines = json::array();
    for (const std::string& line : unit.statusLog) lines.push_back(bytesJson(line));
    encoded["status_log"] = lines;
    if (unit.previousImage)
        encoded["previous_image"] = json::binary({unit.previousImage->begin(), unit.previousImage->end()});
    if (unit.writtenImage)
        encoded["written_image"] = json::binary({unit.writtenImage->begin(), unit.writtenImage->end()});
    return json::to_cbor(encoded);
}

std::optional<UnitRecord> decodeUnit(const std::vector<std::uint8_t>& bytes) {
    const json decoded = json::from_cbor(bytes, true, false);
    if (!decoded.is_object()) return std::nullopt;
    StoredUnit row;
    for (const UnitColumn* column : storedColumns()) {
        if (column->type == SqlType::RowId) continue;
        const auto found = decoded.find(std::string(column->sqlName));
        if (found == decoded.end()) return std::nullopt;
        auto value = valueOf(*found, column->type);
        if (!value || !column->access.set(row, std::move(*value))) return std::nullopt;
    }
    UnitRecord& unit = row.unit;
    const json& slots = decoded.value("slots", json());
    if (!slots.is_array() || slots.size() != unit.capcodes.size()) return std::nullopt;
    for (std::size_t slot = 0; slot < unit.capcodes.size(); ++slot) {
        const json& pair = slots[slot];
        if (!pair.is_array() || pair.size() != 2 || !pair[0].is_number_unsigned() || !pair[1].is_boolean())
            return std::nullopt;
        unit.capcodes[slot] = {pair[0].get<std::uint32_t>(), pair[1].get<bool>()};
    }
    for (const json& line : decoded.value("status_log", json::array())) {
        auto text = textOf(line);
        if (!text) return std::nullopt;
        unit.statusLog.push_back(std::move(*text));
    }
    if (decoded.contains("previous_image") && !(unit.previousImage = imageOf(decoded["previous_image"])))
        return std::nullopt;
    if (decoded.contains("written_image") && !(unit.writtenImage = imageOf(decoded["written_image"])))
        return std::nullopt;
    return unit;
}

void Spool::keep(const std::string& record, const UnitRecord& unit) const {
    auto db = openSpool(file_, false);
    Transaction transaction(*db);
    db->prepare(
          "INSERT INTO spooled_units (uid, record, time, unit) VALUES (?, ?, ?, ?) "
          "ON CONFLICT (uid) DO UPDATE SET record = excluded.record, time = excluded.time, unit = excluded.unit")
        ->start()
        .bind(1, unit.uid)
        .bind(2, record)
        .bind(3, utcNow())
        .bindBlob(4, encodeUnit(unit))
        .run();
    transaction.commit();
}

std::vector<UnitRecord> Spool::waiting(const std::string& record) const {
    std::vector<UnitRecord> units;
    if (!std::filesystem::exists(file_)) return units;
    auto db = openSpool(file_, false);
    auto select = db->prepare("SELECT uid, unit FROM spooled_units WHERE record = ? ORDER BY time, uid");
    for (select->start().bind(1, record); select->step();) {
        auto unit = decodeUnit(select->blob(1));
        if (!unit) db->damaged("its unit " + select->text(0) + " cannot be read");
        units.push_back(std::move(*unit));
    }
    return units;
}

std::int64_t Spool::count(const std::string& record) const {
    if (!std::filesystem::exists(file_)) return 0;
    auto db = openSpool(file_, true);
    auto count = db->prepare("SELECT count(*) FROM spooled_units WHERE record = ?");
    count->start().bind(1, record).step();
    return count->integer(0);
}

void Spool::remove(const std::string& uid) const {
    auto db = openSpool(file_, false);
    db->prepare("DELETE FROM spooled_units WHERE uid = ?")->start().bind(1, uid).run();
}

int Spool::pushTo(ProductionRecord& record) const {
    int pushed = 0;
    for (const UnitRecord& unit : waiting(record.location().shown())) {
        record.push(unit);
        remove(unit.uid);
        ++pushed;
    }
    return pushed;
}

std::filesystem::path defaultSpoolPath() {
    const std::filesystem::path record = defaultRecordPath();
    return record.empty() ? record : record.parent_path() / "spool.sqlite";
}

}  // namespace pagerprog
