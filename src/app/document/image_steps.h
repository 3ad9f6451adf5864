// The two steps every image takes on its way in and out of the program. In: a settings
// file or a pager read is checked in the load buffer (checksum, customer), copied into
// the image, decoded and has the field rules re-applied. Out: the hello lines are padded,
// the settings encoded into the image and its checksum set, before a save or a write.
#pragma once

#include <functional>

namespace pagerprog {

struct Context;

// How an incoming image is checked and what is re-applied after decoding it.
struct IncomingImage {
    const char* badChecksum;    // status-log line when the checksum fails
    const char* otherCustomer;  // status-log line when it belongs to another customer; null: not checked
    int addressSlots;           // the address exit rules of slots 1 to this run after decoding
};

enum class Incoming { Accepted, BadChecksum, OtherCustomer };

// Checks the load buffer; a refusal is logged with a beep and leaves the image and the
// settings untouched. Once accepted, `accepted` runs (the caller says so), then the image
// is decoded and the frequency rule, the address exit rules and the customer profile are
// re-applied, as if the focus had left each field; a field the image would then hold
// other than it is shown is named in the status log.
Incoming acceptIncomingImage(Context& ctx, const IncomingImage& checks, const std::function<void()>& accepted);

// Pads the hello lines, names in the status log every field the image would hold other
// than it is shown, encodes the settings into the image and sets its checksum byte. Where
// such differences are refused (the command-line tool), logs `refusal` with a beep instead
// of encoding and returns false.
bool prepareOutgoingImage(Context& ctx, const char* refusal);

}  // namespace pagerprog
