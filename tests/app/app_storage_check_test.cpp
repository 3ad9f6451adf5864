// What is shown is what is saved: after a file load the settings encode to an image that
// decodes to exactly what the window shows, or the status log names every field that
// would be stored otherwise, and the command-line tool refuses to save or write it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

#include "app/document/application.h"
#include "app/document/profiles.h"
#include "settings/conversion.h"
#include "settings/frequency.h"
#include "settings/image_layout.h"
#include "support/recording_host.h"
#include "support/shown_values.h"

namespace pagerprog {
namespace {

namespace fs = std::filesystem;

fs::path scratchFile(const std::string& name) {
    return fs::temp_directory_path() / ("pagerprog_storage_" + std::to_string(::getpid()) + "_" + name);
}

void writeImage(const fs::path& path, const Image& image) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), kImageSize);
}

// A started program in a revision, with the customer Cirro.
struct Program {
    explicit Program(Revision revision) {
        app.start(StartupOptions{'.', "/nonexistent"});
        while (app.program().hardwareRevision != revision) switch_modelClick(app.context());
        host.clear();
    }
    bool open(const fs::path& path) {
        host.openAnswers.push_back(path.string());
        return app.menuCommand(element::open);
    }
    bool save(const fs::path& path) {
        host.saveAnswers.push_back(path.string());
        return app.menuCommand(element::save);
    }
    std::set<std::string> namedFields() const { return testing::fieldsNamedIn(host.logLines); }
    testing::RecordingHost host;
    Application app{host};
};

// Fails when a TV7 file whose frame leader is out of range is shown with the frame of the
// file for addresses 4 to 6 and saved with the stale frame of address3.
TEST(StorageCheck, AStaleSharedFrameIsNamedAndTheCommandLineRefusesToSaveIt) {
    Image image = sixAddressTemplate();
    writeCapcodeEntrySix(image, 3, 2097149);  // out of range
    for (int slot = 4; slot <= 6; ++slot) writeCapcodeEntrySix(image, slot, 2004024 + 8 * (slot - 4));
    image[0x013] = 0x80 | 5;  // slots 3 to 6 in frame 5
    image[0x3FE] = 0;
    setImageChecksum(image);
    const fs::path file = scratchFile("frame.eep"), saved = scratchFile("frame-saved.eep");
    writeImage(file, image);

    Program window(Revision::TV7r2);
    ASSERT_TRUE(window.open(file));
    EXPECT_EQ(window.app.model().text("address4"), "2004029");
    EXPECT_EQ(window.namedFields(), (std::set<std::string>{"address3", "address4", "address5", "address6"}));
    EXPECT_NE(std::find(window.host.logLines.begin(), window.host.logLines.end(),
                        "address4 shows \"2004029\" but the pager image will hold \"2004024\": TV7 pagers keep one "
                        "frame for slots 3 to 6, that of address3."),
              window.host.logLines.end());
    EXPECT_TRUE(window.save(saved)) << "the window saves, having said so";

    Program script(Revision::TV7r2);
    script.app.program().refuseUnshownValues = true;
    ASSERT_TRUE(script.open(file));
    script.host.clear();
    fs::remove(saved);
    EXPECT_FALSE(script.save(saved));
    EXPECT_EQ(script.host.logLines.back(), "Not saved: the image would not hold what is shown.");
    EXPECT_FALSE(fs::exists(saved));
    fs::remove(file);
}

// Fails when a channel outside the band is padded as if typed (14 MHz shown as 140 MHz)
// and saved as that.
TEST(StorageCheck, AChannelOutsideTheBandIsNotShownWronglyAndIsNamed) {
    for (std::uint32_t hertz : {14'000'000u, 50'500'000u, 1'500'000'000u}) {
        Image image = eightAddressTemplate();
        const ImageField& row = *rowsOf(Layout::EightAddress, "frequency").front();
        for (std::size_t i = 0; i < 4; ++i) image[row.offset + i] = static_cast<std::uint8_t>(hertz >> (8 * i));
        setImageChecksum(image);
        const fs::path file = scratchFile("band.eep");
        writeImage(file, image);
        Program window(Revision::TV8);
        const std::string before = window.app.model().text("frequency");
        ASSERT_TRUE(window.open(file));
        EXPECT_EQ(window.app.model().text("frequency"), before) << hertz;
        EXPECT_EQ(window.host.logLines.at(2), "The image holds the channel " + Frequency(hertz).text('.') +
                                                  " MHz, outside 100.00000 to 999.99999 MHz: the window keeps the "
                                                  "channel it showed.");
        fs::remove(file);
    }
}

// Loads random images, saves them and loads the saved file into a second program: every
// field the second program shows otherwise than the first must have been named.
TEST(StorageCheck, EveryFieldSavedOtherwiseThanShownIsNamed) {
    std::mt19937 random(8122026);
    const fs::path file = scratchFile("random.eep"), saved = scratchFile("random-saved.eep");
    for (Revision revision : {Revision::TV7r2, Revision::TV8}) {
        for (int round = 0; round < 60; ++round) {
            Image image = revision == Revision::TV8 ? eightAddressTemplate() : sixAddressTemplate();
            for (std::size_t i = 0; i < kSettingsAreaSize; ++i) {
                if (random() % 4 == 0) image[i] = static_cast<std::uint8_t>(random());
            }
            image[kCustomerOffset] = 0;
            setImageChecksum(image);
            writeImage(file, image);
            Program first(revision), second(revision);
            if (!first.open(file) || !first.host.messages.empty()) continue;  // an error box: nothing shown
            if (!first.save(saved) || !second.open(saved) || !second.host.messages.empty()) continue;
            const std::set<std::string> named = testing::fieldsNamedIn(first.host.logLines);
            for (const std::string& field :
                 testing::fieldsShownOtherwise(first.app.model(), second.app.model(), layoutOf(revision))) {
                EXPECT_TRUE(named.count(field)) << field << " is saved otherwise than shown (round " << round << ")";
            }
        }
    }
    fs::remove(file);
    fs::remove(saved);
}

}  // namespace
}  // namespace pagerprog
