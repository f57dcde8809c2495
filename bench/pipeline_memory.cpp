// Peak memory of one send of a common text to 1,000,000 recipients into a
// real SQu.dll (target under 1.5 GB). Run by hand: it takes a while and is
// not part of CI. Prints the peak resident size after composing the send
// (the baseline of the same run) and after the send.
#include <sys/resource.h>

#include <cstdio>

#include "bench/PipelineBenchData.h"
#include "send/CSmsSender.h"
#include "tests/fakes/RecordingProgressDlg.h"

namespace {

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

}  // namespace

int main() {
    constexpr int kRecipients = 1000000;
    pipebench::UserData data;
    if (!data.ok()) {
        std::fprintf(stderr, "cannot open the user data\n");
        return 1;
    }
    SMS::CSmsMsgProcessor processor = pipebench::commonSend(kRecipients);
    const double composed = peakMegabytes();

    auto& settings = *SMS::CSmsSendStartInstance::Instance();
    settings.remainingSms = 2000000000;
    std::size_t packets = 0;
    settings.onPacketsQueued = [&packets](std::vector<Dmg::QueueData>& p) { packets = p.size(); };
    std::string error;
    fakes::RecordingProgressDlg progress;
    const int result = SMS::CSmsSender().send(&processor, error, &progress);
    const double peak = peakMegabytes();

    std::printf("send of %d recipients: result %d, %zu packets\n", kRecipients, result, packets);
    std::printf("peak resident size: %.0f MB after composing, %.0f MB after the send "
                "(target under 1536 MB)\n",
                composed, peak);
    return result == 1 ? 0 : 1;
}
