// Text search in the history's GBK texts.
#pragma once

#include <string>

namespace Dmg::historytext {

// True when `key` occurs in `text` starting and ending on GBK character
// boundaries, so that a key never matches the tail of one double-byte
// character joined to the head of the next. An empty key is in every text.
bool contains(const std::string& text, const std::string& key);

}  // namespace Dmg::historytext
