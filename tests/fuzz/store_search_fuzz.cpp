// Search keys of the history and the main store (StoreSearch.h). Fields
// (FuzzFields.h): a key, a second key, a prefix, then texts, which become the
// rows (a, b) of a table in a real store file (row i: text i and text i + 1).
// The history's text test, prefixEnd and the queries keysQuery and
// fieldQuery build must select exactly what a plain search over the texts
// selects: a key counts where it occupies whole GBK characters.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/engine/Statement.h"
#include "components/data/stores/HistoryText.h"
#include "components/data/stores/StoreSearch.h"
#include "tests/fuzz/FuzzFields.h"

namespace {

namespace local = Dmg::local;
using Dmg::engine::Statement;

// A store file in a folder of its own under TMPDIR, removed at exit.
struct Store {
    Store() {
        const char* const tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/sms-search-fuzz.XXXXXX";
        fuzz::require(::mkdtemp(&pattern[0]) != nullptr, "a temporary folder");
        dir = pattern;
        db = Dmg::engine::Connection::open(dir + "/search.db", "fuzz");
        fuzz::require(db && local::addTextFunctions(*db) &&
                          db->exec("PRAGMA temp_store = MEMORY") &&
                          db->exec("CREATE TEMP TABLE texts (id INTEGER PRIMARY KEY, a BLOB, "
                                   "b BLOB)") &&
                          db->exec("CREATE INDEX temp.texts_a ON texts (a)"),
                      "a store file with the search functions");
    }
    ~Store() {
        db.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string dir;
    std::unique_ptr<Dmg::engine::Connection> db;
};

Store& store() {
    static Store s;
    return s;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A text and its character boundaries.
struct Text {
    explicit Text(const std::string& t) : bytes(t), chars(t) {}
    bool holds(const std::string& key) const { return fuzz::holdsWhole(bytes, chars, key); }
    std::string bytes;
    fuzz::GbkBoundaries chars;
};

struct Row {
    const Text& a;
    const Text& b;
};

std::set<int> select(const local::Query& q) {
    std::set<int> ids;
    const bool ran = local::runQuery(*store().db, "id", "temp.texts", q, "id",
                                     [&](const Statement& row) { ids.insert(row.int32(0)); });
    fuzz::require(ran, "a built query runs");
    return ids;
}

template <class Pass>
std::set<int> expect(const std::vector<Row>& rows, Pass pass) {
    std::set<int> ids;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (pass(rows[i])) ids.insert(static_cast<int>(i) + 1);
    }
    return ids;
}

void fill(const std::vector<Row>& rows) {
    fuzz::require(store().db->exec("BEGIN") && store().db->exec("DELETE FROM temp.texts"),
                  "the table empties");
    Statement insert(store().db->db(), "INSERT INTO temp.texts (id, a, b) VALUES (?, ?, ?)");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        insert.bind(1, static_cast<std::int64_t>(i) + 1).bind(2, rows[i].a.bytes);
        insert.bind(3, rows[i].b.bytes);
        fuzz::require(insert.run(), "a row is stored");
        insert.reset();
    }
    fuzz::require(store().db->exec("COMMIT"), "the rows are stored");
}

void checkPrefixEnd(const std::string& prefix, const std::vector<Text>& texts) {
    std::string end;
    const bool bounded = local::prefixEnd(prefix, end);
    for (const Text& text : texts) {
        const std::string& t = text.bytes;
        fuzz::require(startsWith(t, prefix) == (t >= prefix && (!bounded || t < end)),
                      "a text starts with the prefix exactly when it lies in [prefix, end)");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    store();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> fields = fuzz::splitFields(data, size);
    if (fields.size() < 3) return 0;
    const std::string& key = fields[0];
    const std::string& key2 = fields[1];
    const std::string& prefix = fields[2];
    const std::vector<Text> texts(fields.begin() + 3, fields.end());

    for (const Text& t : texts) {
        for (const std::string* k : {&key, &key2, &prefix}) {
            fuzz::require(Dmg::historytext::contains(t.bytes, *k) == t.holds(*k),
                          "a text holds a key in whole characters");
        }
    }
    checkPrefixEnd(prefix, texts);

    std::vector<Row> rows;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        rows.push_back({texts[i], texts[(i + 1) % texts.size()]});
    }
    fill(rows);
    const local::SearchField kPrefix{"prefix", "a", local::FieldKind::Text,
                                     local::TextMatch::Prefix, "texts_a"};
    const local::SearchField kExact{"exact", "a", local::FieldKind::Text, local::TextMatch::Exact,
                                    nullptr};
    const local::SearchField kContains{"contains", "b", local::FieldKind::Text,
                                       local::TextMatch::Contains, nullptr};
    fuzz::require(select(local::keysQuery({{{"a"}, key}, {{"a", "b"}, key2}})) ==
                      expect(rows,
                             [&](const Row& r) {
                                 return r.a.holds(key) && (r.a.holds(key2) || r.b.holds(key2));
                             }),
                  "keysQuery selects the rows holding every key");
    fuzz::require(select(local::fieldQuery(kPrefix, prefix)) ==
                      expect(rows, [&](const Row& r) { return startsWith(r.a.bytes, prefix); }),
                  "a prefix field selects the texts that start with the value");
    fuzz::require(select(local::fieldQuery(kExact, key)) ==
                      expect(rows, [&](const Row& r) { return key.empty() || r.a.bytes == key; }),
                  "an exact field selects the texts equal to the value (an empty value all)");
    fuzz::require(select(local::fieldQuery(kContains, key2)) ==
                      expect(rows, [&](const Row& r) { return r.b.holds(key2); }),
                  "a contains field selects the texts that hold the value");
    return 0;
}
