#include "app/document/profiles.h"

#include <algorithm>
#include <array>
#include <string>

#include "app/document/language_files.h"
#include "rules/address_rules.h"
#include "settings/conversion.h"
#include "settings/decoder.h"
#include "settings/image_layout.h"

namespace pagerprog {

namespace {

const int kCirro = tableItem(field::customer, "Cirro");
const int kNormal = tableItem(field::customer, "Normal");
const int kDunlin = tableItem(field::customer, "Dunlin");
const int kFennic = tableItem(field::customer, "Fennic");
const int kRavel = tableItem(field::customer, "Ravel");
const int kQtx41C = tableItem(field::pager_model, "QTX41C");
const int kQtx41K = tableItem(field::pager_model, "QTX41K");
const int kQtx73T = tableItem(field::pager_model, "QTX73T");
const int kHebraic = tableItem(field::language, "Hebraic");

// The model code the customer profiles give every image: the QTX73T family.
void writeModelCode(Context& ctx) {
    const KeptBytes& code = keptRun(layoutOf(ctx.program.hardwareRevision), kept::modelCode);
    const std::string_view family = "73T";
    std::copy_n(family.begin(), code.length, ctx.program.image.begin() + code.offset);
}

void customerCirro(Context& ctx) {
    SettingsModel& m = ctx.model;
    m.setEnabled(field::pager_model, false);
    m.setIndex(field::pager_model, kQtx73T);
    writeModelCode(ctx);
    m.setEnabled(field::backlight, false);
    m.setEnabled(field::Vref, false);
    m.setVisible(field::repeatmsg, false);
    m.deleteItem(field::language, kHebraic);
    m.setElementVisible(element::groupCanned, true);
    for (const char* name : {field::alerttype, field::vibratetype, field::outrange, field::lowbatspecalert,
                             field::toneonlymsg, field::pageoff, field::quietsound, field::pll})
        m.setShown(name, true);
    m.setElementVisible(element::recover, true);
    if (edition::factoryEdition) m.setElementVisible(element::debug, true);
    if (!edition::factoryEdition) m.setTitle("73TV8 Capcode Programmer - Customer Version");
}

void customerStandard(Context& ctx, int customer) {
    SettingsModel& m = ctx.model;
    m.setIndex(field::pager_model, kQtx73T);
    writeModelCode(ctx);
    m.setElementVisible(element::groupCanned, false);
    m.setShown(field::alerttype, false);
    m.setIndex(field::alerttype, tableItem(field::alerttype, "User select"));
    m.setShown(field::vibratetype, false);
    m.setIndex(field::vibratetype, tableItem(field::vibratetype, "Continuous"));
    for (const char* name : {field::outrange, field::lowbatspecalert, field::toneonlymsg}) {
        m.setChecked(name, false);
        m.setVisible(name, false);
    }
    m.setChecked(field::pageoff, true);
    m.setVisible(field::pageoff, false);
    m.setChecked(field::quietsound, false);
    m.setVisible(field::quietsound, false);
    m.setShown(field::pll, true);
    m.setElementVisible(element::recover, true);
    m.setElementVisible(element::debug, true);
    m.setEnabled(field::pager_model, false);
    if (!edition::factoryEdition) {
        m.setTitle(customer == kFennic ? "73T Capcode Programmer - Fennic Version"
                                       : "73T Capcode Programmer - Normal Version");
    }
}

std::string modelTitle(int model) {
    if (edition::factoryEdition) {
        if (model == kQtx41C) return "41C Capcode Programmer Factory Version";
        if (model == kQtx41K) return "41 Hebrew Capcode Programmer Factory Version";
        return "73T Capcode Programmer Factory Version";
    }
    if (model == kQtx41C) return "41C Capcode Programmer Customer Version";
    if (model == kQtx41K) return "41 Hebrew Capcode Programmer Customer Version";
    const int customer = edition::defaultCustomer;
    if (customer == kCirro) return "73TV8 Capcode Programmer Customer Version";
    if (customer == kNormal) return "73T Capcode Programmer Customer Version";
    if (customer == kFennic) return "73T Capcode Programmer Fennic Version";
    if (customer == kRavel) return "73T Capcode Programmer Raveltone Version";
    return "";  // Dunlin leaves the title as it is
}

// Item 2 of the format lists of slots 1 to 6 names the tone format of the model.
constexpr int kToneFormatItem = 2;

void setFormatItem(Context& ctx, const char* item) {
    for (int slot = 1; slot <= rules::kFolderGroupSlots; ++slot)
        for (char code : field::kFunctionCodes)
            ctx.model.replaceItem(field::addrFormat(slot, code), kToneFormatItem, item);
}

// The format choices come from the image's format bytes, not from what the window showed.
void reloadFormatsFromImage(Context& ctx) {
    std::vector<std::string> formats;
    for (int slot = 1; slot <= addressSlots(ctx.program.hardwareRevision); ++slot)
        for (char code : field::kFunctionCodes) formats.push_back(field::addrFormat(slot, code));
    decodeFields(ctx, formats);
}

}  // namespace

void customerChange(Context& ctx) {
    const int customer = ctx.model.index(field::customer);
    if (customer == kCirro) {
        customerCirro(ctx);
    } else if (customer == kNormal || customer == kFennic || customer == kRavel) {
        customerStandard(ctx, customer);
    } else if (customer == kDunlin) {
        ctx.host.beep();
        ctx.host.messageBox("Not yet support in this version!!!");
    }
}

void pager_modelChange(Context& ctx) {
    SettingsModel& m = ctx.model;
    setFormatItem(ctx, "Tone");
    const int model = m.index(field::pager_model);
    if (model >= 0) {
        if (model == kQtx41K) setFormatItem(ctx, "Hebrew");
        if (model == kQtx41C) m.setShown(field::zoom, true);
        if (model == kQtx73T) m.setShown(field::zoom, false);
        m.setIndex(field::lcd_module, tableItem(field::lcd_module, model == kQtx73T ? "120*16" : "120*32"));
        m.setIndex(field::char_size, tableItem(field::char_size, "6*8"));
        // The pager holds as many characters as may be typed; the line is shown as it is stored.
        const std::string hello = "------ " + m.field(field::pager_model).text + " -------";
        m.setText(field::hellomsg1, hello.substr(0, static_cast<std::size_t>(findFieldDef(field::hellomsg1)->limit)));
        // The frequency is written with the system's separator so that it parses again.
        if (model == kQtx41K)
            m.setText(field::frequency, withDecimalSeparator("152.24000", ctx.program.decimalSeparator));
        const std::string title = modelTitle(model);
        if (!title.empty()) m.setTitle(title);
    }
    reloadFormatsFromImage(ctx);
}

namespace {

struct RevisionProfile {
    Revision revision;
    const char* contrast;
    bool slotsSevenEight;
    const char* decoder;
    bool q4Fields;
    const char* lcddrv;
    bool lcdDetail;
    bool battery;
    bool clock;
};

constexpr std::array<RevisionProfile, 3> kRevisionProfiles{{
    {Revision::TV7r2, "50", false, "Q4", true, "T6K04", false, true, false},
    {Revision::TV7r3, "25", false, "Q4", true, "SD1815", true, true, false},
    {Revision::TV8, "45", true, "SM8212", false, "SD1815", true, false, true},
}};

}  // namespace

void switch_modelClick(Context& ctx) {
    SettingsModel& m = ctx.model;
    const Revision revision = nextRevision(ctx.program.hardwareRevision);
    ctx.program.hardwareRevision = revision;
    const RevisionProfile& p = kRevisionProfiles[static_cast<std::size_t>(revision)];
    m.setElementCaption(element::switchModel, "&" + std::string(revisionName(revision)));
    m.setText(field::contrast, p.contrast);
    for (const auto& f : m.fields()) {
        if (f.def->group == element::groupAddress && f.def->slot > rules::kFolderGroupSlots)
            m.setVisible(f.def->name, p.slotsSevenEight);
    }
    m.setIndex(field::decoder, tableItem(field::decoder, p.decoder));
    for (const char* name : {field::pll_enable, field::BS2, field::BS3}) m.setVisible(name, p.q4Fields);
    m.setShown(field::data_format, p.q4Fields);
    for (const char* name :
         {field::bs1_8212, field::bs3_8212, field::bs2_option, field::end_of_msg, field::filter_enable})
        m.setVisible(name, !p.q4Fields);
    for (const char* name : {field::error_rate, field::clko, field::filter_strength, field::errcorrect})
        m.setShown(name, !p.q4Fields);
    m.setIndex(field::lcddrv, tableItem(field::lcddrv, p.lcddrv));
    for (const char* name : {field::lcddrv_opa, field::lcd_fosc, field::lcd_tc, field::lcd_bias})
        m.setShown(name, p.lcdDetail);
    m.setElementVisible(element::groupBattery, p.battery);
    m.setElementVisible(element::groupClock, p.clock);
    chooseLanguageFile(ctx);
}

void attachProfiles(Context& ctx) {
    ctx.model.onChange(field::customer, [&ctx] { customerChange(ctx); });
    ctx.model.onChange(field::pager_model, [&ctx] { pager_modelChange(ctx); });
    ctx.model.onChange(field::language, [&ctx] { chooseLanguageFile(ctx); });
}

}  // namespace pagerprog
