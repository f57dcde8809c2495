// Storage shared by the reject-word, reject-phone and test-number stores: an
// ordered list of byte strings in a table of its own in Main.dll, and the
// list in memory together with the lookup structure built from it.
//
// The list in memory is what the store's tests answer from. initialize()
// replaces it with the stored list; a list set while the file is open is
// stored first and only then takes effect; setting a list on a closed store
// fails, as the next initialize() would load the stored list over it. Every
// store is used by one thread at a time, so nothing here takes a lock.
#pragma once

#include <atomic>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "components/data/engine/Database.h"
#include "contracts/base/CLog.h"

namespace Dmg::stores {

// Names fixed in the code, never taken from input.
struct ListTableNames {
    const char* component;  // the store's schema component, also its log prefix
    const char* table;
};

// One list in its table: the rows in list order, entries stored exactly
// (duplicates, empty strings, NUL bytes and invalid GBK included).
class ListTable {
public:
    explicit ListTable(const ListTableNames& names);

    // Opens the file (creating the table when missing) and reads the stored
    // list into `items`. False, logged and closed, when it cannot.
    bool open(const std::string& path, const std::string& password,
              std::vector<std::string>& items);
    void close() { db_.close(); }
    bool isOpen() const { return db_.isOpen(); }
    // Replaces the stored list in one transaction. False, logged, with the
    // stored list unchanged, when any row cannot be written.
    bool replace(const std::vector<std::string>& items);

    const std::string& component() const { return schema_.component; }

private:
    bool load(std::vector<std::string>& items);
    bool fail(const std::string& why);

    engine::Schema schema_;
    std::string selectSql_;
    std::string deleteSql_;
    std::string insertSql_;
    engine::Database db_;
};

// Surrounding blanks (space, tab, CR, LF) cut off; none of them can be the
// second byte of a GBK character, so no character is split.
std::string_view trimBlanks(std::string_view text);

// Runs `body` (returning 1 or 0), turning an exception such as an
// allocation failure on a huge list into 0 and a log line.
template <class Body>
int guarded(const std::string& component, const char* operation, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        try {
            Base::CLog::getSingleton().writeMessage(
                component + ": " + operation + " failed: " + e.what(), 2);
        } catch (...) {
        }
        return 0;
    }
}

// The list of one store in memory and on file. `Index` is built from the
// whole list (default-constructible, constructible from the list, movable).
template <class Index>
class ListStore {
    static_assert(std::is_nothrow_move_assignable_v<Index>,
                  "a new list must take effect without a chance of failing half-way");

public:
    explicit ListStore(const ListTableNames& names) : table_(names) {}

    // 1 when the stored list was loaded; 0, logged, when the file cannot be
    // opened or read, leaving the list in memory as it was.
    int initialize(const std::string& path, const std::string& password) {
        const int result = guarded(table_.component(), "initialize", [&] {
            std::vector<std::string> items;
            if (!table_.open(path, password, items)) return 0;
            Index index(items);
            adopt(items, index);
            return 1;
        });
        if (result == 0) table_.close();
        return result;
    }

    // Keeps the list in memory. Always 1.
    int close() {
        table_.close();
        return 1;
    }

    // Replaces the whole list: everything that can fail (building the index,
    // the transaction) happens before the new list takes effect, so a failure
    // leaves the old list in memory and on file. 0, logged, when closed.
    int set(const std::vector<std::string>& items) {
        return guarded(table_.component(), "set", [&] {
            if (!table_.isOpen()) {
                Base::CLog::getSingleton().writeMessage(
                    table_.component() + ": the list cannot be set while the store is closed", 2);
                return 0;
            }
            std::vector<std::string> copy(items);
            Index index(copy);
            if (!table_.replace(copy)) return 0;
            adopt(copy, index);
            return 1;
        });
    }

    // Appends the list. 1, or 0 when `out` cannot grow.
    int get(std::vector<std::string>& out) const {
        return guarded(table_.component(), "get", [&] {
            out.insert(out.end(), items_.begin(), items_.end());
            return 1;
        });
    }

    const Index& index() const { return index_; }
    // False until a list was loaded or set.
    bool known() const { return known_; }
    // known(); while false, says once (until a list is loaded) that
    // `operation` lets everything pass.
    bool knownOrSay(const char* operation) {
        if (known_) return true;
        if (!unknownSaid_.exchange(true)) {
            Base::CLog::getSingleton().writeMessage(table_.component() +
                                                        ": no list loaded; " + operation +
                                                        " lets everything pass",
                                                    2);
        }
        return false;
    }
    const std::string& component() const { return table_.component(); }

private:
    void adopt(std::vector<std::string>& items, Index& index) noexcept {
        items_.swap(items);
        index_ = std::move(index);
        known_ = true;
        unknownSaid_ = false;
    }

    ListTable table_;
    std::vector<std::string> items_;
    Index index_;
    bool known_ = false;
    // Set by knownOrSay once it has logged, cleared by adopt, both on the
    // thread using the store; no lock, atomic so that two threads testing at
    // once still log one line.
    std::atomic<bool> unknownSaid_{false};
};

}  // namespace Dmg::stores
