// The data library's registry of stores, one object per store name.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "contracts/base/NeverDestroyed.h"
#include "contracts/export.h"

namespace Dmg {

class IDataSerialize;

class DMG_API CDataManager {
public:
    static CDataManager& getSingleton();
    static CDataManager* getSingletonPtr();

    // The store registered under `name`, or null when there is none.
    IDataSerialize* getDataSerialize(const std::string& name) const;

    // Puts `store` (not owned; null removes the entry) under `name` and
    // returns the store it replaces, so that a caller, such as a test
    // installing a fake, can put it back afterwards.
    IDataSerialize* registerDataSerialize(const std::string& name, IDataSerialize* store);

    // Opens, for the user directory `userDir`, the stores that the library
    // uses without opening them itself: "database" on Main.dll, "historylog"
    // on HLog.dll, "rejectwords", "rejectphones", "testphonenum" and
    // "userconfigfile" on Main.dll; missing files are created, the folder is
    // not. 1 when all are open; 0 (logged) otherwise, with none left open.
    int openUserData(const std::string& userDir);
    // Closes those stores and every idle connection of the data library,
    // after folding each file's write-ahead log into the file, so that the
    // .dll files alone hold all data (backup, restore).
    void closeUserData();

    CDataManager(const CDataManager&) = delete;
    CDataManager& operator=(const CDataManager&) = delete;

private:
    friend class Base::NeverDestroyed<CDataManager>;
    CDataManager();
    ~CDataManager();

    bool openOwned(const std::string& name, const std::string& path);
    void closeOwned(const std::string& name);
    void closeUserDataLocked();

    // Stores the data library creates and owns.
    std::map<std::string, std::unique_ptr<IDataSerialize>> owned_;
    // What getDataSerialize hands out.
    std::map<std::string, IDataSerialize*> active_;
    mutable std::shared_mutex mutex_;
    std::mutex userDataMutex_;
};

}  // namespace Dmg
