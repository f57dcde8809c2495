#include "send/CSendMsg.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "addressbook/CFriendSet.h"
#include "contracts/platform/CodePage.h"
#include "send/GbkText.h"

namespace SMS {
namespace {

// The personal field labels in expansion order. A fresh CFriendSet reads the
// stored choice, so a change saved elsewhere applies from the next call on.
bool personalFields(std::vector<std::string>& labels) {
    const CFriendSet settings;
    return settings.getPersonalField(labels) == 1;
}

// The contact property of `label`, or null when the table has none.
const std::string* propertyOf(const std::string& label) {
    const std::map<std::string, std::string>& table = CFriendSet::inistance()->m_labelToProperty;
    const auto it = table.find(label);
    return it == table.end() ? nullptr : &it->second;
}

std::string placeholderOf(const std::string& label) { return "<" + label + ">"; }

// The value that fills the placeholder of `label`, or false when there is
// none to be had.
bool valueOf(const Dmg::CFriend& contact, const std::string& label, std::string& value) {
    const std::string* property = propertyOf(label);
    return property != nullptr && contact.getValue(*property, value) != 0;
}

// A text searched for placeholders by characters. Valid GBK is searched as
// wide text (the platform's conversion); text that is not valid GBK is
// searched in its bytes, walked character by character (GbkText.h). Either
// way a match starts on a character boundary.
class CharText {
public:
    explicit CharText(const std::string& gbk)
        : bytes_(gbk), isWide_(Platform::gbkToWide(gbk, wideText_)) {}

    bool contains(const std::string& needle) const {
        if (!isWide_) return gbk::find(bytes_, needle) != std::string::npos;
        std::wstring wideNeedle;
        return Platform::gbkToWide(needle, wideNeedle) &&
               wideText_.find(wideNeedle) != std::wstring::npos;
    }

    // Cuts every occurrence of `needle`; true when there was one. The byte
    // form of valid GBK is cut only if the wide text cannot go back (toGbk),
    // by repeating every cut in order.
    bool removeAll(const std::string& needle) {
        if (!isWide_) return removeFrom(bytes_, needle, findBytes);
        cuts_.push_back(needle);
        std::wstring wideNeedle;
        return Platform::gbkToWide(needle, wideNeedle) &&
               removeFrom(wideText_, wideNeedle,
                          [](const std::wstring& t, const std::wstring& n) { return t.find(n); });
    }

    std::string toGbk() const {
        std::string out;
        if (isWide_ && Platform::wideToGbk(wideText_, out)) return out;
        out = bytes_;
        for (const std::string& needle : cuts_) removeFrom(out, needle, findBytes);
        return out;
    }

private:
    static std::size_t findBytes(const std::string& text, const std::string& needle) {
        return gbk::find(text, needle);
    }

    // Every search starts at the front again, so an occurrence that a cut
    // brings together ("<<姓名>姓名>") goes too.
    template <typename Text, typename Find>
    static bool removeFrom(Text& text, const Text& needle, Find find) {
        if (needle.empty() || needle.size() > text.size()) return false;
        bool cut = false;
        for (auto pos = find(text, needle); pos != Text::npos; pos = find(text, needle)) {
            text.erase(pos, needle.size());
            cut = true;
        }
        return cut;
    }

    std::string bytes_;
    std::wstring wideText_;
    bool isWide_;
    std::vector<std::string> cuts_;
};

}  // namespace

CSendMsg::CSendMsg() = default;
CSendMsg::CSendMsg(const CSendMsg& other) = default;
CSendMsg& CSendMsg::operator=(const CSendMsg& other) = default;
CSendMsg::~CSendMsg() = default;

int CSendMsg::setMsg(const std::string& text) {
    m_msg = text;
    return 1;
}

// Placeholders of one field are filled left to right in the text not yet
// finished; the finished part (values included) is searched again only by
// the later fields. The whole text is searched, bytes after a NUL included,
// so that no placeholder the pure text drops is left standing here.
int CSendMsg::getMsg(const Dmg::CFriend& contact, std::string& out) const {
    std::vector<std::string> labels;
    if (!personalFields(labels)) return kNoFields;
    std::string text = m_msg;
    bool filled = true;
    for (const std::string& label : labels) {
        const std::string placeholder = placeholderOf(label);
        std::string done;
        std::size_t rest = 0;
        for (std::size_t pos = gbk::find(text, placeholder); pos != std::string::npos;
             pos = gbk::find(text, placeholder, rest)) {
            std::string value;
            if (!valueOf(contact, label, value)) {
                filled = false;
                break;
            }
            done.append(text, rest, pos - rest).append(value);
            rest = pos + placeholder.size();
        }
        text = done.append(text, rest, std::string::npos);
    }
    out = text;
    return filled ? kExpanded : kUnfilled;
}

int CSendMsg::getPersonalInfo(const Dmg::CFriend& contact, std::vector<std::string>& values) const {
    values.clear();
    std::vector<std::string> labels;
    if (!personalFields(labels)) return 0;
    const CharText text(m_msg);
    for (const std::string& label : labels) {
        std::string value;
        if (text.contains(placeholderOf(label)) && valueOf(contact, label, value)) {
            values.push_back(value);
        }
    }
    return 1;
}

int CSendMsg::getPureMsg(std::string& out) const {
    std::vector<std::string> labels;
    if (!personalFields(labels)) return 0;
    CharText text(m_msg);
    // A cut may also join a placeholder of a field cut before it
    // ("<姓<号码>名>"): the fields are cut again until nothing is left.
    for (bool cut = true; cut;) {
        cut = false;
        for (const std::string& label : labels) cut = text.removeAll(placeholderOf(label)) || cut;
    }
    out = text.toGbk();
    return 1;
}

int CSendMsg::getMsgWord(const std::string& text) const {
    return static_cast<int>(gbk::charCount(text));
}

int CSendMsg::stringFind(const std::string& haystack, const std::string& needle) const {
    if (needle.size() > haystack.size()) return -1;
    const std::size_t pos = gbk::find(haystack, needle);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CSendMsg::minFind(std::vector<int> values) const {
    if (values.empty()) return -1;
    return static_cast<int>(std::min_element(values.begin(), values.end()) - values.begin());
}

}  // namespace SMS
