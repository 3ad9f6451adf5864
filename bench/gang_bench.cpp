// A gang against its goal: the same batch of 64 pagers on 1, 2, 4 and 8 simulated
// programmers whose every USB report takes 1 ms, as on a full-speed interrupt endpoint, with
// a technician who changes each pager at once and the production record kept as a day's
// work keeps it. For each gang: pagers per hour, the ratio to that many single programmers
// (the goal: at least 0.9 for eight, on two cores: the work is waiting, not computing), and
// the host's CPU time per pager.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/pager/pager_commands.h"
#include "app/production/gang.h"
#include "app/production/gang_station.h"
#include "app/production/production.h"
#include "link/clock.h"
#include "link/pager_link.h"
#include "link/sim/simulated_devices.h"
#include "settings/field_names.h"

namespace pagerprog {
namespace {

constexpr int kPagers = 64;
constexpr auto kReportTime = std::chrono::milliseconds(1);
constexpr double kGoal = 0.9;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One programmer, its pager and the technician at it.
class Programmer : public BatchFrontEnd {
public:
    Programmer(Gang& gang, int number)
        : gang_(gang),
          devices_(clock_, SimulatedDevices::Path::UsbProgrammer),
          link_(devices_.port, clock_, devices_.programmer),
          station_(host_, link_, PortName{PortName::Kind::Usb, "sim" + std::to_string(number), 0}) {
        devices_.programmer.portPath = "sim" + std::to_string(number);
        devices_.programmer.takeTimePerReport(clock_, kReportTime);
    }

    GangStation& station() { return station_; }

    void notice(const std::string&) override {}
    void refusal(const std::string& line) override { std::fprintf(stderr, "refused: %s\n", line.c_str()); }
    void warning(const std::string&) override {}
    std::optional<std::string> typeEdit(const std::string&, const std::string&) override { return std::nullopt; }
    bool stopAsked() override { return false; }
    bool waitForPager(std::optional<int>, int position) override {
        if (position > 1) devices_.pager = SimulatedPager();
        return true;
    }
    PagerOutcome writePager() override {
        if (!gang_.joinBatch(station_.commands().production())) return PagerOutcome::Refused;
        station_.app().menuCommand(element::writeToPager);
        return station_.commands().workflows().lastOutcome();
    }
    void unitDone(const UnitResult&) override {}

private:
    Gang& gang_;
    Host host_;
    RealClock clock_;
    SimulatedDevices devices_;
    PagerLink link_;
    GangStation station_;
};

struct Run {
    double pagersPerHour = 0;
    double cpuPerPager = 0;
    int verified = 0;
};

Run runGang(int programmers, const std::filesystem::path& record) {
    Host quiet;
    Application bench(quiet);
    RealClock clock;
    SimulatedDevices devices(clock, SimulatedDevices::Path::UsbProgrammer);
    PagerLink link(devices.port, clock, devices.programmer);
    PagerCommands commands(bench, link);
    bench.start(StartupOptions{'.', "/nonexistent"});
    for (int slot = 1; slot <= 8; ++slot)
        bench.model().setText(field::address(slot), std::to_string(1000000 + 100000 * (slot - 1)));
    bench.model().setText(field::autoinc(1), "8");
    commands.production().open(record);
    commands.production().startBatch(BatchStart{});
    Batch batch(CapcodePlan{.base = shownAddresses(bench.model()), .steps = shownSteps(bench.model())}, kPagers);
    Gang gang(batch, commands.production());

    std::vector<std::unique_ptr<Programmer>> gangMembers;
    std::vector<GangMember> members;
    for (int p = 1; p <= programmers; ++p) {
        gangMembers.push_back(std::make_unique<Programmer>(gang, p));
        const std::string why = gangMembers.back()->station().setUp(
            StartupOptions{'.', "/nonexistent"}, bench.context(), link.timing(), RecordLocation::file(record));
        if (!why.empty()) std::fprintf(stderr, "sim%d: %s\n", p, why.c_str());
        members.push_back({&gangMembers.back()->station(), gangMembers.back().get()});
    }
    const double cpuBefore = cpuSeconds();
    gang.run(members, false, nullptr);
    const double cpu = cpuSeconds() - cpuBefore;
    const double hours = std::chrono::duration<double>(gang.elapsed()).count() / 3600;
    const int verified = batch.figures().verified;
    return {verified / hours, cpu / verified, verified};
}

}  // namespace
}  // namespace pagerprog

int main() {
    using namespace pagerprog;
    const auto folder = std::filesystem::temp_directory_path() / ("pagerprog_gang_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::printf("%d pagers, every USB report %lld ms, on %ld cores\n", kPagers,
                static_cast<long long>(kReportTime.count()), ::sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("%12s %16s %12s %18s\n", "programmers", "pagers per hour", "ratio", "CPU ms per pager");
    double single = 0;
    bool met = true;
    for (const int programmers : {1, 2, 4, 8}) {
        const Run run = runGang(programmers, folder / ("gang" + std::to_string(programmers) + ".sqlite"));
        if (programmers == 1) single = run.pagersPerHour;
        const double ratio = run.pagersPerHour / (programmers * single);
        std::printf("%12d %16.0f %12.3f %18.2f%s\n", programmers, run.pagersPerHour, ratio, run.cpuPerPager * 1000,
                    run.verified == kPagers ? "" : "  (not every pager verified)");
        if (programmers == 8) met = ratio >= kGoal && run.verified == kPagers;
    }
    std::printf("goal: a ratio of at least %.1f with 8 programmers: %s\n", kGoal, met ? "met" : "NOT met");
    std::filesystem::remove_all(folder);
    return met ? 0 : 1;
}
