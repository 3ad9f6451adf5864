#include "app/record/pg_connection.h"

#include <libpq-fe.h>

#include <cctype>
#include <charconv>
#include <cstring>

#include "app/record/record_error.h"
#include "app/record/server_text.h"
#include "app/record/sql_dialect.h"

namespace pagerprog {

namespace {

using Kind = RecordError::Kind;

// The type numbers of pg_type that the record's columns and parameters use.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26;

// Connection settings that go before the caller's string, so that it may change them: how
// long to wait for a server, and how soon a server gone from the network is noticed.
constexpr const char* kDefaultKeywords[] = {"connect_timeout", "fallback_application_name", "keepalives_idle",
                                            "keepalives_interval", "keepalives_count"};
constexpr const char* kDefaultValues[] = {"5", "pagerprog", "10", "5", "3"};

// libpq's messages span lines and some end in a full stop; a status line is one, and the
// messages built from it end their sentences themselves.
std::string oneLine(const char* message) {
    std::string line;
    for (const char* c = message ? message : ""; *c; ++c) {
        const bool space = std::isspace(static_cast<unsigned char>(*c)) != 0;
        if (space && (line.empty() || line.back() == ' ')) continue;
        line += space ? ' ' : *c;
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '.')) line.pop_back();
    return line;
}

// `?` becomes $1, $2, ... outside quoted texts and names.
std::string numberedParameters(std::string_view sql) {
    std::string out;
    int count = 0;
    char quote = 0;
    for (const char c : sql) {
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?') {
            out += '$' + std::to_string(++count);
            continue;
        }
        out += c;
    }
    return out;
}

Oid typeOf(const SqlValue& value) {
    switch (value.index()) {
        case 1: return kInt8;
        case 2: return kText;
        case 3: return kBytea;
    }
    return 0;  // NULL: the server takes the type from where it goes
}

// A value as the server takes it in binary.
std::string binaryOf(const SqlValue& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        std::string bytes(8, '\0');
        const auto bits = static_cast<std::uint64_t>(*number);
        for (int i = 0; i < 8; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (56 - 8 * i));
        return bytes;
    }
    if (const auto* text = std::get_if<std::string>(&value)) return toServerText(*text);
    if (const auto* blob = std::get_if<std::vector<std::uint8_t>>(&value)) return {blob->begin(), blob->end()};
    return {};
}

std::int64_t bigEndian(const char* bytes, int length) {
    std::uint64_t value = 0;
    for (int i = 0; i < length; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    // Sign-extend the narrower integers.
    if (length < 8 && length > 0 && (static_cast<unsigned char>(bytes[0]) & 0x80))
        value |= ~std::uint64_t(0) << (8 * length);
    return static_cast<std::int64_t>(value);
}

bool connectionLost(const char* state) {
    const std::string_view code = state ? state : "";
    // Class 08 (connection exception), the server shutting down or not up yet.
    return code.starts_with("08") || code == "57P01" || code == "57P02" || code == "57P03";
}

class PgStatement : public SqlStatement {
public:
    PgStatement(PgConnection& db, std::string sql) : db_(db), sql_(std::move(sql)) {}

    PgStatement& start() override {
        values_.clear();
        result_.reset();
        row_ = -1;
        return *this;
    }
    PgStatement& bindValue(int index, const SqlValue& value) override {
        if (values_.size() < static_cast<std::size_t>(index)) values_.resize(static_cast<std::size_t>(index));
        values_[static_cast<std::size_t>(index - 1)] = value;
        return *this;
    }
    bool step() override {
        if (!result_) result_ = db_.run(sql_, values_);
        return ++row_ < PQntuples(result_.get());
    }
    bool isNull(int column) const override { return PQgetisnull(result_.get(), row_, column) != 0; }
    SqlValue value(int column, SqlType type) const override;

private:
    PgConnection& db_;
    std::string sql_;
    std::vector<SqlValue> values_;
    PgResult result_;
    int row_ = -1;
};

SqlValue PgStatement::value(int column, SqlType type) const {
    const pg_result* result = result_.get();
    if (isNull(column)) return type == SqlType::Blob ? SqlValue(std::vector<std::uint8_t>()) : SqlValue();
    const char* bytes = PQgetvalue(result, row_, column);
    const int length = PQgetlength(result, row_, column);
    const Oid columnType = PQftype(result, column);
    const bool number =
        columnType == kInt8 || columnType == kInt4 || columnType == kInt2 || columnType == kBool || columnType == kOid;
    if (type == SqlType::Blob) return std::vector<std::uint8_t>(bytes, bytes + length);
    if (number) {
        const std::int64_t read = columnType == kOid
                                      ? static_cast<std::int64_t>(static_cast<std::uint32_t>(bigEndian(bytes, length)))
                                      : bigEndian(bytes, length);
        if (type == SqlType::Text) return std::to_string(read);
        return read;
    }
    std::string text = fromServerText(std::string_view(bytes, static_cast<std::size_t>(length)));
    if (type == SqlType::Text) return text;
    std::int64_t read = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (error != std::errc() || end != text.data() + text.size()) return {};
    return read;
}

}  // namespace

void PgResultFree::operator()(pg_result* result) const { PQclear(result); }

PgConnection::PgConnection(const RecordLocation& location)
    : location_(location), name_("the production record on " + location.shown()) {
    if (!location.problem().empty())
        throw RecordError(Kind::CannotOpen,
                          "the production record server's connection string does not parse: " + location.problem());
    connect();
}

PgConnection::~PgConnection() { PQfinish(conn_); }

void PgConnection::connect() {
    PQfinish(conn_);
    std::vector<const char*> keywords(std::begin(kDefaultKeywords), std::end(kDefaultKeywords));
    std::vector<const char*> values(std::begin(kDefaultValues), std::end(kDefaultValues));
    keywords.push_back("dbname");
    values.push_back(location_.connection().c_str());
    // After the caller's string: texts are exchanged as UTF-8, whatever the server keeps.
    keywords.push_back("client_encoding");
    values.push_back("UTF8");
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (conn_ != nullptr && PQstatus(conn_) == CONNECTION_OK) {
        // The server's notices (a warning as it shuts down) are for its log, not the technician's.
        PQsetNoticeProcessor(
            conn_, [](void*, const char*) {}, nullptr);
        ++connections_;
        prepared_.clear();
        return;
    }
    const std::string detail = location_.withoutPassword(oneLine(conn_ ? PQerrorMessage(conn_) : "out of memory"));
    PQfinish(conn_);
    conn_ = nullptr;
    // Whether a server answers at all tells a refused login or database from a server away.
    const PGPing ping = PQpingParams(keywords.data(), values.data(), 1);
    if (ping == PQPING_OK || ping == PQPING_NO_ATTEMPT)
        throw RecordError(Kind::CannotOpen, name_ + " refused the connection: " + detail);
    lost(detail);
}

void PgConnection::lost(const std::string& detail) {
    if (inTransaction_) lostInTransaction_ = true;
    throw RecordError(Kind::Unreachable, name_ + " cannot be reached: " + detail);
}

void PgConnection::requireConnection() {
    if (lostInTransaction_) lost("the connection was lost during the transaction");
    if (PQstatus(conn_) == CONNECTION_OK) return;
    if (inTransaction_) lost("the connection was lost during the transaction");
    connect();
}

const SqlDialect& PgConnection::dialect() const { return kPostgresDialect; }

std::unique_ptr<SqlStatement> PgConnection::prepare(std::string_view sql) {
    return std::make_unique<PgStatement>(*this, numberedParameters(sql));
}

void PgConnection::fail(const pg_result* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const std::string detail = location_.withoutPassword(oneLine(primary ? primary : PQerrorMessage(conn_)));
    // Every error of the server's has its SQLSTATE; one without is libpq's own: the
    // connection broke (libpq may not have marked it bad yet).
    if (state == nullptr || PQstatus(conn_) != CONNECTION_OK || connectionLost(state)) lost(detail);
    const std::string_view code = state ? state : "";
    if (code == "42501")
        throw RecordError(Kind::ReadOnly, name_ + " refused: " + detail +
                                              " (this login lacks a right the benches' role pagerprog_bench has)");
    if (code == "40001" || code == "40P01" || code == "55P03")
        throw RecordError(Kind::Locked, name_ + " is busy with another program's work; try again (" + detail + ")");
    if (code == "53100") throw RecordError(Kind::Failed, name_ + " could not be written: the server's disk is full");
    throw RecordError(Kind::Failed, name_ + " failed: " + detail);
}

PgResult PgConnection::checked(PgResult result) {
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
    fail(result.get());
}

PgResult PgConnection::run(const std::string& sql, const std::vector<SqlValue>& values) {
    requireConnection();
    std::vector<Oid> types;
    std::string key = sql;
    for (const SqlValue& value : values) {
        types.push_back(typeOf(value));
        key += ' ' + std::to_string(types.back());
    }
    Prepared& prepared = prepared_[key];
    if (prepared.connection != connections_) {
        prepared.name = "pagerprog_" + std::to_string(++preparedCount_);
        checked(PgResult(
            PQprepare(conn_, prepared.name.c_str(), sql.c_str(), static_cast<int>(types.size()), types.data())));
        prepared.connection = connections_;
    }
    std::vector<std::string> binary;
    binary.reserve(values.size());
    std::vector<const char*> pointers;
    std::vector<int> lengths, formats(values.size(), 1);
    for (const SqlValue& value : values) {
        binary.push_back(binaryOf(value));
        pointers.push_back(std::holds_alternative<std::monostate>(value) ? nullptr : binary.back().data());
        lengths.push_back(static_cast<int>(binary.back().size()));
    }
    return checked(PgResult(PQexecPrepared(conn_, prepared.name.c_str(), static_cast<int>(values.size()),
                                           pointers.data(), lengths.data(), formats.data(), 1)));
}

void PgConnection::exec(const std::string& sql) {
    requireConnection();
    checked(PgResult(PQexec(conn_, sql.c_str())));
}

std::string PgConnection::serverSetting(const char* name) const {
    const char* value = PQparameterStatus(conn_, name);
    return value ? value : "";
}

std::string PgConnection::queryText(const std::string& sql) {
    PgStatement query(*this, sql);
    return query.start().step() ? query.text(0) : std::string();
}

void PgConnection::begin() {
    requireConnection();
    checked(PgResult(PQexec(conn_, "BEGIN")));
    inTransaction_ = true;
}

void PgConnection::commit() {
    // However COMMIT ends, the transaction is over: a failed one was rolled back by the server.
    struct Ended {
        PgConnection& db;
        ~Ended() { db.inTransaction_ = db.lostInTransaction_ = false; }
    } ended{*this};
    if (lostInTransaction_) lost("the connection was lost during the transaction");
    checked(PgResult(PQexec(conn_, "COMMIT")));
}

void PgConnection::rollback() noexcept {
    if (inTransaction_ && !lostInTransaction_ && PQstatus(conn_) == CONNECTION_OK) PQclear(PQexec(conn_, "ROLLBACK"));
    inTransaction_ = lostInTransaction_ = false;
}

}  // namespace pagerprog
