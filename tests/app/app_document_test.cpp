// Unsaved edits and recent files: the settings count as changed exactly when a save would
// write other bytes than at the last file opened or saved or pager read; the recent files
// keep the last eight, newest first, each once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/document/application.h"
#include "app/document/document.h"
#include "app/document/recent_files.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

struct Started {
    Started() { app.start(StartupOptions{'.', "/nonexistent"}); }
    testing::RecordingHost host;
    Application app{host};
    Context& ctx = app.context();
};

TEST(Document, ChangedExactlyWhenASaveWouldWriteOtherBytes) {
    Started s;
    EXPECT_FALSE(settingsModified(s.ctx)) << "the start-up settings are the first kept ones";
    EXPECT_EQ(documentPath(s.ctx), "");
    const std::string hello = s.app.model().text("hellomsg2");
    s.app.model().setText("hellomsg2", "Depot 7");
    EXPECT_TRUE(settingsModified(s.ctx));
    s.app.model().setText("hellomsg2", hello);
    EXPECT_FALSE(settingsModified(s.ctx)) << "an edit undone by hand is no edit";
    // The capcode steps are not kept in settings files: changing them loses nothing.
    s.app.model().setIndex("autoinc1", 8);
    EXPECT_FALSE(settingsModified(s.ctx));
}

TEST(Document, SettingsThatNoLongerEncodeCountAsChanged) {
    Started s;
    s.app.model().setText("frequency", "");
    EXPECT_TRUE(settingsModified(s.ctx));
    markSettingsKept(s.ctx, "broken.eep", nullptr);
    EXPECT_TRUE(settingsModified(s.ctx)) << "nothing to compare with";
    s.app.model().setText("frequency", "146.56250");
    markSettingsKept(s.ctx, "batch.eep", nullptr);
    EXPECT_FALSE(settingsModified(s.ctx));
    EXPECT_EQ(documentPath(s.ctx), "batch.eep");
}

TEST(RecentFiles, NewestFirstEachOnceAtMostEight) {
    RecentFiles files;
    EXPECT_TRUE(files.add("/a.eep"));
    EXPECT_TRUE(files.add("/b.eep"));
    EXPECT_FALSE(files.add("/b.eep")) << "first already";
    EXPECT_TRUE(files.add("/a.eep"));
    EXPECT_EQ(files.paths(), (std::vector<std::string>{"/a.eep", "/b.eep"}));
    for (int n = 0; n < 10; ++n) files.add("/" + std::to_string(n) + ".eep");
    ASSERT_EQ(files.paths().size(), RecentFiles::kCapacity);
    EXPECT_EQ(files.paths().front(), "/9.eep");
    EXPECT_EQ(files.paths().back(), "/2.eep");
    files.remove("/5.eep");
    EXPECT_EQ(files.paths().size(), RecentFiles::kCapacity - 1);
}

TEST(RecentFiles, StoredListsAreTakenAsTheyWereSaved) {
    std::vector<std::string> stored{"/new.eep", "", "/old.eep", "/new.eep"};
    for (int n = 0; n < 10; ++n) stored.push_back("/older" + std::to_string(n) + ".eep");
    const RecentFiles files(stored);
    ASSERT_EQ(files.paths().size(), RecentFiles::kCapacity);
    EXPECT_EQ(files.paths()[0], "/new.eep");
    EXPECT_EQ(files.paths()[1], "/old.eep");
    EXPECT_EQ(files.paths()[2], "/older0.eep");
}

TEST(RecentFiles, OneAbsoluteEntryPerFileWhateverItsSpelling) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(::testing::TempDir()) / "recent-files";
    fs::create_directories(folder / "sub");
    std::ofstream(folder / "batch.eep") << "settings";
    fs::create_symlink(folder / "batch.eep", folder / "link.eep");
    const fs::path started = fs::current_path();
    fs::current_path(folder);
    RecentFiles files;
    files.add("batch.eep");
    for (const std::string& spelling :
         std::vector<std::string>{"./batch.eep", "sub/../batch.eep", "link.eep", (folder / "batch.eep").string()})
        EXPECT_FALSE(files.add(spelling)) << spelling;
    fs::current_path(started);
    EXPECT_EQ(files.paths(), std::vector<std::string>{fs::canonical(folder / "batch.eep").string()});
    files.remove((folder / "link.eep").string());
    EXPECT_TRUE(files.paths().empty());
    fs::remove_all(folder);
}

TEST(RecentFiles, CaptionsShortenTheHomeFolderAndShowAmpersands) {
    const struct {
        std::string path, home, caption;
    } cases[] = {
        {"/home/tech/jobs/a.eep", "/home/tech", "&1 ~/jobs/a.eep"},
        {"/home/technician/a.eep", "/home/tech", "&1 /home/technician/a.eep"},
        {"/srv/R&D/b.eep", "/home/tech", "&1 /srv/R&&D/b.eep"},
        {"/srv/c.eep", "", "&1 /srv/c.eep"},
    };
    for (const auto& c : cases) EXPECT_EQ(recentFileCaption(1, c.path, c.home), c.caption) << c.path;
}

TEST(RecentFiles, ShownInTheOpenRecentItems) {
    Started s;
    SettingsModel& m = s.app.model();
    showRecentFiles(m, RecentFiles{}, "/home/tech");
    EXPECT_FALSE(m.element(element::recentFiles).enabled);
    showRecentFiles(m, RecentFiles({"/home/tech/a.eep", "/b.eep"}), "/home/tech");
    EXPECT_TRUE(m.element(element::recentFiles).enabled);
    EXPECT_EQ(m.element(element::recentFile(2)).caption, "&2 /b.eep");
    EXPECT_TRUE(m.element(element::recentFile(2)).visible);
    EXPECT_FALSE(m.element(element::recentFile(3)).visible);
}

}  // namespace
}  // namespace pagerprog
