// The state the tool starts in, built by the whole start-up sequence.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/document/application.h"
#include "app/document/language_files.h"
#include "settings/image_values.h"
#include "settings/prompt_texts.h"
#include "support/recording_host.h"

namespace pagerprog {
namespace {

namespace fs = std::filesystem;

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("pagerprog_startup_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    void writeLanguageFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream file(folder / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    void start(char separator) { app.start(StartupOptions{separator, folder.string()}); }

    fs::path folder;
    testing::RecordingHost host;
    Application app{host};
};

TEST_F(Startup, EndsInTv8CirroQtx73tWithTheShippedTv8Prompts) {
    writeLanguageFile(kTv8LanguageFile, shippedLanguageFile(kTv8LanguageFile));
    start('.');
    const SettingsModel& m = app.model();
    const ProgramState& p = app.program();
    EXPECT_EQ(p.hardwareRevision, Revision::TV8);
    EXPECT_EQ(p.languageFile, kTv8LanguageFile);
    EXPECT_EQ(p.portBase, parallel_port::lpt1.base);
    EXPECT_FALSE(p.usbProgrammerInUse);
    EXPECT_EQ(m.element(element::switchModel).caption, "&TV8");
    EXPECT_EQ(m.title(), "73TV8 Capcode Programmer Customer Version");
    EXPECT_EQ(host.logLines, std::vector<std::string>{"73TV8 USB CapCode Programmer Windows version V7.6"});
    EXPECT_EQ(host.beeps, 0);

    // The lower half is the six-address template, the upper half the language file.
    for (std::size_t i = 0; i < kPromptAreaOffset; ++i) {
        if (i >= 0x066 && i <= 0x068) continue;  // the customer writes its model code
        if (i == 0x269) continue;                // the decoder turns an LCD driver OPA of 0 into 2
        ASSERT_EQ(p.image[i], sixAddressTemplate()[i]) << std::hex << i;
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.image.data() + 0x066), 3), "73T");
    EXPECT_EQ(p.image[0x269], 2);
    const auto area = buildPromptArea(eightAddressPrompts());
    EXPECT_TRUE(std::equal(area.begin(), area.end(), p.image.begin() + kPromptAreaOffset));
}

struct Expected {
    const char* field;
    const char* text;
};

TEST_F(Startup, FieldValues) {
    start('.');
    const Expected values[] = {
        {"contrast", "45"},
        {"customer", "Cirro"},
        {"pager_model", "QTX73T"},
        {"pll", "SM5170"},
        {"cannedmsgA", "A Canned Messages   "},
        {"cannedmsgD", "D Canned Messages   "},
        {"hellomsg1", "------ QTX73T ------"},  // as many characters as the pager holds
        {"frequency", "163.00000"},
        {"unread_alert", "0"},
        {"address1", "2004000"},
        {"address6", "2004040"},
        {"frame1", "0"},
        {"decoder", "SM8212"},
        {"lcddrv", "SD1815"},
        {"cpu_clock1", "2.097152"},
        {"lcd_module", "120*16"},
        {"char_size", "6*8"},
        {"language", "English-UK"},
        {"addr1formatC", "Tone"},
        {"addr1formatD", "Disable"},
        {"lcddrv_opa", "2"},
        {"pubbox0", "Fdr00Name"},
        {"maxprivate", "60"},
        {"repeatcallreject", "2 min"},
    };
    for (const auto& v : values) EXPECT_EQ(app.model().text(v.field), v.text) << v.field;
    EXPECT_EQ(app.model().field("language").items, (std::vector<std::string>{"English-USA", "English-UK", "French"}));
    const int levels[] = {6, 1, 1, 30};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(app.model().level("TrackBar" + std::to_string(i + 1)), levels[i]);
    EXPECT_EQ(app.program().channelStep, 6250);
}

TEST_F(Startup, ShownAndEnabledStates) {
    start('.');
    const SettingsModel& m = app.model();
    for (const char* name : {"pager_model", "backlight", "Vref", "data_format", "pll", "f_ref", "contrast", "fullbat",
                             "errcorrect", "msgtype7"})
        EXPECT_FALSE(m.enabled(name)) << name;
    for (const char* name : {"n_count", "r_count", "address1", "frequency"}) EXPECT_TRUE(m.enabled(name)) << name;
    for (const char* name : {"repeatmsg", "customer", "cpu_clock", "BS2", "data_format", "zoom"})
        EXPECT_FALSE(m.visible(name)) << name;
    for (const char* name : {"address7", "urgent8D", "bs1_8212", "error_rate", "contrast_enable", "cpu_clock1",
                             "alerttype", "lcd_fosc", "lcddrv_opa"})
        EXPECT_TRUE(m.visible(name)) << name;
    EXPECT_FALSE(m.field("customer").labelVisible);
    EXPECT_TRUE(m.field("lcddrv_opa").labelVisible);
    EXPECT_FALSE(m.element(element::tabHardware).visible);
    EXPECT_TRUE(m.element(element::tabAddress).visible);
    EXPECT_FALSE(m.element(element::groupBattery).visible);
    EXPECT_TRUE(m.element(element::groupClock).visible);
    EXPECT_TRUE(m.element(element::groupCanned).visible);
    EXPECT_TRUE(m.element(element::recover).visible);
    EXPECT_FALSE(m.element(element::debug).visible);
}

TEST_F(Startup, WithoutALanguageFileKeepsTheTemplatePrompts) {
    start('.');
    EXPECT_EQ(host.logLines,
              (std::vector<std::string>{"73TV8 USB CapCode Programmer Windows version V7.6", "Language file error"}));
    EXPECT_EQ(host.beeps, 1);
    const Image& image = app.program().image;
    EXPECT_TRUE(
        std::equal(image.begin() + kPromptAreaOffset, image.end(), sixAddressTemplate().begin() + kPromptAreaOffset))
        << "the six-address template's 50 prompts stay although the tool runs in TV8";
}

TEST_F(Startup, ShortAndLongLanguageFiles) {
    writeLanguageFile(kTv8LanguageFile, {1, 2, 3});
    start('.');
    const Image& image = app.program().image;
    EXPECT_EQ(image[0x400], 1);
    EXPECT_EQ(image[0x402], 3);
    for (std::size_t i = 0x403; i < kImageSize; ++i) ASSERT_EQ(image[i], 0xFF) << std::hex << i;

    testing::RecordingHost host2;
    Application app2{host2};
    std::vector<std::uint8_t> longFile(1500, 0x41);
    longFile[1023] = 0x42;
    writeLanguageFile(kTv8LanguageFile, longFile);
    app2.start(StartupOptions{'.', folder.string()});
    EXPECT_EQ(app2.program().image[0x7FE], 0x41);
    EXPECT_EQ(app2.program().image[0x7FF], 0x42) << "byte 2047 is the file's last byte until a save";
}

// On a decimal-comma system the texts are written with a comma and the battery display
// rounds as it does with a point. Fails when a comma system only cuts the display: a code
// then shows as a voltage that encodes one step lower, and every load and save lowers the
// pager's battery thresholds once more.
TEST_F(Startup, BatteryDisplayRoundsWithEitherSeparator) {
    for (char separator : {'.', ','}) {
        Application fresh(host);
        fresh.start(StartupOptions{separator, "/nonexistent"});
        const SettingsModel& m = fresh.model();
        const auto written = [separator](std::string text) {
            for (char& c : text) c = c == '.' ? separator : c;
            return text;
        };
        EXPECT_EQ(fresh.program().decimalSeparator, separator);
        EXPECT_EQ(m.text("frequency"), written("163.00000"));
        EXPECT_EQ(m.text("Vref"), written("2.70"));
        EXPECT_EQ(m.text("fullbat"), written("1.50")) << "142 x 2.70 / 256 = 1.4977";
        EXPECT_EQ(m.text("halfbat"), written("0.95"));
        EXPECT_EQ(m.text("gonebat"), written("0.77"));
        for (unsigned code = 0; code < 256; ++code) {
            const std::string shown = batteryText(code, m.text("Vref"), fresh.program().batteryRoundingStep, separator);
            EXPECT_EQ(batteryCode(shown, m.text("Vref"), separator), code) << shown;
        }
    }
}

}  // namespace
}  // namespace pagerprog
