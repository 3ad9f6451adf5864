// The serials and operator names the record takes, and the hooks run around each unit: how
// a hook ends, what it is given, and the hooks that hang, talk too much, ignore their input
// or cannot run at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/production/unit_hooks.h"
#include "app/production/unit_serial.h"

namespace pagerprog {
namespace {

using std::chrono::milliseconds;

TEST(UnitSerials, PrintableTextOfAtMost64CharactersWithoutOuterBlanks) {
    std::string accents;
    for (int i = 0; i < 64; ++i) accents += "\xC3\xA9";  // é, two bytes each
    const struct {
        std::string typed, kept, refusal;
    } cases[] = {
        {" \tSN 0042\t ", "SN 0042", ""},
        {"   ", "", ""},
        {accents, accents, ""},
        {accents + "e", "", "the serial is 65 characters long; at most 64 are taken"},
        {"SN\x01", "", "the serial holds the control character 0x01 at character 3"},
        {"SN\xC2\x85", "", "the serial holds the control character 0x85 at character 3"},
        {"SN\x7F", "", "the serial holds the control character 0x7F at character 3"},
        {"S\xFFN", "", "the serial holds the byte 0xFF at byte 2, which is no UTF-8 text"},
    };
    for (const auto& c : cases) {
        const CheckedText serial = checkedSerial(c.typed);
        EXPECT_EQ(serial.text, c.kept) << c.typed;
        EXPECT_EQ(serial.refusal, c.refusal) << c.typed;
    }
    EXPECT_EQ(checkedOperator(" Zo\xC3\xAB ").text, "Zo\xC3\xAB");
    EXPECT_EQ(checkedOperator("a\tb").refusal, "the operator name holds the control character 0x09 at character 2");
}

HookRun run(const std::string& command, std::string_view input = "", milliseconds timeout = milliseconds(3000),
            const HookEnvironment& environment = {}) {
    return runHook(command, input, environment, timeout);
}

TEST(UnitHooks, HowAHookEndsAndWhatItIsGiven) {
    const HookRun failed = run("printf '\\n  \\tfirst\\tline \\nsecond\\n'; exit 3");
    EXPECT_EQ(failed.ending, HookRun::Ending::Exited);
    EXPECT_EQ(failed.status, 3);
    EXPECT_EQ(failed.firstLine(), "first line");
    EXPECT_EQ(postUnitEnding(failed), "Post-unit hook failed: exit status 3: first line");
    EXPECT_EQ(preUnitReason(failed), "first line");

    const std::string row(200000, 'r');
    EXPECT_EQ(run("wc -c", row).output, "200000\n") << "the input is fed whole";
    EXPECT_TRUE(run("exit 0", row).succeeded()) << "a hook that reads no input is no failure";
    EXPECT_EQ(run("echo \"$PAGERPROG_SERIAL/$HOME\"", "", milliseconds(3000), {{"PAGERPROG_SERIAL", "SN-1"}}).output,
              "SN-1/" + std::string(std::getenv("HOME")) + "\n");
    const HookRun killed = run("kill -9 $$");
    EXPECT_EQ(killed.ending, HookRun::Ending::Signalled);
    EXPECT_EQ(killed.status, 9);
    EXPECT_EQ(preUnitReason(killed), "ended by signal 9");
}

TEST(UnitHooks, HooksThatHangTalkTooMuchOrLeaveAProcessBehind) {
    const struct {
        std::string command;
        HookRun::Ending ending;
        milliseconds longest;
    } cases[] = {
        {"sleep 20", HookRun::Ending::TimedOut, milliseconds(1500)},
        // SIGTERM ignored: SIGKILL a second later.
        {"trap '' TERM; sleep 20 & wait; sleep 20", HookRun::Ending::TimedOut, milliseconds(2500)},
        // A process left behind holding the output is not waited for.
        {"sleep 3 & echo started", HookRun::Ending::Exited, milliseconds(1000)},
        {"head -c 20000000 /dev/zero", HookRun::Ending::Exited, milliseconds(5000)},
    };
    for (const auto& c : cases) {
        const auto started = std::chrono::steady_clock::now();
        const HookRun hook = run(c.command, "", milliseconds(300));
        EXPECT_EQ(hook.ending, c.ending) << c.command;
        EXPECT_LT(std::chrono::steady_clock::now() - started, c.longest) << c.command;
        EXPECT_LE(hook.output.size(), 64u * 1024) << c.command;
    }
    EXPECT_EQ(postUnitEnding(run("sleep 20", "", milliseconds(200))),
              "Post-unit hook failed: stopped, still running after 0.2 s");
}

TEST(UnitHooks, AHookThatCannotRunIsKnownBeforeTheFirstPager) {
    const std::filesystem::path folder = testing::TempDir() + "hooks";
    std::filesystem::create_directories(folder);
    const std::string plain = (folder / "plain.sh").string(), runnable = (folder / "run.sh").string();
    std::ofstream(plain) << "#!/bin/sh\n";
    std::ofstream(runnable) << "#!/bin/sh\n";
    std::filesystem::permissions(runnable, std::filesystem::perms::owner_all);
    EXPECT_EQ(hookProblem(plain), plain + " is not executable (chmod +x " + plain + ")");
    EXPECT_EQ(hookProblem(folder.string()), folder.string() + " is no file");
    EXPECT_EQ(hookProblem(plain + "x"), plain + "x cannot be found: No such file or directory");
    for (const std::string& fine :
         {runnable, " " + runnable + " ", std::string("lp -d labels"), plain + " --flag", std::string("echo $HOME/x")})
        EXPECT_EQ(hookProblem(fine), "") << fine;
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pagerprog
