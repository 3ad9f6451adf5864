#include "gui/window_gang.h"

#include <algorithm>
#include <chrono>

#include "app/pager/pager_detection.h"
#include "app/production/batch_setup.h"
#include "app/production/gang.h"
#include "app/production/gang_station.h"
#include "app/production/production.h"
#include "host/plural.h"
#include "link/backend/link_setup.h"
#include "link/pager_link.h"
#include "settings/field_names.h"

namespace pagerprog::gui {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(500);

// The names of the transfer's passes, by how many it has.
std::string passName(int number, int count) {
    if (number == count) return "verifying";
    return number == count - 1 ? "writing" : "reading back";
}

}  // namespace

// One programmer of the gang: its station, the technician's pager changes, and its tile.
class WindowGang::Member : public BatchFrontEnd, public Host {
public:
    Member(WindowGang& gang, std::unique_ptr<StationLink> link, const PortName& port)
        : gang_(gang), link_(std::move(link)), station_(*this, *link_->link, port) {
        tile_.name = port.name();
        tile_.state = "setting up";
    }

    GangStation& station() { return station_; }
    Tile tile() const { return tile_; }
    // Its part of the batch is over: the tile shows the last pager's outcome again.
    void ended() { show(lastOutcome_.empty() ? "done" : lastOutcome_); }
    void show(const std::string& state, int percent = -1) {
        std::lock_guard lock(gang_.mutex_);
        tile_.state = state;
        tile_.percent = percent;
    }

    // BatchFrontEnd: what a batch tells and asks.
    void notice(const std::string& line) override { log(line); }
    void refusal(const std::string& line) override { log("refused: " + line); }
    void warning(const std::string& line) override { log("warning: " + line); }
    std::optional<std::string> typeEdit(const std::string& field, const std::string&) override {
        return field + " is not typed in the window's batch";
    }
    bool stopAsked() override { return gang_.stopAsked_ || gang_.batch_->stopped(); }
    std::string stopAskedWith() const override { return "Stop"; }
    bool waitForPager(std::optional<int> unit, int) override;
    PagerOutcome writePager() override;
    void unitDone(const UnitResult& result) override;
    std::string programmerLost() override {
        if (lost_.empty()) lost_ = socketState(station_.context(), station_.link()).unreachable;
        return lost_;
    }

    // Host: the station's status log and progress. What its start-up says is the window's
    // own start-up again, and is not repeated.
    void log(const std::string& line) override {
        if (!setUp_) return;
        std::lock_guard lock(gang_.mutex_);
        gang_.log_.push_back(tile_.name + ": " + line);
    }
    void setUpDone() { setUp_ = true; }
    void messageBox(const std::string& text) override { log(text); }
    void progressRange(int, int maximum) override { maximum_ = maximum; }
    void progressPass(int number, int count) override {
        pass_ = passName(number, count);
        position_ = 0;
        show(pass_, 0);
    }
    void progressPosition(int position) override { moved(position - position_); }
    void progressStep(int count) override { moved(count); }

private:
    void moved(int count) {
        position_ += count;
        const int percent = maximum_ > 0 ? std::clamp(position_ * 100 / maximum_, 0, 100) : 0;
        if (percent != shownPercent_ && !pass_.empty())
            show(pass_ == "verifying" ? pass_ + " " + std::to_string(percent) + "%" : pass_, percent);
        shownPercent_ = percent;
    }
    bool waitUntil(bool pagerIn, const std::string& state);

    WindowGang& gang_;
    std::unique_ptr<StationLink> link_;
    GangStation station_;
    Tile tile_;
    std::optional<int> lastWritten_;
    std::string lastOutcome_;
    std::string lost_;
    std::string pass_;
    int maximum_ = 0, position_ = 0, shownPercent_ = -1;
    bool setUp_ = false;
};

bool WindowGang::Member::waitForPager(std::optional<int>, int) {
    if (lastWritten_ && !waitUntil(false, "take pager " + std::to_string(*lastWritten_) + " out")) return false;
    return waitUntil(true, "waiting for a pager");
}

bool WindowGang::Member::waitUntil(bool pagerIn, const std::string& state) {
    bool shown = false;
    while (!stopAsked() && !gang_.batch_->finished()) {
        const SocketState socket = socketState(station_.context(), station_.link());
        if (!socket.unreachable.empty()) {
            lost_ = socket.unreachable;
            return false;
        }
        if (socket.pagerIn == pagerIn) return true;
        if (!shown) show(state);
        shown = true;
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

PagerOutcome WindowGang::Member::writePager() {
    pass_.clear();
    station_.app().menuCommand(element::writeToPager);
    if (const std::string problem = gang_.devices_.takePagerFileError(tile_.name); !problem.empty()) log(problem);
    return station_.commands().workflows().lastOutcome();
}

void WindowGang::Member::unitDone(const UnitResult& result) {
    lastWritten_ = result.unit;
    const bool done = result.outcome == PagerOutcome::Done;
    AddressTexts addresses{};
    for (std::size_t slot = 0; slot < addresses.size(); ++slot)
        addresses[slot] = std::to_string(result.capcodes[slot].capcode);
    const OutcomeFacts& facts = outcomeFacts(result.outcome);
    const std::string why = facts.failure.empty() ? std::string(facts.resultText) : std::string(facts.failure);
    lastOutcome_ = done ? "verified: " + gang_.capcodesText(addresses) : "failed: " + why;
    std::lock_guard lock(gang_.mutex_);
    (done ? tile_.verified : tile_.failed)++;
    tile_.state = lastOutcome_;
    tile_.percent = -1;
}

WindowGang::WindowGang(Context& window, LinkSetup& devices, Production& production, std::string dataFolder)
    : window_(window), devices_(devices), production_(production), dataFolder_(std::move(dataFolder)) {}

WindowGang::~WindowGang() {
    stop();
    runner_ = {};
}

std::vector<PortName> WindowGang::programmers() const {
    std::vector<PortName> ports;
    for (const HidDeviceInfo& device : devices_.hidDevices().enumerate()) {
        const PortName port{PortName::Kind::Usb, device.portPath, 0};
        const bool listed = std::find(ports.begin(), ports.end(), port) != ports.end();
        if (UsbProgrammer::isProgrammer(device) && !device.portPath.empty() && !listed) ports.push_back(port);
    }
    for (const std::uint16_t base : devices_.simulatedAdapters())
        ports.push_back(PortName{PortName::Kind::Parallel, "", base});
    return ports;
}

// The own slots of the last batch, as "address1=1234560 ...".
std::string WindowGang::capcodesText(const AddressTexts& addresses) const {
    std::string text;
    for (const int slot : ownSlots_) {
        if (!text.empty()) text += ' ';
        text += field::address(slot) + "=" + addresses[static_cast<std::size_t>(slot - 1)];
    }
    return text;
}

std::string WindowGang::start(int count, OnFailure onFailure) {
    class Voice : public BatchFrontEnd {
    public:
        void notice(const std::string&) override {}
        void refusal(const std::string& line) override { refused = line; }
        void warning(const std::string&) override {}
        std::optional<std::string> typeEdit(const std::string&, const std::string&) override { return {}; }
        bool stopAsked() override { return false; }
        bool waitForPager(std::optional<int>, int) override { return false; }
        PagerOutcome writePager() override { return PagerOutcome::Refused; }
        void unitDone(const UnitResult&) override {}
        std::string refused;
    } voice;
    BatchRequest request;
    request.count = count;
    request.countGiven = true;
    request.onFailure = onFailure;
    batch_ = beginBatch(window_, production_, request, voice);
    if (!batch_) return voice.refused;
    ownSlots_ = batch_->ownSlots(addressSlots(window_.program.hardwareRevision));
    gang_ = std::make_unique<Gang>(*batch_, production_);
    // The window's own programmer is let go: its station takes it.
    if (HidDevice* own = devices_.link().usb().currentDevice()) own->close();
    members_.clear();
    std::vector<GangMember> ready;
    for (const PortName& port : programmers()) {
        auto member = std::make_unique<Member>(*this, devices_.stationLink(), port);
        const std::string why = member->station().setUp(
            StartupOptions{window_.program.decimalSeparator, dataFolder_}, window_, devices_.link().timing(),
            production_.used() ? std::optional(production_.location()) : std::nullopt);
        member->show(why.empty() ? "ready" : "cannot be used: " + why);
        member->setUpDone();
        if (why.empty()) ready.push_back({&member->station(), member.get()});
        members_.push_back(std::move(member));
    }
    if (ready.empty()) return "No programmer can be used.";
    stopAsked_ = false;
    running_ = true;
    runner_ = std::jthread([this, ready] {
        gang_->run(ready, false, [this, ready](std::size_t at, const GangMemberEnd& end) {
            auto* member = static_cast<Member*>(ready[at].frontEnd);
            if (end.stop == StationStop::ProgrammerLeft)
                member->show("left the gang: " + end.leftBecause);
            else if (!end.error.empty())
                member->show("stopped: " + end.error);
            else
                member->ended();
        });
        running_ = false;
    });
    return "";
}

std::vector<Tile> WindowGang::tiles() const {
    std::lock_guard lock(mutex_);
    std::vector<Tile> tiles;
    for (const auto& member : members_) tiles.push_back(member->tile());
    return tiles;
}

std::string WindowGang::nextCapcodes() const {
    if (!batch_) return ownSlots_.empty() ? "" : capcodesText(shownAddresses(window_.model));
    const auto next = batch_->upcoming();
    if (!next) return "";
    AddressTexts addresses = next->addresses;
    if (next->row)
        for (std::size_t slot = 0; slot < addresses.size(); ++slot)
            if (next->row->addresses[slot]) addresses[slot] = *next->row->addresses[slot];
    return capcodesText(addresses);
}

std::vector<std::string> WindowGang::takeLog() {
    std::lock_guard lock(mutex_);
    return std::exchange(log_, {});
}

std::string WindowGang::finish() {
    runner_ = {};
    if (!batch_) return "";
    if (batch_->upcoming() && !batch_->stopped()) batch_->stop("every programmer left the gang");
    const Batch::Figures figures = batch_->figures();
    if (!figures.nextRefused && batch_->plan().rows.empty()) showAddresses(window_.model, figures.next.addresses);
    const auto id = production_.batch();
    std::string summary = (id ? "Batch " + std::to_string(*id) : std::string("The batch")) + ": " +
                          std::to_string(figures.verified) + " of " + plural(batch_->count(), "pager") +
                          " written and verified";
    const double hours = std::chrono::duration<double>(gang_->elapsed()).count() / 3600;
    if (hours > 0)
        summary += ", " + std::to_string(static_cast<long long>(figures.verified / hours + 0.5)) + " pagers per hour";
    if (!figures.stopped.empty()) summary += "; stopped: " + figures.stopped;
    gang_.reset();
    batch_.reset();
    return summary + ".";
}

}  // namespace pagerprog::gui
