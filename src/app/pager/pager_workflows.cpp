#include "app/pager/pager_workflows.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/document/document.h"
#include "app/document/image_steps.h"
#include "app/pager/address_step.h"
#include "app/pager/capcode_check.h"
#include "app/pager/pager_transfer.h"
#include "app/production/production.h"
#include "app/record/sha256.h"
#include "context/context.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "settings/conversion.h"
#include "settings/hardware_block.h"
#include "settings/settings_file.h"

namespace pagerprog {

namespace {

// The pager's EEPROM, a 24C16 with its address pins low.
constexpr int kDeviceSelect = 0;
constexpr const char* kDeviceMissing = "Device not exist, please check the connection.";
constexpr const char* kReadError = "Pager Read error, please check the connection.";
constexpr unsigned kFailureBeepGapMs = 200;
constexpr std::size_t kDifferencesShown = 8;
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
    // Before the verify pass of a write: stops there when asked to, else numbers the pass.
    VerifyGate verifyGate() {
        return [this] {
            if (cancelRequested()) return false;
            nextPass();
            return true;
        };
    }
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

// Whether the row being restored wrote the attached pager: it holds what the row wrote, or,
// where the record kept that image, every byte is the row's or the one it kept from before.
bool wroteThisPager(const PagerWorkflows::Restore& row, const Image& attached) {
    if (sha256Hex(attached) == row.writtenSha256) return true;
    if (!row.written) return false;
    for (std::size_t at = 0; at < attached.size(); ++at)
        if (attached[at] != row.image[at] && attached[at] != (*row.written)[at]) return false;
    return true;
}

// The port or programmer went away during the transfer: whatever came back is none of the
// pager's, so the cause is named instead of a checksum or verify failure.
bool portRemoved(Context& ctx, const TransferOutcome& outcome) {
    if (outcome.removedPort.empty()) return false;
    ctx.host.log(outcome.removedPort + " was removed during the transfer");
    return true;
}

// A read that failed: the programmer said why in its box, or nothing answered.
PagerOutcome failedRead(const TransferOutcome& outcome) {
    return outcome.programmerError.empty() ? PagerOutcome::NoAnswer : PagerOutcome::ProgrammerFailed;
}

// A whole read that brought nothing of the pager's: why, with the progress window closed
// and a beep; nothing when the read went through.
std::optional<PagerOutcome> failedWholeRead(Context& ctx, ProgressWindow& progress, const TransferOutcome& outcome) {
    const bool removed = portRemoved(ctx, outcome);
    if (!removed && outcome.result != TransferResult::TransferFailed) return std::nullopt;
    if (!removed) ctx.host.log(kDeviceMissing);
    progress.close();
    ctx.host.beep();
    return removed ? PagerOutcome::PortRemoved : failedRead(outcome);
}

}  // namespace

// Runs one pager command, keeping the status-log lines it wrote and its outcome in the
// production record.
template <typename Command>
bool PagerWorkflows::attempt(Operation operation, Command command) {
    PagerAttempt unit;
    unit.operation = operation;
    production_.beginAttempt();
    lastDifferences_.clear();
    ctx_.tap.startCapture();
    const auto started = std::chrono::steady_clock::now();
    try {
        unit.outcome = command(unit);
    } catch (...) {
        ctx_.tap.endCapture();
        throw;
    }
    unit.duration = std::chrono::steady_clock::now() - started;
    unit.statusLog = ctx_.tap.endCapture();
    lastDifferences_ = unit.differences;
    const bool done = unit.outcome == PagerOutcome::Done;
    if (done && unit.operation == Operation::Write) ++verifiedWrites_;
    lastAttempt_ = unit;
    // A write refused because the record cannot account for it has already said so.
    if (production_.lastFailure().empty()) production_.keep(std::move(unit));
    return done;
}

bool PagerWorkflows::ReadFromPager() {
    return attempt(Operation::Read, [this](PagerAttempt& a) { return read(a); });
}

bool PagerWorkflows::WriteToPager() {
    return attempt(Operation::Write, [this](PagerAttempt& a) { return write(a); });
}

bool PagerWorkflows::VerifyPager() {
    return attempt(Operation::Verify, [this](PagerAttempt& a) { return verify(a); });
}

bool PagerWorkflows::RestorePager(const Restore& request) {
    return attempt(Operation::Restore, [&](PagerAttempt& a) { return restore(a, request); });
}

PagerOutcome PagerWorkflows::read(PagerAttempt& attempt) {
    ProgramState& p = ctx_.program;
    ProgressWindow progress(ctx_.host, "Reading data from Pager, please wait...", 1);
    progress.nextPass();
    ctx_.host.log("Read data from pager");
    const TransferOutcome transfer = transferPager(ctx_, link_, kChip24C16, kDeviceSelect, kReadMode, p.loadBuffer);
    if (const auto failed = failedWholeRead(ctx_, progress, transfer)) return *failed;
    attempt.image = p.loadBuffer;
    attempt.previous = p.loadBuffer;
    if (ctx_.model.element(element::debug).checked) {
        // The raw bytes as read, before any check, for looking at a misbehaving pager.
        const auto path = ctx_.host.saveFileDialog(settingsFileDialog());
        if (!path) return PagerOutcome::Cancelled;
        ctx_.host.log("Save data to " + *path);
        if (writeImageFile(*path, p.loadBuffer).saved) {
            ctx_.host.log("ok!");
        } else {
            ctx_.logAndBeep("write error!");
        }
    }
    const bool checkCustomer = !edition::factoryEdition && edition::defaultCustomer != 0;
    const IncomingImage checks{kReadError, checkCustomer ? "Model not match, please use the correct CCP!" : nullptr,
                               addressSlots(p.hardwareRevision)};
    const Incoming incoming = acceptIncomingImage(ctx_, checks, [&] {
        progress.close();
        ctx_.host.log("Read completed");
    });
    // Only a pager whose image was taken has capcodes to record; a failed read's fields
    // still hold what the window held before.
    if (incoming == Incoming::Accepted) {
        attempt.capcodes = Production::capcodesShown(ctx_);
        markSettingsKept(ctx_, "", nullptr);
    }
    if (incoming == Incoming::BadChecksum) return PagerOutcome::BadImage;
    if (incoming == Incoming::OtherCustomer) return PagerOutcome::OtherCustomer;
    return PagerOutcome::Done;
}

bool PagerWorkflows::takesHardwareReadBack() const {
    const SettingsModel& m = ctx_.model;
    return m.index(field::customer) != kCustomerDunlin && !edition::factoryEdition &&
           !m.element(element::recover).checked;
}

// Reads the pager into the load buffer. With the hardware read-back, the lower half of
// its image and its hardware calibration are taken over, so that a write keeps what the
// factory tuned in this very pager. The caller closes the progress window and beeps on
// failure.
PagerOutcome PagerWorkflows::readPager(bool hardwareReadBack) {
    ProgramState& p = ctx_.program;
    const TransferOutcome transfer = transferPager(ctx_, link_, kChip24C16, kDeviceSelect, kReadMode, p.loadBuffer);
    if (portRemoved(ctx_, transfer)) return PagerOutcome::PortRemoved;
    if (transfer.result == TransferResult::TransferFailed) {
        ctx_.host.log(kDeviceMissing);
        return failedRead(transfer);
    }
    if (!imageChecksumOk(p.loadBuffer)) {
        ctx_.host.log(kReadError);
        return PagerOutcome::BadImage;
    }
    if (hardwareReadBack) {
        std::copy(p.loadBuffer.begin(), p.loadBuffer.begin() + kSettingsAreaSize, p.image.begin());
        takeHardwareBlock(ctx_);
    }
    return PagerOutcome::Done;
}

void PagerWorkflows::reportDifferences(const std::vector<ByteDifference>& differences) {
    for (std::size_t i = 0; i < differences.size() && i < kDifferencesShown; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "Differs at 0x%03X: expected 0x%02X, read 0x%02X", differences[i].address,
                      differences[i].expected, differences[i].read);
        ctx_.host.log(line);
    }
}

// Writes the image and reads it back; the status log and the beeps tell how it went.
PagerOutcome PagerWorkflows::sendAndVerify(PagerAttempt& attempt, Image& image, const VerifyGate& verifyStarting) {
    attempt.image = image;
    const TransferOutcome transfer =
        transferPager(ctx_, link_, kChip24C16, kDeviceSelect, kWriteMode, image, verifyStarting);
    if (transfer.result == TransferResult::WrittenNotVerified) {
        ctx_.host.log(kCancelledAfterWrite);
        return PagerOutcome::Cancelled;
    }
    if (portRemoved(ctx_, transfer)) {
        ctx_.host.beep();
        return PagerOutcome::PortRemoved;
    }
    if (!transfer.readBack.empty()) attempt.differences = Production::differences(image, transfer.readBack);
    if (transfer.result == TransferResult::WriteFailed || transfer.result == TransferResult::VerifyDiffers) {
        ctx_.host.beep();
        ctx_.host.log(transfer.result == TransferResult::WriteFailed ? "Pager can't be written" : "Verify fail !");
        reportDifferences(attempt.differences);
        link_.clock().sleepMillis(kFailureBeepGapMs);
        ctx_.host.beep();
        return transfer.result == TransferResult::WriteFailed ? PagerOutcome::NotWritten : PagerOutcome::VerifyFailed;
    }
    // Any other failure is the programmer's, and its own message box has told why.
    if (transfer.result != TransferResult::VerifyOk) return PagerOutcome::ProgrammerFailed;
    ctx_.host.log("Verify OK !");
    ctx_.host.beep();
    return PagerOutcome::Done;
}

PagerOutcome PagerWorkflows::write(PagerAttempt& attempt) {
    // Kept with every attempt, a refused one too: the capcodes this pager was meant to get.
    attempt.capcodes = Production::capcodesShown(ctx_);
    ProgramState& p = ctx_.program;
    if (const auto problem = capcodeProblem(ctx_)) {
        ctx_.logAndBeep("Not written: " + *problem + ".");
        return PagerOutcome::Refused;
    }
    if (!production_.readyForWrite()) return PagerOutcome::Refused;
    const bool hardwareReadBack = takesHardwareReadBack();
    ProgressWindow progress(ctx_.host, "Writing data to Pager, please wait...", hardwareReadBack ? 3 : 2);
    if (hardwareReadBack) {
        progress.restart("Read back hardware setting, please wait...");
        const PagerOutcome readBack = readPager(true);
        if (readBack != PagerOutcome::Done) {
            progress.close();
            ctx_.host.beep();
            return readBack;
        }
        attempt.previous = p.loadBuffer;
        if (progress.cancelRequested()) {
            ctx_.host.log(kCancelledBeforeWrite);
            return PagerOutcome::Cancelled;
        }
    }
    progress.restart("Writing data to Pager, please wait...");
    if (!prepareOutgoingImage(ctx_, "Not written: the pager would not get what is shown."))
        return PagerOutcome::Refused;
    attempt.image = p.image;
    if (!production_.recordBeforeWrite(attempt)) return PagerOutcome::Refused;
    ctx_.host.log("Write to Pager...");
    const PagerOutcome written = sendAndVerify(attempt, p.image, progress.verifyGate());
    progress.close();
    if (written == PagerOutcome::Done) stepAddresses(ctx_.model);
    return written;
}

PagerOutcome PagerWorkflows::verify(PagerAttempt& attempt) {
    ProgramState& p = ctx_.program;
    ProgressWindow progress(ctx_.host, "Verify data from pager, please wait...", 1);
    progress.nextPass();
    ctx_.host.log("Read data from pager");
    const PagerOutcome read = readPager(takesHardwareReadBack());
    if (read != PagerOutcome::Done) {
        progress.close();
        ctx_.host.beep();
        return read;
    }
    attempt.image = p.loadBuffer;
    if (!prepareOutgoingImage(ctx_, "Not verified: the pager would not get what is shown."))
        return PagerOutcome::Refused;
    attempt.capcodes = Production::capcodesShown(ctx_);
    attempt.differences = Production::differences(p.image, p.loadBuffer);
    progress.close();
    if (!attempt.differences.empty()) {
        ctx_.logAndBeep("Verify fail !");
        reportDifferences(attempt.differences);
        return PagerOutcome::VerifyFailed;
    }
    ctx_.host.log("Verify OK !");
    return PagerOutcome::Done;
}

PagerOutcome PagerWorkflows::restore(PagerAttempt& attempt, const Restore& request) {
    if (!production_.readyForWrite()) return PagerOutcome::Refused;
    const std::string row = std::to_string(request.sourceRow);
    ctx_.host.log("Restoring the image kept in production record row " + row);
    attempt.originRow = request.sourceRow;
    ProgressWindow progress(ctx_.host, "Reading data from Pager, please wait...", 3);
    progress.nextPass();
    // Read as it is: a pager left half-written fails its checksum, and is the one to restore.
    Image& attached = ctx_.program.loadBuffer;
    const TransferOutcome read = transferPager(ctx_, link_, kChip24C16, kDeviceSelect, kReadMode, attached);
    if (const auto failed = failedWholeRead(ctx_, progress, read)) return *failed;
    attempt.previous = attached;
    if (!request.force && !wroteThisPager(request, attached)) {
        ctx_.logAndBeep("Not restored: the attached pager is not the one row " + row +
                        " wrote (it holds other data); give --force to write it anyway.");
        return PagerOutcome::Refused;
    }
    progress.restart("Writing data to Pager, please wait...");
    Image sent = request.image;
    attempt.image = sent;
    attempt.capcodes = Production::capcodesIn(ctx_, sent);
    if (!production_.recordBeforeWrite(attempt)) return PagerOutcome::Refused;
    ctx_.host.log("Write to Pager...");
    const PagerOutcome written = sendAndVerify(attempt, sent, progress.verifyGate());
    progress.close();
    return written;
}

}  // namespace pagerprog
