// The commands on settings files: show, new, edit and diff.
#pragma once

#include "cli/cli_options.h"
#include "cli/session.h"

namespace pagerprog::cli {

int show(Session& session, const Options& options);
int editAndSave(Session& session, const Options& options);
// diff(1)'s statuses: 0 equal, 1 different, 2 trouble (a file it cannot load included).
int diff(const Options& options, Console& console);

// Applies the command line's edits; false (after saying why) when one was refused. An
// edit not understood is a UsageError.
bool applyEdits(Session& session, const FieldEdits& edits);

// new, edit and write refuse to go on without the language file: the image would carry
// other prompt texts than the window's. False (after saying so) when they must not.
bool promptsAreTheWindows(Session& session, const Options& options);

}  // namespace pagerprog::cli
