// A PC-style parallel port as parport_pc drives it, with the passive two-wire adapter on
// its connector and the pager's 24C16 behind the adapter. The pins are emulated; the
// register values come from them the way the PC hardware maps them (as dump_parport_state
// in include/linux/parport_pc.h reads them):
//   data     bits 0..7 drive pins 2..9 (undriven while the data lines are turned round)
//   status   bit 3 = pin 15, bit 4 = pin 13, bit 5 = pin 12, bit 6 = pin 10 (/ACK),
//            bit 7 = NOT pin 11 (BUSY is inverted by the hardware); bits 0..2 have no pin
//            and read 1 here, so a backend must mask them
//   control  bit 0 = NOT pin 1 (/STROBE), bit 1 = NOT pin 14 (/AUTOFD), bit 2 = pin 16
//            (/INIT, not inverted), bit 3 = NOT pin 17 (/SELECTIN)
// The kernel side, from include/linux/parport_pc.h: the status register is read raw
// (parport_pc_read_status); a control write goes through the mask of the four line bits,
// and a set bit 5 turns the data lines round (parport_pc_write_control); a control read
// returns the driver's soft copy under the same mask (parport_pc_read_control).
// Adapter wiring: SCL = pin 3, SDA out = pin 4, supply = pin 5, enable = pin 9 with pin 16
// low, SDA back on pin 10; the unused inputs (pins 11, 12, 13, 15) float high.
#pragma once

#include <cstdint>

#include "link/sim/simulated_24c16.h"

namespace pagerprog {
class Clock;
class SimulatedPager;
}  // namespace pagerprog

namespace fake_kernel {

class PcParallelPort {
public:
    // The control state a device gets at registration (parport_pc_init_state, no IRQ).
    static constexpr std::uint8_t kInitialControl = 0x0C;

    PcParallelPort(pagerprog::SimulatedPager& pager, pagerprog::Clock& clock) : chip_(pager, clock) {}

    std::uint8_t readData() const;
    void writeData(std::uint8_t value);
    std::uint8_t readStatus() const;
    std::uint8_t readControl() const;
    void writeControl(std::uint8_t value);

    // The whole control soft copy, saved at release and restored at claim
    // (parport_pc_save_state and parport_pc_restore_state).
    std::uint8_t saveControl() const { return control_; }
    void restoreControl(std::uint8_t control);

    // The card is gone: nothing drives the connector any more.
    void disconnect();

    // 0 or 1 for pins 1..17, -1 for any other number.
    int pin(int number) const;

private:
    bool dataDriven() const;
    bool adapterPowered() const;
    bool sdaLine() const;
    void linesChanged();

    pagerprog::Simulated24C16 chip_;
    bool connected_ = true;
    bool powered_ = false;
    std::uint8_t data_ = 0;
    std::uint8_t control_ = kInitialControl;
};

}  // namespace fake_kernel
