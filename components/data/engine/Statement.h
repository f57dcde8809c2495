// A prepared SQLite statement: bound parameters only, bytes in and out
// exactly (text fields are stored as blobs, so NUL bytes and invalid GBK
// survive).
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace Dmg::engine {

class Statement {
public:
    enum class Step { Row, Done, Error };

    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }

    // Parameters are numbered from 1.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, const std::string& bytes);
    Statement& bindNull(int index);
    bool bindOk() const { return bindOk_; }

    Step step();
    // Runs to completion; true when it ended without error.
    bool run();
    void reset();

    // Columns are numbered from 0.
    std::int64_t int64(int column) const;
    std::int32_t int32(int column) const { return static_cast<std::int32_t>(int64(column)); }
    std::string bytes(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    bool bindOk_ = true;
};

}  // namespace Dmg::engine
