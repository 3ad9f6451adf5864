#include "app/port_selection.h"

#include "settings/program_state.h"

namespace pagerprog {

namespace {
void choosePort(SettingsModel& model, ProgramState& program, std::uint16_t base) {
    program.portBase = base;
    model.setElementChecked(element::lpt1, base == kLpt1Base);
    model.setElementChecked(element::lpt2, base == kLpt2Base);
}
}  // namespace

void LPT11Click(SettingsModel& model, ProgramState& program) { choosePort(model, program, kLpt1Base); }
void LPT21Click(SettingsModel& model, ProgramState& program) { choosePort(model, program, kLpt2Base); }

}  // namespace pagerprog
