#include "app/pager_commands.h"

#include <memory>

#include "app/application.h"
#include "link/bus_timing.h"
#include "link/pager_link.h"
#include "link/read_write_workflows.h"

namespace pagerprog {

void attachPagerLink(Application& app, PagerLink& link, Clock& clock) {
    auto workflows = std::make_shared<PagerWorkflows>(app.context(), link, clock);
    app.setMenuCommand(element::readFromPager, [workflows] { return workflows->ReadFromPager(); });
    app.setMenuCommand(element::writeToPager, [workflows] { return workflows->WriteToPager(); });
    app.setMenuCommand(element::exit, [&link] {
        link.exit();
        return true;
    });
    connectTimingTrackBars(app.model(), link.timing());
}

}  // namespace pagerprog
