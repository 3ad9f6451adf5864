// What the window's status bar tells the technician at the bench: the port or programmer
// in use, how the last pager command ended (in plain words; after a verified write the
// capcodes the next pager gets, then the ones written), how many pagers verified since the program
// started, and the production record in use (a file or a server; whether the server answers
// and units wait in the spool) or why no pager is written.
#pragma once

#include <string>

namespace pagerprog {

class PagerCommands;
class PagerLink;
struct Context;

enum class Tone { Plain, Good, Warning, Bad };

// A short text for the bar, and the whole story for its tooltip.
struct StatusPart {
    std::string text;
    Tone tone = Tone::Plain;
    std::string detail;
};

struct BenchStatus {
    StatusPart port;
    StatusPart result;  // empty before the first pager command
    StatusPart verified;
    StatusPart record;
};

BenchStatus benchStatus(const Context& ctx, PagerCommands& commands, PagerLink& link);

}  // namespace pagerprog
