// Decode, encode, decode again: whatever image comes in, one round through the settings
// settles it, so a second round changes nothing. Byte 0 picks the revision.
#include <cstdint>
#include <cstdlib>

#include "fuzz_bench.h"
#include "settings/decoder.h"
#include "settings/encoder.h"

using namespace pagerprog;

namespace {

Image roundTrip(Revision revision, const Image& image) {
    Host quiet;
    Context ctx(quiet);
    ctx.program.hardwareRevision = revision;
    ctx.program.channelStep = 6250;
    ctx.program.image = image;
    decodeImage(ctx);
    encodeImage(ctx);
    return ctx.program.image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const Revision revision = fuzz::revisionOf(data[0]);
    Image image;
    image.fill(0xFF);
    std::copy_n(data + 1, std::min(size - 1, kImageSize), image.begin());
    const Image once = roundTrip(revision, image);
    if (roundTrip(revision, once) != once) std::abort();
    return 0;
}
