#include "contracts/dmg/CFriendSetMsg.h"

#include <algorithm>
#include <iterator>

namespace Dmg {

CFriendSetMsg::CFriendSetMsg() {
    std::fill(std::begin(showFlags), std::end(showFlags), false);
    std::fill(std::begin(personalFlags), std::end(personalFlags), false);
    // Name and number, the first two of each run.
    showFlags[0] = showFlags[1] = true;
    personalFlags[0] = personalFlags[1] = true;
}

}  // namespace Dmg
