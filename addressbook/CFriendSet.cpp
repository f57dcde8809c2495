#include "addressbook/CFriendSet.h"

#include <mutex>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"

CFriendSet* CFriendSet::ms_pInstance = nullptr;

namespace {

struct Field {
    const char* label;
    const char* property;
};

// The 19 fields in export order, each with its contact property.
constexpr Field kFields[] = {
    {"号码", "手机"},     {"姓名", "名字"},     {"电话", "电话"},     {"邮箱", "邮箱"},
    {"尊称", "尊称"},     {"性别", "性别"},     {"生日", "生日"},     {"婚姻", "婚否"},
    {"公司", "公司"},     {"职位", "职业"},     {"地址", "地址"},     {"邮编", "邮编"},
    {"备注", "注释"},     {"备用一", "备用1"},  {"备用二", "备用2"},  {"备用三", "备用3"},
    {"备用四", "备用4"},  {"备用五", "备用5"},  {"备用六", "备用6"},
};
constexpr int kFieldCount = static_cast<int>(sizeof kFields / sizeof kFields[0]);
static_assert(kFieldCount == Dmg::CFriendSetMsg::kFieldCount, "one flag per field");

// The stored flags put the name before the number, export order the number
// before the name; every other field has the same index in both. The swap
// maps either order onto the other.
int otherOrder(int index) {
    if (index == 0) return 1;
    if (index == 1) return 0;
    return index;
}

bool isSet(const bool& flag) {
    // Any non-zero byte counts, whatever a caller wrote into the record.
    return reinterpret_cast<const unsigned char&>(flag) != 0;
}

Dmg::CLocalDataSerialize* mainStore() {
    return static_cast<Dmg::CLocalDataSerialize*>(
        Dmg::CDataManager::getSingletonPtr()->getDataSerialize("database"));
}

}  // namespace

CFriendSet* CFriendSet::inistance() {
    static std::once_flag once;
    // Never destroyed: the label table is read until the process ends.
    std::call_once(once, [] { ms_pInstance = new CFriendSet(); });
    return ms_pInstance;
}

CFriendSet::CFriendSet() {
    for (const Field& f : kFields) m_labelToProperty.emplace(f.label, f.property);
    Init();
}

void CFriendSet::Init() {
    if (Dmg::CLocalDataSerialize* const store = mainStore()) store->readSetting(m_settings);
    InitData();
}

void CFriendSet::ChangeSet(const Dmg::CFriendSetMsg& settings) {
    m_settings = settings;
    if (Dmg::CLocalDataSerialize* const store = mainStore()) store->setSetting(m_settings);
    InitData();
}

int CFriendSet::getAllField(std::vector<std::string>& out) const {
    out = m_allFields;
    return 1;
}

int CFriendSet::getFriendShowField(std::vector<std::string>& out) const {
    out = m_showFields;
    return 1;
}

int CFriendSet::getPersonalField(std::vector<std::string>& out) const {
    out = m_personalFields;
    return 1;
}

void CFriendSet::InitData() {
    m_allFields.clear();
    m_showFields.clear();
    m_personalFields.clear();
    for (const Field& f : kFields) m_allFields.emplace_back(f.label);
    // Shown fields follow the export order.
    for (int field = 0; field < kFieldCount; ++field) {
        if (isSet(m_settings.showFlags[otherOrder(field)])) {
            m_showFields.emplace_back(kFields[field].label);
        }
    }
    // Personal fields follow the flag order, name first: the order in which
    // templates expand placeholders.
    for (int flag = 0; flag < kFieldCount; ++flag) {
        if (isSet(m_settings.personalFlags[flag])) {
            m_personalFields.emplace_back(kFields[otherOrder(flag)].label);
        }
    }
}
