#include "link/read_write_workflows.h"

#include <algorithm>
#include <string>

#include "link/clock.h"
#include "link/pager_link.h"
#include "link/transfer_engine.h"
#include "settings/conversion.h"
#include "settings/decoder.h"
#include "settings/encoder.h"
#include "settings/image_values.h"
#include "settings/program_state.h"
#include "settings/settings_file.h"

namespace pagerprog {

namespace {

constexpr const char* kChipType = "16";
constexpr int kDeviceSelect = 0;
constexpr int kDunlin = 2;

constexpr const char* kDeviceMissing = "Device not exist, please check the connection.";
constexpr const char* kReadError = "Pager Read error, please check the connection.";

// The progress window is closed on every way out, an error escaping a rule included.
class ProgressWindow {
public:
    ProgressWindow(Host& host, const char* caption) : host_(host) {
        host_.progressCaption(caption);
        host_.progressShow();
        host_.progressRange(0, static_cast<int>(kImageSize));
        host_.progressPosition(0);
        host_.progressStep(1);
    }
    ~ProgressWindow() { close(); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void restart(const char* caption) {
        host_.progressCaption(caption);
        host_.progressPosition(0);
    }
    void close() {
        if (open_) host_.progressHide();
        open_ = false;
    }

private:
    Host& host_;
    bool open_ = true;
};

bool inRange(std::uint8_t value, int low, int high) { return value >= low && value <= high; }

// The pager's own hardware block is trusted only when it looks like a QTX73T's.
bool hardwareBlockValid(const Image& image) {
    return inRange(image[0x18B], 102, 182) && inRange(image[0x18C], 76, 104) && inRange(image[0x18D], 76, 104) &&
           inRange(image[0x18E], 65, 76) && image[0x184] == 2 && image[0x014] == 6 && (image[0x016] & 0x68) == 0x68 &&
           std::all_of(image.begin() + 0x017, image.begin() + 0x01E, [](std::uint8_t b) { return b == 0; });
}

constexpr const char* kBatteryFields[] = {"fullbat", "halfbat", "lowbat", "gonebat"};

}  // namespace

bool PagerWorkflows::ReadFromPager() {
    ProgramState& p = ctx_.program;
    SettingsModel& m = ctx_.model;
    ProgressWindow progress(ctx_.host, "Reading data from Pager, please wait...");
    ctx_.host.log("Read data from pager");
    if (link_.transfer(kChipType, kDeviceSelect, "r", p.loadBuffer) == kTransferFailed) {
        ctx_.host.log(kDeviceMissing);
        progress.close();
        ctx_.host.beep();
        return false;
    }
    const std::uint8_t checksum = imageChecksum(p.loadBuffer);
    if (m.element(element::debug).checked) {
        // The raw bytes as read, before any check, for looking at a misbehaving pager.
        const auto path = ctx_.host.saveFileDialog(settingsFileDialog());
        if (!path) return false;
        ctx_.host.log("Save data to " + *path);
        if (writeImageFile(*path, p.loadBuffer)) {
            ctx_.host.log("ok!");
        } else {
            ctx_.logAndBeep("write error!");
        }
    }
    if (p.loadBuffer[kChecksumOffset] != checksum) {
        ctx_.logAndBeep(kReadError);
        return false;
    }
    if (!edition::factoryEdition && edition::defaultCustomer != 0 &&
        p.loadBuffer[kCustomerOffset] != m.index("customer")) {
        ctx_.logAndBeep("Model not match, please use the correct CCP!");
        return false;
    }
    p.image = p.loadBuffer;
    progress.close();
    ctx_.host.log("Read completed");

    decodeImage(ctx_);
    reapplyRulesAfterLoad(ctx_, p.hardwareRevision == 2 ? 8 : 6);
    return true;
}

// Takes over the lower half of the pager's image and its hardware calibration, so that a
// write keeps what the factory tuned in this very pager. False when the pager could not be
// read (the progress window is then closed and the user told).
bool PagerWorkflows::readBackHardware() {
    ProgramState& p = ctx_.program;
    if (link_.transfer(kChipType, kDeviceSelect, "r", p.loadBuffer) == kTransferFailed) {
        ctx_.host.log(kDeviceMissing);
        return false;
    }
    if (!imageChecksumOk(p.loadBuffer)) {
        ctx_.host.log(kReadError);
        return false;
    }
    std::copy(p.loadBuffer.begin(), p.loadBuffer.begin() + kSettingsAreaSize, p.image.begin());
    takeHardwareBlock();
    return true;
}

void PagerWorkflows::takeHardwareBlock() {
    ProgramState& p = ctx_.program;
    SettingsModel& m = ctx_.model;
    Image& image = p.image;
    if (p.hardwareRevision == 2) {
        m.setIndex("pll", (image[0x185] >> 4) & 1);
        m.setIndex("backlight", (image[0x17E] >> 2) & 1);
        if (!m.checked("contrast_enable")) m.setText("contrast", formatInteger(image[0x046]));
        return;
    }
    if (hardwareBlockValid(image)) {
        m.setIndex("BS2", image[0x015] & 0x0F);
        m.setIndex("BS3", image[0x015] >> 4);
        m.setIndex("errcorrect", (image[0x016] >> 2) & 3);
        m.setIndex("data_format", (image[0x016] >> 5) & 1);
        m.setChecked("pll_enable", (image[0x016] & 0x40) != 0);
        m.setIndex("pager_model", image[0x184]);
        m.setIndex("pll", (image[0x185] >> 4) & 1);
        m.setIndex("backlight", (image[0x17E] >> 2) & 1);
        for (std::size_t i = 0; i < 4; ++i) {
            m.setText(kBatteryFields[i],
                      batteryText(image[0x18B + i], m.text("Vref"), p.batteryRoundingStep, p.decimalSeparator));
        }
        return;
    }
    image[0x014] = 6;
    m.setIndex("BS2", 15);
    m.setIndex("BS3", 0);
    image[0x016] = 0x68;
    std::fill(image.begin() + 0x017, image.begin() + 0x01E, 0);
    m.setIndex("pager_model", 2);
    m.setIndex("backlight", 1);
    // The factory voltages, written with the system's separator so that they encode.
    const char* volts[] = {"1.50", "0.95", "0.95", "0.77"};
    for (std::size_t i = 0; i < 4; ++i) {
        std::string text = volts[i];
        text[1] = p.decimalSeparator;
        m.setText(kBatteryFields[i], text);
    }
}

bool PagerWorkflows::WriteToPager() {
    ProgramState& p = ctx_.program;
    SettingsModel& m = ctx_.model;
    ProgressWindow progress(ctx_.host, "Writing data to Pager, please wait...");
    if (m.index("customer") != kDunlin && !edition::factoryEdition && !m.element(element::recover).checked) {
        progress.restart("Read back hardware setting, please wait...");
        if (!readBackHardware()) {
            progress.close();
            ctx_.host.beep();
            return false;
        }
    }
    progress.restart("Writing data to Pager, please wait...");
    m.fireExit("hellomsg1");
    m.fireExit("hellomsg2");
    encodeImage(ctx_);
    ctx_.host.log("Write to Pager...");
    p.image[kChecksumOffset] = imageChecksum(p.image);

    const std::uint8_t result = link_.transfer(kChipType, kDeviceSelect, "w", p.image);
    if (result == kWriteFailed || result == kVerifyDiffers) {
        ctx_.host.beep();
        ctx_.host.log(result == kWriteFailed ? "Pager can't be written" : "Verify fail !");
        clock_.sleepMillis(200);
        ctx_.host.beep();
        return false;
    }
    if (result != kVerifyOk) return false;  // the programmer's own message box has told why
    ctx_.host.log("Verify OK !");
    ctx_.host.beep();
    progress.close();
    stepAddresses();
    return true;
}

void PagerWorkflows::stepAddresses() {
    SettingsModel& m = ctx_.model;
    auto step = [&m](int n) {
        const std::string slot = std::to_string(n);
        const long long next = parseInteger(m.text("address" + slot)) + parseInteger(m.text("autoinc" + slot));
        m.setText("address" + slot, formatInteger(next));
    };
    step(2);
    step(1);
    m.fireExit("address1");
    m.fireExit("address2");
    step(4);
    step(3);
    m.fireExit("address3");
    m.fireExit("address4");
}

}  // namespace pagerprog
