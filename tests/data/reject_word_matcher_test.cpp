#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "components/data/filters/RejectWordMatcher.h"

namespace {

using Dmg::RejectWordMatcher;
using Strings = std::vector<std::string>;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) out += static_cast<char>(v);
    return out;
}

// The matcher's answer as a string: the word found, or "-" for none.
std::string answer(const RejectWordMatcher& matcher, const std::string& text) {
    std::string found = "untouched";
    return matcher.find(text, &found) ? found : "-";
}

struct Row {
    const char* name;
    Strings words;
    std::string text;
    std::string expected;  // the word found, "-" for none
};

void expectAll(const std::vector<Row>& rows) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RejectWordMatcher matcher(row.words);
        EXPECT_EQ(answer(matcher, row.text), row.expected);
        EXPECT_EQ(matcher.find(row.text, nullptr), row.expected != "-");
    }
}

// Readable cases of the rule; the random test below covers the byte classes.
TEST(RejectWordMatcherTest, MatchesWholeCharactersEndingFirstThenLongest) {
    const std::string b0a1 = bytes({0xB0, 0xA1}), leadB0 = bytes({0xB0});
    expectAll({
        {"pair inside two characters", {b0a1}, bytes({0xA1, 0xB0, 0xA1, 0xB0}), "-"},
        {"pair on a boundary", {b0a1}, "A" + b0a1, b0a1},
        {"ASCII word on a trail byte", {"A"}, bytes({0x81, 0x41}), "-"},
        {"0x7F ends no two-byte character", {"\x7f"}, bytes({0x81, 0x7F}), "\x7f"},
        {"lone lead word inside a pair", {leadB0}, b0a1, "-"},
        {"Chinese word in Chinese text", {"发票"}, "代开发票，电话", "发票"},
        {"NUL inside text and word", {std::string("a\0b", 3)}, std::string("x\0a\0b", 5),
         std::string("a\0b", 3)},
        {"same end: longest", {"bc", "abc", "c"}, "xabcx", "abc"},
        {"contained word ends first", {"abcd", "bc"}, "abcd", "bc"},
        {"Chinese suffix word", {"发票", "开发票"}, "代开发票", "开发票"},
        {"only empty words", {"", ""}, "abc", "-"},
    });
    EXPECT_FALSE(RejectWordMatcher().find("abc", nullptr));
    EXPECT_EQ(RejectWordMatcher(Strings{"b", "", "a", "b", "发票", "发票"}).size(), 3u);
}

TEST(RejectWordMatcherTest, WordAtTheEndOfAHugeText) {
    std::string text;
    for (int i = 0; i < 200000; ++i) text += i % 3 == 0 ? "中文" : "ab";
    const RejectWordMatcher matcher(Strings{"文中b", "中文z"});
    EXPECT_EQ(answer(matcher, text), "-");
    EXPECT_EQ(answer(matcher, text + "中文z"), "中文z");
}

// What the matcher must answer, found the slow way: every word at every
// character start, earliest end first, longest on a tie.
std::string reference(const Strings& words, const std::string& text) {
    std::vector<bool> boundary(text.size() + 1, false);
    for (std::size_t i = 0; i < text.size();) {
        boundary[i] = true;
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto trail = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        const bool pair =
            lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
        i += pair ? 2 : 1;
    }
    boundary[text.size()] = true;
    for (std::size_t end = 1; end <= text.size(); ++end) {
        std::string best;
        for (const auto& w : words) {
            if (w.empty() || w.size() > end || w.size() <= best.size()) continue;
            const std::size_t start = end - w.size();
            if (boundary[start] && boundary[end] && text.compare(start, w.size(), w) == 0) best = w;
        }
        if (!best.empty()) return best;
    }
    return "-";
}

TEST(RejectWordMatcherTest, AgreesWithNaiveSearchOnRandomInput) {
    // Lead bytes, trail-only bytes, bytes that are both, and bytes that are neither.
    const std::string alphabet =
        bytes({0x00, 0x40, 0x41, 0x7F, 0x80, 0x81, 0xA1, 0xB0, 0xFE, 0xFF});
    std::mt19937 rng(20240611);
    auto randomString = [&](std::size_t maxLength) {
        std::string s(rng() % (maxLength + 1), '\0');
        for (char& c : s) c = alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 4000; ++round) {
        Strings words(1 + rng() % 6);
        for (auto& w : words) w = randomString(4);
        const std::string text = randomString(24);
        const RejectWordMatcher matcher(words);
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(answer(matcher, text), reference(words, text));
    }
}

}  // namespace
