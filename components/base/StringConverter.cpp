#include "contracts/base/StringConverter.h"

#include <charconv>
#include <climits>

namespace Base {

namespace {

template <typename Int>
std::string decimal(Int value) {
    char buf[24];  // 20 digits of a 64-bit value plus sign
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string StringConverter::toString(short value) { return decimal(value); }
std::string StringConverter::toString(unsigned short value) { return decimal(value); }
std::string StringConverter::toString(int value) { return decimal(value); }
std::string StringConverter::toString(unsigned int value) { return decimal(value); }
std::string StringConverter::toString(long value) { return decimal(value); }
std::string StringConverter::toString(unsigned long value) { return decimal(value); }
std::string StringConverter::toString(long long value) { return decimal(value); }
std::string StringConverter::toString(unsigned long long value) { return decimal(value); }

int StringConverter::toInt(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isAsciiSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Accumulate as a negative number: its range covers INT_MIN.
    const int limit = negative ? INT_MIN : -INT_MAX;
    int value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value < (limit + digit) / 10) return negative ? INT_MIN : INT_MAX;
        value = value * 10 - digit;
    }
    return negative ? value : -value;
}

}  // namespace Base
