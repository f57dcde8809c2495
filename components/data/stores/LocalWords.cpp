// The phrase library of the main store: each call forwards to WordTable and
// the group tree.
#include <vector>

#include "components/data/stores/GroupTree.h"
#include "components/data/stores/HistoryTime.h"
#include "components/data/stores/LocalImpl.h"
#include "components/data/stores/WordTable.h"
#include "contracts/dmg/CLocalDataSerialize.h"

namespace Dmg {
namespace {

// Group 1 when no group is named; an unset time added becomes `now`.
int addWords(CLocalDataSerialize::Impl& impl, const char* what, std::vector<CWord>& words,
             const std::vector<int>& groups) {
    const CSmsData now = historytime::now();
    std::vector<CWord> stamped = words;
    for (CWord& w : stamped) {
        if (w.getWordStrut().addTime.isUnset()) w.getWordStrut().addTime = now;
    }
    const int result = impl.with(what, [&](engine::Connection& db) {
        return local::addRecords(db, local::wordTable(), stamped,
                                 groups.empty() ? std::vector<int>{1} : groups);
    });
    if (result == 1) words = std::move(stamped);
    return result;
}

}  // namespace

int CLocalDataSerialize::addRootWordGroup(const std::string& name, int& newId) {
    return impl_->with("addRootWordGroup", [&](engine::Connection& db) {
        return local::addGroup(db, local::kWordGroups, 0, name, &newId);
    });
}

int CLocalDataSerialize::addSubWordGroup(const int& parentId, const std::string& name, int& newId) {
    return impl_->with("addSubWordGroup", [&](engine::Connection& db) {
        return local::addSubGroup(db, local::kWordGroups, parentId, name, &newId);
    });
}

int CLocalDataSerialize::renameWordGroup(const int& id, const std::string& name) {
    return impl_->with("renameWordGroup", [&](engine::Connection& db) {
        return local::renameGroup(db, local::kWordGroups, id, name);
    });
}

int CLocalDataSerialize::delWordGroup(const int& id) {
    return impl_->with("delWordGroup", [&](engine::Connection& db) {
        return local::deleteGroupTree(db, local::kWordGroups, id);
    });
}

int CLocalDataSerialize::getSubWordGroup(const int& parentId, std::vector<CWordGroup>& out) {
    return impl_->with("getSubWordGroup", [&](engine::Connection& db) {
        return local::readGroups(db, local::kWordGroups, parentId, out);
    });
}

int CLocalDataSerialize::getRootWordGroup(std::vector<CWordGroup>& out) {
    return getSubWordGroup(0, out);
}

int CLocalDataSerialize::addWord(CWord& word, const int& groupId, int& newId) {
    std::vector<CWord> one{word};
    if (addWords(*impl_, "addWord", one, {groupId}) == 0) return 0;
    word = one.front();
    newId = word.getWordStrut().id;
    return 2;
}

int CLocalDataSerialize::addWord(CWord& word, const int& groupId) {
    int newId = 0;
    return addWord(word, groupId, newId);
}

int CLocalDataSerialize::importWords(std::vector<CWord>& words, const std::vector<int>& groups) {
    return addWords(*impl_, "importWords", words, groups);
}

int CLocalDataSerialize::modifyWord(const int& id, CWord& word) {
    return impl_->with("modifyWord", [&](engine::Connection& db) {
        return local::modifyRecord(db, local::wordTable(), id, word,
                                   [](CWord& given, const CWord& stored) {
                                       CWord::WordData& g = given.getWordStrut();
                                       const CWord::WordData& s = stored.getWordStrut();
                                       g.id = s.id;
                                       g.groupId = s.groupId;
                                       if (g.addTime.isUnset()) g.addTime = s.addTime;
                                   });
    });
}

int CLocalDataSerialize::getWordInfo(const int& id, CWord& word) {
    return impl_->with("getWordInfo", [&](engine::Connection& db) {
        return local::readRecord(db, local::wordTable(), id, word);
    });
}

int CLocalDataSerialize::delWord(const int& id) {
    return impl_->with("delWord", [&](engine::Connection& db) {
        return local::deleteRecord(db, local::wordTable(), id);
    });
}

int CLocalDataSerialize::delAllWord() {
    return impl_->with("delAllWord", [&](engine::Connection& db) {
        return local::deleteAllRecords(db, local::wordTable());
    });
}

int CLocalDataSerialize::getGroupWord(const int& groupId, std::vector<CWord>& out) {
    return impl_->with("getGroupWord", [&](engine::Connection& db) {
        return local::readGroupWords(db, groupId, out);
    });
}

int CLocalDataSerialize::selectWord(const std::string& field, const int& value,
                                    std::vector<CWord>& out) {
    return impl_->with("selectWord", [&](engine::Connection& db) {
        return local::selectWords(db, field, value, out);
    });
}

int CLocalDataSerialize::selectWord(const std::string& field, const std::string& value,
                                    std::vector<CWord>& out) {
    return impl_->with("selectWord", [&](engine::Connection& db) {
        return local::selectWords(db, field, value, out);
    });
}

int CLocalDataSerialize::selectWord(const std::string& field, const CSmsData& value,
                                    std::vector<CWord>& out) {
    return impl_->with("selectWord", [&](engine::Connection& db) {
        return local::selectWords(db, field, value, out);
    });
}

int CLocalDataSerialize::selectWord2Key(const std::string& key1, const std::string& key2,
                                        std::vector<CWord>& out) {
    return impl_->with("selectWord2Key", [&](engine::Connection& db) {
        return local::selectWords2Key(db, key1, key2, out);
    });
}

}  // namespace Dmg
