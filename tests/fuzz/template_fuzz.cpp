// Message templates: any template, contact values and choice of personal
// fields. Fields (FuzzFields.h): the personal fields (each byte picks one of
// the 19 flags, 'a' the first), the template, then the values of the 19
// fields in export order. Checked: every placeholder is filled; a pure text
// keeps no placeholder; the personal values listed are those of the
// placeholders the template holds. Built by GCC: the labels are GBK.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "addressbook/CFriendSet.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "tests/fuzz/FuzzFields.h"
#include "send/CSendMsg.h"

namespace {

// The main store as far as templates ask it: the contact field choices.
struct SettingsStore : Dmg::CLocalDataSerialize {
    Dmg::CFriendSetMsg settings;
    int readSetting(Dmg::CFriendSetMsg& out) override {
        out = settings;
        return 1;
    }
};

SettingsStore& store() {
    static SettingsStore* const s = [] {
        static SettingsStore instance;
        Dmg::CDataManager::getSingleton().registerDataSerialize("database", &instance);
        return &instance;
    }();
    return *s;
}

std::string placeholder(const std::string& label) { return "<" + label + ">"; }

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Only ASCII letters and digits: such a value cannot complete a placeholder.
bool isPlain(const std::string& value) {
    if (value.empty()) return false;
    for (const char c : value) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = fuzz::splitFields(data, size);
    if (fields.size() < 2) return 0;
    SettingsStore& s = store();
    for (bool& flag : s.settings.personalFlags) flag = false;
    for (const char c : fields[0]) {
        s.settings.personalFlags[(static_cast<unsigned char>(c) + 19 * 6 - 'a') % 19] = true;
    }
    CFriendSet* const labels = CFriendSet::inistance();
    std::vector<std::string> all, personal;
    labels->getAllField(all);
    CFriendSet().getPersonalField(personal);
    Dmg::CFriend contact;
    for (std::size_t i = 0; i < all.size() && i + 2 < fields.size(); ++i) {
        contact.addPropetyAndValue(labels->m_labelToProperty.at(all[i]), fields[i + 2]);
    }

    SMS::CSendMsg msg;
    msg.setMsg(fields[1]);
    std::string expanded, pure;
    std::vector<std::string> values, listed;
    fuzz::require(msg.getMsg(contact, expanded) == SMS::CSendMsg::kExpanded,
                  "every placeholder is filled when every value can be read");
    fuzz::require(msg.getPureMsg(pure) == 1, "the pure text is made");
    fuzz::require(msg.getPersonalInfo(contact, listed) == 1, "the values are listed");
    bool plainValues = true;
    for (const std::string& label : personal) {
        std::string value;
        contact.getValue(labels->m_labelToProperty.at(label), value);
        plainValues = plainValues && isPlain(value);
        if (contains(fields[1], placeholder(label))) values.push_back(value);
    }
    for (const std::string& label : personal) {
        fuzz::require(!contains(pure, placeholder(label)), "a pure text holds no placeholder");
        if (plainValues) {
            fuzz::require(!contains(expanded, placeholder(label)),
                          "an expanded text holds no placeholder");
        }
    }
    fuzz::require(listed == values, "the values of the placeholders held are listed");
    return 0;
}
