// Finds reject words in GBK message text, matching whole characters only.
//
// The word list is compiled once into an Aho-Corasick automaton laid out as a
// double array, so a search is one pass over the text that allocates nothing
// and costs about the same for a hundred words as for tens of thousands.
//
// Characters are found by scanning the text from its start: a byte 0x81..0xFE
// followed by a byte 0x40..0xFE other than 0x7F is one two-byte character, any
// other byte is a character of its own. The automaton reads the second byte of
// a two-byte character as a symbol distinct from the same byte standing alone,
// so a word can only match from the first byte of a character, and matches are
// only looked at where a character ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Dmg {

class RejectWordMatcher {
public:
    // Matches nothing.
    RejectWordMatcher() = default;
    // `words` are GBK byte strings; empty ones are ignored, duplicates kept once.
    explicit RejectWordMatcher(const std::vector<std::string>& words);

    // True when a word occupies whole characters of `text`; then *found (when
    // not null) receives it. Of several occurrences the one that ends first
    // wins, and of the words ending there the longest. Only the copy into
    // *found may allocate.
    bool find(std::string_view text, std::string* found) const;

    // Number of distinct words.
    std::size_t size() const { return m_words.size(); }

private:
    // One slot of the double array. A slot is a state when `check` names its
    // parent; the root is slot 0. The fields a search reads after entering a
    // state sit together, so a step costs one cache line.
    struct State {
        std::int32_t check = -1;  // parent state; -1 for the root and unused slots
        std::int32_t base = 0;    // the child on symbol c is slot base + c
        std::int32_t fail = 0;    // state of the longest proper suffix
        std::int32_t word = -1;   // longest word that ends here (index), or -1
    };
    class Builder;

    // The state after reading `symbol` in `state`, following fail links down
    // to the root, whose transitions `rootNext` holds for every symbol.
    static std::int32_t next(const State* states, const std::int32_t* rootNext, std::int32_t state,
                             unsigned symbol);

    std::vector<State> m_states;
    std::vector<std::int32_t> m_rootNext;  // the root's next state for every symbol
    std::vector<std::string> m_words;
};

}  // namespace Dmg
