// One run of the program behind the command line: started as the window starts, with
// the command-line options applied, and, for pager commands, the pager link attached.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/document/application.h"
#include "app/pager/pager_outcome.h"
#include "app/pager/pager_workflows.h"
#include "cli/cli_host.h"
#include "cli/cli_options.h"

namespace pagerprog {
class LinkSetup;
class PagerCommands;
class PagerLink;
class Production;
}  // namespace pagerprog

namespace pagerprog::cli {

// The port or programmer asked for is not there.
struct NoDevice : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Session {
public:
    Session(const Options& options, Console& console);
    ~Session();

    Application& app() { return app_; }
    CliHost& host() { return host_; }
    Console& console() { return host_.console(); }

    // "&Open" with FILE chosen in the dialog; false when the file was refused.
    bool open(const std::string& path);
    // "&Save" with OUT chosen in the dialog; false when nothing was saved.
    bool save(const std::string& path);
    // "&RD_From_Pager" and "&WR_To_Pager", and the verify and restore beside them; how
    // each ended is in lastOutcome().
    bool readPager();
    bool writePager();
    bool verifyPager();
    bool restorePager(const PagerWorkflows::Restore& request);
    PagerOutcome lastOutcome() const;
    // Whether a pager answers right now (a hands-free batch polls it).
    bool pagerAnswers();
    // The pager link, the workflows and the production record of a pager command.
    PagerLink& link();
    LinkSetup& linkSetup() { return *link_; }
    PagerWorkflows& workflows();
    Production& production();
    // Why the trace file does not hold the whole trace ("" while it does).
    std::string traceFailure() const;
    // Start-up found no language file: the image carries the template's prompt texts.
    bool languageFileMissing() const { return languageFileMissing_; }

private:
    void pickCustomer(const std::string& name);
    void stepToRevision(const std::string& name);
    void choosePort(const Options& options);
    void attachLinkTools(const Options& options);
    // Runs a menu command; false when it did not do its job or a message box was shown.
    bool runCommand(const char* item);
    // A menu command that is a step of its own for the console: what it said is shown
    // with -q only when it failed.
    bool runStep(const char* item);
    // A pager command, followed by what the simulated pager's file could not take.
    bool runPagerCommand(const char* item);
    bool runPagerStep(const std::function<bool()>& step);
    // -v: the bus timing or the programmer traffic of the pager command that just ended.
    void tellTraffic(long long chunkBytesBefore);
    void openRecord(const Options& options);

    CliHost host_;
    Application app_;
    std::unique_ptr<LinkSetup> link_;
    std::unique_ptr<PagerCommands> pagerCommands_;
    bool languageFileMissing_ = false;
};

}  // namespace pagerprog::cli
