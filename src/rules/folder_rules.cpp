#include "rules/folder_rules.h"

#include <algorithm>
#include <limits>
#include <string>

#include "rules/keys.h"
#include "settings/conversion.h"

namespace pagerprog::rules {

namespace {

// Appends blanks up to the field's typed-character limit; longer texts stay whole.
void fillWithBlanks(Context& ctx, const std::string& field) {
    const auto width = static_cast<std::size_t>(ctx.model.field(field).def->limit);
    std::string text = ctx.model.text(field);
    if (text.size() >= width) return;
    text.resize(width, ' ');
    ctx.model.setText(field, text);
}

}  // namespace

void pubboxactClick(Context& ctx, int folder) {
    const bool inUse = ctx.model.checked(field::pubboxact(folder));
    ctx.model.setEnabled(field::pubbox(folder), inUse);
    ctx.model.setEnabled(field::pubboxlength(folder), inUse);
}

std::optional<PassedKey> lengthKeyPress(Context& ctx, char key) {
    if (isDigit(key) || key == kBackspace) return key;
    ctx.host.beep();
    return std::nullopt;
}

void pubboxlengthExit(Context& ctx, int folder) {
    const std::string field = field::pubboxlength(folder);
    const int length = parseInteger(ctx.model.text(field));
    if (length == 0) {
        ctx.logAndBeep("Length should large than ZERO");
        ctx.model.requestFocus(field);
        return;
    }
    const int excess = folderExcess(ctx);
    if (excess == 0) return;
    // When the budget was already broken elsewhere the excess may swallow this whole
    // length; the folder then keeps the smallest length a folder may have.
    ctx.model.setText(field, std::to_string(std::max(1, length - excess)));
    ctx.logAndBeep("Out of total length 1024, trim down the length automatic");
}

int folderExcess(const Context& ctx) {
    long long load = 0;
    for (int folder = 0; folder < kFolders; ++folder) {
        if (ctx.model.checked(field::pubboxact(folder))) {
            load += parseInteger(ctx.model.text(field::pubboxlength(folder)));
        }
    }
    load += parseInteger(ctx.model.text(field::maxprivate));
    if (load <= kMessageStore) return 0;
    return static_cast<int>(std::min<long long>(load - kMessageStore, std::numeric_limits<int>::max()));
}

void pubboxExit(Context& ctx, int folder) { fillWithBlanks(ctx, field::pubbox(folder)); }

void hellomsgExit(Context& ctx, int line) { fillWithBlanks(ctx, field::hellomsg(line)); }

}  // namespace pagerprog::rules
