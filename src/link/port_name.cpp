#include "link/port_name.h"

#include "link/parallel_ports.h"

namespace pagerprog {

namespace {
constexpr std::string_view kUsb = "usb";
constexpr std::string_view kUsbAt = "usb@";
}  // namespace

std::optional<PortName> PortName::parse(std::string_view word) {
    if (word == kUsb) return PortName{};
    if (word.starts_with(kUsbAt) && word.size() > kUsbAt.size())
        return PortName{Kind::Usb, std::string(word.substr(kUsbAt.size())), 0};
    if (const ParallelPort* port = parallel_port::withOption(word)) return PortName{Kind::Parallel, "", port->base};
    return std::nullopt;
}

std::string PortName::text() const {
    switch (kind) {
        case Kind::AnyUsb: return std::string(kUsb);
        case Kind::Usb: return std::string(kUsbAt) + usbPort;
        case Kind::Parallel: break;
    }
    const ParallelPort* port = parallel_port::withBase(base);
    return port ? std::string(port->option) : std::string();
}

}  // namespace pagerprog
