// What the content managers share: paging out of the cache, upkeep of cached
// records by record number, adding a record to several groups, export of
// records' property maps, and the "year-month-day-hour-minute" values of
// time searches.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "contracts/base/StringConverter.h"
#include "contracts/base/StringUtil.h"
#include "contracts/dmg/CSmsData.h"

namespace SMS::library {

using Rows = std::map<int, std::vector<std::string>>;

// Appends page `page` (from 0) of `cache` to `out`: 1, or 0 when the page
// starts outside the cache. 64-bit, so a huge page or page size is a page
// past the end, never a wrapped one.
template <typename Record>
int appendPage(const std::vector<Record>& cache, int page, int pageSize, std::vector<Record>& out) {
    const std::int64_t first = std::int64_t{page} * pageSize;
    std::int64_t last = (std::int64_t{page} + 1) * pageSize - 1;
    const auto size = static_cast<std::int64_t>(cache.size());
    if (first < 0 || first > last || first >= size) return 0;
    if (last >= size) last = size - 1;
    out.insert(out.end(), cache.begin() + first, cache.begin() + last + 1);
    return 1;
}

// Cache upkeep; `idOf(record)` is a reference to the record number.
template <typename Record, typename IdOf>
int insertInCache(std::vector<Record>& cache, int pos, int id, const Record& record, IdOf idOf) {
    if (pos < 0 || static_cast<std::size_t>(pos) > cache.size()) return 0;
    idOf(*cache.insert(cache.begin() + pos, record)) = id;
    return 1;
}

template <typename Record, typename IdOf>
typename std::vector<Record>::iterator findInCache(std::vector<Record>& cache, int id, IdOf idOf) {
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (idOf(*it) == id) return it;
    }
    return cache.end();
}

template <typename Record, typename IdOf>
int replaceInCache(std::vector<Record>& cache, int id, const Record& record, IdOf idOf) {
    const auto it = findInCache(cache, id, idOf);
    if (it == cache.end()) return 0;
    *it = record;
    idOf(*it) = id;
    return 1;
}

template <typename Record, typename IdOf>
int removeFromCache(std::vector<Record>& cache, int id, IdOf idOf) {
    const auto it = findInCache(cache, id, idOf);
    if (it == cache.end()) return 0;
    cache.erase(it);
    return 1;
}

// Calls `add(group, newId)` for group 1 when `groups` is empty, else for
// each group in order while the result is above 1; every new id goes to
// `newIds`. The last result.
template <typename Add>
int addToGroups(const std::vector<int>& groups, std::vector<int>& newIds, Add add) {
    int newId = 0;
    if (groups.empty()) {
        const int result = add(1, newId);
        newIds.push_back(newId);
        return result;
    }
    int result = 0;
    for (const int& group : groups) {
        result = add(group, newId);
        newIds.push_back(newId);
        if (result <= 1) break;
    }
    return result;
}

// Row i: the values of record i's property map, in property-name order.
template <typename Record>
Rows propertyRows(const std::vector<Record>& records) {
    Rows rows;
    std::map<std::string, std::string> properties;
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::vector<std::string>& row = rows[static_cast<int>(i)];
        records[i].getPropetyAndValueMap(properties);
        for (const auto& property : properties) row.push_back(property.second);
    }
    return rows;
}

// "2011-3-7-8:5": year "-" month "-" day "-" hour ":" minute, plain
// decimal numbers; the time column of the records' exports.
inline std::string dashTimeText(const Dmg::CSmsData& t) {
    const auto text = [](std::int32_t v) { return Base::StringConverter::toString(long{v}); };
    return text(t.year) + "-" + text(t.month) + "-" + text(t.day) + "-" + text(t.hour) + ":" +
           text(t.minute);
}

// "2011-3-7" as year, month, day, hour, minute: pieces split at '-',
// converted like atoi, missing ones 0, those beyond the fifth ignored.
inline Dmg::CSmsData dashTimeValue(const std::string& value) {
    int parts[5] = {0, 0, 0, 0, 0};
    const std::vector<std::string> pieces = Base::StringUtil::split(value, "-", 0);
    for (std::size_t i = 0; i < pieces.size() && i < 5; ++i) {
        parts[i] = Base::StringConverter::toInt(pieces[i]);
    }
    return Dmg::CSmsData(parts[0], parts[1], parts[2], parts[3], parts[4]);
}

}  // namespace SMS::library
