// The log file: a sink that opens its files by a std::filesystem::path the
// platform layer made, since spdlog's own file sinks take a narrow name in
// the ANSI code page on Windows. Rotates like spdlog's: when a line would
// take the file past its size, name.log becomes name.1.log, name.1.log
// name.2.log and so on up to the number of files kept, and name.log starts
// empty. A C stream, as spdlog's: the C library writes what is still
// buffered when the process exits, after the last static destructor logged.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>

#include <spdlog/sinks/base_sink.h>

namespace Base {

class RotatingFileSink final : public spdlog::sinks::base_sink<std::mutex> {
public:
    // The sink appending to `path`; null when the file cannot be opened.
    static std::shared_ptr<RotatingFileSink> open(const std::filesystem::path& path,
                                                  std::size_t maxBytes, std::size_t maxFiles);

    RotatingFileSink(const std::filesystem::path& path, std::size_t maxBytes, std::size_t maxFiles);
    ~RotatingFileSink() override;

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override;
    void flush_() override;

private:
    void close();
    void reopen(const char* mode);
    void rotate();
    std::filesystem::path numbered(std::size_t index) const;

    const std::filesystem::path path_;
    const std::size_t maxBytes_;
    const std::size_t maxFiles_;
    std::FILE* file_ = nullptr;
    std::size_t size_ = 0;  // bytes in the current file
};

}  // namespace Base
