#include "components/data/stores/HistoryText.h"

namespace Dmg::historytext {
namespace {

// Length of the character at `i`: two bytes for a GBK lead byte followed by
// a valid trail byte, else one (ASCII, or a stray byte).
std::size_t charLength(const std::string& s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x81 || lead == 0xFF || i + 1 >= s.size()) return 1;
    const auto trail = static_cast<unsigned char>(s[i + 1]);
    return trail >= 0x40 && trail != 0x7F && trail != 0xFF ? 2 : 1;
}

}  // namespace

bool contains(const std::string& text, const std::string& key) {
    if (key.empty()) return true;
    for (std::size_t i = 0; i + key.size() <= text.size(); i += charLength(text, i)) {
        if (text.compare(i, key.size(), key) != 0) continue;
        // The match must also end where a character ends.
        std::size_t j = i;
        while (j < i + key.size()) j += charLength(text, j);
        if (j == i + key.size()) return true;
    }
    return false;
}

}  // namespace Dmg::historytext
