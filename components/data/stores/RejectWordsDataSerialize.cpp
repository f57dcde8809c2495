// "rejectwords": the words the carriers refuse, compiled into one matcher per
// list change so that testing a message is a single pass over its text.
#include "components/data/filters/RejectWordMatcher.h"
#include "components/data/stores/RejectListTable.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"

namespace Dmg {

struct CRejectWordsDataSerialize::Impl {
    stores::ListStore<RejectWordMatcher> list{{"rejectwords", "reject_words"}};
};

CRejectWordsDataSerialize::CRejectWordsDataSerialize() : impl_(std::make_unique<Impl>()) {}
CRejectWordsDataSerialize::~CRejectWordsDataSerialize() = default;

int CRejectWordsDataSerialize::initialize(const std::string& path, const std::string& password) {
    return impl_->list.initialize(path, password);
}

int CRejectWordsDataSerialize::close() { return impl_->list.close(); }

// Matches whole GBK characters only (see RejectWordMatcher). With an empty
// list, or before any list was loaded (logged once), every text is clean.
// `word` is only written when a word is found.
int CRejectWordsDataSerialize::testWord(const std::string& text, std::string& word) {
    auto& list = impl_->list;
    if (!list.knownOrSay("testWord")) return 1;
    return list.index().find(text, &word) ? 0 : 1;
}

// Empty words are kept in the list but never match.
int CRejectWordsDataSerialize::setRejectWords(const std::vector<std::string>& words) {
    return impl_->list.set(words);
}

int CRejectWordsDataSerialize::getRejectWords(std::vector<std::string>& out) {
    return impl_->list.get(out);
}

}  // namespace Dmg
