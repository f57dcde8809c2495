#include "phone/CPhoneNumMag.h"

#include <iterator>
#include <mutex>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/UserConfigSerialize.h"

namespace SMS {

CPhoneNumMag* CPhoneNumMag::ms_pInstance = nullptr;

namespace {

// Built-in prefixes; plain arrays, so nothing is destroyed at exit.
constexpr const char* kDefaultMobile[] = {"134", "135", "136", "137", "138",
                                          "139", "158", "159", "188"};
constexpr const char* kDefaultUnicom[] = {"130", "131", "132", "156"};
constexpr const char* kDefaultTelecom[] = {"133", "153", "189"};

// A digit is a byte between '0' and '9' read as signed char; GBK bytes
// (0x80 and above) are negative and fail.
bool allDigits(const std::string& text) {
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Index of a three-digit prefix; callers have checked the digits.
int prefixIndex(const char* p) { return (p[0] - '0') * 100 + (p[1] - '0') * 10 + (p[2] - '0'); }

// Only keys of three digits can ever match a number.
bool isDigitPrefix(const std::string& key) { return key.size() == 3 && allDigits(key); }

// Fills `list` from the store, or with the defaults when the store is
// missing or supplies nothing.
template <typename Getter, std::size_t N>
void loadList(Dmg::UserConfigSerialize* store, Getter getter, std::vector<std::string>& list,
              const char* const (&defaults)[N]) {
    if (store != nullptr && (store->*getter)(list) > 0) return;
    list.insert(list.end(), std::begin(defaults), std::end(defaults));
}

}  // namespace

CPhoneNumMag* CPhoneNumMag::inistance() {
    static std::once_flag once;
    // Never destroyed: callers may classify until the process ends.
    std::call_once(once, [] { ms_pInstance = new CPhoneNumMag(); });
    return ms_pInstance;
}

CPhoneNumMag::CPhoneNumMag() {
    auto* store = static_cast<Dmg::UserConfigSerialize*>(
        Dmg::CDataManager::getSingleton().getDataSerialize("userconfigfile"));
    loadList(store, &Dmg::UserConfigSerialize::getChinaMobileNumHeader, m_ydHeaders,
             kDefaultMobile);
    loadList(store, &Dmg::UserConfigSerialize::getChinaUnicomNumHeader, m_ltHeaders,
             kDefaultUnicom);
    loadList(store, &Dmg::UserConfigSerialize::getChinaTeleComNumHeader, m_dxHeaders,
             kDefaultTelecom);
    InitMap();
}

void CPhoneNumMag::Init(const std::vector<std::string>& mobile,
                        const std::vector<std::string>& unicom,
                        const std::vector<std::string>& telecom) {
    m_ydHeaders = mobile;
    m_ltHeaders = unicom;
    m_dxHeaders = telecom;
    InitMap();
}

void CPhoneNumMag::InitMap() {
    m_ydMap.clear();
    m_ltMap.clear();
    m_dxMap.clear();
    m_allMap.clear();
    const auto fill = [this](const std::vector<std::string>& list,
                             std::map<std::string, int>& table) {
        for (const auto& prefix : list) {
            table[prefix] = 1;
            m_allMap[prefix] = 1;
        }
    };
    fill(m_ydHeaders, m_ydMap);
    fill(m_ltHeaders, m_ltMap);
    fill(m_dxHeaders, m_dxMap);

    m_prefixBits.fill(0);
    const auto mark = [this](const std::map<std::string, int>& table, unsigned char bit) {
        for (const auto& entry : table) {
            if (isDigitPrefix(entry.first)) m_prefixBits[prefixIndex(entry.first.data())] |= bit;
        }
    };
    mark(m_ydMap, kYD);
    mark(m_ltMap, kLT);
    mark(m_dxMap, kDX);
}

// An 11-digit number whose first three digits are a prefix of one of
// `carriers`.
bool CPhoneNumMag::isMobile(const std::string& number, unsigned char carriers) const {
    if (number.size() != 11 || !allDigits(number)) return false;
    return (m_prefixBits[prefixIndex(number.data())] & carriers) != 0;
}

bool CPhoneNumMag::isYDNumber(const std::string& number) const { return isMobile(number, kYD); }

bool CPhoneNumMag::isLTNumber(const std::string& number) const { return isMobile(number, kLT); }

bool CPhoneNumMag::isDXNumber(const std::string& number) const { return isMobile(number, kDX); }

bool CPhoneNumMag::isXLTNumber(const std::string& number) const {
    if (number.empty() || number[0] != '0') return false;
    if (number.size() < 11 || number.size() > 12) return false;
    return allDigits(number);
}

bool CPhoneNumMag::IsPhoneNum(const std::string& number) const {
    if (number.empty()) return false;
    if (number[0] == '0') return isXLTNumber(number);
    return isMobile(number, kYD | kLT | kDX);
}

}  // namespace SMS
