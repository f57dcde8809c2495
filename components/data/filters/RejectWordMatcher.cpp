#include "components/data/filters/RejectWordMatcher.h"

#include <algorithm>
#include <utility>

namespace Dmg {
namespace {

using Symbol = std::uint16_t;

// Symbols 0..255 are a byte that begins a character; the second byte t of a
// two-byte character is the symbol kTrailSymbols + (t - 0x40).
constexpr unsigned kTrailSymbols = 256;
constexpr unsigned kAlphabet = kTrailSymbols + (0xFF - 0x40);

inline bool isLeadByte(unsigned byte) { return byte - 0x81u < 0x7Eu; }
inline bool isTrailByte(unsigned byte) { return byte - 0x40u < 0xBFu && byte != 0x7Fu; }
inline unsigned trailSymbol(unsigned byte) { return kTrailSymbols + (byte - 0x40u); }

// The symbols of a word, read as GBK from its own first byte. A lead byte at
// the end stays a one-byte character and so only matches a lone lead byte.
std::vector<Symbol> toSymbols(const std::string& word) {
    std::vector<Symbol> out;
    out.reserve(word.size());
    for (std::size_t i = 0; i < word.size(); ++i) {
        const unsigned byte = static_cast<unsigned char>(word[i]);
        out.push_back(static_cast<Symbol>(byte));
        if (isLeadByte(byte) && i + 1 < word.size()) {
            const unsigned trail = static_cast<unsigned char>(word[i + 1]);
            if (isTrailByte(trail)) {
                out.push_back(static_cast<Symbol>(trailSymbol(trail)));
                ++i;
            }
        }
    }
    return out;
}

}  // namespace

std::int32_t RejectWordMatcher::next(const State* states, const std::int32_t* rootNext,
                                     std::int32_t state, unsigned symbol) {
    while (state != 0) {
        const std::int32_t child = states[state].base + static_cast<std::int32_t>(symbol);
        if (states[child].check == state) return child;
        state = states[state].fail;
    }
    return rootNext[symbol];
}

// Builds a plain trie, lays it out as a double array breadth first (first fit,
// so shallow states, which searches visit most, end up close together), then
// fills in fail links and outputs.
class RejectWordMatcher::Builder {
public:
    explicit Builder(const std::vector<std::string>& words);

    std::vector<State> takeStates();
    std::vector<std::int32_t> takeRootNext() { return std::move(m_rootNext); }
    std::vector<std::string> takeWords() { return std::move(m_words); }

private:
    using Children = std::vector<std::pair<Symbol, std::int32_t>>;  // symbol, trie node
    struct Node {
        Children children;
        std::int32_t word = -1;
    };

    void add(const std::string& word);
    std::int32_t child(std::int32_t node, Symbol symbol);
    void layOut();
    std::int32_t findBase(const Children& children) const;
    bool fits(std::int32_t base, const Children& children) const;
    void grow(std::size_t size);
    void occupy(std::int32_t slot);
    void link();

    std::vector<Node> m_trie;
    std::vector<std::string> m_words;
    std::vector<std::int32_t> m_slotOf;  // trie node -> slot
    std::vector<std::int32_t> m_order;   // trie nodes, breadth first
    std::vector<State> m_states;
    std::vector<std::int32_t> m_rootNext;
    // Free slots below m_states.size(), as a doubly linked list in slot order.
    std::vector<std::int32_t> m_nextFree;
    std::vector<std::int32_t> m_prevFree;
    std::int32_t m_freeHead = -1;
    std::int32_t m_freeTail = -1;
};

RejectWordMatcher::Builder::Builder(const std::vector<std::string>& words) : m_trie(1) {
    for (const auto& word : words) add(word);
    if (m_words.empty()) return;
    layOut();
    link();
}

std::vector<RejectWordMatcher::State> RejectWordMatcher::Builder::takeStates() {
    m_states.shrink_to_fit();
    return std::move(m_states);
}

void RejectWordMatcher::Builder::add(const std::string& word) {
    if (word.empty()) return;
    std::int32_t node = 0;
    for (const Symbol symbol : toSymbols(word)) node = child(node, symbol);
    if (m_trie[node].word >= 0) return;
    m_trie[node].word = static_cast<std::int32_t>(m_words.size());
    m_words.push_back(word);
}

std::int32_t RejectWordMatcher::Builder::child(std::int32_t node, Symbol symbol) {
    for (const auto& [s, next] : m_trie[node].children) {
        if (s == symbol) return next;
    }
    const auto created = static_cast<std::int32_t>(m_trie.size());
    m_trie.emplace_back();
    m_trie[node].children.emplace_back(symbol, created);
    return created;
}

void RejectWordMatcher::Builder::layOut() {
    m_slotOf.assign(m_trie.size(), -1);
    m_order.reserve(m_trie.size());
    // The root is slot 0. The slots below kAlphabet are never handed out, so
    // every base taken from a free slot is at least 1 and no child lands on 0.
    grow(kAlphabet);
    for (std::int32_t slot = 0; slot < static_cast<std::int32_t>(kAlphabet); ++slot) occupy(slot);
    m_slotOf[0] = 0;
    m_order.push_back(0);
    std::int32_t maxBase = 0;
    for (std::size_t i = 0; i < m_order.size(); ++i) {
        const std::int32_t node = m_order[i];
        Children& children = m_trie[node].children;
        if (children.empty()) continue;
        std::sort(children.begin(), children.end());
        const std::int32_t parent = m_slotOf[node];
        const std::int32_t base = findBase(children);
        m_states[parent].base = base;
        maxBase = std::max(maxBase, base);
        grow(static_cast<std::size_t>(base) + children.back().first + 1);
        for (const auto& [symbol, next] : children) {
            const std::int32_t slot = base + symbol;
            occupy(slot);
            m_states[slot].check = parent;
            m_slotOf[next] = slot;
            m_order.push_back(next);
        }
    }
    // A search computes base + symbol for every state, leaves (base 0)
    // included, without a bounds check.
    grow(static_cast<std::size_t>(maxBase) + kAlphabet);
}

// A base whose child slots are all free, trying the lowest free slots first.
// Rows of many children rarely fit into the holes left by earlier rows, so the
// search gives up after a few holes and places the row at the end; the holes
// are filled later by the many states with a single child.
std::int32_t RejectWordMatcher::Builder::findBase(const Children& children) const {
    constexpr int kHolesTried = 32;
    const std::int32_t first = children.front().first;
    int tried = 0;
    for (std::int32_t slot = m_freeHead; slot >= 0 && tried < kHolesTried;
         slot = m_nextFree[slot], ++tried) {
        if (fits(slot - first, children)) return slot - first;
    }
    return static_cast<std::int32_t>(m_states.size()) - first;
}

bool RejectWordMatcher::Builder::fits(std::int32_t base, const Children& children) const {
    return std::all_of(children.begin(), children.end(), [&](const auto& entry) {
        const auto slot = static_cast<std::size_t>(base) + entry.first;
        return slot >= m_states.size() || m_states[slot].check < 0;
    });
}

void RejectWordMatcher::Builder::grow(std::size_t size) {
    while (m_states.size() < size) {
        const auto slot = static_cast<std::int32_t>(m_states.size());
        m_states.emplace_back();
        m_prevFree.push_back(m_freeTail);
        m_nextFree.push_back(-1);
        (m_freeTail >= 0 ? m_nextFree[m_freeTail] : m_freeHead) = slot;
        m_freeTail = slot;
    }
}

void RejectWordMatcher::Builder::occupy(std::int32_t slot) {
    const std::int32_t prev = m_prevFree[slot];
    const std::int32_t next = m_nextFree[slot];
    (prev >= 0 ? m_nextFree[prev] : m_freeHead) = next;
    (next >= 0 ? m_prevFree[next] : m_freeTail) = prev;
}

// Breadth first, so the fail target of a child and that target's output are
// always settled before the child needs them.
void RejectWordMatcher::Builder::link() {
    m_rootNext.assign(kAlphabet, 0);
    for (const auto& [symbol, next] : m_trie[0].children) m_rootNext[symbol] = m_slotOf[next];
    for (const std::int32_t node : m_order) {
        const std::int32_t slot = m_slotOf[node];
        const State parent = m_states[slot];
        for (const auto& [symbol, next] : m_trie[node].children) {
            State& state = m_states[parent.base + symbol];
            state.fail = slot == 0 ? 0
                                   : RejectWordMatcher::next(m_states.data(), m_rootNext.data(),
                                                             parent.fail, symbol);
            const std::int32_t own = m_trie[next].word;
            state.word = own >= 0 ? own : m_states[state.fail].word;
        }
    }
}

RejectWordMatcher::RejectWordMatcher(const std::vector<std::string>& words) {
    Builder builder(words);
    m_states = builder.takeStates();
    m_words = builder.takeWords();
    m_rootNext = builder.takeRootNext();
}

bool RejectWordMatcher::find(std::string_view text, std::string* found) const {
    if (m_words.empty()) return false;
    const State* states = m_states.data();
    const std::int32_t* rootNext = m_rootNext.data();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::int32_t state = 0;
    // Whether the previous byte ended a character is only known at the next
    // byte, so the word ending there waits one byte. Deciding without a
    // lookahead keeps the loop free of branches on the mix of text.
    std::int32_t pending = -1;
    bool afterLead = false;  // the previous byte is a lead byte that began a character
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned byte = bytes[i];
        const bool trail = afterLead && isTrailByte(byte);
        if (pending >= 0 && !trail) break;
        afterLead = !trail && isLeadByte(byte);
        state = next(states, rootNext, state, trail ? trailSymbol(byte) : byte);
        pending = states[state].word;
    }
    if (pending < 0) return false;
    if (found != nullptr) *found = m_words[pending];
    return true;
}

}  // namespace Dmg
