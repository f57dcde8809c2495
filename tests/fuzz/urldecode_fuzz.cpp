// URL form decoding in place, on any bytes: the result never outgrows the
// input and is terminated; what urlencode makes of the input decodes back to
// it. Built by GCC with the rest of the composition code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzFields.h"
#include "send/CSmsMsgProcessor.h"

namespace {

using SMS::CSmsMsgProcessor;

bool isUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool isKept(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
           c == '.' || c == '_' || c == '+';
}

// Only unreserved bytes, '+' and %XX escapes.
bool isEncoded(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isKept(text[i])) continue;
        if (text[i] != '%' || i + 2 >= text.size() || !isUpperHex(text[i + 1]) ||
            !isUpperHex(text[i + 2])) {
            return false;
        }
        i += 2;
    }
    return true;
}

std::string decoded(std::string text) {
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('x');  // room for the terminator
    const int length = CSmsMsgProcessor::urldecode(buf.data(), static_cast<int>(text.size()));
    fuzz::require(length >= 0 && static_cast<std::size_t>(length) <= text.size(),
                  "decoding never grows the text");
    fuzz::require(buf[static_cast<std::size_t>(length)] == '\0', "the decoded text is terminated");
    return std::string(buf.data(), static_cast<std::size_t>(length));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::asString(data, size);
    const std::string plain = decoded(input);
    if (input.find_first_of("%+") == std::string::npos) {
        fuzz::require(plain == input, "text without '%' or '+' decodes to itself");
    }

    int length = -1;
    const std::unique_ptr<char, void (*)(void*)> encoded(
        CSmsMsgProcessor::urlencode(input.data(), static_cast<int>(input.size()), &length),
        std::free);
    fuzz::require(encoded != nullptr, "a short input encodes");
    const std::string text(encoded.get(), static_cast<std::size_t>(length));
    fuzz::require(std::strlen(encoded.get()) == text.size(), "the encoding is terminated");
    fuzz::require(isEncoded(text), "only unreserved bytes, '+' and %XX escapes");
    fuzz::require(decoded(text) == input, "an encoded text decodes back");
    return 0;
}
