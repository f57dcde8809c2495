// Searches over the main store's record tables (phrases, reminders, saved
// messages): a field of a fixed table compared with a value, or texts that
// must hold keys. Values are always bound, never pasted into SQL. A text
// holds a key when the key's bytes occur in it starting and ending at GBK
// character boundaries (the SQL function gbk_contains).
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/engine/Statement.h"
#include "contracts/dmg/CSmsData.h"

namespace Dmg::local {

using FieldValue = std::variant<int, std::string, CSmsData>;

enum class FieldKind { Int, Text, Time };  // in the order of FieldValue
enum class TextMatch { Exact, Prefix, Contains };

struct SearchField {
    const char* name;    // the name callers use
    const char* column;  // Time: the prefix of five columns "<p>_year" ... "<p>_minute"
    FieldKind kind;
    TextMatch match;    // Text only
    const char* index;  // Prefix: the index the byte range must use
};

// The field called `name` taking values of the type of `value`; null when
// there is none.
template <std::size_t N>
const SearchField* findField(const SearchField (&fields)[N], const std::string& name,
                             const FieldValue& value) {
    for (const SearchField& f : fields) {
        if (name == f.name) return static_cast<std::size_t>(f.kind) == value.index() ? &f : nullptr;
    }
    return nullptr;
}

// Rows pass when one of `columns` holds `key`.
struct TextFilter {
    std::vector<std::string> columns;
    std::string key;
};

// What follows "FROM <table> <alias>": an index, a WHERE clause and the
// values it binds.
struct Query {
    std::string where;
    std::vector<std::variant<std::int64_t, std::string>> params;
    bool none = false;  // the value can match nothing
};

// Makes gbk_contains(text, key) known to `db`: 1 when `text` holds `key`
// (an empty key is in every text). False when it cannot.
bool addTextFunctions(engine::Connection& db);

// Every filter must pass; those with an empty key match all.
Query keysQuery(const std::vector<TextFilter>& filters);
Query fieldQuery(const SearchField& field, const FieldValue& value);

// "SELECT <columns> FROM <from><query> ORDER BY <order>"; `add` gets each
// row. False when a step fails.
template <class Add>
bool runQuery(engine::Connection& db, const std::string& columns, const std::string& from,
              const Query& q, const std::string& order, Add add);

// The least byte string above every string that starts with `prefix`;
// false when there is none (empty, or all 0xFF bytes).
bool prefixEnd(std::string prefix, std::string& end);

// Binds the five parts of `t` as ?first .. ?first+4, and reads them back.
void bindTime(engine::Statement& s, int first, const CSmsData& t);
CSmsData timeAt(const engine::Statement& row, int first);
// "<p>_year, <p>_month, ..." for a column list.
std::string timeColumns(const std::string& prefix);

namespace detail {
std::string selectSql(const std::string& columns, const std::string& from, const Query& q,
                      const std::string& order);
void bindQuery(engine::Statement& s, const Query& q);
}  // namespace detail

template <class Add>
bool runQuery(engine::Connection& db, const std::string& columns, const std::string& from,
              const Query& q, const std::string& order, Add add) {
    if (q.none) return true;
    engine::Statement select(db.db(), detail::selectSql(columns, from, q, order).c_str());
    detail::bindQuery(select, q);
    engine::Statement::Step step;
    while ((step = select.step()) == engine::Statement::Step::Row) add(select);
    return step == engine::Statement::Step::Done;
}

}  // namespace Dmg::local
