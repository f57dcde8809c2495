#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "components/data/filters/RejectWordMatcher.h"

namespace {

using Dmg::RejectWordMatcher;
using Strings = std::vector<std::string>;

// The matcher's answer as a string: the word found, or "-" for none.
std::string answer(const RejectWordMatcher& matcher, const std::string& text) {
    std::string found = "untouched";
    return matcher.find(text, &found) ? found : "-";
}

// Readable cases of the rule; the random test below covers the byte classes.
TEST(RejectWordMatcherTest, MatchesWholeCharactersEndingFirstThenLongest) {
    const struct {
        const char* name;
        Strings words;
        std::string text, expected;  // the word found, "-" for none
    } rows[] = {
        {"Chinese word in Chinese text", {"发票"}, "代开发票，电话", "发票"},
        {"pair inside two characters", {"\xb0\xa1"}, "\xa1\xb0\xa1\xb0", "-"},
        {"contained word ends first", {"abcd", "bc"}, "abcd", "bc"},
        {"same end: longest", {"发票", "开发票"}, "代开发票", "开发票"},
        {"only empty words", {"", ""}, "abc", "-"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const RejectWordMatcher matcher(row.words);
        EXPECT_EQ(answer(matcher, row.text), row.expected);
        EXPECT_EQ(matcher.find(row.text, nullptr), row.expected != "-");
    }
    EXPECT_FALSE(RejectWordMatcher().find("abc", nullptr));
    EXPECT_EQ(RejectWordMatcher(Strings{"b", "", "a", "b", "发票", "发票"}).size(), 3u);
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
    const std::string alphabet("\x00\x40\x41\x7F\x80\x81\xA1\xB0\xFE\xFF", 10);
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
