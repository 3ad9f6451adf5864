#include "app/document/document.h"

#include "app/record/sha256.h"
#include "context/context.h"
#include "settings/conversion.h"
#include "settings/encoder.h"

namespace pagerprog {

void markSettingsKept(Context& ctx, const std::string& path, const Image* fileBytes) {
    ProgramState& p = ctx.program;
    p.settingsFile = path;
    p.settingsFileSha256 = fileBytes != nullptr ? sha256Hex(*fileBytes) : std::string();
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

const std::string& documentPath(const Context& ctx) { return ctx.program.settingsFile; }

}  // namespace pagerprog
