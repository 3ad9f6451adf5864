// The pager commands: "&RD_From_Pager" reads a pager into the window; "&WR_To_Pager"
// takes over the pager's hardware calibration, writes the window's settings, verifies
// them and steps the capcodes on for the next pager. Beside them: comparing a pager with
// what a write would send, without writing, and writing a kept image back as it is.
// Every attempt is kept in the production record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/pager/pager_outcome.h"
#include "app/pager/pager_transfer.h"
#include "app/production/production.h"
#include "app/record/record_types.h"
#include "settings/eeprom_image.h"

namespace pagerprog {

class PagerLink;
class Production;
struct Context;

class PagerWorkflows {
public:
    PagerWorkflows(Context& ctx, PagerLink& link, Production& production)
        : ctx_(ctx), link_(link), production_(production) {}

    // Reads the pager into the load buffer; only a read that passes its checks replaces
    // the image and the settings. True when the settings now hold the pager's.
    bool ReadFromPager();
    // True when the pager verified ("Verify OK !") and the addresses were stepped on. A
    // cancel the technician asked for is taken up after the read-back (the pager is
    // unchanged) or before the verify pass (it holds the new settings, not verified).
    bool WriteToPager();
    // Reads the pager and compares it with the image writing the settings would send (the
    // write's hardware read-back applies); nothing is written. True when they agree.
    bool VerifyPager();
    // Writes a kept image back exactly as it is and verifies it; the settings stay as they
    // are. The pager is read first: unless forced, it must be the pager the row that kept the
    // image wrote (it holds what the row wrote, or, cut short, a mix of that and the kept
    // image), so that another pager is never given this one's image. The status log (and so
    // the record) first says where the image comes from.
    struct Restore {
        Image image;  // the image the row kept of the pager before it wrote
        std::int64_t sourceRow = 0;
        std::string writtenSha256;     // of what the row wrote
        std::optional<Image> written;  // what the row wrote, where the record kept it
        bool force = false;
    };
    bool RestorePager(const Restore& restore);

    // How the last command ended, and the bytes its verify found different.
    PagerOutcome lastOutcome() const { return lastAttempt_ ? lastAttempt_->outcome : PagerOutcome::Done; }
    const std::vector<ByteDifference>& lastDifferences() const { return lastDifferences_; }
    // The last command's attempt as it was recorded (none before the first), and how many
    // writes verified since the program started.
    const std::optional<PagerAttempt>& lastAttempt() const { return lastAttempt_; }
    int verifiedWrites() const { return verifiedWrites_; }

private:
    PagerOutcome read(PagerAttempt& attempt);
    PagerOutcome write(PagerAttempt& attempt);
    PagerOutcome verify(PagerAttempt& attempt);
    PagerOutcome restore(PagerAttempt& attempt, const Restore& restore);
    template <typename Command>
    bool attempt(Operation operation, Command command);
    PagerOutcome readPager(bool hardwareReadBack);
    PagerOutcome sendAndVerify(PagerAttempt& attempt, Image& image, const VerifyGate& verifyStarting);
    void reportDifferences(const std::vector<ByteDifference>& differences);
    bool takesHardwareReadBack() const;

    Context& ctx_;
    PagerLink& link_;
    Production& production_;
    std::optional<PagerAttempt> lastAttempt_;
    std::vector<ByteDifference> lastDifferences_;
    int verifiedWrites_ = 0;
};

}  // namespace pagerprog
