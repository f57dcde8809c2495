// Row maps to CSV text (RFC 4180).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace FileSerialize {

// The CSV text of `rows`, in key order, each row ending in CRLF. A cell is
// quoted when it holds a comma, a quote, CR or LF, starts or ends with a
// space or tab, or opens the file with the bytes of a UTF-8 byte-order mark;
// quotes inside are doubled. A row of no cells is an empty line; a row of
// one empty cell is `""`, so the two stay apart.
std::string writeCsv(const std::map<int, std::vector<std::string>>& rows);

}  // namespace FileSerialize
