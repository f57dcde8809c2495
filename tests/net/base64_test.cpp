#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "contracts/net/CMessageDigestV.h"

namespace {

// Encodes into the documented buffer size plus guard bytes that must stay.
std::string encode(std::string in, int length, std::size_t encoded) {
    const std::size_t size = 4 * ((encoded + 2) / 3) + 1;
    std::vector<char> out(size + 8, '\x7f');
    MD5::CMessageDigestV().base64_encode(in, length, out.data());
    EXPECT_EQ(std::string(out.begin() + size - 1, out.end()), '\0' + std::string(8, '\x7f'));
    return out.data();
}

// Lengths are clamped to the string; a buffer sized for the clamped length
// is enough.
TEST(Base64, KnownVectorsAndClampedLengths) {
    std::string heap(100, 'q'), whole;  // on the heap, so a read beyond it is caught
    for (int i = 0; i < 33; ++i) whole += "cXFx";
    whole += "cQ==";
    const struct {
        std::string in;
        int length;
        std::size_t encoded;
        std::string out;
    } cases[] = {
        // RFC 4648, then the GBK bytes D5 C5 C8 FD of a name.
        {"", 0, 0, ""}, {"f", 1, 1, "Zg=="}, {"fo", 2, 2, "Zm8="}, {"foo", 3, 3, "Zm9v"},
        {"张三", 4, 4, "1cXI/Q=="}, {std::string("\0\xff\xfe", 3), 3, 3, "AP/+"},
        {heap, 3, 3, "cXFx"}, {heap, 100, 100, whole}, {heap, 101, 100, whole},
        {heap, 1 << 30, 100, whole}, {heap, -5, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out + " length " + std::to_string(c.length));
        EXPECT_EQ(encode(c.in, c.length, c.encoded), c.out);
    }
    // Nowhere to write: nothing happens, so the child exits normally.
    EXPECT_EXIT((MD5::CMessageDigestV().base64_encode(heap, 3, nullptr), std::exit(0)),
                ::testing::ExitedWithCode(0), "");
}

}  // namespace
