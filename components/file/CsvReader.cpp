#include "components/file/CsvReader.h"

#include <cstddef>
#include <utility>

#include "components/file/Limits.h"

namespace FileSerialize {
namespace {

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// Parses the text; with `keep` false it only checks it, keeping no text and
// no rows, so that a file over the limits costs no memory.
class Parser {
public:
    Parser(const std::string& text, bool keep) : text_(text), keep_(keep) {}

    bool run(std::map<int, std::vector<std::string>>& rows, std::string& why) {
        int index = 0;
        while (pos_ < text_.size()) {
            std::vector<std::string> cells;
            if (!readRow(cells) || !count(kRowWeight)) {
                why = why_;
                rows.clear();
                return false;
            }
            if (keep_) rows.emplace(index++, std::move(cells));
        }
        return true;
    }

private:
    // One row and its line end; the cells are added to `cells` when kept.
    bool readRow(std::vector<std::string>& cells) {
        if (!isLineEnd(text_[pos_])) {
            std::string unkept;  // stays empty
            for (std::size_t n = 0;; ++n) {
                if (n == kMaxColumns) return fail("more than 65536 cells in a row");
                if (!count(kCellWeight)) return false;
                if (keep_) cells.emplace_back();
                if (!readCell(keep_ ? cells.back() : unkept)) return false;
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                break;
            }
        }
        if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        return true;
    }

    // One cell; leaves pos_ on the comma or line end after it, or at the end.
    bool readCell(std::string& cell) {
        if (pos_ < text_.size() && text_[pos_] == '"') return readQuoted(cell);
        const std::size_t end = text_.find_first_of(",\r\n", pos_);
        const std::size_t stop = end == std::string::npos ? text_.size() : end;
        if (keep_) cell.assign(text_, pos_, stop - pos_);
        pos_ = stop;
        return true;
    }

    bool readQuoted(std::string& cell) {
        ++pos_;
        for (;;) {
            const std::size_t quote = text_.find('"', pos_);
            if (quote == std::string::npos) return fail("unbalanced quote at the end of the file");
            if (keep_) cell.append(text_, pos_, quote - pos_);
            pos_ = quote + 1;
            if (pos_ < text_.size() && text_[pos_] == '"') {
                if (keep_) cell += '"';
                ++pos_;
                continue;
            }
            if (pos_ == text_.size() || text_[pos_] == ',' || isLineEnd(text_[pos_])) return true;
            return fail("a character other than a comma or a line end after a closing quote");
        }
    }

    // Counts one more cell or row against the file's limits.
    bool count(std::size_t weight) {
        weight_ += weight;
        if (++items_ > kMaxItems) return fail("more than 4194304 cells and rows");
        return weight_ <= maxWeight(text_.size()) ||
               fail("more cells and rows than its size allows");
    }

    bool fail(const char* why) {
        why_ = why;
        return false;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    const bool keep_;
    std::size_t items_ = 0;
    std::size_t weight_ = 0;
    std::string why_;
};

}  // namespace

bool readCsv(const std::string& text, std::map<int, std::vector<std::string>>& rows,
             std::string& why) {
    rows.clear();
    return checkCsv(text, why) && Parser(text, true).run(rows, why);
}

bool checkCsv(const std::string& text, std::string& why) {
    std::map<int, std::vector<std::string>> none;
    return Parser(text, false).run(none, why);
}

}  // namespace FileSerialize
