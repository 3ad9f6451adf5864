#include "rules/feature_rules.h"

#include <string>

#include "rules/keys.h"
#include "settings/conversion.h"

namespace pagerprog::rules {

namespace {

constexpr int kAlertTimeLimit = 255;
constexpr int kContrastHighest = 63;
constexpr int kContrastLowest = 8;

// Items of the coupled choices.
const int kVibrateContinuous = tableItem(field::vibratetype, "Continuous");
const int kCirroSpecialVibrate = tableItem(field::vibratetype, "Cirro special vibrate");
const int kAlertTone = tableItem(field::alerttype, "Tone");
const int kAlertVibrate = tableItem(field::alerttype, "Vibrate");
const int kAlertToneAndVibrate = tableItem(field::alerttype, "Tone+Vibrate");
const int kAlertUserSelect = tableItem(field::alerttype, "User select");
const int kAlertModeAbcdTone = tableItem(field::alertmode, "ABCD Tone");
const int kRepeatCheckDisable = tableItem(field::repeatcallcheck, "Disable");
const int kRepeatRejectDisable = tableItem(field::repeatcallreject, "Disable");

std::optional<PassedKey> refuseWithLog(Context& ctx, const char* line) {
    ctx.logAndBeep(line);
    return std::nullopt;
}

bool isUpperHexLetter(char key) { return key >= 'A' && key <= 'F'; }

}  // namespace

std::optional<PassedKey> NumKeyPress(Context& ctx, char key) {
    if (isDigit(key) || key == kBackspace) return key;
    return refuseWithLog(ctx, "Number 0-9 and backspace only");
}

std::optional<PassedKey> tonepatternKeyPress(Context& ctx, char key) {
    if (isDigit(key) || isUpperHexLetter(key) || key == kBackspace) return key;
    return refuseWithLog(ctx, "Number 0-9,A-F and backspace only");
}

std::optional<PassedKey> NoKeyPress(Context&, char) { return std::nullopt; }

void limitChange(Context& ctx, const FeatureLimit& limit) {
    const std::string& text = ctx.model.text(limit.field);
    if (text.empty()) return;  // the user is still typing
    if (parseInteger(text) > limit.limit) ctx.model.setText(limit.field, std::to_string(limit.limit));
}

void alerttimeChange(Context& ctx) {
    const std::string& text = ctx.model.text(field::alerttime);
    if (text.empty()) return;
    const int seconds = parseInteger(text);
    if (seconds > kAlertTimeLimit) {
        // Setting the capped text runs this rule again, which does the rest.
        ctx.model.setText(field::alerttime, std::to_string(kAlertTimeLimit));
        return;
    }
    // A reminder that is switched on must come later than the alert ends.
    const int reminderMinutes = parseInteger(ctx.model.text(field::unread_alert));
    if (reminderMinutes != 0 && seconds / 60.0 > reminderMinutes) {
        ctx.model.setText(field::unread_alert, std::to_string(seconds / 60 + 1));
    }
}

void contrastExit(Context& ctx) {
    if (parseInteger(ctx.model.text(field::contrast)) > kContrastHighest) {
        ctx.model.setText(field::contrast, std::to_string(kContrastHighest));
    }
    if (parseInteger(ctx.model.text(field::contrast)) < kContrastLowest) ctx.model.setText(field::contrast, "08");
}

void vibratetypeChange(Context& ctx) {
    auto& model = ctx.model;
    const bool special = model.index(field::vibratetype) == kCirroSpecialVibrate;
    if (special) {
        model.setText(field::alerttime, "12");
        model.setIndex(field::alerttype, kAlertVibrate);
        model.setIndex(field::alertmode, kAlertModeAbcdTone);
    }
    model.setEnabled(field::alerttime, !special);
    model.setEnabled(field::alerttype, !special);
    model.setEnabled(field::alertmode, !special);
}

void alerttypeChange(Context& ctx) {
    auto& model = ctx.model;
    const int type = model.index(field::alerttype);
    if (type == kAlertTone) model.setIndex(field::vibratetype, kVibrateContinuous);
    model.setEnabled(field::vibratetype, type != kAlertTone);
    if (type == kAlertVibrate || type == kAlertToneAndVibrate) {
        model.setIndex(field::alertmode, kAlertModeAbcdTone);
        model.setEnabled(field::alertmode, false);
    } else if (type == kAlertTone || type == kAlertUserSelect) {
        model.setEnabled(field::alertmode, true);
    }
}

void repeatcallcheckChange(Context& ctx) {
    auto& model = ctx.model;
    const int check = model.index(field::repeatcallcheck);
    if (check == kRepeatCheckDisable) {
        model.setIndex(field::repeatcallreject, kRepeatRejectDisable);
        model.setEnabled(field::repeatcallreject, false);
        model.setChecked(field::repeatmsg, false);
    } else if (check >= 0) {
        model.setEnabled(field::repeatcallreject, true);
        model.setChecked(field::repeatmsg, true);
    }
}

void repeatmsgClick(Context& ctx) {
    auto& model = ctx.model;
    if (model.checked(field::repeatmsg)) {
        model.setEnabled(field::repeatcallcheck, true);
        return;
    }
    model.setIndex(field::repeatcallcheck, kRepeatCheckDisable);
    model.setIndex(field::repeatcallreject, kRepeatRejectDisable);
    model.setEnabled(field::repeatcallreject, false);
}

void msgstatusClick(Context& ctx) {
    const bool on = ctx.model.checked(field::msgstatus);
    if (!on) ctx.model.setChecked(field::datetime, false);
    ctx.model.setEnabled(field::datetime, on);
}

void timedisplayClick(Context& ctx) {
    if (!ctx.model.checked(field::timedisplay)) ctx.model.setChecked(field::datetime, false);
}

// The two prefix boxes always agree; the partner's rule then finds nothing to change.
void timeprefixClick(Context& ctx) {
    ctx.model.setChecked(field::msgstatusprefix, ctx.model.checked(field::timeprefix));
}

void msgstatusprefixClick(Context& ctx) {
    ctx.model.setChecked(field::timeprefix, ctx.model.checked(field::msgstatusprefix));
}

const std::vector<EnablingBox>& enablingBoxes() {
    static const std::vector<EnablingBox> boxes{
        {field::handprog, {field::handprogpws}},
        {field::autooff, {field::autooffstart, field::autooffstop}},
        {field::alarm, {field::alarmhour, field::alarmminute}},
        {field::toneonlymsg, {field::cannedmsgA, field::cannedmsgB, field::cannedmsgC, field::cannedmsgD}},
        {field::contrast_enable, {field::contrast}},
    };
    return boxes;
}

void enablingBoxClick(Context& ctx, const EnablingBox& box) {
    const bool on = ctx.model.checked(box.box);
    for (std::string_view field : box.fields) ctx.model.setEnabled(field, on);
}

}  // namespace pagerprog::rules
