#include "app/pager/link_tools.h"

#include "app/document/application.h"
#include "link/pager_link.h"

namespace pagerprog {

namespace {

FileDialogDef traceFileDialog() {
    return {{{"Value change dump (*.vcd)", "*.vcd"}, {"All files (*.*)", "*.*"}}, "vcd"};
}

bool toggleBusTrace(Context& ctx, PagerLink& link) {
    SettingsModel& m = ctx.model;
    if (m.element(element::busTrace).checked) {
        ctx.host.log("Bus trace ended: " + link.trace()->path());
        link.stopTrace();
        m.setElementChecked(element::busTrace, false);
        return true;
    }
    const auto path = ctx.host.saveFileDialog(traceFileDialog());
    if (!path) return false;
    if (auto error = link.startTrace(*path)) {
        ctx.logAndBeep(*error);
        return false;
    }
    m.setElementChecked(element::busTrace, true);
    ctx.host.log("Bus trace to " + *path);
    return true;
}

}  // namespace

void attachLinkTools(Application& app, PagerLink& link) {
    Context& ctx = app.context();
    app.setMenuCommand(element::busTrace, [&ctx, &link] { return toggleBusTrace(ctx, link); });
    app.setMenuCommand(element::ackPolling, [&ctx, &link] {
        const bool on = !ctx.model.element(element::ackPolling).checked;
        link.timing().acknowledgePolling = on;
        ctx.model.setElementChecked(element::ackPolling, on);
        return true;
    });
}

}  // namespace pagerprog
