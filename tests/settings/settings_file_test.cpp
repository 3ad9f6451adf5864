// "&Open" and "&Save": the status-log lines and beeps, refused files that must not
// reach the image or the settings, the rules re-applied after a load, and saves that
// fail without harming the file that was there.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <thread>

#if defined(__unix__)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "app/document/file_commands.h"
#include "context/context.h"
#include "rules/rules.h"
#include "settings/conversion.h"
#include "settings/decoder.h"
#include "settings/image_layout.h"
#include "settings/settings_file.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

namespace fs = std::filesystem;

std::vector<char> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<char> bytesOf(const Image& image) { return {image.begin(), image.end()}; }

// A valid settings file for customer 0 ("Cirro") that differs from the start-up state.
Image validFile() {
    Image image = sixAddressTemplate();
    image[0x18F] = 5;   // rangetime "5 min"
    image[0x15A] = 42;  // maxprivate
    image[0x3FE] = 0;   // customer "Cirro"
    image[kChecksumOffset] = imageChecksum(image);
    return image;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() /
            ("pagerprog_settings_file_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        attachRules(ctx);
        ctx.program.image = sixAddressTemplate();
        decodeImage(ctx);
        ctx.model.fireExit("frequency");
        host.clear();
    }
    void TearDown() override { fs::remove_all(folder); }

    bool open(const fs::path& path) {
        host.openAnswers.push_back(path.string());
        return Open1(ctx);
    }
    bool save(const fs::path& path) {
        host.saveAnswers.push_back(path.string());
        return Save1(ctx);
    }
    // What a refused open must leave alone.
    struct State {
        Image image;
        std::vector<std::string> texts;
        std::vector<int> indexes;
    };
    State state() const {
        State s{ctx.program.image, {}, {}};
        for (const auto& f : ctx.model.fields()) {
            s.texts.push_back(f.text);
            s.indexes.push_back(f.index * 2 + (f.checked ? 1 : 0));
        }
        return s;
    }
    void expectUnchanged(const State& before) const {
        const State after = state();
        EXPECT_EQ(after.image, before.image);
        EXPECT_EQ(after.texts, before.texts);
        EXPECT_EQ(after.indexes, before.indexes);
    }

    fs::path folder;
    testing::RecordingHost host;
    Context ctx{host};
};

TEST_F(SettingsFileTest, CancelledDialogsDoNothing) {
    const State before = state();
    EXPECT_FALSE(Open1(ctx));
    EXPECT_FALSE(Save1(ctx));
    EXPECT_TRUE(host.events.empty());
    expectUnchanged(before);
    ASSERT_EQ(host.dialogs.size(), 2u);
    for (const auto& dialog : host.dialogs) {
        EXPECT_EQ(dialog.defaultExtension, "eep");
        EXPECT_EQ(dialog.filters.size(), 3u);
    }
}

TEST_F(SettingsFileTest, RefusedFilesLeaveImageAndSettingsAlone) {
    Image badChecksum = validFile();
    badChecksum[kChecksumOffset] ^= 1;
    Image otherCustomer = validFile();
    otherCustomer[0x3FE] = 1;
    otherCustomer[kChecksumOffset] = imageChecksum(otherCustomer);
    struct Case {
        const char* name;
        std::vector<char> bytes;
        const char* line;
        std::optional<std::string> reason;
    };
    const Case cases[] = {
        {"empty.eep", {}, "File checksum error", "0 bytes, a settings file has 2048"},
        {"checksum.eep", bytesOf(badChecksum), "File checksum error", std::nullopt},
        {"short.eep", std::vector<char>(1000, 0), "File checksum error", "1000 bytes, a settings file has 2048"},
        {"customer.eep", bytesOf(otherCustomer), "File not for this model!", std::nullopt},
    };
    if (edition::factoryEdition) GTEST_SKIP() << "the factory edition loads every customer's files";
    for (const auto& c : cases) {
        writeBytes(folder / c.name, c.bytes);
        const State before = state();
        host.clear();
        EXPECT_FALSE(open(folder / c.name)) << c.name;
        std::vector<std::string> events{"log: Load data from " + (folder / c.name).string(),
                                        std::string("log: ") + c.line, "beep"};
        if (c.reason) events.push_back("log: " + *c.reason);
        EXPECT_EQ(host.events, events) << c.name;
        expectUnchanged(before);
    }
}

TEST_F(SettingsFileTest, UnreadableFileIsALoadError) {
    const std::pair<fs::path, std::string> cases[] = {{folder / "missing.eep", "No such file or directory"},
                                                      {folder, "Is a directory"}};
    for (const auto& [path, reason] : cases) {
        const State before = state();
        host.clear();
        EXPECT_FALSE(open(path));
        EXPECT_EQ(host.events, (std::vector<std::string>{"log: Load data from " + path.string(), "log: Load file error",
                                                         "beep", "log: " + reason}));
        expectUnchanged(before);
    }
}

TEST_F(SettingsFileTest, FileOfAnotherCustomerLoadsAfterSwitchingBack) {
    if (edition::factoryEdition) GTEST_SKIP() << "the factory edition loads every customer's files";
    writeBytes(folder / "cirro.eep", bytesOf(validFile()));
    ctx.model.setIndex("customer", 1);  // "Normal"
    EXPECT_FALSE(open(folder / "cirro.eep"));
    EXPECT_EQ(host.logLines.back(), "File not for this model!");
    ctx.model.setIndex("customer", 0);
    host.clear();
    EXPECT_TRUE(open(folder / "cirro.eep"));
    EXPECT_EQ(host.logLines,
              (std::vector<std::string>{"Load data from " + (folder / "cirro.eep").string(), "File loaded"}));
    EXPECT_EQ(host.beeps, 0);
}

TEST_F(SettingsFileTest, LongFileLoadsItsFirst2048Bytes) {
    std::vector<char> bytes = bytesOf(validFile());
    bytes.insert(bytes.end(), 300, '\x5A');
    writeBytes(folder / "long.eep", bytes);
    EXPECT_TRUE(open(folder / "long.eep"));
    EXPECT_EQ(ctx.model.index("rangetime"), 4);
    EXPECT_EQ(ctx.model.text("maxprivate"), "42");
    Image expected = validFile();
    expected[0x269] = 2;  // repaired by the decoder
    EXPECT_EQ(ctx.program.image, expected);
}

// A short file reads as its bytes followed by 0xFF; one whose sum works out with that
// padding loads.
TEST_F(SettingsFileTest, ShortFileIsPaddedWithFF) {
    Image image = validFile();
    std::fill(image.begin() + 1500, image.end(), 0xFF);
    while (!imageChecksumOk(image)) ++image[0x300];  // an unowned byte evens the sum
    writeBytes(folder / "short.eep", std::vector<char>(image.begin(), image.begin() + 1500));
    EXPECT_TRUE(open(folder / "short.eep"));
    EXPECT_EQ(ctx.program.loadBuffer, image);
    EXPECT_EQ(ctx.program.image[0x7FE], 0xFF);
}

// After decoding: the frequency rule, the exit rules of addresses 1 to 6, the customer
// rule, in that order.
TEST_F(SettingsFileTest, OpenReappliesTheRulesInOrder) {
    Context plain(host);
    std::vector<std::string> calls;
    plain.model.onExit("frequency", [&] { calls.push_back("frequency"); });
    for (int n = 1; n <= 8; ++n) {
        const std::string name = "address" + std::to_string(n);
        plain.model.onExit(name, [&calls, name] { calls.push_back(name); });
    }
    plain.model.onChange("customer", [&] { calls.push_back("customer"); });
    plain.program.hardwareRevision = Revision::TV8;
    Image image = eightAddressTemplate();
    image[kChecksumOffset] = imageChecksum(image);
    writeBytes(folder / "eight.eep", bytesOf(image));
    host.openAnswers.push_back((folder / "eight.eep").string());
    EXPECT_TRUE(Open1(plain));
    EXPECT_EQ(calls, (std::vector<std::string>{"frequency", "address1", "address2", "address3", "address4", "address5",
                                               "address6", "customer"}));
}

TEST_F(SettingsFileTest, LoadedFileHasItsRulesApplied) {
    Image image = validFile();
    writeCapcodeEntrySix(image, 1, 123);  // capcode 120, frame 3 from the frame byte below
    writeCapcodeEntrySix(image, 2, 1000000);
    image[0x013] = 0x80 | (3 << 3);
    image[0x020] = 0x60;  // 146,556,000 Hz = 0x08BC4460: off the raster
    image[0x021] = 0x44;
    image[0x022] = 0xBC;
    image[0x023] = 0x08;
    image[kChecksumOffset] = imageChecksum(image);
    writeBytes(folder / "rules.eep", bytesOf(image));
    EXPECT_TRUE(open(folder / "rules.eep"));
    EXPECT_EQ(ctx.model.text("address1"), "0000123");
    EXPECT_EQ(ctx.model.text("frame1"), "3");
    EXPECT_EQ(ctx.model.text("frequency"), "146.55500");
    EXPECT_EQ(ctx.program.channelStep, 5000);
}

TEST_F(SettingsFileTest, SaveWritesTheEncodedImageWithItsChecksum) {
    const fs::path path = folder / "saved.eep";
    ctx.model.setText("hellomsg2", "short");
    EXPECT_TRUE(save(path));
    EXPECT_EQ(host.events, (std::vector<std::string>{"log: Save data to " + path.string(), "log: ok!"}));
    const std::vector<char> bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), kImageSize);
    Image saved;
    std::copy(bytes.begin(), bytes.end(), saved.begin());
    EXPECT_TRUE(imageChecksumOk(saved));
    EXPECT_EQ(saved, ctx.program.image);
    // The hello lines were padded before the image was built.
    EXPECT_EQ(std::string(saved.begin() + 0x254, saved.begin() + 0x268), "short               ");
    EXPECT_EQ(fs::directory_iterator(folder)->path(), path);  // no temporary file left behind
}

TEST_F(SettingsFileTest, SavingTwiceGivesIdenticalFilesThatLoadBack) {
    EXPECT_TRUE(save(folder / "first.eep"));
    EXPECT_TRUE(save(folder / "second.eep"));
    EXPECT_EQ(readBytes(folder / "first.eep"), readBytes(folder / "second.eep"));
    const Image saved = ctx.program.image;
    ctx.program.image = eightAddressTemplate();
    EXPECT_TRUE(open(folder / "first.eep"));
    EXPECT_EQ(ctx.program.image, saved);
}

TEST_F(SettingsFileTest, SaveReplacesAnExistingFileWithoutAsking) {
    const fs::path path = folder / "old.eep";
    writeBytes(path, std::vector<char>(5000, 'x'));
    EXPECT_TRUE(save(path));
    EXPECT_EQ(readBytes(path), bytesOf(ctx.program.image));
}

TEST_F(SettingsFileTest, FailedSavesReportWriteErrorAndKeepWhatWasThere) {
    writeBytes(folder / "plain", {'o', 'l', 'd'});
    fs::create_directory(folder / "directory.eep");
    for (const fs::path& path : {folder / "plain" / "x.eep", folder / "directory.eep", folder / "none" / "x.eep"}) {
        host.clear();
        EXPECT_FALSE(save(path)) << path;
        EXPECT_EQ(host.events,
                  (std::vector<std::string>{"log: Save data to " + path.string(), "log: write error!", "beep"}));
    }
    EXPECT_EQ(readBytes(folder / "plain"), (std::vector<char>{'o', 'l', 'd'}));
    EXPECT_TRUE(fs::is_directory(folder / "directory.eep"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

#if defined(__unix__)
// A write that fails part-way (here: the file size limit, which also binds root) must
// neither report "ok!" nor touch the old file.
TEST_F(SettingsFileTest, WriteFailingPartWayKeepsTheOldFile) {
    const fs::path path = folder / "keep.eep";
    const std::vector<char> old(2048, 'k');
    writeBytes(path, old);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved2048 = save(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved2048);
    EXPECT_EQ(host.logLines.back(), "write error!");
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}
#endif

// Fails when a save renames its temporary file over whatever is at the target: a pipe or a
// device must be written, and stay what it is.
TEST_F(SettingsFileTest, SaveWritesIntoAPipeOrADeviceWithoutReplacingIt) {
    const fs::path fifo = folder / "pipe.eep";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<char> received;
    std::thread reader([&] { received = readBytes(fifo); });
    EXPECT_TRUE(save(fifo));
    reader.join();
    EXPECT_EQ(received, bytesOf(ctx.program.image));
    EXPECT_TRUE(fs::is_fifo(fifo));
    if (fs::is_character_file("/dev/null")) {
        EXPECT_TRUE(save("/dev/null"));
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "no temporary file left";
}

// Fails when a link whose target does not exist yet is replaced by a regular file (and an
// empty file left at its target) instead of the target being written.
TEST_F(SettingsFileTest, SaveThroughALinkWritesItsTargetAndKeepsTheLink) {
    fs::create_directories(folder / "real");
    fs::create_symlink("real/settings.eep", folder / "link.eep");  // dangling, relative
    fs::create_symlink(folder / "link.eep", folder / "chain.eep");
    for (const char* name : {"link.eep", "chain.eep"}) {
        EXPECT_TRUE(save(folder / name)) << name;
        EXPECT_TRUE(fs::is_symlink(folder / name)) << name;
        EXPECT_EQ(readBytes(folder / "real" / "settings.eep"), bytesOf(ctx.program.image)) << name;
        ctx.model.userEdit("hellomsg2", "another");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "real"), fs::directory_iterator()), 1);
}

// Fails when two saves of the same file at once share a temporary file: one of them then
// reports a failure while its bytes end in the file, or the file is torn.
TEST_F(SettingsFileTest, SavesOfTheSameFileAtOnceNeverCollide) {
    const fs::path path = folder / "shared.eep";
    Image first{}, second{};
    first.fill(0x11);
    second.fill(0x22);
    for (int round = 0; round < 200; ++round) {
        SaveOutcome a, b;
        std::thread other([&] { b = writeImageFile(path.string(), second); });
        a = writeImageFile(path.string(), first);
        other.join();
        ASSERT_TRUE(a.saved && b.saved) << a.error << b.error;
        const std::vector<char> bytes = readBytes(path);
        ASSERT_TRUE(bytes == bytesOf(first) || bytes == bytesOf(second)) << "round " << round;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

#if defined(__unix__)
// Fails when a file that may be written cannot be saved because its folder takes no
// temporary file. Run as a user who may write the file but not its folder.
TEST_F(SettingsFileTest, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    const fs::path path = folder / "in-place.eep";
    writeBytes(path, std::vector<char>(3000, 'o'));
    fs::permissions(path, fs::perms::all);
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    Image image{};
    image.fill(0x5A);
    const bool root = ::geteuid() == 0;
    const pid_t child = ::fork();
    if (child == 0) {
        std::error_code error;
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        if (!root) fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove, error);
        const SaveOutcome outcome = writeImageFile(path.string(), image);
        ::_exit(outcome.saved && outcome.inPlace ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    fs::permissions(folder, fs::perms::owner_all);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readBytes(path), bytesOf(image)) << "written whole and cut to the image's length";
}
#endif

// An encoding error stops the save before any file is touched; the image stays as it was.
TEST_F(SettingsFileTest, ConversionErrorSavesNothing) {
    const fs::path path = folder / "keep.eep";
    writeBytes(path, {'o', 'l', 'd'});
    ctx.model.setText("lcddrv_opa", "");
    const Image before = ctx.program.image;
    host.saveAnswers.push_back(path.string());
    EXPECT_THROW(Save1(ctx), ConversionError);
    EXPECT_EQ(host.logLines, (std::vector<std::string>{"Save data to " + path.string()}));
    EXPECT_EQ(ctx.program.image, before);
    EXPECT_EQ(readBytes(path), (std::vector<char>{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace pagerprog
