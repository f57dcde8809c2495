// Process-wide log of the base library. Levels: 0 trace markers, 1 progress,
// 2 outcomes. Lines are discarded until the caller names a log file; capture
// sinks (CLogCapture) see every line regardless. The one instance is never
// destroyed, so threads and destructors of statics may log until the process
// ends; lines still buffered are flushed at exit.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "contracts/base/NeverDestroyed.h"
#include "contracts/export.h"

namespace Base {

class CLogCapture;

class BASE_API CLog {
public:
    static CLog& getSingleton();
    static CLog* getSingletonPtr();

    // Writes one line. Levels below 0 count as 0, above 2 as 2.
    void writeMessage(const std::string& text, int level);

    // Sends lines to a rotating file at `path` (created with its folder when
    // missing). Returns false, and keeps the previous target, when the file
    // cannot be opened.
    bool setLogFile(const std::string& path, std::size_t maxBytes = 5u * 1024 * 1024,
                    std::size_t maxFiles = 3);
    // Stops writing to the file.
    void closeLogFile();
    // Lines below `level` are not written to the file (captures see all).
    void setFileLevel(int level);
    // Also hands every line (level, text) to `echo`, called on the thread that
    // logs; an empty function stops it. For a console that shows the log.
    void setEcho(std::function<void(int, const std::string&)> echo);
    void flush();

    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

private:
    friend class CLogCapture;
    friend class NeverDestroyed<CLog>;
    CLog();
    ~CLog();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace Base
