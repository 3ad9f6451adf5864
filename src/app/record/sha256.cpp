#include "app/record/sha256.h"

#include <nettle/base16.h>
#include <nettle/sha2.h>

namespace pagerprog {

std::string sha256Hex(std::span<const std::uint8_t> data) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, data.size(), data.data());
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    std::string text(BASE16_ENCODE_LENGTH(sizeof digest), '\0');
    base16_encode_update(text.data(), sizeof digest, digest);
    return text;
}

}  // namespace pagerprog
