#include "app/probe/probe.h"

#include <algorithm>

#include "app/pager/device_advice.h"
#include "context/context.h"
#include "link/pager_link.h"
#include "link/port_access.h"
#include "settings/eeprom_image.h"

namespace pagerprog {

namespace {

PortProbe probePort(PortAccess& port, std::uint16_t base) {
    PortProbe probe{base, port.deviceName(base), "", ""};
    if (auto error = port.claim(base)) {
        probe.problem = *error;
        probe.fix = portFix(port.lastClaimProblem());
    } else {
        port.release();
    }
    return probe;
}

ProgrammerProbe probeProgrammer(HidDevice& device, bool held) {
    ProgrammerProbe probe;
    probe.path = device.path();
    probe.portPath = device.portPath();
    probe.serial = device.serial();
    probe.vendorId = device.vendorId();
    probe.productId = device.productId();
    probe.product = device.productString();
    probe.inputLength = device.inputReportLength();
    probe.outputLength = device.outputReportLength();
    if (held) {
        probe.state = ProgrammerProbe::State::InUseHere;
        return probe;
    }
    const UsbProgrammer::Fitness fitness = UsbProgrammer::fitness(device);
    probe.state = fitness.openProblem == HidOpenProblem::Busy ? ProgrammerProbe::State::InUseElsewhere
                  : fitness.problem.empty()                   ? ProgrammerProbe::State::Free
                                                              : ProgrammerProbe::State::Unusable;
    probe.problem = fitness.problem;
    probe.fix = programmerFix(fitness.openProblem);
    return probe;
}

void takeImage(PagerProbe& probe, const Image& image) {
    probe.read = true;
    std::copy_n(image.begin(), probe.head.size(), probe.head.begin());
    probe.storedChecksum = image[kChecksumOffset];
    probe.computedChecksum = imageChecksum(image);
}

// Block by block, then the whole image, between one switch-on and one switch-off.
void probeParallelPager(PagerLink& link, PagerProbe& probe) {
    BusMaster& bus = link.bus();
    bus.setChip(*findChip(16));
    if (auto error = bus.adapterOn(probe.route.portBase)) {
        probe.problem = *error;
        return;
    }
    std::uint8_t blocks = 0;
    for (unsigned block = 0; block < 8; ++block)
        if (bus.blockAnswers(block)) blocks = static_cast<std::uint8_t>(blocks | (1u << block));
    probe.answeringBlocks = blocks;
    Image image{};
    if (bus.readWholeMemory(0, image))
        takeImage(probe, image);
    else
        probe.problem = "The read of the whole image found no acknowledge.";
    bus.adapterOff();
}

void probeUsbPager(PagerLink& link, HidDevice* programmer, const std::string& portPath, PagerProbe& probe) {
    if (programmer == nullptr) {
        probe.problem = portPath.empty() ? "No usable USB programmer is attached."
                                         : "No usable USB programmer is plugged into " + portPath + ".";
        return;
    }
    probe.device = programmer->path();
    link.usb().use(programmer);
    Image image{};
    TransferObserver quiet;
    const TransferOutcome outcome = link.transfer(kChip24C16, 0, kReadMode, image, probe.route, quiet);
    if (outcome.result == TransferResult::ReadDone)
        takeImage(probe, image);
    else
        probe.problem = outcome.programmerError;
}

}  // namespace

ProbeReport probeDevices(PagerLink& link, const std::optional<PortName>& port) {
    ProbeReport report;
    report.timing = link.timing();
    for (const ParallelPort& parallel : parallel_port::all)
        report.ports.push_back(probePort(link.port(), parallel.base));

    // The programmer to try: the one at the port asked for, else the one held, else the first free one.
    const std::string wantedPort = port && port->kind == PortName::Kind::Usb ? port->usbPort : "";
    HidDevice* held = link.usb().currentDevice();
    HidDevice* usable = wantedPort.empty() ? held : nullptr;
    bool anyProgrammer = held != nullptr;
    for (const auto& device : link.hid().devices()) {
        if (!device->pluggedIn() || !UsbProgrammer::isProgrammer(*device)) continue;
        report.programmers.push_back(probeProgrammer(*device, device.get() == held));
        const bool works = report.programmers.back().state == ProgrammerProbe::State::Free || device.get() == held;
        anyProgrammer = anyProgrammer || works;
        if (usable == nullptr && works && (wantedPort.empty() || device->portPath() == wantedPort))
            usable = device.get();
    }

    const bool anyPort =
        std::any_of(report.ports.begin(), report.ports.end(), [](const auto& p) { return p.problem.empty(); });
    report.pager.route = TransferRoute{port ? port->usb() : usable != nullptr,
                                       port && !port->usb() ? port->base : parallel_port::lpt1.base};
    if (report.pager.route.usbProgrammer) {
        probeUsbPager(link, usable, wantedPort, report.pager);
    } else {
        report.pager.device = link.port().deviceName(report.pager.route.portBase);
        probeParallelPager(link, report.pager);
    }
    const bool answered = report.pager.read || report.pager.answeringBlocks.value_or(0) != 0;
    report.outcome = answered                     ? ProbeOutcome::PagerAnswered
                     : !anyPort && !anyProgrammer ? ProbeOutcome::NothingUsable
                                                  : ProbeOutcome::NoPagerAnswered;
    return report;
}

}  // namespace pagerprog
