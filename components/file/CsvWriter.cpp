#include "components/file/CsvWriter.h"

#include "components/file/TextEncoding.h"

namespace FileSerialize {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool needsQuotes(const std::string& cell, bool opensFile) {
    if (cell.empty()) return false;
    if (isBlank(cell.front()) || isBlank(cell.back())) return true;
    if (opensFile && cell.compare(0, 3, kUtf8Bom) == 0) return true;
    return cell.find_first_of(",\"\r\n") != std::string::npos;
}

void appendQuoted(std::string& out, const std::string& cell) {
    out += '"';
    for (const char c : cell) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void appendRow(std::string& out, const std::vector<std::string>& cells) {
    if (cells.size() == 1 && cells.front().empty()) {
        out += "\"\"";
    } else {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += ',';
            if (needsQuotes(cells[i], out.empty())) {
                appendQuoted(out, cells[i]);
            } else {
                out += cells[i];
            }
        }
    }
    out += "\r\n";
}

}  // namespace

std::string writeCsv(const std::map<int, std::vector<std::string>>& rows) {
    std::string out;
    for (const auto& row : rows) appendRow(out, row.second);
    return out;
}

}  // namespace FileSerialize
