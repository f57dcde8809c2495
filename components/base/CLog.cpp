#include "contracts/base/CLog.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <utility>

#include <spdlog/sinks/base_sink.h>

#include "LogCore.h"
#include "RotatingFileSink.h"
#include "contracts/base/NeverDestroyed.h"
#include "contracts/platform/FilePath.h"

namespace Base {

namespace {

constexpr const char* kFilePattern = "%Y-%m-%d %H:%M:%S.%e [%l] [%t] %v";

int clampLevel(int level) { return level < 0 ? 0 : (level > 2 ? 2 : level); }

bool makeParentFolder(const std::filesystem::path& path) {
    const std::filesystem::path parent = path.parent_path();
    if (parent.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    return !ec && std::filesystem::is_directory(parent, ec);
}

// The file is named through the platform layer: on Windows the GBK path
// becomes UTF-16 there, where spdlog's own sinks would read the ANSI code page.
std::shared_ptr<spdlog::sinks::sink> openFileSink(const std::string& path, std::size_t maxBytes,
                                                  std::size_t maxFiles) {
    try {
        const std::filesystem::path file = Platform::filePath(path);
        if (file.empty() || !makeParentFolder(file)) return nullptr;
        auto sink = RotatingFileSink::open(file, maxBytes, maxFiles);
        if (sink) sink->set_pattern(kFilePattern);
        return sink;
    } catch (...) {
        return nullptr;
    }
}

// Hands each line's level and bare text to a function.
class EchoSink final : public spdlog::sinks::base_sink<std::mutex> {
public:
    explicit EchoSink(std::function<void(int, const std::string&)> echo) : echo_(std::move(echo)) {}

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
        echo_(fromSpdLevel(msg.level), std::string(msg.payload.data(), msg.payload.size()));
    }
    void flush_() override {}

private:
    std::function<void(int, const std::string&)> echo_;
};

}  // namespace

spdlog::level::level_enum toSpdLevel(int level) {
    switch (clampLevel(level)) {
    case 0: return spdlog::level::debug;
    case 1: return spdlog::level::info;
    default: return spdlog::level::warn;
    }
}

int fromSpdLevel(spdlog::level::level_enum level) {
    if (level <= spdlog::level::debug) return 0;
    if (level == spdlog::level::info) return 1;
    return 2;
}

CLog::Impl::Impl()
    : dist(std::make_shared<spdlog::sinks::dist_sink_mt>()),
      // Not registered with spdlog, so nothing else can drop or reconfigure it.
      logger(std::make_shared<spdlog::logger>("sms", dist)) {
    logger->set_level(spdlog::level::trace);
    logger->flush_on(spdlog::level::warn);
    // A failing sink must not print to stderr or throw into the caller.
    logger->set_error_handler([](const std::string&) {});
}

CLog::CLog() : impl_(std::make_unique<Impl>()) {}

CLog::~CLog() = default;

CLog& CLog::getSingleton() {
    // Never destroyed: worker threads and destructors of statics may log
    // until the process is gone. Lines still buffered are written at exit.
    static NeverDestroyed<CLog> instance;
    static const int flushAtExit = std::atexit([] { getSingleton().flush(); });
    static_cast<void>(flushAtExit);
    return instance.get();
}

CLog* CLog::getSingletonPtr() { return &getSingleton(); }

void CLog::writeMessage(const std::string& text, int level) {
    try {
        // Passed as a plain view so braces in the text are never taken as format fields.
        impl_->logger->log(toSpdLevel(level), spdlog::string_view_t(text.data(), text.size()));
    } catch (...) {
    }
}

bool CLog::setLogFile(const std::string& path, std::size_t maxBytes, std::size_t maxFiles) {
    try {
        auto sink = openFileSink(path, maxBytes, maxFiles);
        if (!sink) return false;
        sink->set_level(toSpdLevel(impl_->fileLevel.load()));

        const std::lock_guard<std::mutex> lock(impl_->fileMutex);
        if (impl_->fileSink) impl_->dist->remove_sink(impl_->fileSink);
        impl_->fileSink = std::move(sink);
        impl_->dist->add_sink(impl_->fileSink);
        return true;
    } catch (...) {
        return false;
    }
}

void CLog::closeLogFile() {
    try {
        const std::lock_guard<std::mutex> lock(impl_->fileMutex);
        if (!impl_->fileSink) return;
        impl_->dist->remove_sink(impl_->fileSink);
        impl_->fileSink->flush();
        impl_->fileSink.reset();
    } catch (...) {
    }
}

void CLog::setFileLevel(int level) {
    try {
        const std::lock_guard<std::mutex> lock(impl_->fileMutex);
        impl_->fileLevel = clampLevel(level);
        if (impl_->fileSink) impl_->fileSink->set_level(toSpdLevel(level));
    } catch (...) {
    }
}

void CLog::setEcho(std::function<void(int, const std::string&)> echo) {
    try {
        const std::lock_guard<std::mutex> lock(impl_->fileMutex);
        if (impl_->echoSink) impl_->dist->remove_sink(impl_->echoSink);
        impl_->echoSink.reset();
        if (!echo) return;
        impl_->echoSink = std::make_shared<EchoSink>(std::move(echo));
        impl_->dist->add_sink(impl_->echoSink);
    } catch (...) {
    }
}

void CLog::flush() {
    try {
        impl_->logger->flush();
    } catch (...) {
    }
}

}  // namespace Base
