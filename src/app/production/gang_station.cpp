#include "app/production/gang_station.h"

#include "app/record/record_error.h"
#include "link/pager_link.h"
#include "link/parallel_ports.h"
#include "link/port_access.h"
#include "settings/conversion.h"
#include "settings/encoder.h"

namespace pagerprog {

void copySettings(const Context& from, Context& to) {
    to.model.takeStateOf(from.model);
    ProgramState program = from.program;
    program.portBase = to.program.portBase;
    program.usbProgrammerInUse = to.program.usbProgrammerInUse;
    to.program = program;
}

GangStation::GangStation(Host& host, PagerLink& link, PortName port)
    : link_(link), port_(std::move(port)), app_(host), commands_(app_, link) {}

std::string GangStation::serial() const {
    const HidDevice* programmer = link_.usb().currentDevice();
    return programmer != nullptr ? programmer->serial() : "";
}

std::string GangStation::setUp(const StartupOptions& startup, const Context& settings, const BusTiming& timing,
                               const std::optional<RecordLocation>& record) {
    app_.start(startup);
    copySettings(settings, context());
    link_.timing() = timing;
    // The copy must write what the batch's settings write, byte for byte.
    try {
        if (encodedImage(context()) != encodedImage(settings)) return "its copy of the settings differs";
    } catch (const ConversionError& error) {
        return error.what();
    }
    if (record) {
        try {
            commands_.production().open(*record);
        } catch (const RecordError& error) {
            return std::string("the production record cannot be used: ") + error.what();
        }
    }
    return takeProgrammer();
}

std::string GangStation::takeProgrammer() {
    if (port_.kind == PortName::Kind::Parallel) {
        const ParallelPort* parallel = parallel_port::withBase(port_.base);
        app_.menuCommand(parallel == parallel_port::all.data() ? element::lpt1 : element::lpt2);
        PortAccess& access = link_.port();
        if (auto problem = access.claim(port_.base)) return *problem;
        access.release();
        return "";
    }
    ProgrammerPresence& presence = commands_.presence();
    presence.wantPort(port_.usbPort);
    link_.hid().start();
    const HidDevice* taken = link_.usb().currentDevice();
    if (context().program.usbProgrammerInUse && taken != nullptr && taken->portPath() == port_.usbPort) return "";
    const std::string refusal = presence.refusalAt(port_.usbPort);
    return refusal.empty() ? "no USB programmer is plugged into " + port_.usbPort : refusal;
}

}  // namespace pagerprog
