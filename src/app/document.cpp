#include "app/document.h"

#include "settings/conversion.h"
#include "settings/encoder.h"
#include "settings/program_state.h"

namespace pagerprog {

void markSettingsKept(Context& ctx, const std::string& path) {
    ProgramState& p = ctx.program;
    p.documentPath = path;
    try {
        p.savedSettings = encodedImage(ctx);
    } catch (const ConversionError&) {
        p.savedSettings.reset();  // nothing to compare with: any later state counts as changed
    }
}

bool settingsModified(const Context& ctx) {
    const auto& saved = ctx.program.savedSettings;
    if (!saved) return true;
    try {
        return encodedImage(ctx) != *saved;
    } catch (const ConversionError&) {
        return true;
    }
}

const std::string& documentPath(const Context& ctx) { return ctx.program.documentPath; }

}  // namespace pagerprog
