// SHA-256 against the FIPS 180-4 examples, the padding boundaries (where a wrong length
// field or a missing second padding block shows) and images the record already names.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/record/sha256.h"

namespace pagerprog {
namespace {

std::string hashOf(const std::string& text) {
    return sha256Hex({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

TEST(Sha256, FipsExamples) {
    struct Case {
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopq"
         "rstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) EXPECT_EQ(hashOf(c.message), c.digest) << c.message.size() << " bytes";
}

TEST(Sha256, LengthsAroundTheBlockEdge) {
    // 55 bytes is the longest message whose padding fits one block; 56 needs a second.
    const std::pair<std::size_t, const char*> cases[] = {
        {55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
    };
    for (const auto& [length, digest] : cases) EXPECT_EQ(hashOf(std::string(length, 'a')), digest) << length;
}

// Digests of 2048-byte images as sha256sum gives them: a pattern, and settings files whose
// digests records already hold.
TEST(Sha256, Images) {
    std::string pattern(2048, '\0');
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>(i * 7 + 5);
    EXPECT_EQ(hashOf(pattern), "97102371acefb84c3ecd09e8b5ad078541d08eed38011cfaeb8378f9214d9c5a");
    const std::pair<const char*, const char*> files[] = {
        {"TV8-Cirro.eep", "743f9af9c8b90b2c856b87b85ba0e6ac022c113ed4622ed7f49a421e2ca5c7cb"},
        {"TV7r2-Cirro.eep", "54d6c7cbb00e0a7d7023532eaaac9c79c55a048920c66609bc34f613c44d6ebe"},
    };
    for (const auto& [name, digest] : files) {
        std::ifstream file(std::string(PAGERPROG_TEST_DATA_DIR) + "/" + name, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        ASSERT_EQ(bytes.size(), 2048u) << name;
        EXPECT_EQ(hashOf(bytes), digest) << name;
    }
}

}  // namespace
}  // namespace pagerprog
