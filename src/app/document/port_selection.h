// The "Parallel Port" menu: "LPT1" (0x378) and "LPT2" (0x278).
#pragma once

namespace pagerprog {

class SettingsModel;
struct ProgramState;

void LPT11Click(SettingsModel& model, ProgramState& program);
void LPT21Click(SettingsModel& model, ProgramState& program);

}  // namespace pagerprog
