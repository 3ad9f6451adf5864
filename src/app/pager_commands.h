// Plugs the pager link into the application: the read and write menu commands, the bus
// timing track bars and "&Exit".
#pragma once

namespace pagerprog {

class Application;
class Clock;
class PagerLink;

// Call before Application::start, so that start-up's track-bar levels reach the timing.
void attachPagerLink(Application& app, PagerLink& link, Clock& clock);

}  // namespace pagerprog
