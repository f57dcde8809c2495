// Contact files: export under a header of the 19 field labels, parsing
// through the file library, and import of parsed rows into the store.
#include <string>

#include "addressbook/CFriendMag.h"
#include "addressbook/CFriendSet.h"
#include "addressbook/MainStore.h"
#include "contracts/base/CLog.h"
#include "contracts/fileserialize/CFileManager.h"
#include "phone/CPhoneNumMag.h"

namespace SMS {
namespace {

using Table = std::map<int, std::vector<std::string>>;

const char kNumberProperty[] = "手机";

// The property of each export column: the label's entry in the label table,
// or the label itself.
std::vector<std::string> exportProperties(const std::vector<std::string>& labels) {
    const auto& table = CFriendSet::inistance()->m_labelToProperty;
    std::vector<std::string> properties;
    properties.reserve(labels.size());
    for (const std::string& label : labels) {
        const auto it = table.find(label);
        properties.push_back(it != table.end() ? it->second : label);
    }
    return properties;
}

// The number column: the last one named "手机", or -1.
int numberColumn(const std::vector<std::string>& columns) {
    for (std::size_t i = columns.size(); i-- > 0;) {
        if (columns[i] == kNumberProperty) return static_cast<int>(i);
    }
    return -1;
}

Dmg::CFriend contactFromRow(const std::vector<std::string>& row,
                            const std::vector<std::string>& columns) {
    static const std::string kEmpty;
    Dmg::CFriend contact;
    for (std::size_t j = 0; j < columns.size(); ++j) {
        if (columns[j].empty()) continue;
        contact.addPropetyAndValue(columns[j], j < row.size() ? row[j] : kEmpty);
    }
    return contact;
}

}  // namespace

int CFriendMag::exportFriend(const std::string& path, const std::vector<Dmg::CFriend>& contacts) {
    Table table;
    std::vector<std::string> labels;
    CFriendSet::inistance()->getAllField(labels);
    const std::vector<std::string> properties = exportProperties(labels);
    table[0] = labels;
    int row = 1;
    for (const Dmg::CFriend& contact : contacts) {
        std::vector<std::string>& cells = table[row++];
        cells.resize(properties.size());
        for (std::size_t j = 0; j < properties.size(); ++j) {
            contact.getValue(properties[j], cells[j]);
        }
    }
    return FileSerialize::CFileManager::getSingletonPtr()->exportToFile(path, table);
}

int CFriendMag::parseFile(const std::string& path, Table& table) {
    return FileSerialize::CFileManager::getSingletonPtr()->importFromFile(path, table);
}

int CFriendMag::importFriend(std::vector<std::vector<std::string>>& rows,
                             const std::vector<std::string>& columns,
                             const std::vector<int>& groups) {
    const int number = numberColumn(columns);
    if (number < 0) return 0;
    std::vector<Dmg::CFriend> contacts;
    contacts.reserve(rows.size());
    const CPhoneNumMag& phones = *CPhoneNumMag::inistance();
    for (const std::vector<std::string>& row : rows) {
        const std::size_t at = static_cast<std::size_t>(number);
        if (at >= row.size() || !phones.IsPhoneNum(row[at])) continue;
        contacts.push_back(contactFromRow(row, columns));
    }
    // All rows in one transaction: an import is stored whole or not at all.
    const int stored = contacts.empty() ? 1 : addressbook::onMainStore([&](auto& store) {
        return store.importFriends(contacts, groups);
    });
    const std::size_t storedCount = stored != 0 ? contacts.size() : 0;
    Base::CLog::getSingletonPtr()->writeMessage("333333333333333333-------- stored " +
                                                    std::to_string(storedCount) + ", skipped " +
                                                    std::to_string(rows.size() - contacts.size()),
                                                0);
    return stored != 0 ? 1 : 0;
}

}  // namespace SMS
