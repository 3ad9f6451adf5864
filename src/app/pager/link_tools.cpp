#include "app/pager/link_tools.h"

#include <filesystem>
#include <optional>

#include "app/document/application.h"
#include "app/production/production.h"
#include "link/pager_link.h"

namespace pagerprog {

namespace {

FileDialogDef traceFileDialog() {
    return {{{"Value change dump (*.vcd)", "*.vcd"}, {"All files (*.*)", "*.*"}}, "vcd"};
}

// The files a trace must never empty: the settings and the record of the pagers written,
// or the spool that keeps what its server could not take yet.
std::optional<std::string> tracePathRefused(const Context& ctx, const Production& production, const std::string& path) {
    if (sameFile(path, ctx.program.settingsFile)) return "the settings file";
    if (!production.used()) return std::nullopt;
    if (!production.location().onServer() && sameFile(path, production.location().path().string()))
        return "the production record";
    if (sameFile(path, production.spool().path().string())) return "the production record's spool";
    return std::nullopt;
}

bool toggleBusTrace(Context& ctx, PagerLink& link, const Production& production) {
    SettingsModel& m = ctx.model;
    if (m.element(element::busTrace).checked) {
        ctx.host.log("Bus trace ended: " + link.trace()->path());
        if (const std::string& lost = link.trace()->failure(); !lost.empty()) ctx.logAndBeep(lost);
        link.stopTrace();
        m.setElementChecked(element::busTrace, false);
        return true;
    }
    const auto path = ctx.host.saveFileDialog(traceFileDialog());
    if (!path) return false;
    if (const auto refused = tracePathRefused(ctx, production, *path)) {
        ctx.logAndBeep("No trace to " + *path + ": it is " + *refused + ".");
        return false;
    }
    if (auto error = link.startTrace(*path)) {
        ctx.logAndBeep(*error);
        return false;
    }
    m.setElementChecked(element::busTrace, true);
    ctx.host.log("Bus trace to " + *path);
    return true;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error);
}

void attachLinkTools(Application& app, PagerLink& link, const Production& production) {
    Context& ctx = app.context();
    app.setMenuCommand(element::busTrace, [&ctx, &link, &production] { return toggleBusTrace(ctx, link, production); });
    app.setMenuCommand(element::ackPolling, [&ctx, &link] {
        const bool on = !ctx.model.element(element::ackPolling).checked;
        link.timing().acknowledgePolling = on;
        ctx.model.setElementChecked(element::ackPolling, on);
        return true;
    });
}

}  // namespace pagerprog
