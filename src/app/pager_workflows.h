// The "&RD_From_Pager" and "&WR_To_Pager" menu commands: read a pager into the window,
// or take over its hardware calibration, write the window's settings, verify them and
// step the capcodes on for the next pager.
#pragma once

namespace pagerprog {

class PagerLink;
struct Context;

class PagerWorkflows {
public:
    PagerWorkflows(Context& ctx, PagerLink& link) : ctx_(ctx), link_(link) {}

    // Reads the pager into the load buffer; only a read that passes its checks replaces
    // the image and the settings. True when the settings now hold the pager's.
    bool ReadFromPager();
    // True when the pager verified ("Verify OK !") and the addresses were stepped on. A
    // cancel the technician asked for is taken up after the read-back (the pager is
    // unchanged) or before the verify pass (it holds the new settings, not verified).
    bool WriteToPager();

private:
    bool readBackHardware();
    void stepAddresses();

    Context& ctx_;
    PagerLink& link_;
};

}  // namespace pagerprog
