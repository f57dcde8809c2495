// Lines written while the process ends: by the destructor of a namespace-scope
// object, and by a thread that such a destructor stops and joins. The child
// must exit 0 and every line must reach the log file.
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "contracts/base/CLog.h"
#include "tests/exit/ExitChild.h"

namespace {

void writeLog(const std::string& text) { Base::CLog::getSingleton().writeMessage(text, 1); }

// Set by main of the child before it starts the thread; only the child logs.
bool g_child = false;

// Writes a line every millisecond until its destructor stops it; the last
// line is written after the stop was seen, while statics are destroyed.
class LoggingThread {
public:
    void start() {
        thread_ = std::thread([this] {
            for (int i = 0; !stop_; ++i) {
                writeLog("thread line " + std::to_string(i));
                written_ = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            writeLog("thread ends");
        });
        while (!written_) std::this_thread::yield();
    }
    ~LoggingThread() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};     // set by the destructor, read by the thread
    std::atomic<bool> written_{false};  // set by the thread, read by start()
};

struct LogsInDestructor {
    ~LogsInDestructor() {
        if (g_child) writeLog("destructor line");
    }
};

// Built before main, so destroyed after anything main creates first, the log included.
LogsInDestructor g_logsInDestructor;
LoggingThread g_thread;

bool hasLine(const std::string& file, const std::string& text) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0)
            return true;
    }
    std::printf("missing from the log: %s\n", text.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        return exittest::runChild(argv[0], [](const std::string& dir) {
            const std::string file = dir + "/exit.log";
            return hasLine(file, "thread line 0") && hasLine(file, "thread ends") &&
                   hasLine(file, "destructor line");
        });
    }
    g_child = true;
    if (!Base::CLog::getSingleton().setLogFile(std::string(argv[1]) + "/exit.log")) return 2;
    g_thread.start();
    return 0;
}
