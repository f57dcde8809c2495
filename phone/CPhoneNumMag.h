// Tells a sendable number from any other string and names its carrier by the
// first three digits: China Mobile (YD), China Unicom (LT), China Telecom
// (DX), plus numbers in area-code form (XLT, a leading 0).
//
// Callers that need one class per number ask isYDNumber, isLTNumber,
// isDXNumber, isXLTNumber in that order; the first true answer wins.
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "contracts/export.h"

namespace SMS {

class SMS_API CPhoneNumMag {
public:
    // The process-wide instance, created on the first call. Make the first
    // call, and every Init, while no other thread classifies numbers.
    static CPhoneNumMag* inistance();

    // Loads the prefix lists from the "userconfigfile" store, each carrier
    // falling back to the built-in defaults when the store supplies none.
    CPhoneNumMag();

    // Replaces the three lists (no merge) and rebuilds the lookup tables.
    // Nothing is written back to the configuration store.
    void Init(const std::vector<std::string>& mobile, const std::vector<std::string>& unicom,
              const std::vector<std::string>& telecom);

    bool isYDNumber(const std::string& number) const;
    bool isLTNumber(const std::string& number) const;
    bool isDXNumber(const std::string& number) const;
    bool isXLTNumber(const std::string& number) const;
    // True exactly when one of the four tests above is true.
    bool IsPhoneNum(const std::string& number) const;

    static CPhoneNumMag* ms_pInstance;

protected:
    // Rebuilds the four tables from the three lists.
    void InitMap();

    std::vector<std::string> m_ydHeaders;
    std::vector<std::string> m_ltHeaders;
    std::vector<std::string> m_dxHeaders;
    // Lookup tables used as sets (every value is 1); always rebuilt from the
    // lists. The last one holds the union of the three lists.
    std::map<std::string, int> m_ydMap;
    std::map<std::string, int> m_ltMap;
    std::map<std::string, int> m_dxMap;
    std::map<std::string, int> m_allMap;

private:
    enum : unsigned char { kYD = 1, kLT = 2, kDX = 4 };
    bool isMobile(const std::string& number, unsigned char carriers) const;

    // Carrier bits of every three-digit prefix, derived from the tables by
    // InitMap, so that a test indexes an array instead of searching a map.
    std::array<unsigned char, 1000> m_prefixBits{};
};

}  // namespace SMS
