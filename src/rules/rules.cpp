#include "rules/rules.h"

#include <memory>

#include "rules/address_rules.h"
#include "rules/feature_rules.h"
#include "rules/folder_rules.h"
#include "rules/frequency_rules.h"
#include "rules/keys.h"

namespace pagerprog {

namespace {

using namespace rules;
using KeyRule = std::optional<PassedKey> (*)(Context&, char);

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
    for (const FieldDef& def : fieldTable()) {
        if (KeyRule rule = keyRuleFor(def.filter)) {
            ctx.model.onKey(def.name, [&ctx, rule](char key) { return rule(ctx, key); });
        }
    }
}

void attachAddressRules(Context& ctx) {
    auto& model = ctx.model;
    for (int slot = 1; slot <= field::kAddressSlots; ++slot) {
        model.onChange(field::address(slot), [&ctx, slot] { addressChange(ctx, slot); });
        model.onExit(field::address(slot), [&ctx, slot] { addressExit(ctx, slot); });
        model.onClick(field::addrEn(slot), [&ctx, slot] { addrEnClick(ctx, slot); });
        model.onExit(field::autoinc(slot), [&ctx, slot] { autoincExit(ctx, slot); });
    }
    for (int slot = 1; slot <= kFolderGroupSlots; ++slot) {
        model.onChange(field::msgtype(slot), [&ctx, slot] { msgtypeChange(ctx, slot); });
    }
}

void attachFolderRules(Context& ctx) {
    auto& model = ctx.model;
    for (int folder = 0; folder < kFolders; ++folder) {
        model.onClick(field::pubboxact(folder), [&ctx, folder] { pubboxactClick(ctx, folder); });
        model.onExit(field::pubboxlength(folder), [&ctx, folder] { pubboxlengthExit(ctx, folder); });
        model.onExit(field::pubbox(folder), [&ctx, folder] { pubboxExit(ctx, folder); });
    }
    for (int line = 1; line <= 2; ++line) {
        model.onExit(field::hellomsg(line), [&ctx, line] { hellomsgExit(ctx, line); });
    }
}

void attachFeatureRules(Context& ctx) {
    auto& model = ctx.model;
    for (const FeatureLimit& limit : kFeatureLimits) {
        model.onChange(limit.field, [&ctx, &limit] { limitChange(ctx, limit); });
    }
    model.onChange(field::alerttime, [&ctx] { alerttimeChange(ctx); });
    model.onExit(field::contrast, [&ctx] { contrastExit(ctx); });
    model.onChange(field::vibratetype, [&ctx] { vibratetypeChange(ctx); });
    model.onChange(field::alerttype, [&ctx] { alerttypeChange(ctx); });
    model.onChange(field::repeatcallcheck, [&ctx] { repeatcallcheckChange(ctx); });
    model.onClick(field::repeatmsg, [&ctx] { repeatmsgClick(ctx); });
    model.onClick(field::msgstatus, [&ctx] { msgstatusClick(ctx); });
    model.onClick(field::timedisplay, [&ctx] { timedisplayClick(ctx); });
    model.onClick(field::timeprefix, [&ctx] { timeprefixClick(ctx); });
    model.onClick(field::msgstatusprefix, [&ctx] { msgstatusprefixClick(ctx); });
    for (const EnablingBox& box : enablingBoxes()) {
        model.onClick(box.box, [&ctx, &box] { enablingBoxClick(ctx, box); });
    }
}

void attachFrequencyRules(Context& ctx) {
    auto& model = ctx.model;
    auto memory = std::make_shared<FrequencyMemory>();
    model.onExit(field::frequency, [&ctx, memory] { frequencyExit(ctx, *memory); });
    for (const char* counter : {field::n_count, field::r_count, field::f_ref}) {
        model.onChange(counter, [&ctx] { clockChange(ctx); });
    }
    model.onChange(field::f_version, [&ctx] { f_versionChange(ctx); });
    model.onChange(field::cpu_clock, [&ctx] { cpu_clockChange(ctx); });
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
