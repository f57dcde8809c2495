// The reject-word matcher: a word list and a message text from the input
// (fields, FuzzFields.h: the words, then the text last). Its answer must be
// the one a plain search gives over the text's GBK characters: the
// occurrence that ends first, of those the longest word.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "components/data/filters/RejectWordMatcher.h"
#include "tests/fuzz/FuzzFields.h"

namespace {

// The word the matcher should report, or null.
const std::string* expected(const std::set<std::string>& words, const std::string& text) {
    const fuzz::GbkBoundaries b(text);
    for (std::size_t end = 1; end <= text.size(); ++end) {
        if (!b.ends[end]) continue;
        const std::string* best = nullptr;
        for (const std::string& word : words) {
            if (word.size() > end || !b.starts[end - word.size()]) continue;
            if (text.compare(end - word.size(), word.size(), word) != 0) continue;
            if (best == nullptr || word.size() > best->size()) best = &word;
        }
        if (best != nullptr) return best;
    }
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> fields = fuzz::splitFields(data, size);
    if (fields.empty()) return 0;
    const std::string text = fields.back();
    fields.pop_back();
    std::set<std::string> distinct;
    for (const std::string& word : fields) {
        if (!word.empty()) distinct.insert(word);
    }

    const Dmg::RejectWordMatcher matcher(fields);
    fuzz::require(matcher.size() == distinct.size(), "empty words ignored, duplicates kept once");
    std::string found = "unset";
    const bool hit = matcher.find(text, &found);
    const std::string* const want = expected(distinct, text);
    fuzz::require(hit == (want != nullptr), "a word is found where whole characters hold it");
    if (hit) fuzz::require(found == *want, "the first-ending, then longest, word is reported");
    if (!hit) fuzz::require(found == "unset", "a miss writes no word");
    fuzz::require(matcher.find(text, nullptr) == hit, "the answer does not need the word");
    return 0;
}
