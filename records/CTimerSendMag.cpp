#include "records/CTimerSendMag.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

#include "addressbook/MainStore.h"
#include "contracts/base/CLog.h"
#include "contracts/net/CNetInterfaceMag.h"

namespace SMS {
namespace {

using addressbook::onMainStore;
using Store = Dmg::CLocalDataSerialize;

// Group number (ascending) to the service keys of its selected messages.
std::map<int, std::vector<std::string>> byGroup(const std::vector<Dmg::CTimerMsg>& selection) {
    std::map<int, std::vector<std::string>> groups;
    for (const auto& msg : selection) groups[msg.group].push_back(msg.serviceKey);
    return groups;
}

std::string joined(const std::vector<std::string>& keys) {
    std::string out;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) out += ',';
        out += keys[i];
    }
    return out;
}

void step(IBaseProgressDlg& progress) {
    progress.refresh();
    progress.offsetPos(1);
}

}  // namespace

CTimerSendMag::CTimerSendMag() = default;
CTimerSendMag::CTimerSendMag(const CTimerSendMag& other) = default;
CTimerSendMag& CTimerSendMag::operator=(const CTimerSendMag& other) = default;
CTimerSendMag::~CTimerSendMag() = default;

// Both empty the list first: the store appends, and a second load or search
// must not list the first one's messages again.
int CTimerSendMag::loadAllTimerInfo() {
    timerList.clear();
    return onMainStore([&](Store& s) { return s.getAllTimerMsg(timerList); });
}

int CTimerSendMag::select(const std::string& text) {
    timerList.clear();
    return onMainStore([&](Store& s) { return s.selectTimerMsg("Content", text, timerList); });
}

int CTimerSendMag::getAllTimerMsg(std::vector<Dmg::CTimerMsg>& out) {
    out = timerList;
    return 1;
}

int CTimerSendMag::getListInfoNum() { return static_cast<int>(timerList.size()); }

int CTimerSendMag::getListInfo(const int& page, const int& pageSize,
                               std::vector<Dmg::CTimerMsg>& out) {
    out.clear();
    if (timerList.empty() || page < 0 || pageSize < 0) return 0;
    // 64-bit: a huge page is past the end, never a wrapped-around one.
    const std::int64_t first = std::int64_t{page} * pageSize;
    const auto size = static_cast<std::int64_t>(timerList.size());
    const std::int64_t last = std::min((std::int64_t{page} + 1) * pageSize - 1, size - 1);
    if (first <= last) out.assign(timerList.begin() + first, timerList.begin() + last + 1);
    return 1;
}

int CTimerSendMag::deleteMsg(const Dmg::CTimerMsg& msg) {
    const auto it = std::find_if(timerList.begin(), timerList.end(), [&](const Dmg::CTimerMsg& m) {
        return m.recordId == msg.recordId;
    });
    if (it == timerList.end()) return 1;
    const int id = it->recordId;
    // Without a store the record stays listed, as it stays on disk.
    if (onMainStore([&](Store& s) { return s.deleteMsg(id), 1; }) == 0) return 0;
    timerList.erase(it);
    return 1;
}

int CTimerSendMag::deleteSelectList(const std::vector<Dmg::CTimerMsg>& selection,
                                    IBaseProgressDlg* progress) {
    if (progress == nullptr) return 0;
    const auto groups = byGroup(selection);
    progress->setRange(0, static_cast<int>(groups.size() + selection.size()), 1);
    progress->setText("正在删除定时信息...\n\n");
    std::set<std::string> failed;
    for (const auto& [group, keys] : groups) {
        step(*progress);
        const auto result = NET::CNetInterfaceMag::instance()->DelTimerMsg(group, joined(keys));
        if (result.code != 0) {
            Base::CLog::getSingleton().writeMessage("定时信息删除请求失败：" + result.errorText, 0);
            failed.insert(keys.begin(), keys.end());
        }
    }
    for (const auto& msg : selection) {
        step(*progress);
        if (failed.count(msg.serviceKey) == 0) deleteMsg(msg);
    }
    deleteReport = "正确删除" + std::to_string(selection.size() - failed.size()) +
                   "条定时信息  删除失败记录:" + std::to_string(failed.size());
    return 1;
}

int CTimerSendMag::deleteCurAllMsg(IBaseProgressDlg* progress) {
    const std::vector<Dmg::CTimerMsg> all = timerList;
    return deleteSelectList(all, progress);
}

}  // namespace SMS
