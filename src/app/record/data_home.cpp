#include "app/record/data_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

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

}  // namespace pagerprog
