// A gang of simulated programmers working through one batch, each in a thread of its own,
// with a technician who changes each programmer's pager at once: every unit's capcodes in
// exactly one pager, a programmer pulled out mid-write leaving the gang, and what each
// failure policy does with the unit it was writing.
#include <gtest/gtest.h>

#include <latch>
#include <map>
#include <memory>

#include "app/pager/pager_detection.h"
#include "app/production/gang.h"
#include "app/production/gang_station.h"
#include "app/production/production.h"
#include "settings/image_layout.h"
#include "support/record_fixture.h"
#include "support/silent_front_end.h"
#include "support/started_program.h"

namespace pagerprog {
namespace {

using testing::StartedProgram;

// One programmer with its own pager, clock and link, and the technician at it: each pager
// written goes into the pile, and a fresh one comes in. No programmer writes before each
// has taken its first unit.
class Member : public testing::SilentFrontEnd {
public:
    explicit Member(const std::string& port)
        : devices(clock, SimulatedDevices::Path::UsbProgrammer),
          link(devices.port, clock, devices.programmer),
          station(host, link, *PortName::parse("usb@" + port)) {
        devices.programmer.portPath = port;
    }

    bool waitForPager(std::optional<int>, int position) override {
        if (position > 1) {
            pile.push_back(devices.pager.memory);
            devices.pager = SimulatedPager();
        }
        return programmerLost().empty();
    }
    PagerOutcome writePager() override {
        if (results.empty()) everyoneHasAUnit->arrive_and_wait();
        if (!gang->joinBatch(station.commands().production())) return PagerOutcome::Refused;
        station.app().menuCommand(element::writeToPager);
        return station.commands().workflows().lastOutcome();
    }
    void unitDone(const UnitResult& result) override { results.push_back(result); }
    std::string programmerLost() override { return socketState(station.context(), link).unreachable; }

    Gang* gang = nullptr;
    std::latch* everyoneHasAUnit = nullptr;
    testing::RecordingHost host;
    SimulatedClock clock;
    SimulatedDevices devices;
    PagerLink link;
    GangStation station;
    std::vector<Image> pile;  // the pagers it wrote, the last one still in
    std::vector<UnitResult> results;
};

class GangTest : public testing::RecordFolder {
protected:
    // Three programmers on a batch of nine pagers, address1 stepping by 8 and meeting no other.
    void run(OnFailure onFailure, const std::function<void(std::vector<std::unique_ptr<Member>>&)>& fault) {
        bench.commands.production().open(file);
        for (int slot = 1; slot <= 8; ++slot)
            bench.m.setText(field::address(slot), std::to_string(1000000 + 100000 * (slot - 1)));
        bench.m.setText(field::autoinc(1), "8");
        batch = std::make_unique<Batch>(CapcodePlan{.base = shownAddresses(bench.m), .steps = shownSteps(bench.m)}, 9,
                                        onFailure);
        BatchStart start;
        start.countAsked = 9;
        bench.commands.production().startBatch(start);
        gang = std::make_unique<Gang>(*batch, bench.commands.production());
        for (const char* port : {"1-1", "1-2", "1-3.4"}) {
            members.push_back(std::make_unique<Member>(port));
            members.back()->gang = gang.get();
            members.back()->everyoneHasAUnit = &everyoneHasAUnit;
            ASSERT_EQ(members.back()->station.setUp(StartupOptions{'.', "/nonexistent"}, bench.app.context(),
                                                    bench.link.timing(), RecordLocation::file(file)),
                      "");
        }
        fault(members);
        std::vector<GangMember> running;
        for (auto& member : members) running.push_back({&member->station, member.get()});
        ends = gang->run(running, false, nullptr);
        for (auto& member : members) member->pile.push_back(member->devices.pager.memory);
    }

    // The first capcode of every pager that verified, with the pagers that hold it.
    std::map<std::uint32_t, int> capcodesInPagers() const {
        std::map<std::uint32_t, int> found;
        for (const auto& member : members) {
            for (const UnitResult& result : member->results) {
                if (result.outcome != PagerOutcome::Done) continue;
                ++found[result.capcodes[0].capcode];
            }
        }
        return found;
    }

    StartedProgram bench{SimulatedDevices::Path::UsbProgrammer};
    std::unique_ptr<Batch> batch;
    std::unique_ptr<Gang> gang;
    std::latch everyoneHasAUnit{3};
    std::vector<std::unique_ptr<Member>> members;
    std::vector<GangMemberEnd> ends;
};

// Fails when a unit's capcodes go to two pagers, or a unit is left out, when a programmer
// is pulled out in the middle of a write and its unit goes to another programmer.
TEST_F(GangTest, AProgrammerPulledOutLeavesAndItsUnitGoesToAnother) {
    run(OnFailure::Reuse, [](auto& members) { members[1]->devices.programmer.unplugAtChunk = 64 + 10; });
    EXPECT_EQ(ends[1].stop, StationStop::ProgrammerLeft);
    EXPECT_EQ(ends[1].leftBecause, kProgrammerSilentText);
    const Batch::Figures figures = batch->figures();
    EXPECT_EQ(figures.verified, 9);
    EXPECT_TRUE(figures.stopped.empty()) << figures.stopped;
    const auto found = capcodesInPagers();
    ASSERT_EQ(found.size(), 9u);
    std::uint32_t expected = std::stoul(bench.m.text(field::address(1)));
    for (const auto& [capcode, pagers] : found) {
        EXPECT_EQ(capcode, expected) << "no unit left out";
        EXPECT_EQ(pagers, 1) << capcode << " is in one pager";
        expected += 8;
    }
    // The record: every unit verified once, by the programmer that wrote it, and the failed try.
    const auto units = bench.commands.production().record()->find({.batchId = 1});
    std::map<int, int> verified;
    int failed = 0;
    for (const StoredUnit& stored : units) {
        EXPECT_FALSE(stored.unit.programmer.empty());
        if (stored.unit.outcome == outcome::ok) ++verified[*stored.unit.unitNumber];
        if (stored.unit.outcome == outcome::portRemoved) {
            ++failed;
            EXPECT_EQ(stored.unit.programmer, "1-2");
        }
    }
    EXPECT_EQ(verified.size(), 9u);
    for (const auto& [unit, times] : verified) EXPECT_EQ(times, 1) << "unit " << unit;
    EXPECT_EQ(failed, 1);
}

// Fails when a skipped unit's capcodes go to another pager, or go unrecorded. A programmer
// that answers again after one error letter stays in the gang.
TEST_F(GangTest, SkipRetiresTheFailedUnitsCapcodes) {
    std::uint32_t failedCapcode = 0;
    run(OnFailure::Skip, [](auto& members) { members[0]->devices.programmer.errorLetterAtChunk = 64 + 10; });
    for (const UnitResult& result : members[0]->results)
        if (result.outcome != PagerOutcome::Done) failedCapcode = result.capcodes[0].capcode;
    ASSERT_NE(failedCapcode, 0u);
    EXPECT_EQ(ends[0].stop, StationStop::Done);
    const Batch::Figures figures = batch->figures();
    EXPECT_EQ(figures.verified, 8);
    EXPECT_EQ(capcodesInPagers().count(failedCapcode), 0u);
    const auto retired = bench.commands.production().record()->find({.capcode = failedCapcode});
    const bool recorded = std::any_of(retired.begin(), retired.end(),
                                      [](const StoredUnit& stored) { return stored.unit.outcome == outcome::retired; });
    EXPECT_TRUE(recorded);
}

// The copy writes what the settings it came from write, byte for byte; a port with no
// programmer in it says so.
TEST_F(GangTest, AStationWritesItsBenchsSettingsOnItsOwnProgrammer) {
    bench.m.setText(field::hellomsg(1), "Depot 7");
    Member member("2-1");
    EXPECT_EQ(member.station.setUp(StartupOptions{'.', "/nonexistent"}, bench.app.context(), bench.link.timing(),
                                   std::nullopt),
              "");
    EXPECT_EQ(member.station.context().model.text(field::hellomsg(1)), "Depot 7");
    EXPECT_EQ(member.link.usb().currentDevice()->portPath(), "2-1");
    Member elsewhere("2-2");
    GangStation wrongPort(elsewhere.host, elsewhere.link, *PortName::parse("usb@9-9"));
    EXPECT_EQ(
        wrongPort.setUp(StartupOptions{'.', "/nonexistent"}, bench.app.context(), bench.link.timing(), std::nullopt),
        "no USB programmer is plugged into 9-9");
}

// A batch whose units the record hands out, as a test's allocation says.
class RecordedBatch : public ::testing::Test {
protected:
    RecordedBatch() {
        plan.base.fill("1000000");
        plan.steps[0] = 8;
    }

    std::optional<BatchUnit> take(Batch& batch, int unit) {
        return batch.takeAllocated([this, unit](const std::vector<int>& held) {
            heldWhenAsked = held;
            return std::optional(unit);
        });
    }
    static void settle(Batch& batch, int unit, PagerOutcome outcome) {
        UnitResult result;
        result.unit = unit;
        result.outcome = outcome;
        batch.settle(result);
    }

    CapcodePlan plan;
    std::vector<int> heldWhenAsked;
};

// Fails when a failed unit that the record freed, and another programmer took before the
// first one settled it here, is no longer counted as held: the record would then hand the
// same unit to a third programmer as one this program holds unknowingly.
TEST_F(RecordedBatch, AFailedUnitTakenAgainBeforeItIsSettledStaysHeld) {
    Batch batch(plan, 3, OnFailure::Reuse);
    ASSERT_EQ(take(batch, 1)->number, 1);
    ASSERT_EQ(take(batch, 1)->number, 1) << "the record freed it when its pager failed";
    settle(batch, 1, PagerOutcome::PortRemoved);
    ASSERT_TRUE(take(batch, 2));
    EXPECT_EQ(heldWhenAsked, std::vector<int>{1});
    settle(batch, 1, PagerOutcome::Done);
    settle(batch, 2, PagerOutcome::Done);
    ASSERT_TRUE(take(batch, 3));
    EXPECT_TRUE(heldWhenAsked.empty());
    settle(batch, 3, PagerOutcome::Done);
    EXPECT_TRUE(batch.finished());
    EXPECT_EQ(batch.figures().verified, 3);
}

// Fails when a joined batch's summary offers the capcodes of a unit another bench wrote:
// its units begin where the record handed them out.
TEST_F(RecordedBatch, AJoinedBatchsNextUnitIsPastTheOnesItWrote) {
    Batch batch(plan, 2, OnFailure::Reuse);
    for (const int unit : {3, 4}) {
        ASSERT_TRUE(take(batch, unit));
        settle(batch, unit, PagerOutcome::Done);
    }
    EXPECT_EQ(batch.figures().next.number, 5);
    EXPECT_EQ(batch.figures().next.addresses[0], "1000032");
}

}  // namespace
}  // namespace pagerprog
