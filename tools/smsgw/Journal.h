// The state file: one JSON record per line, each appended with a single
// write before the answer it backs is sent, and rewritten whole now and
// then from the state it describes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "contracts/platform/FileLock.h"

namespace smsgw {

class Journal {
public:
    Journal() = default;
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Takes `path` for this process (a second simulator on the same file is
    // refused), then hands every complete record of it to `apply`, in order (a missing
    // file has none). A last line without its line break is what a killed
    // process left of a record it never answered: it is dropped. False, with
    // `error`, for a file that cannot be read or a record that `apply` throws on.
    bool replay(const std::string& path, const std::function<void(const nlohmann::json&)>& apply,
                std::string& error);
    // Replaces the file with `records` (a temporary file, then rename) and
    // appends to it from then on.
    bool rewrite(const std::vector<nlohmann::json>& records, std::string& error);
    bool append(const nlohmann::json& record);
    std::size_t appendedSinceRewrite() const { return appended_; }
    std::size_t rewrittenRecords() const { return rewritten_; }

private:
    std::string path_;
    std::intptr_t file_ = -1;  // appended to; a files::Handle
    // On <path>.lock, held while the journal lives: one simulator per file.
    std::optional<Platform::FileLock> lock_;
    std::size_t appended_ = 0;
    std::size_t rewritten_ = 0;
};

}  // namespace smsgw
