#include "components/data/engine/Statement.h"

#include <sqlite3.h>

#include "contracts/base/CLog.h"

namespace Dmg::engine {

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
        Base::CLog::getSingleton().writeMessage(
            std::string("data: cannot prepare statement: ") + sqlite3_errmsg(db), 2);
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::bind(int index, std::int64_t value) {
    if (stmt_ == nullptr || sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) bindOk_ = false;
    return *this;
}

Statement& Statement::bind(int index, const std::string& bytes) {
    // A zero-length blob still binds as a blob, not as NULL.
    if (stmt_ == nullptr || sqlite3_bind_blob64(stmt_, index, bytes.empty() ? "" : bytes.data(),
                                                bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK) {
        bindOk_ = false;
    }
    return *this;
}

Statement& Statement::bindNull(int index) {
    if (stmt_ == nullptr || sqlite3_bind_null(stmt_, index) != SQLITE_OK) bindOk_ = false;
    return *this;
}

Statement::Step Statement::step() {
    if (stmt_ == nullptr || !bindOk_) return Step::Error;
    switch (sqlite3_step(stmt_)) {
        case SQLITE_ROW:
            return Step::Row;
        case SQLITE_DONE:
            return Step::Done;
        default:
            Base::CLog::getSingleton().writeMessage(
                std::string("data: statement failed: ") + sqlite3_errmsg(db_), 2);
            return Step::Error;
    }
}

bool Statement::run() {
    Step s;
    while ((s = step()) == Step::Row) {
    }
    return s == Step::Done;
}

void Statement::reset() {
    if (stmt_ == nullptr) return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    bindOk_ = true;
}

std::int64_t Statement::int64(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::bytes(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    if (data == nullptr || size <= 0) return {};
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace Dmg::engine
