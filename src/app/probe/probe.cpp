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

ProgrammerProbe probeProgrammer(HidDevice& device) {
    const UsbProgrammer::Fitness fitness = UsbProgrammer::fitness(device);
    return {device.path(),
            device.vendorId(),
            device.productId(),
            device.productString(),
            device.inputReportLength(),
            device.outputReportLength(),
            fitness.problem,
            programmerFix(fitness.openProblem)};
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

void probeUsbPager(PagerLink& link, HidDevice* programmer, PagerProbe& probe) {
    if (programmer == nullptr) {
        probe.problem = "No usable USB programmer is attached.";
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

ProbeReport probeDevices(PagerLink& link, std::optional<TransferRoute> route) {
    ProbeReport report;
    report.timing = link.timing();
    for (const ParallelPort& port : parallel_port::all) report.ports.push_back(probePort(link.port(), port.base));

    HidDevice* usable = link.usb().currentDevice();
    for (const auto& device : link.hid().devices()) {
        if (!device->pluggedIn() || !UsbProgrammer::isProgrammer(*device)) continue;
        report.programmers.push_back(probeProgrammer(*device));
        if (usable == nullptr && report.programmers.back().problem.empty()) usable = device.get();
    }

    const bool anyPort =
        std::any_of(report.ports.begin(), report.ports.end(), [](const auto& p) { return p.problem.empty(); });
    const bool anyProgrammer = usable != nullptr;
    report.pager.route = route.value_or(TransferRoute{anyProgrammer, parallel_port::lpt1.base});
    if (report.pager.route.usbProgrammer) {
        probeUsbPager(link, usable, report.pager);
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
