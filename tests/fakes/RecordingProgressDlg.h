// A progress object that records every call in order, as text such as
// "setRange(0,10,1)", "refresh()", "offsetPos(1)", "setText(<formatted>)",
// "isCanceled()", and answers isCanceled() as scripted.
#pragma once

#include <string>
#include <vector>

#include "contracts/progress.h"

namespace fakes {

class RecordingProgressDlg : public IBaseProgressDlg {
public:
    void setRange(int lower, int upper, int step) override;
    void refresh() override;
    void offsetPos(int delta) override;
    void setText(const char* format, ...) override;
    int isCanceled() override;

    // Answer non-zero from the n-th isCanceled() call on (1-based); 0 never.
    void cancelAtCall(int n) { cancelAt_ = n; }

    const std::vector<std::string>& calls() const { return calls_; }
    int count(const std::string& call) const;
    // The formatted text of every setText call, in order.
    std::vector<std::string> texts() const;

private:
    std::vector<std::string> calls_;
    int cancelAt_ = 0;
    int cancelCalls_ = 0;
};

}  // namespace fakes
