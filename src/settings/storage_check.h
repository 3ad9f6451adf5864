// What is shown against what is stored: the image Save or a write would produce, read
// back and compared field by field with what the window shows. A field the image cannot
// hold as shown is named, with the value it will have and why, so that a pager never gets
// a value the technician did not see.
#pragma once

#include <string>
#include <vector>

namespace pagerprog {

struct Context;

struct StorageDifference {
    std::string field;
    std::string shown;
    std::string stored;
    std::string reason;
};

// Encodes the settings into a copy of the image and decodes that copy into a scratch
// record; the image and the settings are left as they are. Throws the encoder's
// ConversionError for a field that holds no number.
std::vector<StorageDifference> storageDifferences(const Context& ctx);

// "address4 shows 2004029 but the pager image will hold 2004024: slots 3 to 6 share ..."
std::string describe(const StorageDifference& difference);

}  // namespace pagerprog
