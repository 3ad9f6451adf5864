#include "rules/rules.h"

#include <memory>

#include "rules/address_rules.h"
#include "rules/feature_rules.h"
#include "rules/field_names.h"
#include "rules/folder_rules.h"
#include "rules/frequency_rules.h"

namespace pagerprog {

namespace {

using namespace rules;
using KeyRule = std::optional<char> (*)(Context&, char);

KeyRule keyRuleFor(KeyFilter filter) {
    switch (filter) {
        case KeyFilter::Number: return NumKeyPress;
        case KeyFilter::TonePattern: return tonepatternKeyPress;
        case KeyFilter::NoKey: return NoKeyPress;
        case KeyFilter::Autoinc: return autoincKeyPress;
        case KeyFilter::Length: return lengthKeyPress;
        case KeyFilter::Frequency: return frequencyKeyPress;
        case KeyFilter::None: break;
    }
    return nullptr;
}

void attachKeyFilters(Context& ctx) {
    for (const FieldSpec& def : fieldTable()) {
        if (KeyRule rule = keyRuleFor(def.filter)) {
            ctx.model.onKey(def.name, [&ctx, rule](char key) { return rule(ctx, key); });
        }
    }
}

void attachAddressRules(Context& ctx) {
    auto& model = ctx.model;
    for (int slot = 1; slot <= kAddressSlots; ++slot) {
        model.onChange(slotField("address", slot), [&ctx, slot] { addressChange(ctx, slot); });
        model.onExit(slotField("address", slot), [&ctx, slot] { addressExit(ctx, slot); });
        model.onClick(slotField("addr", slot, "en"), [&ctx, slot] { addrEnClick(ctx, slot); });
        model.onExit(slotField("autoinc", slot), [&ctx, slot] { autoincExit(ctx, slot); });
    }
    for (int slot = 1; slot <= kFolderGroupSlots; ++slot) {
        model.onChange(slotField("msgtype", slot), [&ctx, slot] { msgtypeChange(ctx, slot); });
    }
}

void attachFolderRules(Context& ctx) {
    auto& model = ctx.model;
    for (int folder = 0; folder < kFolders; ++folder) {
        model.onClick(folderField("pubboxact", folder), [&ctx, folder] { pubboxactClick(ctx, folder); });
        model.onExit(folderField("pubboxlength", folder), [&ctx, folder] { pubboxlengthExit(ctx, folder); });
        model.onExit(folderField("pubbox", folder), [&ctx, folder] { pubboxExit(ctx, folder); });
    }
    for (int line = 1; line <= 2; ++line) {
        model.onExit(slotField("hellomsg", line), [&ctx, line] { hellomsgExit(ctx, line); });
    }
}

void attachFeatureRules(Context& ctx) {
    auto& model = ctx.model;
    for (const FeatureLimit& limit : kFeatureLimits) {
        model.onChange(limit.field, [&ctx, &limit] { limitChange(ctx, limit); });
    }
    model.onChange("alerttime", [&ctx] { alerttimeChange(ctx); });
    model.onExit("contrast", [&ctx] { contrastExit(ctx); });
    model.onChange("vibratetype", [&ctx] { vibratetypeChange(ctx); });
    model.onChange("alerttype", [&ctx] { alerttypeChange(ctx); });
    model.onChange("repeatcallcheck", [&ctx] { repeatcallcheckChange(ctx); });
    model.onClick("repeatmsg", [&ctx] { repeatmsgClick(ctx); });
    model.onClick("msgstatus", [&ctx] { msgstatusClick(ctx); });
    model.onClick("timedisplay", [&ctx] { timedisplayClick(ctx); });
    model.onClick("timeprefix", [&ctx] { timeprefixClick(ctx); });
    model.onClick("msgstatusprefix", [&ctx] { msgstatusprefixClick(ctx); });
    for (const EnablingBox& box : enablingBoxes()) {
        model.onClick(box.box, [&ctx, &box] { enablingBoxClick(ctx, box); });
    }
}

void attachFrequencyRules(Context& ctx) {
    auto& model = ctx.model;
    auto memory = std::make_shared<FrequencyMemory>();
    model.onExit("frequency", [&ctx, memory] { frequencyExit(ctx, *memory); });
    for (const char* counter : {"n_count", "r_count", "f_ref"}) {
        model.onChange(counter, [&ctx] { clockChange(ctx); });
    }
    model.onChange("f_version", [&ctx] { f_versionChange(ctx); });
    model.onChange("cpu_clock", [&ctx] { cpu_clockChange(ctx); });
}

}  // namespace

void attachRules(Context& ctx) {
    attachKeyFilters(ctx);
    attachAddressRules(ctx);
    attachFolderRules(ctx);
    attachFeatureRules(ctx);
    attachFrequencyRules(ctx);
}

}  // namespace pagerprog
