#include "app/document/menu_commands.h"

namespace pagerprog {

void About1Click(Context& ctx) {
    ctx.host.log("73TV8 USB CapCode Programmer Windows version V7.6");
    if (edition::factoryEdition) ctx.host.log("Please choose correct customer item before programming the pager.");
}

void RecoverChipClick(Context& ctx, const char* chosen, const char* other, const char* chip) {
    SettingsModel& m = ctx.model;
    if (m.element(chosen).checked) {
        m.setElementChecked(chosen, false);
        m.setElementChecked(element::recover, false);
        return;
    }
    m.setElementChecked(chosen, true);
    m.setElementChecked(element::recover, true);
    m.setElementChecked(other, false);
    m.setIndex(field::pll, tableItem(field::pll, chip));
}

void Debug1Click(Context& ctx) {
    ctx.model.setElementChecked(element::debug, !ctx.model.element(element::debug).checked);
}

}  // namespace pagerprog
