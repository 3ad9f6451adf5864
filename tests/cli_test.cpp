// pagerprog-cli end to end, on settings files it makes itself.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "settings/eeprom_image.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out, err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pagerprog_cli_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string slurp(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    CliRun run(const std::string& args, const std::string& input = "") {
        const fs::path in = dir / "stdin", out = dir / "stdout", err = dir / "stderr";
        std::ofstream(in) << input;
        const std::string command = std::string(PAGERPROG_CLI) + " --data-dir " + PAGERPROG_DATA + " " + args + " >" +
                                    out.string() + " 2>" + err.string() + " <" + in.string();
        const int raw = std::system(command.c_str());
        return CliRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    static std::string valueOf(const std::string& shown, const std::string& field) {
        std::istringstream lines(shown);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(field + "=", 0) == 0) return line.substr(field.size() + 1);
        return "<missing>";
    }

    fs::path dir;
};

TEST_F(Cli, NewMakesAValidFileThatShowReadsBack) {
    CliRun made = run("new -o " + path("a.eep"));
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.err.find("log: Save data to " + path("a.eep")), std::string::npos);
    EXPECT_NE(made.err.find("log: ok!"), std::string::npos);
    const std::string bytes = slurp(path("a.eep"));
    ASSERT_EQ(bytes.size(), 2048u);
    pagerprog::Image image;
    std::copy(bytes.begin(), bytes.end(), image.begin());
    EXPECT_TRUE(pagerprog::imageChecksumOk(image));

    CliRun shown = run("show " + path("a.eep"));
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.err.find("log: File loaded"), std::string::npos);
    EXPECT_EQ(valueOf(shown.out, "address1"), "2004000");
    EXPECT_EQ(valueOf(shown.out, "frequency"), "163.00000");
    EXPECT_EQ(valueOf(shown.out, "numset"), "0-9,'NL'U'SP'-][");
    EXPECT_EQ(valueOf(shown.out, "addr1en"), "1");
    EXPECT_EQ(valueOf(shown.out, "TrackBar4"), "30");
    EXPECT_EQ(shown.out.rfind("addr1en=1\n", 0), 0u) << "fields come in window order";

    CliRun states = run("show --states " + path("a.eep"));
    EXPECT_EQ(valueOf(states.out, "contrast"), "45\tenabled=0\tvisible=1");
    EXPECT_EQ(valueOf(states.out, "repeatmsg"), "1\tenabled=1\tvisible=0");
}

TEST_F(Cli, EditsAreTypedThroughTheFieldRules) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    CliRun edited = run("edit " + path("a.eep") + " -o " + path("b.eep") +
                        " frequency=14655600 hellomsg1=Hello alerttype=Tone unread_alert=75 addr2en=0");
    ASSERT_EQ(edited.status, 0) << edited.err;
    CliRun shown = run("show " + path("b.eep"));
    EXPECT_EQ(valueOf(shown.out, "frequency"), "146.55500") << "moved down onto the 5 kHz raster";
    EXPECT_EQ(valueOf(shown.out, "hellomsg1"), "Hello               ") << "padded when the field is left";
    EXPECT_EQ(valueOf(shown.out, "alerttype"), "Tone");
    EXPECT_EQ(valueOf(shown.out, "unread_alert"), "60");
    EXPECT_EQ(valueOf(shown.out, "addr2en"), "0");

    CliRun compared = run("diff " + path("a.eep") + " " + path("b.eep"));
    EXPECT_EQ(compared.status, 1);
    EXPECT_NE(compared.out.find("frequency: 163.00000 -> 146.55500\n"), std::string::npos);
    EXPECT_NE(compared.out.find("addr2en: 1 -> 0\n"), std::string::npos);
    CliRun same = run("diff " + path("a.eep") + " " + path("a.eep"));
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, "");
}

TEST_F(Cli, RefusedEditsWriteNothing) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    struct Case {
        const char* edit;
        const char* expectInErr;
    };
    const Case cases[] = {
        {"address1=2004016", "log: Same capcode address not allowed "},
        {"tonepatternA=ffff", "log: Number 0-9,A-F and backspace only"},
        {"address1=12a", "log: Number 0-9 and backspace only"},
        {"contrast=30", "refused: contrast is disabled"},
        {"repeatmsg=1", "refused: repeatmsg is hidden"},
        {"pll=KS8809", "refused: pll is disabled"},
        {"handprogpws=12345", "refused: 12345 is longer"},
        {"pubboxlength4=0", "log: Length should large than ZERO"},
        {"pubboxlength0=5", "refused: pubboxlength0 is disabled"},
        // Fails when bytes the window refuses and no pager shows reach the image.
        {"'hellomsg1=Gr\xC3\xBC\xC3\x9F\x65'",
         "refused: hellomsg1 takes the characters 0x20 to 0x7E only, not the byte 0xC3"},
        {"'hellomsg2=a\x1B[2J'", "not the byte 0x1B"},
        {"'hellomsg2=a\nb'", "not the byte 0x0A"},
    };
    for (const Case& c : cases) {
        CliRun refused = run("edit " + path("a.eep") + " -o " + path("b.eep") + " " + c.edit);
        EXPECT_EQ(refused.status, 1) << c.edit;
        EXPECT_NE(refused.err.find(c.expectInErr), std::string::npos) << c.edit << "\n" << refused.err;
        EXPECT_FALSE(fs::exists(path("b.eep"))) << c.edit;
    }
}

// Fails when "-o -" names a file called "-", and when a text holding a line break forges a
// line of its own in `show`.
TEST_F(Cli, StandardOutputAndOneLinePerField) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    CliRun piped = run("edit " + path("a.eep") + " -o -");
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, slurp(path("a.eep")));
    EXPECT_FALSE(fs::exists(path("-")));
    EXPECT_FALSE(fs::exists("-"));

    std::string bytes = slurp(path("a.eep"));
    const std::string forged = "x\naddress1=1234567\\";
    std::copy(forged.begin(), forged.end(), bytes.begin() + 0x240);
    bytes[0x240 + forged.size()] = '\0';
    pagerprog::Image image;
    std::copy(bytes.begin(), bytes.end(), image.begin());
    pagerprog::setImageChecksum(image);
    std::ofstream(path("forged.eep"), std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 2048);
    CliRun shown = run("show " + path("forged.eep"));
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(valueOf(shown.out, "address1"), "2004000");
    EXPECT_EQ(valueOf(shown.out, "hellomsg1"), "x\\x0Aaddress1=1234567\\\\");
}

// Fails when a file that is no pager file is taken as a factory-fresh pager and then
// overwritten.
TEST_F(Cli, ASimulatedPagerFileMustBeAPager) {
    std::ofstream(path("notes.bin")) << std::string(5000, 'n');
    CliRun refused = run("--simulate usb:" + path("notes.bin") + " read -o " + path("r.eep"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(path("notes.bin") + " holds more than 2048 bytes"), std::string::npos) << refused.err;
    EXPECT_EQ(fs::file_size(path("notes.bin")), 5000u);
    EXPECT_FALSE(fs::exists(path("r.eep")));
}

// Fails when a file whose shared frame is stale is saved with capcodes nobody saw.
TEST_F(Cli, WhatCannotBeStoredAsShownIsRefused) {
    pagerprog::Image image = pagerprog::sixAddressTemplate();
    image[6] = 0xFF;  // address3: entry 0x03FFFF, beyond the last valid capcode
    image[7] = 0xFF;
    image[8] = 0x03;
    image[0x013] = 0x80 | 5;
    image[0x3FE] = 0;
    pagerprog::setImageChecksum(image);
    std::ofstream(path("frame.eep"), std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 2048);
    CliRun refused = run("--revision TV7r2 edit " + path("frame.eep") + " -o " + path("out.eep"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("log: address4 shows \"2004029\" but the pager image will hold \"2004024\""),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("log: Not saved: the image would not hold what is shown."), std::string::npos);
    EXPECT_FALSE(fs::exists(path("out.eep")));
}

TEST_F(Cli, RefusedFiles) {
    std::ofstream(path("empty.eep")).close();
    CliRun empty = run("show " + path("empty.eep"));
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("log: File checksum error\nbeep\n"), std::string::npos);
    EXPECT_EQ(empty.out, "");

    ASSERT_EQ(run("new -o " + path("cirro.eep")).status, 0);
    CliRun other = run("--customer Normal show " + path("cirro.eep"));
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find("log: File not for this model!"), std::string::npos);

    CliRun missing = run("show " + path("nothing.eep"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("log: Load file error"), std::string::npos);
}

TEST_F(Cli, UsageErrors) {
    for (const char* args : {"", "frobnicate", "new", "show a b", "new -o x nosuchfield=1", "new -o x alerttype=#9",
                             "new -o x addr1en=2", "--bogus show", "--revision TV9 show", "--customer Nobody show"}) {
        CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: pagerprog-cli"), std::string::npos) << args;
    }
    CliRun help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
}

TEST_F(Cli, RevisionOptionSelectsTheLayout) {
    CliRun made = run("--revision TV7r2 new -o " + path("six.eep") + " address2=2004011");
    EXPECT_EQ(made.status, 1);
    EXPECT_NE(made.err.find("log: Address [2] frame must same as Address [1]"), std::string::npos) << made.err;
    made = run("--revision TV7r2 new -o " + path("six.eep") + " address3=2004019");
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string bytes = slurp(path("six.eep"));
    ASSERT_EQ(bytes.size(), 2048u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x013]), 0x80 | 3) << "frame of slots 3 to 6 in the frame byte";
    CliRun shown = run("--revision TV7r2 show " + path("six.eep"));
    EXPECT_EQ(valueOf(shown.out, "address4"), "2004027");
}

TEST_F(Cli, WritesAndReadsASimulatedPager) {
    ASSERT_EQ(run("new -o " + path("a.eep") + " hellomsg2=Batch").status, 0);
    const std::string pager = "usb:" + path("pager.bin");
    CliRun written = run("--simulate " + pager + " write " + path("a.eep") + " --count 2 autoinc1=1", "\n");
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.err.find("log: USB port is ready.\n"), std::string::npos);
    EXPECT_NE(written.err.find("Connect pager 2 of 2 and press Enter"), std::string::npos);
    EXPECT_NE(written.err.find("log: Verify OK !"), written.err.rfind("log: Verify OK !")) << "two pagers verified";

    CliRun read = run("--simulate " + pager + " read -o " + path("r.eep"));
    ASSERT_EQ(read.status, 0) << read.err;
    CliRun shown = run("show " + path("r.eep"));
    EXPECT_EQ(valueOf(shown.out, "address1"), "2004001") << "the second pager got the stepped capcode";
    EXPECT_EQ(valueOf(shown.out, "hellomsg2"), "Batch               ");
}

TEST_F(Cli, WriteStopsAtTheFirstFailure) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    CliRun noEnter = run("--simulate usb write " + path("a.eep") + " --count 3");
    EXPECT_EQ(noEnter.status, 1) << "no Enter for the second pager";
    EXPECT_NE(noEnter.err.find("log: Verify OK !"), std::string::npos);
}

TEST_F(Cli, ParallelPortSimulation) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    CliRun written = run("--simulate lpt:" + path("pager.bin") + " write " + path("a.eep"));
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_NE(written.err.find("Simulated parallel-port adapter attached"), std::string::npos);
    EXPECT_EQ(written.err.find("USB port is ready."), std::string::npos);
    EXPECT_NE(written.err.find("log: Verify OK !"), std::string::npos);
}

TEST_F(Cli, RealDevicesMissingFailCleanly) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    CliRun usb = run("--port usb read -o " + path("r.eep"));
    EXPECT_EQ(usb.status, 1);
    EXPECT_NE(usb.err.find("no USB programmer is attached"), std::string::npos) << usb.err;
    CliRun lpt = run("--port lpt2 read -o " + path("r.eep"));
    EXPECT_EQ(lpt.status, 1);
    EXPECT_NE(lpt.err.find("/dev/parport1"), std::string::npos) << lpt.err;
    EXPECT_NE(lpt.err.find("log: Device not exist, please check the connection."), std::string::npos);
    EXPECT_FALSE(fs::exists(path("r.eep")));
    EXPECT_EQ(run("--simulate floppy read -o x").status, 2);
    EXPECT_EQ(run("--port com1 read -o x").status, 2);
    EXPECT_EQ(run("--simulate usb show").status, 2);
}

TEST_F(Cli, ProbeExitStatusSaysWhatAnswered) {
    struct Case {
        const char* args;
        int status;
        const char* line;
    };
    // This machine has neither a parallel port nor a programmer, as above.
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

TEST_F(Cli, TraceAndAcknowledgePollingOnASimulatedAdapter) {
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
