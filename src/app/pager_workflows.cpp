#include "app/pager_workflows.h"

#include <algorithm>
#include <string>

#include "app/document.h"
#include "app/image_steps.h"
#include "app/pager_transfer.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "settings/conversion.h"
#include "settings/hardware_block.h"
#include "settings/program_state.h"
#include "settings/settings_file.h"

namespace pagerprog {

namespace {

// The pager's EEPROM, a 24C16 with its address pins low.
constexpr const char* kChipType = "16";
constexpr int kDeviceSelect = 0;
constexpr const char* kDeviceMissing = "Device not exist, please check the connection.";
constexpr const char* kReadError = "Pager Read error, please check the connection.";
constexpr unsigned kFailureBeepGapMs = 200;
// Pagers of this customer are written without reading their calibration back first.
const int kCustomerDunlin = tableItem(field::customer, "Dunlin");

constexpr const char* kCancelledBeforeWrite = "Cancelled before the write: the pager is unchanged.";
constexpr const char* kCancelledAfterWrite =
    "Cancelled after the write: the pager holds the new settings, not verified.";

// The progress window is closed on every way out, an error escaping a rule included. It
// numbers the passes over the pager, so that the window can show how far the whole
// transfer is.
class ProgressWindow {
public:
    ProgressWindow(Progress& progress, const char* caption, int passes) : progress_(progress), passes_(passes) {
        progress_.progressCaption(caption);
        progress_.progressShow();
        progress_.progressRange(0, static_cast<int>(kImageSize));
        progress_.progressPosition(0);
        progress_.progressStep(1);
    }
    ~ProgressWindow() { close(); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void nextPass() { progress_.progressPass(++pass_, passes_); }
    void restart(const char* caption) {
        nextPass();
        progress_.progressCaption(caption);
        progress_.progressPosition(0);
    }
    // Between two passes: the technician's request to stop is taken up here.
    bool cancelRequested() { return progress_.progressCancelRequested(); }
    void close() {
        if (open_) progress_.progressHide();
        open_ = false;
    }

private:
    Progress& progress_;
    int passes_;
    int pass_ = 0;
    bool open_ = true;
};

}  // namespace

bool PagerWorkflows::ReadFromPager() {
    ProgramState& p = ctx_.program;
    ProgressWindow progress(ctx_.host, "Reading data from Pager, please wait...", 1);
    progress.nextPass();
    ctx_.host.log("Read data from pager");
    if (transferPager(ctx_, link_, kChipType, kDeviceSelect, "r", p.loadBuffer) == kTransferFailed) {
        ctx_.host.log(kDeviceMissing);
        progress.close();
        ctx_.host.beep();
        return false;
    }
    if (ctx_.model.element(element::debug).checked) {
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
    const bool checkCustomer = !edition::factoryEdition && edition::defaultCustomer != 0;
    const IncomingImage checks{kReadError, checkCustomer ? "Model not match, please use the correct CCP!" : nullptr,
                               addressSlots(p.hardwareRevision)};
    const bool accepted = acceptIncomingImage(ctx_, checks, [&] {
        progress.close();
        ctx_.host.log("Read completed");
    });
    if (accepted) markSettingsKept(ctx_, "");
    return accepted;
}

// Takes over the lower half of the pager's image and its hardware calibration, so that a
// write keeps what the factory tuned in this very pager. False when the pager could not be
// read (the progress window is then closed and the user told).
bool PagerWorkflows::readBackHardware() {
    ProgramState& p = ctx_.program;
    if (transferPager(ctx_, link_, kChipType, kDeviceSelect, "r", p.loadBuffer) == kTransferFailed) {
        ctx_.host.log(kDeviceMissing);
        return false;
    }
    if (!imageChecksumOk(p.loadBuffer)) {
        ctx_.host.log(kReadError);
        return false;
    }
    std::copy(p.loadBuffer.begin(), p.loadBuffer.begin() + kSettingsAreaSize, p.image.begin());
    takeHardwareBlock(ctx_);
    return true;
}

bool PagerWorkflows::WriteToPager() {
    ProgramState& p = ctx_.program;
    SettingsModel& m = ctx_.model;
    const bool readBack =
        m.index(field::customer) != kCustomerDunlin && !edition::factoryEdition && !m.element(element::recover).checked;
    ProgressWindow progress(ctx_.host, "Writing data to Pager, please wait...", readBack ? 3 : 2);
    if (readBack) {
        progress.restart("Read back hardware setting, please wait...");
        if (!readBackHardware()) {
            progress.close();
            ctx_.host.beep();
            return false;
        }
        if (progress.cancelRequested()) {
            ctx_.host.log(kCancelledBeforeWrite);
            return false;
        }
    }
    progress.restart("Writing data to Pager, please wait...");
    prepareOutgoingImage(ctx_);
    ctx_.host.log("Write to Pager...");

    const std::uint8_t result = transferPager(ctx_, link_, kChipType, kDeviceSelect, "w", p.image, [&progress] {
        if (progress.cancelRequested()) return false;
        progress.nextPass();
        return true;
    });
    if (result == kWrittenNotVerified) {
        ctx_.host.log(kCancelledAfterWrite);
        return false;
    }
    if (result == kWriteFailed || result == kVerifyDiffers) {
        ctx_.host.beep();
        ctx_.host.log(result == kWriteFailed ? "Pager can't be written" : "Verify fail !");
        link_.clock().sleepMillis(kFailureBeepGapMs);
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
    auto step = [&m](int slot) {
        const long long next = parseInteger(m.text(field::address(slot))) + parseInteger(m.text(field::autoinc(slot)));
        m.setText(field::address(slot), formatInteger(next));
    };
    step(2);
    step(1);
    m.fireExit(field::address(1));
    m.fireExit(field::address(2));
    step(4);
    step(3);
    m.fireExit(field::address(3));
    m.fireExit(field::address(4));
}

}  // namespace pagerprog
