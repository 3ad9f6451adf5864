// What the About dialog tells: the program, its version and licence, and how it reaches
// pagers right now.
#pragma once

#include <string>

namespace pagerprog {

struct Context;

struct AboutFacts {
    std::string program;
    std::string version;
    std::string licence;
    std::string connection;  // the programmer or parallel port in use
};

AboutFacts aboutFacts(const Context& ctx);

}  // namespace pagerprog
