// The components used while the process ends: a namespace-scope object that
// in its destructor converts text, drops a named event and logs, and a thread
// that such a destructor stops and joins, logging until then. The child must
// exit 0 and every line must reach the log file.
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "contracts/base/CLog.h"
#include "contracts/platform/CodePage.h"
#include "contracts/platform/NamedEvent.h"
#include "tests/exit/ExitChild.h"

namespace {

void writeLog(const std::string& text) { Base::CLog::getSingleton().writeMessage(text, 1); }

const char* const kEventName = "exit-test-event";

bool convertsBack() {
    std::string utf8, gbk;
    return Platform::gbkToUtf8("再见", utf8) && Platform::utf8ToGbk(utf8, gbk) && gbk == "再见";
}

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

// Its event is opened and text converted in main, after the object was
// built; the destructor opens the event again by name and converts again.
struct UsesComponentsInDestructor {
    ~UsesComponentsInDestructor() {
        if (!g_child) return;
        Platform::NamedEvent(kEventName, false, false).set();
        const bool shared = event->wait(0) == Platform::NamedEvent::WaitResult::Signalled;
        event.reset();
        writeLog(shared && convertsBack() ? "destructor line" : "destructor: event or conversion failed");
    }
    std::unique_ptr<Platform::NamedEvent> event;
};

// Built before main, so destroyed after anything main makes first, the log included.
UsesComponentsInDestructor g_user;
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
    g_user.event = std::make_unique<Platform::NamedEvent>(kEventName, false, false);
    if (!convertsBack()) return 3;
    g_thread.start();
    return 0;
}
