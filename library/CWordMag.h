// The user interface's door to the phrase library: the group tree and the
// phrases in the main store ("database"), plus one cached list (one group or
// one search result) paged for display, import of rows and export to a file.
//
// Plain and copyable; used from one thread. Results: 1 success, 0 failure,
// store results passed through unless said otherwise.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CWord.h"
#include "contracts/dmg/CWordGroup.h"
#include "contracts/export.h"

namespace SMS {

class SMS_API CWordMag {
public:
    CWordMag();
    CWordMag(const CWordMag& other);
    CWordMag& operator=(const CWordMag& other);
    ~CWordMag();

    // Forwarded to the store; the cache is not touched.
    int addRootGroup(const std::string& name, int& newId);
    int addSubGroup(const int& parentId, const std::string& name, int& newId);
    int renameGroup(const int& id, const std::string& name);
    int delGroup(const int& id);
    int getSubGroup(const int& parentId, std::vector<Dmg::CWordGroup>& out);
    int getRootGroup(std::vector<Dmg::CWordGroup>& out);
    int modifyWord(const int& id, Dmg::CWord& word);
    int getWordInfo(const int& id, Dmg::CWord& word);
    int delWord(const int& id);
    int delAllWord();  // empties the cache too
    // Adds the phrase to each group in order (group 1 when none), stopping at
    // the first result not above 1; each new record number goes to `newIds`.
    int addWord(Dmg::CWord& word, const std::vector<int>& groups, std::vector<int>& newIds);
    // Deletes from the store the cached phrases of `groupId`; the cache stays.
    int delCurGroup(int groupId);

    // The cached list.
    int getGroupWordNum(const int& groupId);
    int SelectWordByContent(const std::string& text);
    int selectWordNum(const std::string& key1, const std::string& key2);
    int getCurWordNum();
    // Appends page `page` (from 0) to `out`; 0 when it starts outside the
    // cache. The first argument is not read.
    int getWord(const int& unused, const int& page, std::vector<Dmg::CWord>& out);
    int init(const int& pageSize);
    int clearVec();
    int InsertWordInVec(const int& pos, const int& id, const Dmg::CWord& word);
    int modifyWordInVec(const int& id, const Dmg::CWord& word);
    int delWordInVec(const int& id);

    // One phrase per row (its cells joined) into each group (group 1 when
    // none), stamped with the time of the import, all in one transaction:
    // 1, or 0 when the store refuses.
    int importWord(std::map<int, std::vector<std::string>>& rows, const std::vector<int>& groups);
    // Row i: the property values of words[i], no header.
    int exportWord(const std::string& path, const std::vector<Dmg::CWord>& words);

protected:
    int getGroupWord(const int& groupId, std::vector<Dmg::CWord>& out);
    // Fields "ID", "内容", "所属组ID", "添加时间"; 0 for any other.
    int selectWord(const std::string& field, const std::string& value);
    int selectWord2Key(const std::string& key1, const std::string& key2);

private:
    std::vector<Dmg::CWord> m_cache;
    int m_pageSize = 0;
    int m_curGroup = -1;  // group of the cache; -1 after init and after a search
};

}  // namespace SMS
