// pagerprog-cli end to end, on settings files it makes itself.
#include <cstring>

#include "support/cli_run.h"

namespace {

using cli_run::CliRun;
using Cli = cli_run::CliFixture;
namespace fs = std::filesystem;

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
    CliRun json = run("diff --json " + path("a.eep") + " " + path("b.eep"));
    EXPECT_NE(json.out.find("{\"field\": \"addr2en\", \"a\": \"1\", \"b\": \"0\"}"), std::string::npos) << json.out;
    EXPECT_EQ(run("diff " + path("a.eep") + " " + path("missing.eep")).status, 2) << "trouble, not different";
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
        {"repeatmsg=0", "refused: repeatmsg is hidden"},
        {"pll=KS8809", "refused: pll is disabled"},
        {"handprogpws=12345", "refused: 12345 is longer"},
        {"pubboxlength4=0", "log: Length should large than ZERO"},
        {"pubboxlength0=5", "refused: pubboxlength0 is disabled"},
        // Fails when bytes the window refuses and no pager shows reach the image.
        {"'hellomsg1=Gr\xC3\xBC\xC3\x9F\x65'",
         "refused: hellomsg1 takes the characters 0x20 to 0x7E only, not the byte 0xC3"},
        {"'hellomsg2=a\x1B[2J'", "not the byte 0x1B"},
        {"'hellomsg2=a\nb'", "not the byte 0x0A"},
        // Bytes given as show writes them are refused as typed ones are.
        {"'hellomsg2=a\\x0Ab'", "not the byte 0x0A"},
        {"frequency=14.6", "refused: the key filter of frequency refused '.'"},
        // The first key of a full field is refused by the filter, not for the length.
        {"address1=x2004000", "refused: the key filter of address1 refused 'x'"},
        // A list that takes typing gets VALUE through its key filter, not as a pick.
        {"autoinc1=9", "refused: the key filter of autoinc1 refused '9'"},
    };
    for (const Case& c : cases) {
        CliRun refused = run("edit " + path("a.eep") + " -o " + path("b.eep") + " " + c.edit);
        EXPECT_EQ(refused.status, 1) << c.edit;
        EXPECT_NE(refused.err.find(c.expectInErr), std::string::npos) << c.edit << "\n" << refused.err;
        EXPECT_FALSE(fs::exists(path("b.eep"))) << c.edit;
    }
}

// Values as `show` writes them: its escapes, its frequency, its items in any case.
TEST_F(Cli, EditsReadValuesAsShowWritesThem) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    struct Case {
        const char *field, *value, *shown;
    };
    const Case cases[] = {
        {"hellomsg1", R"(a\\]b)", R"(a\\]b)"},  // \\ is one backslash
        {"hellomsg1", R"(a\]b)", R"(a\\]b)"},   // a lone one stays one
        {"hellomsg1", R"(\x41\x5c)", R"(A\\)"},   {"alerttype", "tone", "Tone"},
        {"dateformat", "m/d/y 24H", "M/D/Y 24h"}, {"frequency", "146.56250", "146.56250"},
    };
    for (const Case& c : cases) {
        const std::string edit = std::string(c.field) + "=" + c.value;
        CliRun edited = run("edit " + path("a.eep") + " -o " + path("b.eep") + " '" + edit + "'");
        ASSERT_EQ(edited.status, 0) << edit << "\n" << edited.err;
        EXPECT_EQ(valueOf(run("show " + path("b.eep")).out, c.field).substr(0, std::strlen(c.shown)), c.shown) << edit;
    }
}

// Every line `show` prints goes back as an edit: `edit` with them all leaves the file as
// it was, escapes and bytes no key types included, and the start-up settings typed with
// them, top to bottom, become that file. Fails when edits read values otherwise than show
// writes them, or refuse what a field already shows (a read-only field, a hidden one).
TEST_F(Cli, EveryShowLineGoesBackAsAnEdit) {
    ASSERT_EQ(run("new -o " + path("a.eep")).status, 0);
    std::string bytes = slurp(path("a.eep"));
    const std::string hello = std::string("a\\]b\n\xC3\x9F") + std::string(13, ' ');
    std::copy(hello.begin(), hello.end(), bytes.begin() + 0x240);
    const std::string cut = std::string("ab\0cd", 5) + std::string(4, '\0');  // bytes kept after the text's end
    std::copy(cut.begin(), cut.end(), bytes.begin() + 0x06A);
    pagerprog::Image image;
    std::copy(bytes.begin(), bytes.end(), image.begin());
    pagerprog::setImageChecksum(image);
    writeImage("escapes.eep", image);

    std::vector<std::pair<std::string, std::string>> files{{path("escapes.eep"), ""}};  // and the options they need
    for (const auto& entry : fs::directory_iterator(PAGERPROG_TEST_DATA_DIR)) {
        const std::string name = entry.path().stem().string();  // "TV8-Fennic"
        const std::size_t dash = name.find('-');
        files.emplace_back(entry.path().string(),
                           "--revision " + name.substr(0, dash) + " --customer " + name.substr(dash + 1));
    }
    for (const auto& [file, options] : files) {
        std::string edits;
        std::istringstream shown(run(options + " show " + file).out);
        for (std::string line; std::getline(shown, line);) {
            edits += " '";
            for (char c : line) edits += c == '\'' ? std::string(R"('\'')") : std::string(1, c);
            edits += "'";
        }
        ASSERT_GT(edits.size(), 3000u) << file;
        if (options.empty()) {
            EXPECT_NE(edits.find("'pubbox0=ab\\x00cd'"), std::string::npos) << "nothing hidden";
        }
        for (const std::string& command : {"edit " + file, std::string("new")}) {
            if (options.empty() && command == "new") continue;  // bytes no key types
            CliRun edited = run(options + " -q " + command + " -o " + path("back.eep") + edits);
            ASSERT_EQ(edited.status, 0) << command << "\n" << edited.err;
            EXPECT_EQ(slurp(path("back.eep")), slurp(file)) << command;
        }
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
    // A binary image is not written to a terminal.
    const int raw = std::system(("script -qec '" + commandLine("new -o -") + "' /dev/null >" + path("tty")).c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    EXPECT_NE(slurp(path("tty")).find("-o - would write the binary image to the terminal"), std::string::npos);

    std::string bytes = slurp(path("a.eep"));
    const std::string forged = "x\naddress1=1234567\\";
    std::copy(forged.begin(), forged.end(), bytes.begin() + 0x240);
    bytes[0x240 + forged.size()] = '\0';
    pagerprog::Image image;
    std::copy(bytes.begin(), bytes.end(), image.begin());
    pagerprog::setImageChecksum(image);
    writeImage("forged.eep", image);
    CliRun shown = run("show " + path("forged.eep"));
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(valueOf(shown.out, "address1"), "2004000");
    EXPECT_EQ(valueOf(shown.out, "hellomsg1"), "x\\x0Aaddress1=1234567\\\\");

    // Results that cannot be delivered (a full disk) are a failure, not a success.
    for (const std::string& command : {"show " + path("a.eep"), "diff " + path("a.eep") + " " + path("forged.eep")}) {
        const int raw = std::system((commandLine(command) + " >/dev/full 2>" + path("err")).c_str());
        EXPECT_EQ(WEXITSTATUS(raw), command.starts_with("diff") ? 2 : 1) << command;
        EXPECT_NE(slurp(path("err")).find("standard output: write error"), std::string::npos) << command;
    }
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
    writeImage("frame.eep", image);
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

// A usage mistake is named in one line and points to --help, without the whole help.
TEST_F(Cli, UsageErrors) {
    for (const char* args : {"",
                             "frobnicate",
                             "new",
                             "show a b",
                             "new -o x nosuchfield=1",
                             "new -o x alerttype=#9",
                             "new -o x addr1en=2",
                             "--bogus show",
                             "--revision TV9 show",
                             "--customer Nobody show",
                             "write a --count 0",
                             "show --count 2",
                             "log --format xml",
                             "restore first",
                             "log --since yesterday",
                             "--db '' log",
                             "--trace= probe",
                             "-q -v show",
                             "show --json=1",
                             "-qv show"}) {
        CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        const std::string hint = "\nTry 'pagerprog-cli --help' for more information.\n";
        ASSERT_GE(r.err.size(), hint.size()) << args;
        EXPECT_EQ(r.err.substr(r.err.size() - hint.size()), hint) << args;
        const std::size_t named = r.err.rfind('\n', r.err.size() - hint.size() - 1);
        EXPECT_EQ(r.err.compare(named == std::string::npos ? 0 : named + 1, 15, "pagerprog-cli: "), 0) << r.err;
        EXPECT_EQ(r.err.find("usage:"), std::string::npos) << args;
    }
    for (const char* args : {"--help", "-h", "show --help"}) {
        CliRun help = run(args);
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("Exit status: 0 success; 1 an input refused"), std::string::npos);
    }
    CliRun version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("pagerprog-cli ") + PAGERPROG_VERSION + "\n");
}

// What users of GNU tools expect: values joined to their options, "--" before operands that
// start with "-", -q and -v; and the items the shell completions offer.
TEST_F(Cli, CommandLineConventions) {
    CliRun joined = run("--customer=Normal new -o" + path("n.eep"));
    ASSERT_EQ(joined.status, 0) << joined.err;
    EXPECT_EQ(run("--customer Normal show " + path("n.eep")).status, 0) << "made for the customer Normal";
    EXPECT_NE(run("new -o " + path("x.eep") + " -- -x=1").err.find("pagerprog-cli: unknown field -x\n"),
              std::string::npos);

    CliRun quiet = run("-q new -o " + path("q.eep"));
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "") << "nothing to say when all went well";
    for (const std::string& args : {"-q show " + path("nothing.eep"),
                                    "--quiet edit " + path("n.eep") + " -o " + path("r.eep") + " address1=2004016"}) {
        CliRun failed = run(args);
        EXPECT_EQ(failed.status, 1) << args;
        EXPECT_NE(failed.err.find("log: "), std::string::npos) << "the failing step says why\n" << failed.err;
    }
    const std::string fields = run("--list-fields").out;
    EXPECT_NE(fields.find("\nalerttype\tTone|Vibrate|Tone+Vibrate|User select\n"), std::string::npos);
    EXPECT_NE(fields.find("\nhellomsg1\n"), std::string::npos);
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

}  // namespace
