#include "app/document/startup.h"

#include <locale>

#include "app/document/language_files.h"
#include "app/document/menu_commands.h"
#include "app/document/profiles.h"
#include "settings/conversion.h"
#include "settings/decoder.h"

namespace pagerprog {

namespace {

// Seen from a decimal-comma system, the number texts the window is designed with: the
// field table's initial texts with the comma for their point.
void useDecimalComma(Context& ctx) {
    ctx.program.decimalSeparator = ',';
    for (const FieldDef& def : fieldTable()) {
        if (def.kind == FieldKind::Text && def.text.find('.') != std::string::npos && isReal(def.text, '.'))
            ctx.model.setText(def.name, withDecimalSeparator(def.text, ','));
    }
}

void applyEdition(Context& ctx) {
    SettingsModel& m = ctx.model;
    const bool factory = edition::factoryEdition;
    m.setElementVisible(element::tabHardware, factory);
    m.setShown(field::customer, factory);
    for (const char* name :
         {field::pll, field::backlight, field::f_ref, field::bs2_option, field::clko, field::filter_strength,
          field::filter_enable, field::errcorrect, field::error_rate, field::fullbat, field::halfbat, field::lowbat,
          field::gonebat, field::Vref, field::contrast})
        m.setEnabled(name, factory);
    m.setVisible(field::contrast_enable, !factory);
}

void applyHebrewEdition(Context& ctx) {
    if (edition::hebrewEdition) {
        ctx.model.setIndex(field::language, tableItem(field::language, "Hebraic"));
        ctx.model.setEnabled(field::language, false);
        return;
    }
    // Only "English-USA", "English-UK" and "French" stay.
    const int kept = tableItem(field::language, "French");
    for (int item = tableItem(field::language, "Hebraic"); item > kept; --item)
        ctx.model.deleteItem(field::language, item);
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
    p.portBase = parallel_port::lpt1.base;
    p.usbProgrammerInUse = false;
    loadTemplate(p.image, layoutOf(p.hardwareRevision));
    if (!isReal("475.1", options.systemDecimalSeparator)) useDecimalComma(ctx);

    About1Click(ctx);
    decodeImage(ctx);
    m.fireExit(field::frequency);
    m.setEnabled(field::data_format, false);

    applyEdition(ctx);
    m.setIndex(field::customer, edition::defaultCustomer);
    customerChange(ctx);
    if (edition::defaultCustomer == tableItem(field::customer, "Cirro")) m.setText(field::unread_alert, "0");
    pager_modelChange(ctx);
    applyHebrewEdition(ctx);

    m.setText(field::cannedmsgA, "A Canned Messages   ");
    m.setText(field::cannedmsgB, "B Canned Messages   ");
    m.setText(field::cannedmsgC, "C Canned Messages   ");
    m.setText(field::cannedmsgD, "D Canned Messages   ");
    m.fireClick(field::toneonlymsg);
    m.setIndex(field::pll, tableItem(field::pll, "SM5170"));

    switch_modelClick(ctx);
    switch_modelClick(ctx);
    m.fireChange(field::n_count);
    m.fireChange(field::f_version);

    m.setLevel(field::TrackBar1, 6);
    m.setLevel(field::TrackBar2, 1);
    m.setLevel(field::TrackBar3, 1);
    m.setLevel(field::TrackBar4, 30);

    // The language file is looked up in the program's data folder; the process's
    // working folder is left alone so that paths given by the user keep their meaning.
    p.defaultFolder = options.dataFolder;
    readLanguageFile(ctx);
}

}  // namespace pagerprog
