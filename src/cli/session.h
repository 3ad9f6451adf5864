// One run of the program behind the command line: started as the window starts, with
// the command-line options applied, and, for pager commands, the pager link attached.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "app/application.h"
#include "cli/cli_host.h"
#include "cli/cli_options.h"

namespace pagerprog {
class LinkSetup;
class PagerCommands;
class PagerLink;
}  // namespace pagerprog

namespace pagerprog::cli {

class Session {
public:
    Session(const Options& options, std::ostream& err);
    ~Session();

    Application& app() { return app_; }
    CliHost& host() { return host_; }

    // "&Open" with FILE chosen in the dialog; false when the file was refused.
    bool open(const std::string& path);
    // "&Save" with OUT chosen in the dialog; false when nothing was saved.
    bool save(const std::string& path);
    // "&RD_From_Pager" and "&WR_To_Pager"; false when the pager was not read or verified.
    bool readPager();
    bool writePager();
    // The pager link of a pager command.
    PagerLink& link();

private:
    void pickCustomer(const std::string& name);
    void stepToRevision(const std::string& name);
    void choosePort(const Options& options);
    void attachLinkTools(const Options& options);
    // Runs a menu command; false when it did not do its job or a message box was shown.
    bool runCommand(const char* item);
    // A pager command, followed by what the simulated pager's file could not take.
    bool runPagerCommand(const char* item);

    CliHost host_;
    Application app_;
    std::unique_ptr<LinkSetup> link_;
    std::unique_ptr<PagerCommands> pagerCommands_;
};

}  // namespace pagerprog::cli
