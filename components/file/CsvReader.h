// CSV text (RFC 4180) to a row map.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace FileSerialize {

// Parses `text` into rows 0..n-1. Rows end with CRLF, LF or a lone CR; the
// last row needs no line end. An empty line is a row of no cells. A quote
// inside an unquoted cell is taken as it is. Returns false, with `why` set
// and `rows` empty, on an unbalanced quote, a character other than a comma
// or a line end after a closing quote, or more cells than the limits allow.
bool readCsv(const std::string& text, std::map<int, std::vector<std::string>>& rows,
             std::string& why);

// Whether readCsv takes `text`, keeping nothing; false with `why` set where
// readCsv fails.
bool checkCsv(const std::string& text, std::string& why);

}  // namespace FileSerialize
