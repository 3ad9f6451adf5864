// "Gang programming..." in the window: eight simulated programmers, each with a pager in,
// one tile each, a batch of the window's settings started and run to its end.
#include <QTest>
#include <filesystem>
#include <fstream>
#include <set>

#include "gui/stations_dialog.h"
#include "link/sim/simulated_pager.h"
#include "window_fixture.h"

namespace pagerprog::gui::test {
namespace {

constexpr int kProgrammers = 8;

const std::filesystem::path kRoot =
    std::filesystem::temp_directory_path() / ("pagerprog_gang_window_" + std::to_string(::getpid()));

// A folder of one factory-fresh pager for each simulated programmer.
std::vector<std::string> pagerFolders() {
    const auto& root = kRoot;
    std::vector<std::string> simulate;
    for (int p = 1; p <= kProgrammers; ++p) {
        const auto folder = root / ("p" + std::to_string(p));
        std::filesystem::create_directories(folder);
        const Image fresh = SimulatedPager().memory;
        std::ofstream(folder / "1.bin", std::ios::binary).write(reinterpret_cast<const char*>(fresh.data()), 2048);
        simulate.push_back("usb:" + folder.string());
    }
    return simulate;
}

class GangWindowTest : public WindowTest {
protected:
    GangWindowTest() : WindowTest(pagerFolders()) {}
    void TearDown() override {
        WindowTest::TearDown();
        std::filesystem::remove_all(kRoot);
    }
};

TEST_F(GangWindowTest, EightProgrammersWriteTheWindowsBatch) {
    for (int slot = 1; slot <= 8; ++slot)
        model().setText("address" + std::to_string(slot), std::to_string(1000000 + 100000 * (slot - 1)));
    model().setText("autoinc1", "8");
    chooseMenu(element::gangProgramming);
    StationsDialog* dialog = session().stations();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->tiles().size(), static_cast<std::size_t>(kProgrammers));
    EXPECT_EQ(dialog->tiles()[1].box->title(), "sim2");
    // Eight tiles and the settings fit a 1024x768 screen, with room for the frame.
    EXPECT_LE(dialog->sizeHint().width(), 1024 - 16);
    EXPECT_LE(dialog->sizeHint().height(), 768 - 64);

    dialog->pagers().setValue(kProgrammers);
    QTest::mouseClick(&dialog->startButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->startButton().isEnabled());
    ASSERT_TRUE(waitFor([dialog] { return dialog->startButton().isEnabled(); }, 10000));
    std::set<QString> capcodes;
    for (const auto& tile : dialog->tiles()) {
        EXPECT_TRUE(tile.state->text().startsWith("verified: address1=")) << tile.state->text().toStdString();
        EXPECT_EQ(tile.count->text(), "1 verified, 0 failed");
        capcodes.insert(tile.state->text());
    }
    EXPECT_EQ(capcodes.size(), static_cast<std::size_t>(kProgrammers)) << "each pager its own capcode";
    EXPECT_TRUE(dialog->summary().text().startsWith("Batch 1: 8 of 8 pagers written and verified, "))
        << dialog->summary().text().toStdString();
    EXPECT_EQ(model().text("address1"), "1000064") << "the window goes on from the next unit";
    EXPECT_EQ(logCount("sim8: Verify OK !"), 1);
    QTest::mouseClick(&dialog->stopButton(), Qt::LeftButton);  // disabled: nothing runs
    dialog->reject();
    EXPECT_TRUE(waitFor([this] { return session().stations() == nullptr && !session().busy(); }));
}

}  // namespace
}  // namespace pagerprog::gui::test
