#include "contracts/base/CLogCapture.h"

#include <mutex>

#include <spdlog/sinks/base_sink.h>

#include "LogCore.h"

namespace Base {

// Keeps the raw payload and level of each line; no formatting.
struct CLogCapture::Sink : spdlog::sinks::base_sink<std::mutex> {
    std::vector<Line> snapshot() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    void clearLines() {
        const std::lock_guard<std::mutex> lock(mutex_);
        lines_.clear();
    }

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
        lines_.push_back(Line{fromSpdLevel(msg.level),
                              std::string(msg.payload.data(), msg.payload.size())});
    }
    void flush_() override {}

private:
    std::vector<Line> lines_;
};

CLogCapture::CLogCapture() : sink_(std::make_shared<Sink>()) {
    sink_->set_level(spdlog::level::trace);
    CLog::getSingleton().impl_->dist->add_sink(sink_);
}

CLogCapture::~CLogCapture() {
    try {
        CLog::getSingleton().impl_->dist->remove_sink(sink_);
    } catch (...) {
    }
}

std::vector<CLogCapture::Line> CLogCapture::lines() const { return sink_->snapshot(); }

void CLogCapture::clear() { sink_->clearLines(); }

}  // namespace Base
