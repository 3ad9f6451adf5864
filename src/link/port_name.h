// A port as the technician names it: "usb" (the first USB programmer nobody holds),
// "usb@1-2.3" (the USB programmer plugged into that USB port, whichever hidraw node it
// has), "lpt1" or "lpt2" (a parallel-port adapter).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pagerprog {

struct PortName {
    enum class Kind { AnyUsb, Usb, Parallel };
    Kind kind = Kind::AnyUsb;
    std::string usbPort;     // Kind::Usb: the port path
    std::uint16_t base = 0;  // Kind::Parallel: the port base

    // Nothing for a word that names no port.
    static std::optional<PortName> parse(std::string_view word);
    // The word again ("usb@1-2.3").
    std::string text() const;
    // How a gang names the programmer: its USB port path ("1-2.3"), or "lpt1".
    std::string name() const { return kind == Kind::Usb ? usbPort : text(); }
    bool usb() const { return kind != Kind::Parallel; }
    bool operator==(const PortName&) const = default;
};

}  // namespace pagerprog
