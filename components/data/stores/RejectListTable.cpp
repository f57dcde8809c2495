#include "components/data/stores/RejectListTable.h"

#include <cstdint>

#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"

namespace Dmg::stores {

ListTable::ListTable(const ListTableNames& names)
    : schema_{names.component,
              {std::string("CREATE TABLE ") + names.table +
               " (pos INTEGER PRIMARY KEY, item BLOB NOT NULL)"}},
      selectSql_(std::string("SELECT item FROM ") + names.table + " ORDER BY pos"),
      deleteSql_(std::string("DELETE FROM ") + names.table),
      insertSql_(std::string("INSERT INTO ") + names.table + " (pos, item) VALUES (?, ?)") {}

bool ListTable::fail(const std::string& why) {
    Base::CLog::getSingleton().writeMessage(schema_.component + ": " + why, 2);
    return false;
}

bool ListTable::open(const std::string& path, const std::string& password,
                     std::vector<std::string>& items) {
    if (!db_.open(path, password, schema_)) return fail("cannot open " + path);
    if (load(items)) return true;
    db_.close();
    return fail("cannot read the stored list from " + path);
}

bool ListTable::load(std::vector<std::string>& items) {
    engine::Statement select(db_.connection().db(), selectSql_.c_str());
    engine::Statement::Step step;
    while ((step = select.step()) == engine::Statement::Step::Row) items.push_back(select.bytes(0));
    return step == engine::Statement::Step::Done;
}

bool ListTable::replace(const std::vector<std::string>& items) {
    const char* const kept = "the list was not replaced; the stored list is unchanged";
    engine::WriteTransaction tx(db_.connection());
    if (!tx.ok()) return fail(kept);
    sqlite3* const db = db_.connection().db();
    if (!engine::Statement(db, deleteSql_.c_str()).run()) return fail(kept);
    engine::Statement insert(db, insertSql_.c_str());
    for (std::size_t i = 0; i < items.size(); ++i) {
        insert.reset();
        insert.bind(1, static_cast<std::int64_t>(i)).bind(2, items[i]);
        if (!insert.run()) return fail(kept);
    }
    return tx.commit() || fail(kept);
}

std::string_view trimBlanks(std::string_view text) {
    const char* const blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace Dmg::stores
