// Access by property name to the text and time fields of a plain record, for
// the records whose properties are all of these two kinds (phrases,
// reminders). Names come from fixed tables in the code.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

#include "components/data/TimeText.h"
#include "contracts/dmg/CSmsData.h"

namespace Dmg {

template <typename Data>
struct RecordProperties {
    struct Text {
        std::string_view name;
        std::string Data::*field;
    };
    struct Time {
        std::string_view name;
        CSmsData Data::*field;
    };

    // 1 when `name` is one of the properties (the field then holds `value`),
    // 0 and nothing changed otherwise.
    template <std::size_t NText, std::size_t NTime>
    static int set(Data& data, const Text (&texts)[NText], const Time (&times)[NTime],
                   const std::string& name, const std::string& value) {
        for (const Text& t : texts) {
            if (name == t.name) return data.*(t.field) = value, 1;
        }
        for (const Time& t : times) {
            if (name == t.name) return data.*(t.field) = parseTimeText(value), 1;
        }
        return 0;
    }

    template <std::size_t NText, std::size_t NTime>
    static void map(const Data& data, const Text (&texts)[NText], const Time (&times)[NTime],
                    std::map<std::string, std::string>& out) {
        out.clear();
        for (const Text& t : texts) out.emplace(std::string(t.name), data.*(t.field));
        for (const Time& t : times) out.emplace(std::string(t.name), timeText(data.*(t.field)));
    }
};

}  // namespace Dmg
