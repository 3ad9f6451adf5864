#include "app/document/file_commands.h"

#include "app/document/document.h"
#include "app/document/image_steps.h"
#include "context/context.h"
#include "settings/settings_file.h"

namespace pagerprog {

bool Open1(Context& ctx) {
    const auto path = ctx.host.openFileDialog(settingsFileDialog());
    if (!path) return false;
    ctx.host.log("Load data from " + *path);
    const ReadOutcome read = readSettingsFile(*path, ctx.program.loadBuffer);
    if (!read.read) {
        ctx.logAndBeep("Load file error");
        ctx.host.log(read.error);
        return false;
    }
    const IncomingImage checks{"File checksum error", edition::factoryEdition ? nullptr : "File not for this model!",
                               6};  // slots 7 and 8 are left as they are
    const bool loaded = acceptIncomingImage(ctx, checks, [&ctx] { ctx.host.log("File loaded"); }) == Incoming::Accepted;
    if (loaded) {
        markSettingsKept(ctx, *path, &ctx.program.loadBuffer);
    } else if (const std::string why = lengthProblem(read.length); !why.empty()) {
        ctx.host.log(why);
    }
    return loaded;
}

bool Save1(Context& ctx) {
    const auto path = ctx.host.saveFileDialog(settingsFileDialog());
    if (!path) return false;
    ctx.host.log("Save data to " + *path);
    if (!prepareOutgoingImage(ctx, "Not saved: the image would not hold what is shown.")) return false;
    const SaveOutcome outcome = writeImageFile(*path, ctx.program.image);
    if (!outcome.saved) {
        ctx.logAndBeep("write error!");
        return false;
    }
    if (outcome.inPlace) ctx.host.log("The folder takes no temporary file: the file was written in place.");
    ctx.host.log("ok!");
    markSettingsKept(ctx, *path, &ctx.program.image);
    return true;
}

}  // namespace pagerprog
