// pagerprog-cli's pager commands end to end: batches on the simulated programmer and
// adapter, the production record they leave, and the exit status of every way they end.
#include <fcntl.h>
#include <signal.h>

#include <chrono>
#include <random>
#include <regex>
#include <thread>

#include "support/cli_run.h"

namespace {

using cli_run::CliRun;
using Cli = cli_run::CliFixture;
namespace fs = std::filesystem;

class CliPager : public Cli {
protected:
    // Settings whose eight capcodes lie far apart, so that stepping one meets no other.
    void makeSettings(const std::string& name = "a.eep") {
        std::string edits;
        for (int slot = 1; slot <= 8; ++slot)
            edits += " address" + std::to_string(slot) + "=" + std::to_string(1000000 + 100000 * (slot - 1));
        ASSERT_EQ(run("new -o " + path(name) + edits).status, 0);
    }

    std::string capcodeIn(const std::string& pagerFile) {
        return valueOf(run("show " + path(pagerFile)).out, "address1");
    }

    // Starts the program without waiting for it; its output goes to files of the folder.
    pid_t start(const std::string& args) {
        const std::string command =
            "exec " + commandLine(args) + " >" + path("stdout") + " 2>" + path("stderr") + " </dev/null";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    }

    bool waitForError(const std::string& text) {
        for (int i = 0; i < 400; ++i) {
            if (slurp(path("stderr")).find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    static int exitStatus(pid_t pid) {
        int raw = 0;
        ::waitpid(pid, &raw, 0);
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

// Fails when a file that is no pager file is taken as a factory-fresh pager and then
// overwritten.
TEST_F(CliPager, ASimulatedPagerFileMustBeAPager) {
    std::ofstream(path("notes.bin")) << std::string(5000, 'n');
    CliRun refused = run("--simulate usb:" + path("notes.bin") + " read -o " + path("r.eep"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(path("notes.bin") + " holds more than 2048 bytes"), std::string::npos) << refused.err;
    EXPECT_EQ(fs::file_size(path("notes.bin")), 5000u);
    EXPECT_FALSE(fs::exists(path("r.eep")));
}

// A batch with Enter between pagers on the programmer; the record says what went where,
// restore brings a pager's previous image back and verify names what differs.
TEST_F(CliPager, ProgrammerBatchLeavesARecordToRestoreAndVerifyFrom) {
    makeSettings();
    CliRun empty = run("log --json");
    EXPECT_EQ(empty.status, 0) << "nothing recorded yet is an empty answer";
    EXPECT_EQ(empty.out, "[]\n");
    const std::string pager = "--simulate usb:" + path("pager.bin") + " ";
    CliRun batch = run(pager + "write " + path("a.eep") + " --count 3 autoinc1=8", "\n\n");
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_NE(batch.err.find("Connect pager 3 of 3 and press Enter"), std::string::npos);
    EXPECT_NE(batch.out.find("unit 2: address1=1000008 address2=1100000"), std::string::npos) << batch.out;
    EXPECT_NE(batch.out.find("batch 1: 3 of 3 pagers written and verified\nnext: address1=1000024 "), std::string::npos)
        << batch.out;

    const std::string csv = run("log --format csv").out;
    for (const char* unit :
         {"1,[^,]*,write,ok,1,1,,1000000,1,", "2,[^,]*,write,ok,1,2,,1000008,1,", "3,[^,]*,write,ok,1,3,,1000016,1,"})
        EXPECT_TRUE(std::regex_search(csv, std::regex(std::string("\n") + unit))) << unit << "\n" << csv;
    const std::string found = run("log --capcode 1000008 --json").out;
    EXPECT_NE(found.find("\"id\":2,"), std::string::npos) << found;
    EXPECT_EQ(found.find("\"id\":1,"), std::string::npos) << found;

    // One pager file took all three units: it holds what row 3 wrote, so row 2's kept image
    // (unit 1's) is refused unless forced, and row 3's (unit 2's) goes back.
    CliRun other = run(pager + "restore 2");
    EXPECT_EQ(other.status, 1) << other.err;
    EXPECT_NE(other.err.find("the attached pager is not the one row 2 wrote"), std::string::npos) << other.err;
    EXPECT_EQ(capcodeIn("pager.bin"), "1000016");
    CliRun restored = run(pager + "restore 3");
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(restored.out, "restore of row 3: verified\n");
    EXPECT_EQ(capcodeIn("pager.bin"), "1000008");
    EXPECT_TRUE(std::regex_search(run("log --format csv").out,
                                  std::regex("\n5,[^,]*,restore,ok,[^\n]*\"Restoring the image kept in production "
                                             "record row 3\nWrite to Pager")));
    EXPECT_EQ(run(pager + "restore 2 --force").status, 0);
    EXPECT_EQ(capcodeIn("pager.bin"), "1000000");
    EXPECT_NE(run(pager + "restore 99").err.find("refused: the production record has no row 99"), std::string::npos);

    CliRun same = run(pager + "verify " + path("a.eep"));
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, "");
    // One summary line naming what the bytes hold; the status log names the addresses.
    CliRun summary = run(pager + "verify " + path("a.eep") + " address1=1000001");
    EXPECT_TRUE(
        std::regex_match(summary.out, std::regex("\\d bytes differ, the first at 0x00\\d: address1, checksum\n")))
        << summary.out;
    CliRun differs = run(pager + "verify " + path("a.eep") + " address1=1000001 --json");
    EXPECT_EQ(differs.status, 4) << differs.err;
    EXPECT_NE(differs.out.find("{\"differences\": [{\"address\": 1, "), std::string::npos) << differs.out;
    EXPECT_NE(differs.err.find("log: Verify fail !\nbeep\nlog: Differs at 0x001: expected 0x"), std::string::npos)
        << differs.err;
    EXPECT_TRUE(std::regex_search(run("log --format csv").out, std::regex("\n9,[^,]*,verify,verify-failed,")));
}

// What a batch must not write: a capcode already in another pager (--unique), capcodes the
// address rules refuse after the step, a pager nobody connected.
TEST_F(CliPager, BatchStopsBeforeAPagerItMustNotWrite) {
    makeSettings();
    const std::string pager = "--simulate usb:" + path("pager.bin") + " write " + path("a.eep");
    ASSERT_EQ(run(pager).status, 0);
    CliRun again = run(pager);
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.err.find("warning: address1 1000000 is already in a pager (record row 1, "), std::string::npos);
    CliRun unique = run(pager + " --unique");
    EXPECT_EQ(unique.status, 1);
    EXPECT_NE(unique.err.find("refused: address1 1000000 is already in a pager"), std::string::npos);
    EXPECT_EQ(unique.err.find("Write to Pager"), std::string::npos);

    CliRun outOfRange = run(pager + " --count 2 address1=2097143 autoinc1=8", "\n");
    EXPECT_EQ(outOfRange.status, 7);
    EXPECT_NE(outOfRange.out.find("stopped: the capcodes of the next pager are refused: address1"), std::string::npos)
        << outOfRange.out;
    EXPECT_NE(outOfRange.out.find("\nnext: none\n"), std::string::npos) << "refused capcodes are no next pager's";
    EXPECT_EQ(outOfRange.err.find("Connect pager 2"), std::string::npos);
    EXPECT_EQ(capcodeIn("pager.bin"), "2097143");

    CliRun noEnter = run(pager + " --count 3 autoinc1=1");
    EXPECT_EQ(noEnter.status, 7);
    EXPECT_NE(noEnter.out.find(
                  "batch 4: 1 of 3 pagers written and verified\nstopped: the input ended before pager 2 was connected\n"
                  "next: address1=1000001 "),
              std::string::npos)
        << noEnter.out;
    // Resumed without its steps on the command line, the batch steps as it was started. The
    // write refused for --unique took no batch number: no pager was about to be written.
    CliRun resumed = run(pager + " --resume 4 --count 1");
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_NE(resumed.err.find("steps of batch 4: autoinc1=1 "), std::string::npos) << resumed.err;
    EXPECT_EQ(capcodeIn("pager.bin"), "1000001");
}

// The adapter takes each pager's capcodes from a CSV file; a row the rules refuse stops the
// batch before that pager, naming the row.
TEST_F(CliPager, AdapterBatchFromACapcodeFile) {
    makeSettings();
    std::ofstream(path("caps.csv")) << "address2,address1\n,1250000\n1350000,1250008\n,9999999\n";
    CliRun batch = run(
        "--simulate lpt:" + path("pager.bin") + " write " + path("a.eep") + " --count 3 --capcodes " + path("caps.csv"),
        "\n\n");
    EXPECT_EQ(batch.status, 7) << batch.err;
    EXPECT_NE(batch.out.find("unit 2: address1=1250008 address2=1350000 "), std::string::npos) << batch.out;
    // Rows as a spreadsheet numbers them, as the reader's own faults do: the header is row 1.
    EXPECT_NE(batch.out.find("stopped: row 4 was refused"), std::string::npos) << batch.out;
    EXPECT_NE(batch.err.find("refused: row 4 of " + path("caps.csv") + ": "), std::string::npos) << batch.err;
    std::ofstream(path("first.csv")) << "address1\n9999999\n";
    EXPECT_EQ(
        run("--simulate usb:" + path("first.bin") + " write " + path("a.eep") + " --capcodes " + path("first.csv"))
            .status,
        1)
        << "a row refused before any pager is a refused input, not a stopped batch";
    EXPECT_EQ(capcodeIn("pager.bin"), "1250008");
    EXPECT_TRUE(std::regex_search(run("log --format csv").out, std::regex("\n2,[^,]*,write,ok,1,2,2,1250008,")));

    // Refused before any pager is written: files of the wrong shape, a folder, fewer rows than pagers.
    fs::create_directories(dir / "folder.csv");
    const std::string shortfall = "address1\n1250000\n1250008\n";
    for (const std::string& bad : std::vector<std::string>{"address1,address9\n1,2\n", "address1,address2\n1250000\n",
                                                           "address1\n", "", shortfall}) {
        const std::string file = bad.empty() ? path("folder.csv") : path("bad.csv");
        if (!bad.empty()) std::ofstream(file) << bad;
        CliRun refused = run("--simulate usb:" + path("untouched.bin") + " write " + path("a.eep") +
                             " --count 3 --capcodes " + file);
        EXPECT_EQ(refused.status, 1) << bad;
        EXPECT_NE(refused.err.find(bad == shortfall ? "the capcode file has 2 rows left for 3 pagers"
                                                    : "pagerprog-cli: the capcode file " + file),
                  std::string::npos)
            << bad << refused.err;
    }
    EXPECT_FALSE(fs::exists(path("untouched.bin")));
    // Rows named as a spreadsheet numbers them: the header is row 1, a blank line counts.
    std::ofstream(path("blank.csv")) << "address1,address2\n1250000,1350000\n\n1250008\n";
    EXPECT_NE(
        run("--simulate usb:" + path("untouched.bin") + " write " + path("a.eep") + " --capcodes " + path("blank.csv"))
            .err.find("has 1 cell in row 4, where the header names 2 columns"),
        std::string::npos);
    // Spreadsheets where the comma is the decimal mark separate with semicolons; others with tabs.
    for (const char* separated :
         {"address2;address1\r\n\r\n1360000;1260000\r\n", "address2\taddress1\n1360000\t1260000\n"}) {
        std::ofstream(path("sheet.csv")) << separated;
        CliRun sheet =
            run("--simulate usb:" + path("sheet.bin") + " write " + path("a.eep") + " --capcodes " + path("sheet.csv"));
        EXPECT_EQ(sheet.status, 0) << sheet.err;
        EXPECT_NE(sheet.out.find("unit 1: address1=1260000 address2=1360000 "), std::string::npos) << sheet.out;
    }
    // A spreadsheet's byte order mark is no part of the first column's name; one pager a row.
    std::ofstream(path("excel.csv")) << "\xEF\xBB\xBF"
                                        "address1\r\n1260000\r\n";
    EXPECT_EQ(
        run("--simulate usb:" + path("excel.bin") + " write " + path("a.eep") + " --capcodes " + path("excel.csv"))
            .status,
        0);
    EXPECT_EQ(capcodeIn("excel.bin"), "1260000");
}

// Hands-free: the pagers of a folder are changed by hand; Ctrl-C while waiting for the
// next ends the batch with its summary, and --resume goes on with the capcode file's next row.
TEST_F(CliPager, HandsFreeBatchStoppedWithCtrlCAndResumed) {
    makeSettings();
    fs::create_directories(dir / "pagers");
    for (const char* name : {"p1.bin", "p2.bin"}) fs::copy_file(path("a.eep"), dir / "pagers" / name);
    std::ofstream(path("caps.csv")) << "address1\n1330000\n1330008\n1330016\n";
    const std::string caps = " --capcodes " + path("caps.csv");
    const pid_t batch =
        start("--simulate usb:" + path("pagers") + " write " + path("a.eep") + " --count 3 --hands-free" + caps);
    ASSERT_TRUE(waitForError("Put pager 3 of 3 in")) << slurp(path("stderr"));
    ::kill(batch, SIGINT);
    EXPECT_EQ(exitStatus(batch), 130) << "the shell's status of an interrupted command";
    const std::string summary = slurp(path("stdout"));
    EXPECT_NE(summary.find("batch 1: 2 of 3 pagers written and verified\nstopped: Ctrl-C\n"), std::string::npos)
        << summary;
    const std::string waits = slurp(path("stderr"));
    EXPECT_NE(waits.find("stopping after this pager"), std::string::npos) << waits;
    EXPECT_EQ(waits.find("Put pager 1 of 3 in"), std::string::npos) << "the first was in from the start";
    EXPECT_LT(waits.find("Take pager 1 out"), waits.find("Put pager 2 of 3 in"));
    EXPECT_EQ(capcodeIn("pagers/p1.bin"), "1330000");
    EXPECT_EQ(capcodeIn("pagers/p2.bin"), "1330008");

    CliRun resumed = run("--simulate usb:" + path("p3.bin") + " write " + path("a.eep") + " --resume 1");
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_NE(resumed.err.find("capcodes from " + path("caps.csv") + ", as batch 1 took them"), std::string::npos)
        << resumed.err;
    EXPECT_NE(resumed.err.find("batch 1 resumed at unit 3: 1 pager to go"), std::string::npos) << resumed.err;
    EXPECT_EQ(capcodeIn("p3.bin"), "1330016");
    EXPECT_EQ(run("write " + path("a.eep") + " --resume 2").status, 1) << "no such batch";
}

// Fails when a write killed at some moment leaves the pager changed with no row that kept
// what it held: every write is recorded before its first byte, shows as interrupted once
// its program is gone, and can be undone.
TEST_F(CliPager, AWriteKilledAnywhereLeavesARowToUndoItFrom) {
    makeSettings();
    ASSERT_EQ(run("new -o " + path("before.bin") + " address1=1900000").status, 0);
    const std::string before = slurp(path("before.bin"));
    std::minstd_rand delays(7);
    int changed = 0, interrupted = 0;
    for (int round = 0; round < 24; ++round) {
        fs::copy_file(path("before.bin"), path("pager.bin"), fs::copy_options::overwrite_existing);
        const pid_t writer = start("--simulate usb:" + path("pager.bin") + " write " + path("a.eep"));
        std::this_thread::sleep_for(std::chrono::milliseconds(delays() % 70));
        ::kill(writer, SIGKILL);
        exitStatus(writer);
        if (slurp(path("pager.bin")) == before) continue;
        ++changed;
        const std::string units = run("log --format csv").out;
        std::smatch last;
        ASSERT_TRUE(std::regex_search(units, last, std::regex("\n(\\d+),[^,]*,write,(ok|interrupted),")))
            << "round " << round << "\n"
            << units;
        interrupted += last[2] == "interrupted";
        EXPECT_EQ(run("--simulate usb:" + path("pager.bin") + " restore " + last[1].str()).status, 0) << round;
        EXPECT_EQ(slurp(path("pager.bin")), before) << "round " << round;
    }
    std::cout << changed << " of 24 killed writes had changed the pager, " << interrupted << " of them cut short\n";
}

// The statuses a script acts on, each from the situation it names.
TEST_F(CliPager, ExitStatusNamesWhatWentWrong) {
    makeSettings();
    pagerprog::Image bad = pagerprog::sixAddressTemplate();
    bad[0x7FF] ^= 0xFF;
    writeImage("bad-checksum.bin", bad);
    std::ofstream(path("corrupt.sqlite")) << std::string(4096, 'x');
    const std::string preload = std::string("LD_PRELOAD=") + PAGERPROG_FAKE_KERNEL + " FAKE_KERNEL_SCENE=";
    struct Case {
        std::string args, environment;
        int status;
        std::string inErr;
    };
    const Case cases[] = {
        {"--port usb read -o " + path("r.eep"), "", 3, "no USB programmer is attached"},
        {"--port lpt2 read -o " + path("r.eep"), "", 3, "log: Device not exist, please check the connection."},
        {"write " + path("a.eep"), preload + "programmer", 0, "log: Verify OK !"},
        {"write " + path("a.eep"), preload + "'programmer silent-from-chunk=3'", 5, "log: "},
        // A port pulled out mid-transfer is named, not taken for the pager's checksum or verify.
        {"write " + path("a.eep"), preload + "'programmer unplug-at-chunk=70'", 5,
         "log: USB programmer 1-1 was removed during the transfer\n"},
        {"read -o " + path("r.eep"), preload + "'parport parport-vanish-after=40000'", 5,
         "log: /dev/parport0 was removed during the transfer\n"},
        {"--simulate usb:" + path("bad-checksum.bin") + " read -o " + path("r.eep"), "", 6, "log: "},
        {"--db " + path("corrupt.sqlite") + " --simulate usb:" + path("fresh.bin") + " write " + path("a.eep"), "", 1,
         "production record"},
        {"--db " + path("no/record.sqlite") + " --simulate usb:" + path("fresh.bin") + " restore 1", "", 1,
         "pagerprog-cli: there is no production record at " + path("no/record.sqlite") + "\n"},
        {"--data-dir " + path("nowhere") + " new -o " + path("r.eep"), "", 1, "refused: the language file is missing"},
        // -q still tells why a step failed; -v adds each pager command's traffic or timing.
        {"-q --simulate usb:" + path("bad-checksum.bin") + " read -o " + path("r.eep"), "", 6, "log: "},
        {"-v --simulate usb:" + path("v.bin") + " write " + path("a.eep"), "", 0,
         "beep\ndetail: USB programmer at sim1 (sim:sim1#1): 192 chunk requests sent (6144 bytes)\n"},
        {"-v --ack-polling --simulate lpt:" + path("v.bin") + " write " + path("a.eep"), "", 0,
         "detail: LPT1 bus timing: bus free 6 ms, SCL high 1 us, SCL low 1 us, SDA hold 30 us, supply settle 500 ms; "
         "page writes poll the acknowledge\n"},
        // A trace never empties what the command uses, and a trace cut short fails a good write.
        {"--db " + path("kept.sqlite") + " --simulate usb:" + path("t.bin") + " --trace " + path("kept.sqlite") +
             " write " + path("a.eep"),
         "", 1, "it is the production record"},
        {"--simulate usb:" + path("t.bin") + " --trace " + path("a.eep") + " write " + path("a.eep"), "", 2,
         "would overwrite " + path("a.eep")},
        {"--simulate usb:" + path("t.bin") + " --trace /dev/full write " + path("a.eep"), "", 1, "was cut short"},
    };
    for (const Case& c : cases) {
        CliRun r = run(c.args, "", c.environment);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.inErr), std::string::npos) << c.args << "\n" << r.err;
    }
    EXPECT_FALSE(fs::exists(path("r.eep")));
    EXPECT_FALSE(fs::exists(path("fresh.bin"))) << "no pager written that the record cannot account for";
    EXPECT_FALSE(fs::exists(path("no"))) << "restore makes no record where there was none";
    EXPECT_GT(fs::file_size(path("kept.sqlite")), 0u);
    EXPECT_EQ(fs::file_size(path("a.eep")), 2048u);
    const std::string failedRead = run("log --format csv --since 2000-01-01").out;
    EXPECT_TRUE(std::regex_search(failedRead, std::regex(",read,bad-checksum,,,,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,,")))
        << "a pager whose image was refused has no capcodes to record\n"
        << failedRead;
    EXPECT_EQ(run("--allow-default-prompts --data-dir " + path("nowhere") + " new -o " + path("r.eep")).status, 0);
}

TEST_F(CliPager, ProbeExitStatusSaysWhatAnswered) {
    struct Case {
        const char* args;
        int status;
        const char* line;
    };
    // This machine has neither a parallel port nor a programmer.
    for (const Case& c :
         {Case{"--simulate lpt probe", 0, "Result: a pager answered."},
          Case{"--simulate usb --port lpt2 probe", 0, "  blocks acknowledging (of 0 to 7): 0 1 2 3 4 5 6 7"},
          Case{"probe", 3, "Result: no port and no programmer can be used."}}) {
        CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << r.err;
        EXPECT_NE(r.out.find(std::string(c.line) + "\n"), std::string::npos) << c.args << r.out;
    }
    EXPECT_NE(run("--help").out.find("probe: 0 a pager answered; 1 a port"), std::string::npos);
    EXPECT_EQ(run("probe extra").status, 2);
}

TEST_F(CliPager, TraceAndAcknowledgePollingOnASimulatedAdapter) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    CliRun written = run("--simulate lpt --ack-polling --trace " + path("t.vcd") + " write " + path("a.eep"));
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.err.find("log: Bus trace to " + path("t.vcd")), std::string::npos);
    EXPECT_NE(slurp(path("t.vcd")).find("$var wire 1 ! SCL $end"), std::string::npos);
    EXPECT_EQ(run("--simulate lpt --trace " + path("no/such/dir/t.vcd") + " read -o " + path("r.eep")).status, 1);
    EXPECT_EQ(run("--trace " + path("t.vcd") + " show").status, 2);
    EXPECT_EQ(run("--ack-polling show").status, 2);
}

}  // namespace
