// CSV file bytes, read the way CFileManager::importFromFile reads a file's
// bytes (a NUL refused, the encoding decided, UTF-8 converted to GBK, then
// the parser), without the file. Rows that are read must come back unchanged
// through the text exportToFile writes (GBK, or UTF-8 with a byte-order mark
// where GBK would pass for UTF-8) and a second import, unless export refuses.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "components/file/CsvReader.h"
#include "components/file/CsvWriter.h"
#include "components/file/TextEncoding.h"
#include "contracts/platform/CodePage.h"
#include "tests/fuzz/FuzzFields.h"

namespace {

using Rows = std::map<int, std::vector<std::string>>;
using FileSerialize::Encoding;

bool importBytes(std::string bytes, Rows& rows) {
    rows.clear();
    if (bytes.find('\0') != std::string::npos) return false;
    const Encoding encoding = FileSerialize::detectEncoding(bytes);
    if (encoding != Encoding::Gbk) {
        if (encoding == Encoding::Utf8Bom) bytes.erase(0, 3);
        std::string gbk;
        if (!Platform::utf8ToGbk(bytes, gbk)) return false;
        bytes.swap(gbk);
    }
    std::string why;
    return FileSerialize::readCsv(bytes, rows, why);
}

// False where export refuses: a text over import's limits, cells that are
// not GBK yet read as UTF-8.
bool exportBytes(const Rows& rows, std::string& bytes) {
    bytes = FileSerialize::writeCsv(rows);
    std::string why;
    if (!FileSerialize::checkCsv(bytes, why)) return false;
    if (FileSerialize::detectEncoding(bytes) == Encoding::Gbk) return true;
    std::string utf8, back;
    if (!Platform::gbkToUtf8(bytes, utf8) || !Platform::utf8ToGbk(utf8, back) || back != bytes) {
        return false;
    }
    bytes = FileSerialize::kUtf8Bom + utf8;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Rows rows;
    if (!importBytes(fuzz::asString(data, size), rows)) {
        fuzz::require(rows.empty(), "a refused file leaves no rows");
        return 0;
    }
    int expected = 0;
    for (const auto& row : rows) {
        fuzz::require(row.first == expected++, "rows are numbered 0, 1, 2, ...");
    }
    std::string written;
    if (!exportBytes(rows, written)) return 0;
    Rows again;
    fuzz::require(importBytes(written, again), "what export writes, import reads");
    fuzz::require(again == rows, "rows read back unchanged");
    return 0;
}
