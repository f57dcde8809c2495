#include "components/data/stores/UserConfigPrefixes.h"

#include <cstdint>

#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "contracts/base/CLog.h"
#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

void logFailure(const std::string& what) {
    Base::CLog::getSingleton().writeMessage("data: carrier prefixes: " + what, 2);
}

}  // namespace

const engine::Schema& prefixSchema() {
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "carrier_prefixes",
        {"CREATE TABLE carrier_prefixes (carrier INTEGER NOT NULL, position INTEGER NOT NULL, "
         "prefix BLOB NOT NULL, PRIMARY KEY (carrier, position)) WITHOUT ROWID"}}};
    return schema.get();
}

bool loadPrefixes(engine::Connection& db, PrefixLists& lists) {
    engine::Statement select(
        db.db(), "SELECT carrier, prefix FROM carrier_prefixes ORDER BY carrier, position");
    PrefixLists loaded;
    engine::Statement::Step step;
    while ((step = select.step()) == engine::Statement::Step::Row) {
        const std::int64_t carrier = select.int64(0);
        // Rows of carriers this version does not know are left for the one that does.
        if (carrier >= 0 && carrier < static_cast<std::int64_t>(loaded.size())) {
            loaded[static_cast<std::size_t>(carrier)].push_back(select.bytes(1));
        }
    }
    if (step != engine::Statement::Step::Done) {
        logFailure("cannot read the stored lists");
        return false;
    }
    lists = std::move(loaded);
    return true;
}

bool storePrefixes(engine::Connection& db, Carrier carrier, const std::vector<std::string>& list) {
    const auto key = static_cast<std::int64_t>(carrier);
    engine::WriteTransaction tx(db);
    engine::Statement remove(db.db(), "DELETE FROM carrier_prefixes WHERE carrier = ?");
    remove.bind(1, key);
    bool ok = tx.ok() && remove.run();
    engine::Statement insert(
        db.db(), "INSERT INTO carrier_prefixes (carrier, position, prefix) VALUES (?, ?, ?)");
    for (std::size_t i = 0; ok && i < list.size(); ++i) {
        insert.reset();
        insert.bind(1, key).bind(2, static_cast<std::int64_t>(i)).bind(3, list[i]);
        ok = insert.run();
    }
    if (!ok || !tx.commit()) {
        logFailure("cannot store a list");
        return false;
    }
    return true;
}

}  // namespace Dmg::local
