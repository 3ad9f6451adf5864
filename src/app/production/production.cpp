#include "app/production/production.h"

#include <cstdio>

#include "app/document/version.h"
#include "app/record/data_home.h"
#include "app/record/record_error.h"
#include "app/record/sha256.h"
#include "context/context.h"
#include "link/pager_link.h"
#include "link/port_access.h"
#include "settings/conversion.h"
#include "settings/decoder.h"

namespace pagerprog {

namespace {

std::string vidPidOf(const HidDevice& device) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X:%04X", device.vendorId(), device.productId());
    return text;
}

}  // namespace

Production::Production(Context& ctx, PagerLink& link) : ctx_(ctx), link_(link), user_(currentUserName()) {}

Production::~Production() = default;

void Production::open(const std::filesystem::path& file) {
    used_ = true;
    path_ = file;
    record_.reset();
    batchId_.reset();
    nextUnit_ = 1;
    try {
        // SQLite would take an empty name for a temporary database that keeps nothing.
        if (file.empty())
            throw RecordError(RecordError::Kind::CannotOpen, "no file named (neither XDG_DATA_HOME nor HOME is set)");
        record_ = std::make_unique<ProductionRecord>(file);
        problem_.clear();
    } catch (const RecordError& error) {
        problem_ = error.what();
        throw;
    }
}

void Production::startBatch(const BatchStart& start) {
    unrecordedBatch_ = start;
    batchId_.reset();
    nextUnit_ = 1;
}

void Production::resumeBatch(const BatchState& state) {
    unrecordedBatch_.reset();
    batchId_ = state.id;
    nextUnit_ = state.nextUnit;
}

bool Production::failed(const std::string& line) {
    lastFailure_ = line;
    ctx_.logAndBeep(line);
    return false;
}

bool Production::readyForWrite() {
    if (!used_ || record_ != nullptr) return true;
    return failed("No pager is written: the production record " + path_.string() + " cannot be used (" + problem_ +
                  ").");
}

std::optional<std::int64_t> Production::recordBatch() {
    if (!used_ || batchId_ || record_ == nullptr) return batchId_;
    BatchStart start = unrecordedBatch_.value_or(BatchStart{});
    if (!unrecordedBatch_) {
        start.settingsPath = recordedPath(ctx_.program.settingsFile);
        start.steps = stepsShown(ctx_);
        start.settingsSha256 = ctx_.program.settingsFileSha256;
    }
    batchId_ = record_->startBatch(start);
    unrecordedBatch_.reset();
    return batchId_;
}

bool Production::recordBeforeWrite(PagerAttempt& attempt) {
    if (!used_) return true;
    try {
        if (attempt.operation == Operation::Write) recordBatch();
        UnitRecord unit = describe(attempt);
        unit.outcome = outcome::inProgress;
        attempt.recordedRow = record_->begin(unit);
        return true;
    } catch (const RecordError& error) {
        return failed("Not written: the production record cannot account for this pager (" + std::string(error.what()) +
                      ").");
    }
}

SlotCapcodes Production::capcodesShown(const Context& ctx) {
    SlotCapcodes capcodes{};
    for (int slot = 1; slot <= kRecordSlots; ++slot) {
        auto& s = capcodes[static_cast<std::size_t>(slot - 1)];
        try {
            s.capcode = static_cast<std::uint32_t>(parseInteger(ctx.model.text(field::address(slot))));
        } catch (const ConversionError&) {
            s.capcode = 0;
        }
        s.enabled = ctx.model.checked(field::addrEn(slot));
    }
    return capcodes;
}

std::string Production::stepsShown(const Context& ctx) {
    std::string steps;
    for (int slot = 1; slot <= addressSlots(ctx.program.hardwareRevision); ++slot) {
        if (!steps.empty()) steps += ' ';
        steps += field::autoinc(slot) + "=" + ctx.model.text(field::autoinc(slot));
    }
    return steps;
}

std::string Production::recordedPath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

SlotCapcodes Production::capcodesIn(const Context& ctx, const Image& image) {
    Host quiet;
    Context scratch(quiet);
    scratch.program.hardwareRevision = ctx.program.hardwareRevision;
    scratch.program.image = image;
    decodeImage(scratch);
    return capcodesShown(scratch);
}

std::vector<ByteDifference> Production::differences(const Image& expected, std::span<const std::uint8_t> read) {
    std::vector<ByteDifference> found;
    for (std::size_t at = 0; at < expected.size() && at < read.size(); ++at) {
        if (expected[at] != read[at]) found.push_back({static_cast<std::uint16_t>(at), expected[at], read[at]});
    }
    return found;
}

UnitRecord Production::describe(const PagerAttempt& attempt) const {
    UnitRecord unit;
    unit.operation = attempt.operation;
    unit.programVersion = kProgramVersion;
    unit.user = user_;
    unit.host = currentHostName();
    const HidDevice* programmer = link_.usb().currentDevice();
    if (ctx_.program.usbProgrammerInUse && programmer != nullptr) {
        unit.port = programmer->path();
        unit.vidPid = vidPidOf(*programmer);
        unit.programmer = programmer->portPath();
        unit.programmerSerial = programmer->serial();
    } else {
        unit.port = link_.port().deviceName(ctx_.program.portBase);
    }
    unit.settingsPath = recordedPath(ctx_.program.settingsFile);
    unit.settingsSha256 = ctx_.program.settingsFileSha256;
    if (attempt.image) unit.imageSha256 = sha256Hex(*attempt.image);
    unit.capcodes = attempt.capcodes;
    // A read that failed took nothing from the pager: the fields still hold the window's.
    const bool pagerSettingsShown = attempt.operation != Operation::Read || attempt.outcome == PagerOutcome::Done;
    if (pagerSettingsShown) unit.frequency = ctx_.model.text(field::frequency);
    unit.customer = ctx_.model.field(field::customer).text;
    unit.revision = revisionName(ctx_.program.hardwareRevision);
    unit.outcome = outcomeCode(attempt.outcome);
    unit.statusLog = attempt.statusLog;
    unit.differences = attempt.differences;
    unit.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(attempt.duration).count();
    if (attempt.operation == Operation::Write) {
        unit.batchId = batchId_;
        unit.unitNumber = nextUnit_;
        unit.csvRow = csvRow_;
    }
    unit.previousImage = attempt.previous;
    if (attempt.operation == Operation::Write || attempt.operation == Operation::Restore)
        unit.writtenImage = attempt.image;
    unit.originRow = attempt.originRow;
    unit.uid = newUnitUid();
    unit.pid = currentProcessId();
    return unit;
}

bool Production::keep(PagerAttempt attempt) {
    if (!used_) return true;
    if (record_ == nullptr)
        return failed("Not recorded: the production record " + path_.string() + " cannot be used (" + problem_ + ").");
    const bool verifiedWrite = attempt.operation == Operation::Write && attempt.outcome == PagerOutcome::Done;
    try {
        if (attempt.recordedRow)
            record_->complete(*attempt.recordedRow, describe(attempt));
        else
            record_->add(describe(attempt));
    } catch (const RecordError& error) {
        return failed("Not recorded: " + std::string(error.what()));
    }
    if (verifiedWrite) ++nextUnit_;
    return true;
}

}  // namespace pagerprog
