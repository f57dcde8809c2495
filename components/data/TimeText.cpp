#include "components/data/TimeText.h"

#include <cstdint>
#include <vector>

#include "contracts/base/StringConverter.h"
#include "contracts/base/StringUtil.h"

namespace Dmg {

std::string timeText(const CSmsData& time) {
    if (time.isUnset()) return {};
    using Base::StringConverter;
    return StringConverter::toString(time.year) + "-" + StringConverter::toString(time.month) +
           "-" + StringConverter::toString(time.day) + "-" + StringConverter::toString(time.hour) +
           "-" + StringConverter::toString(time.minute);
}

CSmsData parseTimeText(const std::string& text) {
    const std::vector<std::string> pieces = Base::StringUtil::split(text, "-/: \t");
    if (pieces.empty()) return CSmsData();
    std::int32_t parts[5] = {0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < pieces.size() && i < 5; ++i) {
        parts[i] = Base::StringConverter::toInt(pieces[i]);
    }
    return CSmsData(parts[0], parts[1], parts[2], parts[3], parts[4]);
}

}  // namespace Dmg
