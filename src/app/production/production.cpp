#include "app/production/production.h"

#include <cstdio>

#include "app/document/version.h"
#include "app/record/data_home.h"
#include "app/record/record_error.h"
#include "app/record/record_time.h"
#include "app/record/sha256.h"
#include "app/record/unit_columns.h"
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

void Production::open(const RecordLocation& location) {
    used_ = true;
    location_ = location;
    record_.reset();
    batchId_.reset();
    nextUnit_ = firstNewUnit_ = 1;
    connect();
}

void Production::connect() {
    try {
        record_ = std::make_unique<ProductionRecord>(location_);
        problem_.clear();
        serverAway_ = false;
    } catch (const RecordError& error) {
        problem_ = error.what();
        serverAway_ = error.kind() == RecordError::Kind::Unreachable;
        throw;
    }
}

template <typename Call>
auto Production::onRecord(Call call) -> decltype(call(std::declval<ProductionRecord&>())) {
    try {
        if (!record_) connect();
        auto result = call(*record_);
        if (serverAway_) problem_.clear();
        serverAway_ = false;
        return result;
    } catch (const RecordError& error) {
        serverAway_ = error.kind() == RecordError::Kind::Unreachable;
        if (serverAway_) problem_ = error.what();
        throw;
    }
}

std::int64_t Production::spooled() const {
    if (!location_.onServer()) return 0;
    try {
        return spool_.count(location_.shown());
    } catch (const RecordError&) {
        return 0;  // a spool that cannot be read says so when a unit is pushed
    }
}

int Production::pushSpool() {
    if (!location_.onServer()) return 0;
    return onRecord([this](ProductionRecord& record) { return spool_.pushTo(record); });
}

void Production::settleEarlierRuns() {
    if (!used_) return;
    pushSpool();
    onRecord([](ProductionRecord& record) { return record.settleInterrupted() + record.releaseAbandoned(); });
}

// A batch started here, or the window's writes as one.
BatchStart Production::batchToRecord() const {
    if (unrecordedBatch_) return *unrecordedBatch_;
    BatchStart start;
    start.settingsPath = recordedPath(ctx_.program.settingsFile);
    start.steps = stepsShown(ctx_);
    start.settingsSha256 = ctx_.program.settingsFileSha256;
    return start;
}

void Production::recordBatchOn(ProductionRecord& record) {
    if (batchId_) return;
    batchId_ = record.startBatch(batchToRecord());
    unrecordedBatch_.reset();
}

std::optional<std::int64_t> Production::recordBatch() {
    if (!used_ || batchId_) return batchId_;
    return onRecord([&](ProductionRecord& record) {
        recordBatchOn(record);
        return batchId_;
    });
}

UnitAllocation Production::allocate(AllocationRequest request, const ProductionRecord::OwnCapcodes& ownCapcodes) {
    pushSpool();
    return onRecord([&](ProductionRecord& record) {
        request.batchId = batchId_.value_or(0);
        if (!batchId_) request.newBatch = batchToRecord();
        request.firstNewUnit = firstNewUnit_;
        const UnitAllocation allocation = record.allocateUnit(request, ownCapcodes);
        if (allocation.unit && !batchId_) {
            batchId_ = allocation.batchId;
            unrecordedBatch_.reset();
        }
        return allocation;
    });
}

std::optional<BatchState> Production::batchState(std::int64_t id) {
    return onRecord([id](ProductionRecord& record) { return record.batchState(id); });
}

void Production::release(int unit) {
    if (!record_ || !batchId_) return;
    try {
        record_->releaseUnit(*batchId_, unit);
    } catch (const RecordError&) {
        // Given back by this host's next batch, once this program is gone.
    }
}

void Production::startBatch(const BatchStart& start) {
    unrecordedBatch_ = start;
    batchId_.reset();
    nextUnit_ = firstNewUnit_ = 1;
}

void Production::resumeBatch(const BatchState& state) {
    unrecordedBatch_.reset();
    batchId_ = state.id;
    nextUnit_ = firstNewUnit_ = state.nextUnit;
}

bool Production::failed(const std::string& line) {
    lastFailure_ = line;
    ctx_.logAndBeep(line);
    return false;
}

bool Production::readyForWrite() {
    if (!used_ || record_ != nullptr) return true;
    // A server that was away may answer now.
    if (serverAway_) {
        try {
            connect();
            return true;
        } catch (const RecordError&) {
        }
    }
    return failed("No pager is written: the production record " + location_.shown() + " cannot be used (" + problem_ +
                  ").");
}

bool Production::recordBeforeWrite(PagerAttempt& attempt) {
    if (!used_) return true;
    try {
        // What waits in the spool goes first, as the server answers again; a spool that
        // cannot be read keeps its units until it can, and stops no write.
        try {
            pushSpool();
        } catch (const RecordError& error) {
            if (error.kind() == RecordError::Kind::Unreachable) throw;
        }
        UnitRecord unit = describe(attempt);
        unit.outcome = outcome::inProgress;
        attempt.recordedRow = onRecord([&](ProductionRecord& record) {
            if (attempt.operation == Operation::Write) {
                recordBatchOn(record);
                unit.batchId = batchId_;
            }
            return record.begin(unit);
        });
        attempt.recordedUid = unit.uid;
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
    if (attempt.operation == Operation::Write || attempt.operation == Operation::Restore) unit.serial = serial_;
    unit.operatorName = operator_;
    if (attempt.operation == Operation::Write) unit.hook = hooks_.postUnit;
    unit.uid = newUnitUid();
    unit.pid = currentProcessId();
    return unit;
}

std::optional<std::string> Production::preUnitRefusal() {
    if (hooks_.preUnit.empty()) return std::nullopt;
    PagerAttempt next;
    next.capcodes = capcodesShown(ctx_);
    StoredUnit unit{0, describe(next), false};
    unit.unit.time = utcNow();
    unit.unit.outcome.clear();
    const HookRun run = runHook(hooks_.preUnit, hookInput(unit), hookEnvironment(unit, "pre-unit"), hooks_.timeout);
    if (run.succeeded()) return std::nullopt;
    return preUnitReason(run);
}

std::string Production::afterUnit(const PagerAttempt& attempt, const UnitRecord& unit) {
    StoredUnit row{0, unit, false};
    // A write recorded before it began is that row with the end the record adds to it; a
    // server away tells the hook the unit as this program knows it.
    try {
        if (auto began = attempt.recordedRow && record_ ? record_->unit(*attempt.recordedRow) : std::nullopt) {
            for (const UnitColumn& column : unitColumns())
                if (column.completed) column.access.set(*began, column.access.get(row));
            began->unit.statusLog = unit.statusLog;
            row = std::move(*began);
        }
    } catch (const RecordError&) {
    }
    const std::string ending =
        postUnitEnding(runHook(hooks_.postUnit, hookInput(row), hookEnvironment(row, "post-unit"), hooks_.timeout));
    ctx_.host.log(ending);
    return ending;
}

bool Production::keep(PagerAttempt attempt) {
    if (!used_) return true;
    if (record_ == nullptr && !location_.onServer())
        return failed("Not recorded: the production record " + location_.shown() + " cannot be used (" + problem_ +
                      ").");
    const bool verifiedWrite = attempt.operation == Operation::Write && attempt.outcome == PagerOutcome::Done;
    UnitRecord unit = describe(attempt);
    if (attempt.recordedRow) unit.uid = attempt.recordedUid;
    // Recorded with the time the hook was told.
    if (!attempt.recordedRow) unit.time = utcNow();
    if (!hooks_.postUnit.empty() && attempt.operation == Operation::Write)
        unit.statusLog.push_back(afterUnit(attempt, unit));
    try {
        onRecord([&](ProductionRecord& record) {
            if (attempt.recordedRow)
                record.complete(*attempt.recordedRow, unit);
            else
                record.add(unit);
            return 0;
        });
    } catch (const RecordError& error) {
        if (!location_.onServer()) return failed("Not recorded: " + std::string(error.what()));
        if (!spoolUnit(unit, error)) return false;
    }
    if (verifiedWrite) ++nextUnit_;
    serial_.clear();
    return true;
}

// Whatever kept the server from taking the unit, the pager is what it is now: the unit
// waits in the spool rather than being lost.
bool Production::spoolUnit(const UnitRecord& unit, const RecordError& why) {
    try {
        spool_.keep(location_.shown(), unit);
    } catch (const RecordError& error) {
        return failed("Not recorded: " + std::string(why.what()) + "; nor kept: " + error.what());
    }
    ctx_.host.log("Kept in the spool " + spool_.path().string() + " until the server takes it: " + why.what() + ".");
    return true;
}

}  // namespace pagerprog
