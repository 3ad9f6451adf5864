#include "app/profiles.h"

#include <array>
#include <cstring>
#include <string>

#include "app/language_files.h"
#include "settings/eeprom_image.h"

namespace pagerprog {

namespace {

constexpr int kCirro = 0, kNormal = 1, kDunlin = 2, kFennic = 3, kRavel = 4;
constexpr std::size_t kModelCodeOffset = 0x066;
constexpr std::size_t kSlotFormatsOffset = 0x048;
constexpr std::size_t kSlotSevenFormatsOffset = 0x056;

void writeModelCode(Context& ctx) { std::memcpy(ctx.program.image.data() + kModelCodeOffset, "73T", 3); }

void customerCirro(Context& ctx) {
    SettingsModel& m = ctx.model;
    m.setEnabled("pager_model", false);
    m.setIndex("pager_model", 2);
    writeModelCode(ctx);
    m.setEnabled("backlight", false);
    m.setEnabled("Vref", false);
    m.setVisible("repeatmsg", false);
    m.deleteItem("language", 13);
    m.setElementVisible(element::groupCanned, true);
    for (const char* name :
         {"alerttype", "vibratetype", "outrange", "lowbatspecalert", "toneonlymsg", "pageoff", "quietsound", "pll"})
        m.setShown(name, true);
    m.setElementVisible(element::recover, true);
    if (edition::factoryEdition) m.setElementVisible(element::debug, true);
    if (!edition::factoryEdition) m.setTitle("73TV8 Capcode Programmer - Customer Version");
}

void customerStandard(Context& ctx, int customer) {
    SettingsModel& m = ctx.model;
    m.setIndex("pager_model", 2);
    writeModelCode(ctx);
    m.setElementVisible(element::groupCanned, false);
    m.setShown("alerttype", false);
    m.setIndex("alerttype", 3);
    m.setShown("vibratetype", false);
    m.setIndex("vibratetype", 0);
    for (const char* name : {"outrange", "lowbatspecalert", "toneonlymsg"}) {
        m.setChecked(name, false);
        m.setVisible(name, false);
    }
    m.setChecked("pageoff", true);
    m.setVisible("pageoff", false);
    m.setChecked("quietsound", false);
    m.setVisible("quietsound", false);
    m.setShown("pll", true);
    m.setElementVisible(element::recover, true);
    m.setElementVisible(element::debug, true);
    m.setEnabled("pager_model", false);
    if (!edition::factoryEdition) {
        m.setTitle(customer == kFennic ? "73T Capcode Programmer - Fennic Version"
                                       : "73T Capcode Programmer - Normal Version");
    }
}

std::string modelTitle(int model) {
    if (edition::factoryEdition) {
        static const char* factory[] = {"41C Capcode Programmer Factory Version",
                                        "41 Hebrew Capcode Programmer Factory Version",
                                        "73T Capcode Programmer Factory Version"};
        return factory[model];
    }
    if (model == 0) return "41C Capcode Programmer Customer Version";
    if (model == 1) return "41 Hebrew Capcode Programmer Customer Version";
    switch (edition::defaultCustomer) {
        case kCirro: return "73TV8 Capcode Programmer Customer Version";
        case kNormal: return "73T Capcode Programmer Customer Version";
        case kFennic: return "73T Capcode Programmer Fennic Version";
        case kRavel: return "73T Capcode Programmer Raveltone Version";
        default: return "";  // Dunlin leaves the title as it is
    }
}

constexpr const char* kFormatCodes = "ABCD";

std::string formatField(int slot, int code) {
    return slotField("addr", slot, std::string("format") + kFormatCodes[code]);
}

void setFormatItem(Context& ctx, const char* item) {
    for (int slot = 1; slot <= 6; ++slot)
        for (int code = 0; code < 4; ++code) ctx.model.replaceItem(formatField(slot, code), 2, item);
}

// The format choices come from the image's format bytes, not from what the window showed.
void reloadFormatsFromImage(Context& ctx) {
    auto apply = [&ctx](int slot, std::uint8_t bits) {
        for (int code = 0; code < 4; ++code) ctx.model.setIndex(formatField(slot, code), (bits >> (2 * code)) & 3);
    };
    for (int slot = 1; slot <= 6; ++slot) apply(slot, ctx.program.image[kSlotFormatsOffset + slot - 1]);
    if (ctx.program.hardwareRevision == 2) {
        apply(7, ctx.program.image[kSlotSevenFormatsOffset]);
        apply(8, ctx.program.image[kSlotSevenFormatsOffset + 1]);
    }
}

}  // namespace

void customerChange(Context& ctx) {
    const int customer = ctx.model.index("customer");
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
    const int model = m.index("pager_model");
    if (model >= 0) {
        static const char* hello[] = {"------ QTX41C -------", "------ QTX41K -------", "------ QTX73T -------"};
        if (model == 1) setFormatItem(ctx, "Hebrew");
        if (model == 0) m.setShown("zoom", true);
        if (model == 2) m.setShown("zoom", false);
        m.setIndex("lcd_module", model == 2 ? 0 : 1);
        m.setIndex("char_size", 0);
        m.setText("hellomsg1", hello[model]);
        // The frequency is written with the system's separator so that it parses again.
        if (model == 1) m.setText("frequency", std::string("152") + ctx.program.decimalSeparator + "24000");
        const std::string title = modelTitle(model);
        if (!title.empty()) m.setTitle(title);
    }
    reloadFormatsFromImage(ctx);
}

namespace {

struct RevisionProfile {
    const char* caption;
    const char* contrast;
    bool slotsSevenEight;
    int decoder;  // "Q4" or "SM8212"
    bool q4Fields;
    int lcddrv;  // "T6K04" or "SD1815"
    bool lcdDetail;
    bool battery;
    bool clock;
};

constexpr std::array<RevisionProfile, 3> kRevisions{{
    {"&TV7r2", "50", false, 0, true, 0, false, true, false},
    {"&TV7r3", "25", false, 0, true, 1, true, true, false},
    {"&TV8", "45", true, 1, false, 1, true, false, true},
}};

}  // namespace

void switch_modelClick(Context& ctx) {
    SettingsModel& m = ctx.model;
    int& revision = ctx.program.hardwareRevision;
    revision = (revision + 1) % 3;
    const RevisionProfile& p = kRevisions[static_cast<std::size_t>(revision)];
    m.setElementCaption(element::switchModel, p.caption);
    m.setText("contrast", p.contrast);
    for (const auto& field : m.fields()) {
        if (field.def->group == element::groupAddress && field.def->slot >= 7)
            m.setVisible(field.def->name, p.slotsSevenEight);
    }
    m.setIndex("decoder", p.decoder);
    for (const char* name : {"pll_enable", "BS2", "BS3"}) m.setVisible(name, p.q4Fields);
    m.setShown("data_format", p.q4Fields);
    for (const char* name : {"bs1_8212", "bs3_8212", "bs2_option", "end_of_msg", "filter_enable"})
        m.setVisible(name, !p.q4Fields);
    for (const char* name : {"error_rate", "clko", "filter_strength", "errcorrect"}) m.setShown(name, !p.q4Fields);
    m.setIndex("lcddrv", p.lcddrv);
    for (const char* name : {"lcddrv_opa", "lcd_fosc", "lcd_tc", "lcd_bias"}) m.setShown(name, p.lcdDetail);
    m.setElementVisible(element::groupBattery, p.battery);
    m.setElementVisible(element::groupClock, p.clock);
    chooseLanguageFile(ctx);
}

void attachProfiles(Context& ctx) {
    ctx.model.onChange("customer", [&ctx] { customerChange(ctx); });
    ctx.model.onChange("pager_model", [&ctx] { pager_modelChange(ctx); });
    ctx.model.onChange("language", [&ctx] { chooseLanguageFile(ctx); });
}

}  // namespace pagerprog
