#include "components/data/stores/ContactTable.h"

#include <sqlite3.h>

#include <cstdint>
#include <iterator>

#include "components/data/engine/WriteTransaction.h"
#include "components/data/stores/FriendGroupTable.h"
#include "components/data/stores/StoreSearch.h"
#include "contracts/base/CLog.h"
#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

using Data = CFriend::FriendData;

void logFailure(const std::string& what) {
    Base::CLog::getSingleton().writeMessage("data: address book: " + what, 2);
}

constexpr int kFieldParams = 28;  // fields bound by bindFields, ?1 .. ?28

const char* const kInsertContact =
    "INSERT INTO contacts (name, mobile, telephone, email, sex, birth_year, birth_month, "
    "birth_day, birth_hour, birth_minute, marriage, company, career, address, postcode, "
    "send_birthday_alert, group_ids_code, birthday_alert, personal_message, message_content, "
    "title, comment, spare1, spare2, spare3, spare4, spare5, spare6) VALUES (?, ?, ?, ?, ?, ?, "
    "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

const char* const kUpdateContact =
    "UPDATE contacts SET name = ?1, mobile = ?2, telephone = ?3, email = ?4, sex = ?5, "
    "birth_year = ?6, birth_month = ?7, birth_day = ?8, birth_hour = ?9, birth_minute = ?10, "
    "marriage = ?11, company = ?12, career = ?13, address = ?14, postcode = ?15, "
    "send_birthday_alert = ?16, group_ids_code = ?17, birthday_alert = ?18, "
    "personal_message = ?19, message_content = ?20, title = ?21, comment = ?22, spare1 = ?23, "
    "spare2 = ?24, spare3 = ?25, spare4 = ?26, spare5 = ?27, spare6 = ?28, upload_status = 0 "
    "WHERE id = ?29";

std::int64_t flag(bool b) { return b ? 1 : 0; }

void bindFields(engine::Statement& s, const Data& d) {
    s.bind(1, d.name).bind(2, d.mobile).bind(3, d.telephone).bind(4, d.email);
    s.bind(5, flag(d.sex)).bind(6, std::int64_t{d.birthday.year});
    s.bind(7, std::int64_t{d.birthday.month}).bind(8, std::int64_t{d.birthday.day});
    s.bind(9, std::int64_t{d.birthday.hour}).bind(10, std::int64_t{d.birthday.minute});
    s.bind(11, flag(d.marriage)).bind(12, d.company).bind(13, d.career).bind(14, d.address);
    s.bind(15, d.postcode).bind(16, flag(d.sendBirthdayAlert));
    s.bind(17, std::int64_t{d.groupIdsCode}).bind(18, flag(d.birthdayAlert));
    s.bind(19, flag(d.personalMessage)).bind(20, d.messageContent).bind(21, d.title);
    s.bind(22, d.comment).bind(23, d.spare1).bind(24, d.spare2).bind(25, d.spare3);
    s.bind(26, d.spare4).bind(27, d.spare5).bind(28, d.spare6);
}

// How a search column compares. Names come from this table only.
enum class Kind { Int, Text, Bool, Date };
enum class Match { Exact, Prefix, Contains };

struct SearchColumn {
    const char* name;
    const char* sql;  // unused for Date
    Kind kind;
    Match match;
    const char* index;  // Prefix: the index the range must use
};

const SearchColumn kSearchColumns[] = {
    {"ID", "c.id", Kind::Int, Match::Exact, nullptr},
    {"GroupIDsCode", "c.group_ids_code", Kind::Int, Match::Exact, nullptr},
    {"Name", "c.name", Kind::Text, Match::Contains, nullptr},
    {"Mobile", "c.mobile", Kind::Text, Match::Prefix, "contacts_mobile"},
    {"Teliphone", "c.telephone", Kind::Text, Match::Prefix, nullptr},
    {"Email", "c.email", Kind::Text, Match::Contains, nullptr},
    {"Comportation", "c.company", Kind::Text, Match::Contains, nullptr},
    {"Career", "c.career", Kind::Text, Match::Contains, nullptr},
    {"Address", "c.address", Kind::Text, Match::Contains, nullptr},
    {"Post", "c.postcode", Kind::Text, Match::Prefix, nullptr},
    {"MessageContent", "c.message_content", Kind::Text, Match::Contains, nullptr},
    {"Title", "c.title", Kind::Text, Match::Contains, nullptr},
    {"Comment", "c.comment", Kind::Text, Match::Contains, nullptr},
    {"ADD1", "c.spare1", Kind::Text, Match::Contains, nullptr},
    {"ADD2", "c.spare2", Kind::Text, Match::Contains, nullptr},
    {"ADD3", "c.spare3", Kind::Text, Match::Contains, nullptr},
    {"ADD4", "c.spare4", Kind::Text, Match::Contains, nullptr},
    {"ADD5", "c.spare5", Kind::Text, Match::Contains, nullptr},
    {"ADD6", "c.spare6", Kind::Text, Match::Contains, nullptr},
    {"Sex", "c.sex", Kind::Bool, Match::Exact, nullptr},
    {"Marriage", "c.marriage", Kind::Bool, Match::Exact, nullptr},
    {"SendBirthdayAlert", "c.send_birthday_alert", Kind::Bool, Match::Exact, nullptr},
    {"BirthdayAlert", "c.birthday_alert", Kind::Bool, Match::Exact, nullptr},
    {"PersonalMessage", "c.personal_message", Kind::Bool, Match::Exact, nullptr},
    {"Birthday", nullptr, Kind::Date, Match::Exact, nullptr},
};

const SearchColumn* searchColumn(const std::string& name) {
    for (const auto& c : kSearchColumns) {
        if (name == c.name) return &c;
    }
    return nullptr;
}

Kind kindOf(const SearchValue& v) {
    static constexpr Kind kinds[] = {Kind::Int, Kind::Text, Kind::Bool, Kind::Date};
    return kinds[v.index()];
}

// The WHERE clause for `column` and `value` (bound later by bindSearch);
// `hasEnd` when a prefix range has an upper bound. A prefix on an indexed
// column must use its index.
std::string whereClause(const SearchColumn& column, const SearchValue& value, bool hasEnd) {
    const std::string col = column.sql ? column.sql : "";
    switch (column.kind) {
        case Kind::Int:
        case Kind::Bool:
            return " WHERE " + col + " = ?1";
        case Kind::Date:
            return " WHERE c.birth_year = ?1 AND c.birth_month = ?2 AND c.birth_day = ?3 AND "
                   "c.birth_hour = ?4 AND c.birth_minute = ?5";
        case Kind::Text:
            break;
    }
    const bool empty = std::get<std::string>(value).empty();
    if (column.match == Match::Contains) return empty ? "" : " WHERE gbk_contains(" + col + ", ?1)";
    if (empty) return "";
    const std::string indexed = column.index ? std::string(" INDEXED BY ") + column.index : "";
    return indexed + " WHERE " + col + " >= ?1" + (hasEnd ? " AND " + col + " < ?2" : "");
}

void bindSearch(engine::Statement& s, const SearchValue& value, const std::string& end) {
    if (const int* i = std::get_if<int>(&value)) {
        s.bind(1, std::int64_t{*i});
    } else if (const bool* b = std::get_if<bool>(&value)) {
        s.bind(1, flag(*b));
    } else if (const CSmsData* d = std::get_if<CSmsData>(&value)) {
        s.bind(1, std::int64_t{d->year}).bind(2, std::int64_t{d->month});
        s.bind(3, std::int64_t{d->day}).bind(4, std::int64_t{d->hour});
        s.bind(5, std::int64_t{d->minute});
    } else {
        const std::string& text = std::get<std::string>(value);
        if (!text.empty()) s.bind(1, text);
        if (!end.empty()) s.bind(2, end);
    }
}

bool runOnContact(engine::Connection& db, const char* sql, int id, bool& changed) {
    engine::Statement s(db.db(), sql);
    s.bind(1, std::int64_t{id});
    if (!s.run()) return false;
    changed = sqlite3_changes(db.db()) > 0;
    return true;
}

}  // namespace

const char* const kContactColumns =
    "c.id, c.name, c.mobile, c.telephone, c.email, c.sex, c.birth_year, c.birth_month, "
    "c.birth_day, c.birth_hour, c.birth_minute, c.marriage, c.company, c.career, c.address, "
    "c.postcode, c.send_birthday_alert, c.group_ids_code, c.birthday_alert, c.personal_message, "
    "c.message_content, c.title, c.comment, c.spare1, c.spare2, c.spare3, c.spare4, c.spare5, "
    "c.spare6";

const engine::Schema& contactSchema() {
    // AUTOINCREMENT: an id is never handed out again. Text as BLOB: bytes
    // round-trip exactly. The partial index serves the upload's batches.
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "contacts",
        {"CREATE TABLE contacts (id INTEGER PRIMARY KEY AUTOINCREMENT, name BLOB NOT NULL, "
         "mobile BLOB NOT NULL, telephone BLOB NOT NULL, email BLOB NOT NULL, "
         "sex INTEGER NOT NULL, birth_year INTEGER NOT NULL, birth_month INTEGER NOT NULL, "
         "birth_day INTEGER NOT NULL, birth_hour INTEGER NOT NULL, "
         "birth_minute INTEGER NOT NULL, marriage INTEGER NOT NULL, company BLOB NOT NULL, "
         "career BLOB NOT NULL, address BLOB NOT NULL, postcode BLOB NOT NULL, "
         "send_birthday_alert INTEGER NOT NULL, group_ids_code INTEGER NOT NULL, "
         "birthday_alert INTEGER NOT NULL, personal_message INTEGER NOT NULL, "
         "message_content BLOB NOT NULL, title BLOB NOT NULL, comment BLOB NOT NULL, "
         "spare1 BLOB NOT NULL, spare2 BLOB NOT NULL, spare3 BLOB NOT NULL, "
         "spare4 BLOB NOT NULL, spare5 BLOB NOT NULL, spare6 BLOB NOT NULL, "
         "upload_status INTEGER NOT NULL DEFAULT 0);"
         "CREATE INDEX contacts_mobile ON contacts (mobile);"
         "CREATE INDEX contacts_not_uploaded ON contacts (id) WHERE upload_status <> 1;"}}};
    return schema.get();
}

CFriend contactAt(const engine::Statement& row) {
    CFriend contact;
    Data& d = contact.getFirendStrut();
    d.id = row.int32(0);
    d.name = row.bytes(1);
    d.mobile = row.bytes(2);
    d.telephone = row.bytes(3);
    d.email = row.bytes(4);
    d.sex = row.int64(5) != 0;
    d.birthday = CSmsData(row.int32(6), row.int32(7), row.int32(8), row.int32(9), row.int32(10));
    d.marriage = row.int64(11) != 0;
    d.company = row.bytes(12);
    d.career = row.bytes(13);
    d.address = row.bytes(14);
    d.postcode = row.bytes(15);
    d.sendBirthdayAlert = row.int64(16) != 0;
    d.groupIdsCode = row.int32(17);
    d.birthdayAlert = row.int64(18) != 0;
    d.personalMessage = row.int64(19) != 0;
    d.messageContent = row.bytes(20);
    d.title = row.bytes(21);
    d.comment = row.bytes(22);
    d.spare1 = row.bytes(23);
    d.spare2 = row.bytes(24);
    d.spare3 = row.bytes(25);
    d.spare4 = row.bytes(26);
    d.spare5 = row.bytes(27);
    d.spare6 = row.bytes(28);
    return contact;
}

bool readContacts(engine::Statement& select, std::vector<CFriend>& out) {
    const std::size_t before = out.size();
    engine::Statement::Step step;
    while ((step = select.step()) == engine::Statement::Step::Row) out.push_back(contactAt(select));
    if (step == engine::Statement::Step::Done) return true;
    out.erase(out.begin() + static_cast<std::ptrdiff_t>(before), out.end());
    return false;
}

int addContacts(engine::Connection& db, std::vector<CFriend>& contacts,
                const std::vector<int>& groups) {
    engine::WriteTransaction tx(db);
    if (!tx.ok()) {
        logFailure("cannot begin adding contacts");
        return 0;
    }
    if (!allGroupsExist(db, kFriendGroups, groups)) return 0;
    engine::Statement insert(db.db(), kInsertContact);
    engine::Statement relate(db.db(),
                             "INSERT OR IGNORE INTO friend_relations (group_id, contact_id) "
                             "VALUES (?, ?)");
    std::vector<int> ids;
    ids.reserve(contacts.size());
    bool ok = true;
    for (auto it = contacts.begin(); ok && it != contacts.end(); ++it) {
        insert.reset();
        bindFields(insert, it->getFirendStrut());
        ok = insert.run();
        ids.push_back(static_cast<int>(sqlite3_last_insert_rowid(db.db())));
        for (auto g = groups.begin(); ok && g != groups.end(); ++g) {
            relate.reset();
            relate.bind(1, std::int64_t{*g}).bind(2, std::int64_t{ids.back()});
            ok = relate.run();
        }
    }
    if (!ok || !tx.commit()) {
        logFailure("cannot add contacts");
        return 0;
    }
    for (std::size_t i = 0; i < ids.size(); ++i) contacts[i].getFirendStrut().id = ids[i];
    return 1;
}

int modifyContact(engine::Connection& db, int id, const CFriend& contact) {
    engine::WriteTransaction tx(db);
    engine::Statement update(db.db(), kUpdateContact);
    bindFields(update, contact.getFirendStrut());
    update.bind(kFieldParams + 1, std::int64_t{id});
    if (!tx.ok() || !update.run()) {
        logFailure("cannot modify contact " + std::to_string(id));
        return 0;
    }
    if (sqlite3_changes(db.db()) == 0) {
        logFailure("no contact " + std::to_string(id) + " to modify");
        return 0;
    }
    if (!tx.commit()) {
        logFailure("cannot modify contact " + std::to_string(id));
        return 0;
    }
    return 1;
}

int readContact(engine::Connection& db, int id, CFriend& contact,
                std::vector<CFriendGroup>* groups) {
    engine::Statement select(
        db.db(),
        (std::string("SELECT ") + kContactColumns + " FROM contacts c WHERE c.id = ?").c_str());
    select.bind(1, std::int64_t{id});
    switch (select.step()) {
        case engine::Statement::Step::Done:
            return 0;
        case engine::Statement::Step::Error:
            logFailure("cannot read contact " + std::to_string(id));
            return 0;
        case engine::Statement::Step::Row:
            break;
    }
    CFriend found = contactAt(select);
    if (groups != nullptr && !groupsOfContact(db, id, *groups)) return 0;
    contact = std::move(found);
    return 1;
}

int deleteContact(engine::Connection& db, int id) {
    engine::WriteTransaction tx(db);
    bool deleted = false;
    bool unrelated = false;
    if (!tx.ok() ||
        !runOnContact(db, "DELETE FROM friend_relations WHERE contact_id = ?", id, unrelated) ||
        !runOnContact(db, "DELETE FROM contacts WHERE id = ?", id, deleted) || !tx.commit()) {
        logFailure("cannot delete contact " + std::to_string(id));
        return 0;
    }
    return deleted ? 2 : 1;
}

int deleteAllContacts(engine::Connection& db) {
    engine::WriteTransaction tx(db);
    if (!tx.ok() || !db.exec("DELETE FROM friend_relations") || !db.exec("DELETE FROM contacts") ||
        !tx.commit()) {
        logFailure("cannot delete every contact");
        return 0;
    }
    return 1;
}

int selectContacts(engine::Connection& db, const std::string& column, const SearchValue& value,
                   std::vector<CFriend>& out) {
    const SearchColumn* const c = searchColumn(column);
    if (c == nullptr || c->kind != kindOf(value)) {
        logFailure("no search column \"" + column + "\" of that type");
        return 0;
    }
    std::string end;
    const bool hasEnd = c->match == Match::Prefix && prefixEnd(std::get<std::string>(value), end);
    const std::string sql = std::string("SELECT ") + kContactColumns + " FROM contacts c" +
                            whereClause(*c, value, hasEnd) + " ORDER BY c.id";
    engine::Statement select(db.db(), sql.c_str());
    bindSearch(select, value, end);
    std::vector<CFriend> found;
    if (!readContacts(select, found)) {
        logFailure("cannot search contacts by " + column);
        return 0;
    }
    out.insert(out.end(), std::make_move_iterator(found.begin()),
               std::make_move_iterator(found.end()));
    return 1;
}

int readNotUploaded(engine::Connection& db, int count, std::vector<CFriend>& out) {
    if (count <= 0) return 1;  // a negative LIMIT would mean no limit
    engine::Statement select(db.db(), (std::string("SELECT ") + kContactColumns +
                                       " FROM contacts c WHERE c.upload_status <> 1 "
                                       "ORDER BY c.id LIMIT ?")
                                          .c_str());
    select.bind(1, std::int64_t{count});
    if (!readContacts(select, out)) {
        logFailure("cannot read the contacts to upload");
        return 0;
    }
    return 1;
}

int setUploadStatus(engine::Connection& db, int id, int status) {
    engine::WriteTransaction tx(db);
    engine::Statement update(db.db(), "UPDATE contacts SET upload_status = ? WHERE id = ?");
    update.bind(1, std::int64_t{status}).bind(2, std::int64_t{id});
    if (!tx.ok() || !update.run()) {
        logFailure("cannot mark contact " + std::to_string(id));
        return 0;
    }
    if (sqlite3_changes(db.db()) == 0) {
        logFailure("no contact " + std::to_string(id) + " to mark");
        return 0;
    }
    if (!tx.commit()) {
        logFailure("cannot mark contact " + std::to_string(id));
        return 0;
    }
    return 1;
}

}  // namespace Dmg::local
