#include "app/record/data_home.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace pagerprog {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::filesystem::path defaultRecordPath() {
    std::filesystem::path dataHome = environment("XDG_DATA_HOME");
    if (dataHome.empty() || dataHome.is_relative()) {
        const std::string home = environment("HOME");
        if (home.empty()) return {};
        dataHome = std::filesystem::path(home) / ".local" / "share";
    }
    return dataHome / "pagerprog" / "production.sqlite";
}

std::string currentUserName() {
    // The account the program runs as, whatever the environment says; the environment only
    // where the account has no name (a container's bare uid).
    if (const passwd* account = getpwuid(geteuid()); account != nullptr && account->pw_name[0] != '\0')
        return account->pw_name;
    for (const char* name : {"USER", "LOGNAME"}) {
        if (std::string user = environment(name); !user.empty()) return user;
    }
    return "unknown";
}

std::string currentHostName() {
    char name[256] = {};  // HOST_NAME_MAX is 64 on Linux; the last byte stays the terminator
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "unknown";
    return name;
}

std::int64_t currentProcessId() { return ::getpid(); }

std::string newUnitUid() {
    static thread_local std::random_device randomness;
    std::string uid;
    for (int part = 0; part < 4; ++part) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(randomness()));
        uid += hex;
    }
    return uid;
}

bool processRuns(std::optional<std::int64_t> pid) {
    if (!pid || *pid <= 0) return false;
    // Signal 0 only asks: EPERM means it runs under another account.
    return ::kill(static_cast<pid_t>(*pid), 0) == 0 || errno == EPERM;
}

}  // namespace pagerprog
