#include "tools/smsctl/Table.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "tools/smsctl/Terminal.h"

namespace smsctl {

Table::Table(std::vector<std::string> columns) : columns_(std::move(columns)) {}

void Table::add(std::vector<std::string> row) {
    row.resize(columns_.size());
    rows_.push_back(std::move(row));
}

void Table::print(std::ostream& out) const {
    if (rows_.empty()) {
        out << u8"(none)\n";
        return;
    }
    std::vector<std::size_t> widths;
    for (const auto& c : columns_) widths.push_back(displayWidth(c));
    for (const auto& row : rows_) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], displayWidth(row[i]));
        }
    }
    const auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            text += cells[i];
            // No padding after the last column.
            if (i + 1 < cells.size())
                text += std::string(widths[i] - displayWidth(cells[i]) + 2, ' ');
        }
        out << text << '\n';
    };
    line(columns_);
    for (const auto& row : rows_) line(row);
}

void Table::printJson(std::ostream& out) const {
    out << '[';
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        out << (r ? ",\n " : "\n ") << '{';
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            out << (i ? ", " : "") << jsonString(columns_[i]) << ": " << jsonString(rows_[r][i]);
        }
        out << '}';
    }
    out << (rows_.empty() ? "]\n" : "\n]\n");
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

}  // namespace smsctl
