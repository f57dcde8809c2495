#include "tools/smsctl/Progress.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "tools/smsctl/Interrupt.h"
#include "tools/smsctl/Terminal.h"

namespace smsctl {
namespace {

constexpr int kBarWidth = 30;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

std::string clock(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

TerminalProgress::TerminalProgress()
    : terminal_(stderrIsTerminal()), start_(std::chrono::steady_clock::now()) {}

TerminalProgress::~TerminalProgress() { finish(); }

void TerminalProgress::setRange(int lower, int upper, int /*step*/) {
    lower_ = lower, upper_ = upper, position_ = lower;
    start_ = std::chrono::steady_clock::now();
    // Plain lines start with the title that follows, not with a bare count.
    lastTenth_ = 0;
    draw(terminal_);
}

void TerminalProgress::refresh() { draw(false); }

void TerminalProgress::offsetPos(int delta) {
    position_ += delta;
    draw(false);
}

void TerminalProgress::setText(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    title_ = trimmed(toUtf8(text));
    draw(true);
}

int TerminalProgress::isCanceled() { return interrupted() ? 1 : 0; }

void TerminalProgress::finish() {
    if (!drawn_) return;
    draw(true);
    if (terminal_) std::fputc('\n', stderr);
    drawn_ = false;
}

void TerminalProgress::draw(bool force) {
    const long long total = upper_ - lower_;
    const long long done = position_ - lower_;
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0;
    if (!terminal_) {
        // A line at each tenth of the way, and one for a new title.
        const int tenth = total > 0 ? static_cast<int>(done * 10 / total) : 0;
        if (!force && tenth == lastTenth_) return;
        lastTenth_ = tenth;
        std::fprintf(stderr, "%s %lld/%lld\n", title_.c_str(), done, total);
        drawn_ = false;
        return;
    }
    if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    const int filled = total > 0 ? static_cast<int>(done * kBarWidth / total) : 0;
    std::string bar(static_cast<std::size_t>(std::min(std::max(filled, 0), kBarWidth)), '#');
    bar.resize(kBarWidth, '.');
    std::string left = "-";
    if (rate > 0 && total > done) left = clock(static_cast<double>(total - done) / rate);
    std::fprintf(stderr, "\r%s [%s] %lld/%lld  %.0f/s  %s left\033[K", title_.c_str(), bar.c_str(),
                 done, total, rate, left.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

}  // namespace smsctl
