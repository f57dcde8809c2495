// A "userconfigfile" store that answers with scripted prefix lists and
// results and records which getters were called.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/UserConfigSerialize.h"

namespace fakes {

class FakeUserConfig : public Dmg::UserConfigSerialize {
public:
    struct Answer {
        std::vector<std::string> prefixes;  // appended to the caller's list
        int result = 0;                     // returned, whatever was appended
    };

    Answer mobile, unicom, telecom;
    std::vector<std::string> calls;

    int getChinaMobileNumHeader(std::vector<std::string>& h) override {
        return answer("mobile", mobile, h);
    }
    int getChinaUnicomNumHeader(std::vector<std::string>& h) override {
        return answer("unicom", unicom, h);
    }
    int getChinaTeleComNumHeader(std::vector<std::string>& h) override {
        return answer("telecom", telecom, h);
    }

private:
    int answer(const char* name, const Answer& a, std::vector<std::string>& h) {
        calls.emplace_back(name);
        h.insert(h.end(), a.prefixes.begin(), a.prefixes.end());
        return a.result;
    }
};

}  // namespace fakes
