// Every pager by name: scanned and listed serials, the operator, a pager's history, the
// audit against a template, the yield report and the hooks around each unit, end to end.
#include <chrono>
#include <nlohmann/json.hpp>
#include <regex>

#include "support/cli_run.h"

namespace {

using cli_run::CliRun;
namespace fs = std::filesystem;

class CliSerials : public cli_run::CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        ASSERT_EQ(run("new -o " + path("a.eep") + " address1=1000000").status, 0);
    }

    // `write a.eep` on the simulated pager FILE, with `args` after it.
    CliRun write(const std::string& file, const std::string& args, const std::string& input = "",
                 const std::string& environment = "") {
        return run("--simulate usb:" + path(file) + " write " + path("a.eep") + " " + args, input, environment);
    }

    // The serials of the record's writes, oldest first.
    std::vector<std::string> recordedSerials() {
        std::vector<std::string> serials;
        for (const auto& unit : nlohmann::json::parse(run("log --json").out))
            if (unit["operation"] == "write") serials.insert(serials.begin(), unit["serial"].get<std::string>());
        return serials;
    }

    void script(const std::string& name, const std::string& body) {
        std::ofstream(path(name)) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path(name), fs::perms::owner_all);
    }
};

// A hands-free batch of five pagers, each serial scanned before its pager goes in: five
// rows with those serials, a history for each, a restore by serial and the yield report.
TEST_F(CliSerials, HandsFreeBatchOfScannedPagers) {
    fs::create_directories(dir / "pagers");
    for (int n = 1; n <= 5; ++n) fs::copy_file(path("a.eep"), dir / "pagers" / ("p" + std::to_string(n) + ".bin"));
    CliRun batch = write("pagers", "--count 5 --hands-free --scan autoinc1=8", "SN-1\nSN-2\nSN-3\nSN-4\nSN-5\n",
                         "PAGERPROG_OPERATOR=Alice");
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_NE(batch.out.find("unit 3, serial SN-3: address1=1000016 "), std::string::npos) << batch.out;
    EXPECT_LT(batch.err.find("Take pager 1 out"), batch.err.find("Scan the serial of pager 2 of 5"));
    EXPECT_LT(batch.err.find("Scan the serial of pager 2 of 5"), batch.err.find("Put pager 2 of 5 in"));
    EXPECT_EQ(recordedSerials(), (std::vector<std::string>{"SN-1", "SN-2", "SN-3", "SN-4", "SN-5"}));

    CliRun restored = run("--simulate usb:" + path("pagers/p3.bin") + " restore --serial SN-3");
    EXPECT_EQ(restored.out, "restore of row 3: verified\n") << restored.err;
    const std::string history = run("history SN-3").out;
    EXPECT_TRUE(std::regex_search(history, std::regex("\n3 +[-0-9: ]+ +write +ok +1 +3 +1:1000016 .* Alice ")))
        << history;
    EXPECT_TRUE(std::regex_search(history, std::regex("\n6 +[-0-9: ]+ +restore +ok .*1:1000000 "))) << history;
    const std::string byCapcode = run("history --capcode 1000016").out;
    EXPECT_TRUE(std::regex_match(byCapcode, std::regex("id .*\n3 .*\n"))) << byCapcode;
    EXPECT_NE(run("report --by operator --format csv").out.find("\r\nAlice,5,5,0,1.000,"), std::string::npos);
}

// An empty scan ends the batch as the technician wants; a scan no label holds stops it
// before that pager, and the record keeps exactly the pagers written.
TEST_F(CliSerials, ScansThatEndOrStopTheBatch) {
    struct Case {
        std::string input;
        int status;
        std::string said;
        std::vector<std::string> recorded;
    };
    const Case cases[] = {
        {"A-1\n\n", 0, "ended: no serial scanned for pager 2 of 3", {"A-1"}},
        {"  A-2 \r\n", 0, "ended: no serial scanned for pager 2 of 3", {"A-2"}},
        {"A\x1b"
         "3\n",
         1,
         "refused: the serial holds the control character 0x1B at character 2 (pager 1 of 3)",
         {}},
        {"A-4\n" + std::string(5000, 'x') + "\nA-5\n", 7, "the scanned line is longer than 4096 bytes", {"A-4"}},
        {"A-6\nA-7\n" + std::string(65, '7') + "\n", 7, "the serial is 65 characters long; at most 64", {"A-6", "A-7"}},
        {"A-1\n", 1, "refused: the serial A-1 is already in a pager (record row 1, ", {}},
    };
    std::vector<std::string> all;
    int round = 0;
    for (const Case& c : cases) {
        // Capcodes of their own, so that only the serial can be refused as already in a pager.
        const std::string pager = "pager" + std::to_string(++round) + ".bin";
        CliRun batch = write(
            pager, "--count 3 --scan --unique autoinc1=1 address1=" + std::to_string(1100000 + 10 * round), c.input);
        EXPECT_EQ(batch.status, c.status) << round << batch.err;
        EXPECT_NE((batch.out + batch.err).find(c.said), std::string::npos) << batch.out << batch.err;
        all.insert(all.end(), c.recorded.begin(), c.recorded.end());
        EXPECT_EQ(recordedSerials(), all) << round;
        EXPECT_EQ(fs::exists(path(pager)), !c.recorded.empty()) << "a pager refused before its write is untouched";
    }
}

// Serials from a list or the capcode file: one way only, and one for every pager before the first is written.
TEST_F(CliSerials, SerialsFromFiles) {
    std::ofstream(path("two.txt")) << "B-1\r\n\nB-2\n";
    std::ofstream(path("twice.txt")) << "B-1\nB-2\nB-1\n";
    std::ofstream(path("caps.csv")) << "address1,serial\n1200000,C-1\n1200008,C-2\n";
    struct Case {
        std::string args;
        int status;
        std::string said;
    };
    const Case refused[] = {
        {"--count 3 --serials " + path("two.txt"), 1, "refused: the serial list has 2 serials for 3 pagers"},
        {"--serials " + path("twice.txt"), 1, "has the serial B-1 on lines 1 and 3"},
        {"--scan --serials " + path("two.txt"), 2, "--scan and --serials do not go together"},
        {"--scan --gang", 2, "--scan does not go with --gang"},
        {"--scan --capcodes " + path("caps.csv"), 1, "scanned and read from the capcode file"},
    };
    for (const Case& c : refused) {
        CliRun r = write("untouched.bin", c.args);
        EXPECT_EQ(r.status, c.status) << c.args << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(path("untouched.bin")));
    EXPECT_EQ(write("list.bin", "--serials " + path("two.txt") + " autoinc1=1", "\n").status, 0);
    EXPECT_EQ(write("sheet.bin", "--capcodes " + path("caps.csv"), "\n").status, 0);
    EXPECT_EQ(recordedSerials(), (std::vector<std::string>{"B-1", "B-2", "C-1", "C-2"}));
}

// A hook that fails, hangs or talks too much is told and recorded, never the unit's outcome;
// one that cannot run or refuses stops the batch before the pager.
TEST_F(CliSerials, HooksAroundEachUnit) {
    script("post.sh",
           "cat > \"$0.$PAGERPROG_UNIT.json\"; env | grep ^PAGERPROG_ | sort > \"$0.$PAGERPROG_UNIT.env\"\n"
           "echo \"label jammed for $PAGERPROG_SERIAL\"; exit 3");
    const std::string post = " --post-unit " + path("post.sh");
    std::ofstream(path("serials.txt")) << "H-1\nH-2\n";
    CliRun failed = write("p.bin", "--count 2 --serials " + path("serials.txt") + post, "\n", "PAGERPROG_OPERATOR=Bob");
    EXPECT_EQ(failed.status, 0) << failed.err;
    EXPECT_NE(failed.err.find("log: Post-unit hook failed: exit status 3: label jammed for H-2\n"), std::string::npos);
    const std::string row = slurp(path("post.sh.2.json"));
    EXPECT_TRUE(
        std::regex_search(row, std::regex("^\\{\"id\":2,.*\"outcome\":\"ok\",.*\"serial\":\"H-2\",\"operator\":"
                                          "\"Bob\",.*\"status_log\":\\[\"Write to Pager...\",\"Verify OK !\"\\]")))
        << row;
    const std::string env = slurp(path("post.sh.2.env"));
    for (const char* variable : {"PAGERPROG_ADDRESS1=1000000\n", "PAGERPROG_BATCH=1\n", "PAGERPROG_HOOK=post-unit\n",
                                 "PAGERPROG_OUTCOME=ok\n", "PAGERPROG_ROW=2\n", "PAGERPROG_SERIAL=H-2\n"})
        EXPECT_NE(env.find(variable), std::string::npos) << variable << env;
    EXPECT_TRUE(
        std::regex_search(run("log --serial H-2 --format csv").out,
                          std::regex(",write,ok,.*\"Write to Pager...\nVerify OK !\nPost-unit hook failed: exit "
                                     "status 3: label jammed for H-2\"")));

    const auto started = std::chrono::steady_clock::now();
    CliRun hung = write("p.bin", "--post-unit 'sleep 20' --hook-timeout 0.3");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(hung.status, 0);
    EXPECT_NE(hung.err.find("log: Post-unit hook failed: stopped, still running after 0.3 s\n"), std::string::npos);
    CliRun chatty = write("p.bin", "--post-unit 'head -c 20000000 /dev/zero; echo; echo done'");
    EXPECT_NE(chatty.err.find("log: Post-unit hook: done in "), std::string::npos) << chatty.err;

    fs::permissions(path("post.sh"), fs::perms::owner_read | fs::perms::owner_write);
    const std::string refusals[][2] = {
        {post, "refused: the post-unit hook " + path("post.sh") + " is not executable"},
        {"--pre-unit 'echo not on the work order; exit 1'",
         "refused: unit 1 was refused by the pre-unit hook: not on the work order"},
    };
    for (const auto& [args, said] : refusals) {
        CliRun refused = write("untouched.bin", args);
        EXPECT_EQ(refused.status, 1) << args;
        EXPECT_NE(refused.err.find(said), std::string::npos) << refused.err;
    }
    EXPECT_FALSE(fs::exists(path("untouched.bin")));
    EXPECT_EQ(write("p.bin", "--hook-timeout 0").status, 2);
}

// The pager against its template: the settings that differ make it fail; its own capcodes
// and calibration are listed apart.
TEST_F(CliSerials, AuditAgainstTheTemplate) {
    ASSERT_EQ(write("p.bin", "").status, 0);
    ASSERT_EQ(run("edit " + path("a.eep") + " -o " + path("b.eep") + " alerttype=Vibrate").status, 0);
    const std::string pager = "--simulate usb:" + path("p.bin") + " audit ";
    // A fresh simulated pager's calibration, which the writes kept, is its own.
    const std::string calibration = "per unit: contrast: 45 -> 50\nper unit: pll: SM5170 -> KS8809\n";
    CliRun same = run(pager + path("a.eep"));
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, calibration + "configured as the template; 2 per-unit fields differ\n");
    CliRun differs = run(pager + path("b.eep"));
    EXPECT_EQ(differs.status, 4) << differs.err;
    EXPECT_EQ(differs.out, "alerttype: Vibrate -> User select\n" + calibration +
                               "1 field differs from the template; 2 per-unit fields differ\n");
    ASSERT_EQ(write("p.bin", "address1=1000008").status, 0);
    const auto json = nlohmann::json::parse(run(pager + path("a.eep") + " --json").out);
    EXPECT_EQ(json["as_template"], true);
    EXPECT_EQ(json["per_unit"][0],
              nlohmann::json({{"field", "address1"}, {"template", "1000000"}, {"pager", "1000008"}}));
    EXPECT_EQ(run(pager + path("none.eep")).status, 1);
}

// The example label hook: the label it sends to lp reads back as the pager's serial.
TEST_F(CliSerials, PrintLabelHookPrintsABarcodeOfTheSerial) {
    for (const char* tool : {"zint", "gs", "zbarimg"})
        if (std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) != 0)
            GTEST_SKIP() << tool << " is not installed";
    fs::create_directories(dir / "bin");
    script("bin/lp", "for file; do :; done; cp \"$file\" " + path("label.ps"));
    std::ofstream(path("serials.txt")) << "SN-(0042)\n";
    const std::string hook = std::string(PAGERPROG_TEST_DATA_DIR) + "/../../doc/examples/print-label.sh";
    CliRun printed = write("p.bin", "--serials " + path("serials.txt") + " --post-unit " + hook, "",
                           "PATH=" + path("bin") + ":$PATH");
    ASSERT_EQ(printed.status, 0) << printed.err;
    EXPECT_NE(printed.err.find("log: Post-unit hook: done"), std::string::npos) << printed.err;
    const std::string label = slurp(path("label.ps"));
    EXPECT_NE(label.find("(Serial SN-\\(0042\\)) show"), std::string::npos);
    EXPECT_NE(label.find("(1000000 2004008 2004016 2004024) show"), std::string::npos);
    const std::string png = path("label.png");
    ASSERT_EQ(std::system(("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pnggray -r300 -sOutputFile=" + png + " " +
                           path("label.ps"))
                              .c_str()),
              0);
    const std::string decoded = path("decoded.txt");
    EXPECT_EQ(std::system(("zbarimg --raw -q " + png + " >" + decoded + " 2>/dev/null").c_str()), 0);
    EXPECT_EQ(slurp(decoded), "SN-(0042)\n");
}

}  // namespace
