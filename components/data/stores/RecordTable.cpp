#include "components/data/stores/RecordTable.h"

#include "contracts/base/CLog.h"

namespace Dmg::local {

void logRecordFailure(const char* label, const std::string& what) {
    Base::CLog::getSingleton().writeMessage(std::string("data: ") + label + ": " + what, 2);
}

}  // namespace Dmg::local
