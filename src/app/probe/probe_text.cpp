#include "app/probe/probe_text.h"

#include <cstdio>

#include "context/context.h"

namespace pagerprog {

namespace {

std::string format(const char* pattern, auto... values) {
    char text[400];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

std::string portName(std::uint16_t base) {
    const ParallelPort* port = parallel_port::withBase(base);
    return port ? std::string(port->name) : "port";
}

const char* stateText(ProgrammerProbe::State state) {
    switch (state) {
        case ProgrammerProbe::State::Free: return "free";
        case ProgrammerProbe::State::InUseHere: return "in use by this program";
        case ProgrammerProbe::State::InUseElsewhere: return "in use by another program";
        case ProgrammerProbe::State::Unusable: break;
    }
    return "cannot be used:";
}

void addProblem(std::vector<std::string>& lines, const std::string& problem, const std::string& fix) {
    lines.push_back("    " + problem);
    if (!fix.empty()) lines.push_back("    fix: " + fix);
}

void addPager(std::vector<std::string>& lines, const PagerProbe& pager) {
    const std::string where = pager.route.usbProgrammer ? "the USB programmer" : portName(pager.route.portBase);
    lines.push_back("Pager on " + where + (pager.device.empty() ? "" : " (" + pager.device + ")") + ":");
    if (pager.answeringBlocks) {
        std::string blocks;
        for (unsigned block = 0; block < 8; ++block)
            if (*pager.answeringBlocks & (1u << block)) blocks += " " + std::to_string(block);
        lines.push_back("  blocks acknowledging (of 0 to 7):" + (blocks.empty() ? std::string(" none") : blocks));
    }
    if (pager.read) {
        std::string head = "  first 16 bytes:";
        for (const std::uint8_t byte : pager.head) head += format(" %02X", byte);
        lines.push_back(head);
        lines.push_back(format("  image checksum: stored %02X, computed %02X (%s)", pager.storedChecksum,
                               pager.computedChecksum,
                               pager.storedChecksum == pager.computedChecksum ? "they match" : "they differ"));
    }
    if (!pager.problem.empty()) lines.push_back("  " + pager.problem);
}

void addTiming(std::vector<std::string>& lines, const BusTiming& t) {
    lines.push_back(
        format("Bus timing: bus free %u ms, SCL high %u us, SCL low %u us, SDA hold %u us, supply settle "
               "%u ms",
               t.busFreeMs, t.sclHighUs, t.sclLowUs, t.sdaHoldUs, t.supplySettle * 500));
    const unsigned bitMicros = t.sdaHoldUs + t.sclHighUs + t.sclLowUs;
    lines.push_back(format("  a bit sent takes at least %u us (%.1f kbit/s at most); page writes %s", bitMicros,
                           1000.0 / bitMicros,
                           t.acknowledgePolling ? "poll the acknowledge (25 ms at most)" : "wait the bus-free time"));
}

}  // namespace

std::vector<std::string> probeText(const ProbeReport& report) {
    std::vector<std::string> lines{"Parallel ports:"};
    for (const PortProbe& port : report.ports) {
        lines.push_back(format("  %s %s: %s", portName(port.base).c_str(), port.device.c_str(),
                               port.problem.empty() ? "can be opened and claimed" : "cannot be used:"));
        if (!port.problem.empty()) addProblem(lines, port.problem, port.fix);
    }
    lines.push_back("USB programmers:");
    if (report.programmers.empty()) lines.push_back("  none attached");
    for (const ProgrammerProbe& p : report.programmers) {
        const std::string serial = p.serial.empty() ? "no serial" : "serial \"" + p.serial + "\"";
        lines.push_back(format("  %s %s %04X:%04X \"%s\", %s, reports of %zu bytes in, %zu out: %s",
                               p.portPath.empty() ? "(no USB port)" : p.portPath.c_str(), p.path.c_str(), p.vendorId,
                               p.productId, p.product.c_str(), serial.c_str(), p.inputLength, p.outputLength,
                               stateText(p.state)));
        if (p.state == ProgrammerProbe::State::Unusable) addProblem(lines, p.problem, p.fix);
    }
    addPager(lines, report.pager);
    addTiming(lines, report.timing);
    switch (report.outcome) {
        case ProbeOutcome::PagerAnswered: lines.push_back("Result: a pager answered."); break;
        case ProbeOutcome::NoPagerAnswered: lines.push_back("Result: a port works, but no pager answered."); break;
        case ProbeOutcome::NothingUsable: lines.push_back("Result: no port and no programmer can be used."); break;
    }
    return lines;
}

}  // namespace pagerprog
