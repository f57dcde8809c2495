#include "components/data/stores/StoreSearch.h"

#include <sqlite3.h>

#include <string_view>
#include <utility>

#include "components/data/stores/HistoryText.h"

namespace Dmg::local {
namespace {

const char* const kTimeParts[] = {"_year", "_month", "_day", "_hour", "_minute"};

// A plain byte search rejects most texts at once; a byte match is then checked at
// character boundaries.
void gbkContains(sqlite3_context* ctx, int /*argc*/, sqlite3_value** argv) {
    const auto* text = static_cast<const char*>(sqlite3_value_blob(argv[0]));
    const auto textSize = static_cast<std::size_t>(sqlite3_value_bytes(argv[0]));
    const auto* key = static_cast<const char*>(sqlite3_value_blob(argv[1]));
    const auto keySize = static_cast<std::size_t>(sqlite3_value_bytes(argv[1]));
    bool found = keySize == 0;
    if (!found && text != nullptr && key != nullptr &&
        std::string_view(text, textSize).find(std::string_view(key, keySize)) !=
            std::string_view::npos) {
        found = historytext::contains(std::string(text, textSize), std::string(key, keySize));
    }
    sqlite3_result_int(ctx, found ? 1 : 0);
}

std::string param(const Query& q) { return "?" + std::to_string(q.params.size()); }

void addCondition(Query& q, const std::string& condition) {
    q.where += (q.where.find(" WHERE ") == std::string::npos ? " WHERE " : " AND ") + condition;
}

// A time matches from the year down to the last part that is not 0.
void timeCondition(Query& q, const std::string& prefix, const CSmsData& t) {
    const std::int32_t parts[] = {t.year, t.month, t.day, t.hour, t.minute};
    if (t.year < 1) {
        q.none = true;
        return;
    }
    std::size_t used = 5;
    while (parts[used - 1] == 0) --used;
    for (std::size_t i = 0; i < used; ++i) {
        q.params.emplace_back(std::int64_t{parts[i]});
        addCondition(q, prefix + kTimeParts[i] + " = " + param(q));
    }
}

void textCondition(Query& q, const SearchField& f, const std::string& value) {
    if (value.empty()) return;  // an empty text matches all
    const std::string col = f.column;
    if (f.match == TextMatch::Contains) {
        q = keysQuery({TextFilter{{col}, value}});
        return;
    }
    q.params.emplace_back(value);
    switch (f.match) {
        case TextMatch::Exact:
            addCondition(q, col + " = " + param(q));
            return;
        case TextMatch::Prefix: {
            if (f.index != nullptr) q.where = std::string(" INDEXED BY ") + f.index + q.where;
            addCondition(q, col + " >= " + param(q));
            std::string end;
            if (!prefixEnd(value, end)) return;
            q.params.emplace_back(std::move(end));
            addCondition(q, col + " < " + param(q));
            return;
        }
        case TextMatch::Contains:
            break;  // keysQuery
    }
}

}  // namespace

Query keysQuery(const std::vector<TextFilter>& filters) {
    Query q;
    for (const TextFilter& f : filters) {
        if (f.key.empty()) continue;
        q.params.emplace_back(f.key);
        std::string any;
        for (const std::string& col : f.columns)
            any += (any.empty() ? "(" : " OR ") + ("gbk_contains(" + col + ", " + param(q) + ")");
        addCondition(q, any + ")");
    }
    return q;
}

bool addTextFunctions(engine::Connection& db) {
    return sqlite3_create_function_v2(db.db(), "gbk_contains", 2,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, gbkContains,
                                      nullptr, nullptr, nullptr) == SQLITE_OK;
}

Query fieldQuery(const SearchField& field, const FieldValue& value) {
    Query q;
    switch (field.kind) {
        case FieldKind::Int:
            q.params.emplace_back(std::int64_t{std::get<int>(value)});
            addCondition(q, std::string(field.column) + " = ?1");
            break;
        case FieldKind::Text:
            textCondition(q, field, std::get<std::string>(value));
            break;
        case FieldKind::Time:
            timeCondition(q, field.column, std::get<CSmsData>(value));
            break;
    }
    return q;
}

bool prefixEnd(std::string prefix, std::string& end) {
    while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
    if (prefix.empty()) return false;
    prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
    end = prefix;
    return true;
}

void bindTime(engine::Statement& s, int first, const CSmsData& t) {
    s.bind(first, std::int64_t{t.year}).bind(first + 1, std::int64_t{t.month});
    s.bind(first + 2, std::int64_t{t.day}).bind(first + 3, std::int64_t{t.hour});
    s.bind(first + 4, std::int64_t{t.minute});
}

CSmsData timeAt(const engine::Statement& row, int first) {
    return CSmsData(row.int32(first), row.int32(first + 1), row.int32(first + 2),
                    row.int32(first + 3), row.int32(first + 4));
}

std::string timeColumns(const std::string& prefix) {
    std::string out;
    for (const char* part : kTimeParts) out += (out.empty() ? "" : ", ") + prefix + part;
    return out;
}

namespace detail {

std::string selectSql(const std::string& columns, const std::string& from, const Query& q,
                      const std::string& order) {
    const std::string sql = "SELECT " + columns;
    return sql + " FROM " + from + q.where + " ORDER BY " + order;
}

void bindQuery(engine::Statement& s, const Query& q) {
    for (std::size_t i = 0; i < q.params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        if (const auto* n = std::get_if<std::int64_t>(&q.params[i])) {
            s.bind(index, *n);
        } else {
            s.bind(index, std::get<std::string>(q.params[i]));
        }
    }
}

}  // namespace detail
}  // namespace Dmg::local
