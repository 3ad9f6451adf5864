#include "rules/feature_rules.h"

#include <string>

#include "rules/field_names.h"
#include "settings/conversion.h"

namespace pagerprog::rules {

namespace {

constexpr int kAlertTimeLimit = 255;
constexpr int kContrastHighest = 63;
constexpr int kContrastLowest = 8;

// Item indexes of the coupled choices.
constexpr int kVibrateContinuous = 0;
constexpr int kCirroSpecialVibrate = 3;
constexpr int kAlertTone = 0;
constexpr int kAlertVibrate = 1;
constexpr int kAlertToneAndVibrate = 2;
constexpr int kAlertUserSelect = 3;
constexpr int kAlertModeAbcdTone = 1;
constexpr int kRepeatCheckDisable = 2;
constexpr int kRepeatRejectDisable = 0;

std::optional<char> refuseWithLog(Context& ctx, const char* line) {
    ctx.logAndBeep(line);
    return std::nullopt;
}

bool isUpperHexLetter(char key) { return key >= 'A' && key <= 'F'; }

}  // namespace

std::optional<char> NumKeyPress(Context& ctx, char key) {
    if (isDigit(key) || key == kBackspace) return key;
    return refuseWithLog(ctx, "Number 0-9 and backspace only");
}

std::optional<char> tonepatternKeyPress(Context& ctx, char key) {
    if (isDigit(key) || isUpperHexLetter(key) || key == kBackspace) return key;
    return refuseWithLog(ctx, "Number 0-9,A-F and backspace only");
}

std::optional<char> NoKeyPress(Context&, char) { return std::nullopt; }

void limitChange(Context& ctx, const FeatureLimit& limit) {
    const std::string& text = ctx.model.text(limit.field);
    if (text.empty()) return;  // the user is still typing
    if (parseInteger(text) > limit.limit) ctx.model.setText(limit.field, std::to_string(limit.limit));
}

void alerttimeChange(Context& ctx) {
    const std::string& text = ctx.model.text("alerttime");
    if (text.empty()) return;
    const int seconds = parseInteger(text);
    if (seconds > kAlertTimeLimit) {
        // Setting the capped text runs this rule again, which does the rest.
        ctx.model.setText("alerttime", std::to_string(kAlertTimeLimit));
        return;
    }
    // A reminder that is switched on must come later than the alert ends.
    const int reminderMinutes = parseInteger(ctx.model.text("unread_alert"));
    if (reminderMinutes != 0 && seconds / 60.0 > reminderMinutes) {
        ctx.model.setText("unread_alert", std::to_string(seconds / 60 + 1));
    }
}

void contrastExit(Context& ctx) {
    if (parseInteger(ctx.model.text("contrast")) > kContrastHighest) {
        ctx.model.setText("contrast", std::to_string(kContrastHighest));
    }
    if (parseInteger(ctx.model.text("contrast")) < kContrastLowest) ctx.model.setText("contrast", "08");
}

void vibratetypeChange(Context& ctx) {
    auto& model = ctx.model;
    const bool special = model.index("vibratetype") == kCirroSpecialVibrate;
    if (special) {
        model.setText("alerttime", "12");
        model.setIndex("alerttype", kAlertVibrate);
        model.setIndex("alertmode", kAlertModeAbcdTone);
    }
    model.setEnabled("alerttime", !special);
    model.setEnabled("alerttype", !special);
    model.setEnabled("alertmode", !special);
}

void alerttypeChange(Context& ctx) {
    auto& model = ctx.model;
    const int type = model.index("alerttype");
    if (type == kAlertTone) model.setIndex("vibratetype", kVibrateContinuous);
    model.setEnabled("vibratetype", type != kAlertTone);
    if (type == kAlertVibrate || type == kAlertToneAndVibrate) {
        model.setIndex("alertmode", kAlertModeAbcdTone);
        model.setEnabled("alertmode", false);
    } else if (type == kAlertTone || type == kAlertUserSelect) {
        model.setEnabled("alertmode", true);
    }
}

void repeatcallcheckChange(Context& ctx) {
    auto& model = ctx.model;
    const int check = model.index("repeatcallcheck");
    if (check == kRepeatCheckDisable) {
        model.setIndex("repeatcallreject", kRepeatRejectDisable);
        model.setEnabled("repeatcallreject", false);
        model.setChecked("repeatmsg", false);
    } else if (check >= 0) {
        model.setEnabled("repeatcallreject", true);
        model.setChecked("repeatmsg", true);
    }
}

void repeatmsgClick(Context& ctx) {
    auto& model = ctx.model;
    if (model.checked("repeatmsg")) {
        model.setEnabled("repeatcallcheck", true);
        return;
    }
    model.setIndex("repeatcallcheck", kRepeatCheckDisable);
    model.setIndex("repeatcallreject", kRepeatRejectDisable);
    model.setEnabled("repeatcallreject", false);
}

void msgstatusClick(Context& ctx) {
    const bool on = ctx.model.checked("msgstatus");
    if (!on) ctx.model.setChecked("datetime", false);
    ctx.model.setEnabled("datetime", on);
}

void timedisplayClick(Context& ctx) {
    if (!ctx.model.checked("timedisplay")) ctx.model.setChecked("datetime", false);
}

// The two prefix boxes always agree; the partner's rule then finds nothing to change.
void timeprefixClick(Context& ctx) { ctx.model.setChecked("msgstatusprefix", ctx.model.checked("timeprefix")); }

void msgstatusprefixClick(Context& ctx) { ctx.model.setChecked("timeprefix", ctx.model.checked("msgstatusprefix")); }

const std::vector<EnablingBox>& enablingBoxes() {
    static const std::vector<EnablingBox> boxes{
        {"handprog", {"handprogpws"}},
        {"autooff", {"autooffstart", "autooffstop"}},
        {"alarm", {"alarmhour", "alarmminute"}},
        {"toneonlymsg", {"cannedmsgA", "cannedmsgB", "cannedmsgC", "cannedmsgD"}},
        {"contrast_enable", {"contrast"}},
    };
    return boxes;
}

void enablingBoxClick(Context& ctx, const EnablingBox& box) {
    const bool on = ctx.model.checked(box.box);
    for (std::string_view field : box.fields) ctx.model.setEnabled(field, on);
}

}  // namespace pagerprog::rules
