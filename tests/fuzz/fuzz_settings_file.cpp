// Opens a settings file and saves it again. No crash; a file that was accepted keeps
// every byte no setting owns; and the saved file, opened in a second program, shows
// every field as the first showed it, but for the fields the first named as stored
// otherwise. Byte 0 picks the revision and whether the customer byte and checksum are
// made right (so most inputs get past the file checks) or left as they come.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_bench.h"
#include "settings/image_layout.h"
#include "support/shown_values.h"

using namespace pagerprog;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 2 * kImageSize) return 0;
    const Revision revision = fuzz::revisionOf(data[0]);
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    if ((data[0] & 0x80) == 0 && bytes.size() >= kImageSize) {
        Image image;
        std::copy_n(bytes.begin(), kImageSize, image.begin());
        image[kCustomerOffset] = 0;  // the customer the programs start with
        setImageChecksum(image);
        std::copy(image.begin(), image.end(), bytes.begin());
    }
    const auto file = fuzz::scratchFolder() / "input.eep";
    const auto saved = fuzz::scratchFolder() / "saved.eep";
    fuzz::writeFile(file, bytes.data(), bytes.size());

    fuzz::Program first(revision);
    if (!first.open(file)) return 0;
    const Image loaded = first.app.program().loadBuffer;
    first.host.clear();
    if (!first.save(saved)) return 0;
    const Image& written = first.app.program().image;
    for (const KeptBytes& run : keptBytes(layoutOf(revision))) {
        if (std::string_view(run.name) == kept::modelCode) continue;  // the customer profile writes it
        for (std::size_t i = run.offset; i < std::size_t{run.offset} + run.length; ++i) {
            if (written[i] != loaded[i]) std::abort();  // a byte no setting owns was changed
        }
    }

    fuzz::Program second(revision);
    if (!second.open(saved)) std::abort();  // a file the program saved must open again
    const auto named = testing::fieldsNamedIn(first.host.logLines);
    for (const std::string& field :
         testing::fieldsShownOtherwise(first.app.model(), second.app.model(), layoutOf(revision))) {
        if (named.count(field) == 0) std::abort();  // saved otherwise than shown, without a word
    }
    return 0;
}
