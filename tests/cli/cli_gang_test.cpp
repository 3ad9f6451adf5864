// write --gang end to end: simulated programmers changing their pagers by hand, the result
// lines and summary, the record of who wrote what, and every way a gang refuses to begin
// or ends before its count.
#include <signal.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "support/cli_run.h"

namespace {

using cli_run::CliRun;
namespace fs = std::filesystem;

class CliGang : public cli_run::CliFixture {
protected:
    // Settings whose capcodes lie far apart, and a folder of `pagers` pager files for each programmer.
    void makeBench(int programmers, int pagers) {
        ASSERT_EQ(run("new -o " + path("a.eep") + " address1=1200000 address2=1300000").status, 0);
        for (int p = 1; p <= programmers; ++p) {
            const fs::path folder = dir / ("p" + std::to_string(p));
            fs::create_directories(folder);
            for (int i = 1; i <= pagers; ++i) fs::copy_file(path("a.eep"), folder / (std::to_string(i) + ".bin"));
            simulate += "--simulate usb:" + folder.string() + " ";
        }
    }

    std::string capcodeIn(const fs::path& pager) { return valueOf(run("show " + pager.string()).out, "address1"); }

    std::string simulate;
};

// Fails when a unit's capcodes reach two pagers or none, or the record loses who wrote it.
TEST_F(CliGang, NinePagersOnThreeProgrammers) {
    makeBench(3, 3);
    CliRun gang = run(simulate + "write " + path("a.eep") + " --gang --count 9 autoinc1=8");
    ASSERT_EQ(gang.status, 0) << gang.err;
    EXPECT_NE(gang.err.find("gang of 3 programmers: sim1, sim2, sim3\n"), std::string::npos) << gang.err;
    EXPECT_NE(gang.err.find("sim2: Put the next pager in\n"), std::string::npos) << "each programmer's own lines";
    EXPECT_NE(gang.out.find("batch 1: 9 of 9 pagers written and verified\n"), std::string::npos) << gang.out;
    for (const char* line : {"sim1: 3 verified\n", "sim2: 3 verified\n", "sim3: 3 verified\n", " pagers per hour\n",
                             "next: address1=1200072 "})
        EXPECT_NE(gang.out.find(line), std::string::npos) << line << "\n" << gang.out;
    std::map<std::string, int> pagersWith;
    for (const auto& folder : {"p1", "p2", "p3"})
        for (const auto& pager : fs::directory_iterator(dir / folder)) ++pagersWith[capcodeIn(pager.path())];
    ASSERT_EQ(pagersWith.size(), 9u);
    for (int unit = 0; unit < 9; ++unit) EXPECT_EQ(pagersWith[std::to_string(1200000 + 8 * unit)], 1) << unit;

    std::istringstream rows(run("log --format csv").out);
    std::string header, row;
    std::getline(rows, header);
    std::map<std::string, int> byProgrammer;
    while (std::getline(rows, row)) {
        for (const char* name : {",sim1,", ",sim2,", ",sim3,"})
            if (row.find(name) != std::string::npos && row.find(",write,ok,1,") != std::string::npos)
                ++byProgrammer[name];
    }
    EXPECT_EQ(byProgrammer, (std::map<std::string, int>{{",sim1,", 3}, {",sim2,", 3}, {",sim3,", 3}}));
}

// Ctrl-C while the programmers wait for their next pagers ends them all with the summary.
TEST_F(CliGang, CtrlCEndsEveryProgrammerWithTheSummary) {
    makeBench(2, 1);
    const std::string command = "exec " +
                                commandLine(simulate + "write " + path("a.eep") + " --gang --count 6 autoinc1=1") +
                                " >" + path("stdout") + " 2>" + path("stderr") + " </dev/null";
    const pid_t gang = ::fork();
    if (gang == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 200 && slurp(path("stderr")).find("Put pager") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(gang, SIGINT);
    int raw = 0;
    ::waitpid(gang, &raw, 0);
    EXPECT_EQ(WEXITSTATUS(raw), 130);
    const std::string summary = slurp(path("stdout"));
    EXPECT_NE(summary.find("batch 1: 2 of 6 pagers written and verified\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("stopped: Ctrl-C\n"), std::string::npos) << summary;
    EXPECT_NE(summary.find("next: address1=1200002 "), std::string::npos) << summary;
}

// Each refusal in one line with its status, before any pager is written; programmers that
// all fail end the batch before its count.
TEST_F(CliGang, RefusalsAndFailuresNameWhatWentWrong) {
    makeBench(2, 1);
    const std::string write = "write " + path("a.eep") + " --gang";
    const std::string kernel = std::string("LD_PRELOAD=") + PAGERPROG_FAKE_KERNEL + " FAKE_KERNEL_SCENE=";
    struct Case {
        std::string args, environment;
        int status;
        std::string inErr;
    };
    const Case cases[] = {
        {"--port usb@sim1 --port usb@sim1 " + simulate + write, "", 2, "--port usb@sim1 is given twice\n"},
        {"--port usb@sim1 --port lpt1 read -o " + path("r.eep"), "", 2, "several --port go with write --gang only\n"},
        {"--trace " + path("t.txt") + " " + simulate + write, "", 2, "--trace follows one programmer, not a --gang\n"},
        {simulate + write + " --on-fail never", "", 2, "--on-fail takes reuse or skip, not never\n"},
        {"--port usb@9-9 " + simulate + write, "", 3, "pagerprog-cli: no USB programmer is plugged into 9-9\n"},
        {"--port usb@9-9 " + simulate + "read -o " + path("r.eep"), "", 3, "no USB programmer is plugged into 9-9\n"},
        {"--port usb@1-1 " + write, kernel + "'programmer held=0'", 3,
         "pagerprog-cli: 1-1 cannot be used: another program is using it.\n"},
        {write, kernel + "'programmer held=0'", 3,
         "1-1: left out of the gang: another program is using it.\n"
         "pagerprog-cli: no programmer can be used for the gang\n"},
        {write + " --count 2", kernel + "'programmer silent-from-chunk=70'", 7, "1-1 left the gang: "},
    };
    for (const Case& c : cases) {
        CliRun r = run(c.args, "", c.environment);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.inErr), std::string::npos) << c.args << "\n" << r.err;
    }
    // The programmer that stopped answering: its unit failed, recorded once, none written twice.
    const std::string units = run("log --format csv").out;
    EXPECT_NE(units.find(",write,programmer-error,"), std::string::npos) << units;
    EXPECT_EQ(units.find(",write,ok,"), std::string::npos) << units;
    EXPECT_FALSE(fs::exists(path("r.eep")));
}

}  // namespace
