#include "link/bus_timing.h"

#include "settings/settings_model.h"

namespace pagerprog {

void connectTimingTrackBars(SettingsModel& model, BusTiming& timing) {
    const auto store = [&model](const char* trackBar, unsigned& value) {
        model.onChange(trackBar, [&model, trackBar, &value] { value = static_cast<unsigned>(model.level(trackBar)); });
    };
    store("TrackBar1", timing.busFreeMs);
    store("TrackBar2", timing.sclHighUs);
    store("TrackBar3", timing.sclLowUs);
    store("TrackBar4", timing.sdaHoldUs);
}

}  // namespace pagerprog
