// The tool's own voice on standard error, and how much of it -q and -v let through. The
// status-log echo (log lines and beeps) is what -q drops: kept back while a step runs, it
// is shown when the step fails and forgotten when it goes well, so that a failure still
// says why. Errors, refusals and what a batch asks of the technician are always written;
// -v adds detail such as the bus timing and the traffic of each pager command.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pagerprog::cli {

enum class Verbosity { Quiet, Normal, Verbose };

class Console {
public:
    explicit Console(std::ostream& err) : err_(err) {}

    void setVerbosity(Verbosity verbosity) { verbosity_ = verbosity; }
    bool quiet() const { return verbosity_ == Verbosity::Quiet; }

    // A status-log line or a beep, as the window's status log shows it.
    void status(const std::string& line);
    // A step (loading a file, an edit, a pager command, the whole command) has ended; what
    // it said is shown now when it failed.
    void stepEnded(bool succeeded);
    // An error or a refusal: always shown, after what the failing step said.
    void error(const std::string& line);
    // Written with -v only.
    void detail(const std::string& line);
    // Lines of their own, such as the progress bar: quiet() tells whether to write them.
    std::ostream& stream() { return err_; }

private:
    std::ostream& err_;
    Verbosity verbosity_ = Verbosity::Normal;
    std::vector<std::string> held_;
};

}  // namespace pagerprog::cli
