#include "Journal.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>

#include "Files.h"

namespace smsgw {

namespace {

std::string lineOf(const nlohmann::json& record) { return record.dump() + '\n'; }

}  // namespace

Journal::~Journal() {
    if (file_ != files::kNone) files::close(file_);
}

bool Journal::replay(const std::string& path,
                     const std::function<void(const nlohmann::json&)>& apply, std::string& error) {
    path_ = path;
    const std::string lock = path + ".lock";
    lock_.emplace(lock, Platform::FileLock::Mode::Exclusive);
    if (!lock_->locked()) {
        // The failed open or lock left its reason as the last error.
        error = "cannot lock " + lock + " (another smsgw on this state file?): " +
                files::lastError();
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (files::missing(path)) return true;
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    std::size_t start = 0, number = 1;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1, ++number) {
        try {
            apply(nlohmann::json::parse(text.begin() + static_cast<std::ptrdiff_t>(start),
                                        text.begin() + static_cast<std::ptrdiff_t>(end)));
        } catch (const std::exception& e) {
            error = path + ": line " + std::to_string(number) + " is damaged: " + e.what();
            return false;
        }
    }
    return true;
}

bool Journal::rewrite(const std::vector<nlohmann::json>& records, std::string& error) {
    std::string bytes;
    for (const auto& r : records) bytes += lineOf(r);
    const std::string temporary = path_ + ".tmp";
    const files::Handle out = files::create(temporary);
    const bool written = out != files::kNone && files::writeAll(out, bytes);
    if (out != files::kNone && !files::close(out)) error = files::lastError();
    if (!written || !error.empty() || !files::replace(temporary, path_, file_)) {
        error = "cannot write " + temporary + ": " + files::lastError();
        std::remove(temporary.c_str());
        return false;
    }
    const files::Handle appendTo = files::openToAppend(path_);
    if (appendTo == files::kNone) {
        error = "cannot open " + path_ + ": " + files::lastError();
        return false;
    }
    if (file_ != files::kNone) files::close(file_);
    file_ = appendTo;
    appended_ = 0;
    rewritten_ = records.size();
    return true;
}

bool Journal::append(const nlohmann::json& record) {
    if (file_ == files::kNone || !files::writeAll(file_, lineOf(record))) return false;
    ++appended_;
    return true;
}

}  // namespace smsgw
