#include "RotatingFileSink.h"

#include <cstdint>
#include <string>
#include <system_error>

#include "contracts/platform/FilePath.h"

namespace Base {

namespace fs = std::filesystem;

std::shared_ptr<RotatingFileSink> RotatingFileSink::open(const fs::path& path, std::size_t maxBytes,
                                                         std::size_t maxFiles) {
    auto sink = std::make_shared<RotatingFileSink>(path, maxBytes, maxFiles);
    return sink->file_ != nullptr ? sink : nullptr;
}

RotatingFileSink::RotatingFileSink(const fs::path& path, std::size_t maxBytes, std::size_t maxFiles)
    : path_(path), maxBytes_(maxBytes), maxFiles_(maxFiles) {
    reopen("ab");
}

RotatingFileSink::~RotatingFileSink() { close(); }

void RotatingFileSink::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

void RotatingFileSink::reopen(const char* mode) {
    close();
    file_ = Platform::openFile(path_, mode);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path_, ec);
    size_ = ec ? 0 : static_cast<std::size_t>(size);
}

void RotatingFileSink::sink_it_(const spdlog::details::log_msg& msg) {
    spdlog::memory_buf_t line;
    formatter_->format(msg, line);
    // A line longer than the limit still goes whole into a file of its own.
    if (size_ > 0 && size_ + line.size() > maxBytes_) rotate();
    if (file_ == nullptr) return;
    size_ += std::fwrite(line.data(), 1, line.size(), file_);
}

void RotatingFileSink::flush_() {
    if (file_ != nullptr) std::fflush(file_);
}

// The oldest file drops out, the others move one number up. A file that
// cannot be moved (held open elsewhere on Windows) leaves the current file
// growing instead, so no line is lost.
void RotatingFileSink::rotate() {
    close();
    std::error_code ec;
    for (std::size_t i = maxFiles_; i > 0 && !ec; --i) {
        const fs::path from = numbered(i - 1);
        if (!fs::exists(from, ec)) continue;
        const fs::path to = numbered(i);
        fs::remove(to, ec);
        if (!ec) fs::rename(from, to, ec);
    }
    reopen(ec ? "ab" : "wb");
}

// name.log for 0, name.N.log for N.
fs::path RotatingFileSink::numbered(std::size_t index) const {
    if (index == 0) return path_;
    fs::path name = path_.stem();
    name += "." + std::to_string(index);
    name += path_.extension();
    return path_.parent_path() / name;
}

}  // namespace Base
