#include "app/document/port_selection.h"

#include "context/context.h"

namespace pagerprog {

namespace {
void choosePort(SettingsModel& model, ProgramState& program, std::uint16_t base) {
    program.portBase = base;
    model.setElementChecked(element::lpt1, base == parallel_port::lpt1.base);
    model.setElementChecked(element::lpt2, base == parallel_port::lpt2.base);
}
}  // namespace

void LPT11Click(SettingsModel& model, ProgramState& program) { choosePort(model, program, parallel_port::lpt1.base); }
void LPT21Click(SettingsModel& model, ProgramState& program) { choosePort(model, program, parallel_port::lpt2.base); }

}  // namespace pagerprog
