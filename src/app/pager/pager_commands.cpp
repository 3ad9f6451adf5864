#include "app/pager/pager_commands.h"

#include "app/document/application.h"
#include "app/pager/link_tools.h"
#include "link/pager_link.h"

namespace pagerprog {

namespace {

// The track bars "Bus Free", "SCL hold High", "SCL hold Low" and "SDA hold" store their
// position into the bus timing at once on every change.
void connectTimingTrackBars(SettingsModel& model, BusTiming& timing) {
    const auto store = [&model](const char* trackBar, unsigned& value) {
        model.onChange(trackBar, [&model, trackBar, &value] { value = static_cast<unsigned>(model.level(trackBar)); });
    };
    store(field::TrackBar1, timing.busFreeMs);
    store(field::TrackBar2, timing.sclHighUs);
    store(field::TrackBar3, timing.sclLowUs);
    store(field::TrackBar4, timing.sdaHoldUs);
}

}  // namespace

PagerCommands::PagerCommands(Application& app, PagerLink& link)
    : presence_(app.context(), link), production_(app.context(), link), workflows_(app.context(), link, production_) {
    app.setMenuCommand(element::readFromPager, [this] { return workflows_.ReadFromPager(); });
    app.setMenuCommand(element::writeToPager, [this] { return workflows_.WriteToPager(); });
    app.setMenuCommand(element::exit, [&link] {
        link.exit();
        return true;
    });
    connectTimingTrackBars(app.model(), link.timing());
    attachLinkTools(app, link, production_);
}

}  // namespace pagerprog
