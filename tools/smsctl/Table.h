// Rows printed either as an aligned table for people or as JSON for scripts
// (an array of objects keyed by the column names). Cells are UTF-8.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace smsctl {

class Table {
public:
    explicit Table(std::vector<std::string> columns);

    void add(std::vector<std::string> row);
    std::size_t size() const { return rows_.size(); }
    // Aligned columns under a header; nothing but "(none)" for no rows.
    void print(std::ostream& out) const;
    void printJson(std::ostream& out) const;
    void print(std::ostream& out, bool json) const { json ? printJson(out) : print(out); }

private:
    std::vector<std::string> columns_;
    std::vector<std::vector<std::string>> rows_;
};

// `text` as a JSON string literal.
std::string jsonString(const std::string& text);

}  // namespace smsctl
