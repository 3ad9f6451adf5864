#include "app/startup.h"

#include <locale>

#include "app/language_files.h"
#include "app/menu_commands.h"
#include "app/profiles.h"
#include "settings/conversion.h"
#include "settings/decoder.h"

namespace pagerprog {

namespace {

// Seen from a decimal-comma system, the texts the window is designed with.
void useDecimalComma(Context& ctx) {
    ctx.program.decimalSeparator = ',';
    ctx.model.setText("frequency", "146,56250");
    ctx.model.setText("fullbat", "1,50");
    ctx.model.setText("halfbat", "1,30");
    ctx.model.setText("lowbat", "1,10");
    ctx.model.setText("gonebat", "0,90");
    ctx.model.setText("Vref", "2,70");
    ctx.program.batteryRoundingStep = 0;
}

void applyEdition(Context& ctx) {
    SettingsModel& m = ctx.model;
    const bool factory = edition::factoryEdition;
    m.setElementVisible(element::tabHardware, factory);
    m.setShown("customer", factory);
    for (const char* name : {"pll", "backlight", "f_ref", "bs2_option", "clko", "filter_strength", "filter_enable",
                             "errcorrect", "error_rate", "fullbat", "halfbat", "lowbat", "gonebat", "Vref", "contrast"})
        m.setEnabled(name, factory);
    m.setVisible("contrast_enable", !factory);
}

void applyHebrewEdition(Context& ctx) {
    if (edition::hebrewEdition) {
        constexpr int kHebraic = 13;
        ctx.model.setIndex("language", kHebraic);
        ctx.model.setEnabled("language", false);
        return;
    }
    for (int item = 13; item >= 3; --item) ctx.model.deleteItem("language", item);
}

}  // namespace

char systemDecimalSeparator() {
    try {
        return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
    } catch (const std::runtime_error&) {
        return '.';  // an unknown locale name: the C number format
    }
}

void runStartup(Context& ctx, const StartupOptions& options) {
    SettingsModel& m = ctx.model;
    ProgramState& p = ctx.program;
    p.portBase = kLpt1Base;
    p.usbProgrammerInUse = false;
    loadTemplate(p.image, layoutForRevision(p.hardwareRevision));
    if (!isReal("475.1", options.systemDecimalSeparator)) useDecimalComma(ctx);

    About1Click(ctx);
    decodeImage(ctx);
    m.fireExit("frequency");
    m.setEnabled("data_format", false);

    applyEdition(ctx);
    m.setIndex("customer", edition::defaultCustomer);
    customerChange(ctx);
    if (edition::defaultCustomer == 0) m.setText("unread_alert", "0");
    pager_modelChange(ctx);
    applyHebrewEdition(ctx);

    m.setText("cannedmsgA", "A Canned Messages   ");
    m.setText("cannedmsgB", "B Canned Messages   ");
    m.setText("cannedmsgC", "C Canned Messages   ");
    m.setText("cannedmsgD", "D Canned Messages   ");
    m.fireClick("toneonlymsg");
    m.setIndex("pll", 1);

    switch_modelClick(ctx);
    switch_modelClick(ctx);
    m.fireChange("n_count");
    m.fireChange("f_version");

    m.setLevel("TrackBar1", 6);
    m.setLevel("TrackBar2", 1);
    m.setLevel("TrackBar3", 1);
    m.setLevel("TrackBar4", 30);

    // The language file is looked up in the program's data folder; the process's
    // working folder is left alone so that paths given by the user keep their meaning.
    p.defaultFolder = options.dataFolder;
    readLanguageFile(ctx);
}

}  // namespace pagerprog
