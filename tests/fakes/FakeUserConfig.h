// A "userconfigfile" store that answers with scripted prefix lists and
// results and records which getters were called.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/UserConfigSerialize.h"

namespace fakes {

struct FakeUserConfig : Dmg::UserConfigSerialize {
    using List = std::vector<std::string>;
    struct Answer {
        List prefixes;   // appended to the caller's list
        int result = 0;  // returned, whatever was appended
    };

    Answer mobile, unicom, telecom;
    List calls;

    int getChinaMobileNumHeader(List& h) override { return answer("mobile", mobile, h); }
    int getChinaUnicomNumHeader(List& h) override { return answer("unicom", unicom, h); }
    int getChinaTeleComNumHeader(List& h) override { return answer("telecom", telecom, h); }
    int answer(const char* name, const Answer& a, List& h) {
        calls.emplace_back(name);
        h.insert(h.end(), a.prefixes.begin(), a.prefixes.end());
        return a.result;
    }
};

}  // namespace fakes
