// Internals of CLog shared with CLogCapture: the logger and the fan-out sink
// that the file sink and capture sinks hang on.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include <spdlog/logger.h>
#include <spdlog/sinks/dist_sink.h>

#include "contracts/base/CLog.h"

namespace Base {

// Levels 0..2 of CLog, after clamping, as spdlog levels and back.
spdlog::level::level_enum toSpdLevel(int level);
int fromSpdLevel(spdlog::level::level_enum level);

struct CLog::Impl {
    Impl();

    std::shared_ptr<spdlog::sinks::dist_sink_mt> dist;
    std::shared_ptr<spdlog::logger> logger;

    std::mutex fileMutex;  // guards fileSink while it is replaced
    std::shared_ptr<spdlog::sinks::sink> fileSink;
    std::atomic<int> fileLevel{0};
    std::shared_ptr<spdlog::sinks::sink> echoSink;  // guarded by fileMutex
};

}  // namespace Base
