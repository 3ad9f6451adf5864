#include "app/record/record_location.h"

#include <libpq-fe.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>

#include "app/record/data_home.h"

namespace pagerprog {

namespace {

bool isUri(const std::string& text) { return text.starts_with("postgresql://") || text.starts_with("postgres://"); }

bool looksLikeConnection(const std::string& text) {
    if (isUri(text)) return true;
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    const std::size_t keyword = at;
    while (at < text.size() && (std::isalpha(static_cast<unsigned char>(text[at])) || text[at] == '_')) ++at;
    if (at == keyword) return false;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    return at < text.size() && text[at] == '=';
}

// The password as the text spells it, found without libpq: what its error messages might
// quote when the string does not parse.
std::string spelledPassword(const std::string& text) {
    if (isUri(text)) {
        const std::size_t authority = text.find("://") + 3;
        const std::size_t end = text.find_first_of("/?", authority);
        const std::size_t at = text.rfind('@', end == std::string::npos ? std::string::npos : end);
        if (at == std::string::npos || at < authority) return {};
        const std::size_t colon = text.find(':', authority);
        return colon < at ? text.substr(colon + 1, at - colon - 1) : std::string();
    }
    const std::size_t key = text.find("password");
    if (key == std::string::npos) return {};
    std::size_t at = text.find('=', key);
    if (at == std::string::npos) return {};
    while (++at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
    }
    const bool quoted = at < text.size() && text[at] == '\'';
    const std::size_t end = quoted ? text.find('\'', at + 1) : text.find_first_of(" \t", at);
    const std::size_t from = quoted ? at + 1 : at;
    return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

struct OptionsFree {
    void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};

std::string shownServer(const std::map<std::string, std::string>& values) {
    const auto value = [&](const char* key) {
        const auto found = values.find(key);
        return found == values.end() ? std::string() : found->second;
    };
    const std::string service = value("service");
    std::string host = value("host");
    if (host.empty()) host = value("hostaddr");
    const std::string port = value("port"), dbname = value("dbname");
    if (!service.empty() && host.empty()) return "service=" + service + (dbname.empty() ? "" : " dbname=" + dbname);
    // A host that is a folder is the Unix socket's: a URI carries it as a parameter.
    const bool socket = host.starts_with('/');
    return "postgresql://" + (socket ? std::string() : host) + (port.empty() ? "" : ":" + port) + "/" + dbname +
           (socket ? "?host=" + host : "");
}

std::string replaced(std::string text, const std::string& secret, const std::string& by) {
    for (std::size_t at = 0; (at = text.find(secret, at)) != std::string::npos; at += by.size())
        text.replace(at, secret.size(), by);
    return text;
}

}  // namespace

RecordLocation RecordLocation::file(const std::filesystem::path& path) {
    RecordLocation location;
    location.path_ = path;
    location.shown_ = path.string();
    return location;
}

RecordLocation RecordLocation::parse(const std::string& text) {
    if (!looksLikeConnection(text)) return file(text);
    RecordLocation location;
    location.onServer_ = true;
    location.connection_ = text;
    if (std::string spelled = spelledPassword(text); !spelled.empty()) location.secrets_.push_back(std::move(spelled));
    char* error = nullptr;
    std::unique_ptr<PQconninfoOption, OptionsFree> options(PQconninfoParse(text.c_str(), &error));
    if (!options) {
        std::string why = error ? error : "out of memory";
        PQfreemem(error);
        while (!why.empty() && std::isspace(static_cast<unsigned char>(why.back()))) why.pop_back();
        location.problem_ = location.withoutPassword(why);
        location.shown_ = "a server whose connection string does not parse";
        return location;
    }
    std::map<std::string, std::string> values;
    for (const PQconninfoOption* option = options.get(); option->keyword; ++option) {
        if (option->val && *option->val) values[option->keyword] = option->val;
    }
    // The decoded password too, as libpq would quote it.
    if (const auto password = values.find("password"); password != values.end())
        location.secrets_.push_back(password->second);
    location.shown_ = shownServer(values);
    return location;
}

std::string RecordLocation::withoutPassword(std::string text) const {
    for (const std::string& secret : secrets_) text = replaced(std::move(text), secret, "***");
    return text;
}

std::string RecordLocation::withPasswordMasked(std::string text) const {
    for (const std::string& secret : secrets_)
        text = replaced(std::move(text), secret, std::string(secret.size(), '*'));
    return text;
}

RecordLocation defaultRecordLocation() {
    if (const char* named = std::getenv("PAGERPROG_DB"); named && *named) return RecordLocation::parse(named);
    return RecordLocation::file(defaultRecordPath());
}

}  // namespace pagerprog
