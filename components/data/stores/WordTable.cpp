#include "components/data/stores/WordTable.h"

#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

void bindWord(engine::Statement& s, const CWord& word) {
    s.bind(2, word.getWordStrut().content);
    bindTime(s, 3, word.getWordStrut().addTime);
}

void readWord(const engine::Statement& row, CWord& word) {
    CWord::WordData& d = word.getWordStrut();
    d.id = row.int32(0);
    d.groupId = row.int32(1);
    d.content = row.bytes(2);
    d.addTime = timeAt(row, 3);
}

void setWordIds(CWord& word, int id, int group) {
    word.getWordStrut().id = id;
    word.getWordStrut().groupId = group;
}

const SearchField kFields[] = {
    {"ID", "w.id", FieldKind::Int, TextMatch::Exact, nullptr},
    {"GroupID", "w.group_id", FieldKind::Int, TextMatch::Exact, nullptr},
    {"Content", "w.content", FieldKind::Text, TextMatch::Contains, nullptr},
    {"AddTime", "w.add", FieldKind::Time, TextMatch::Exact, nullptr},
};

}  // namespace

const engine::Schema& wordSchema() {
    // (group_id, id) serves a group's listing in id order and the deletion
    // of a group's phrases.
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "words",
        {groupTreeSql(kWordGroups) +
         "CREATE TABLE words (id INTEGER PRIMARY KEY AUTOINCREMENT, group_id INTEGER NOT NULL, "
         "content BLOB NOT NULL, add_year INTEGER NOT NULL, add_month INTEGER NOT NULL, "
         "add_day INTEGER NOT NULL, add_hour INTEGER NOT NULL, add_minute INTEGER NOT NULL);"
         "CREATE INDEX words_group ON words (group_id, id);"}}};
    return schema.get();
}

const RecordTable<CWord>& wordTable() {
    static const RecordTable<CWord> table{
        "phrases",
        "words w",
        "w.id",
        "w.id, w.group_id, w.content, w.add_year, w.add_month, w.add_day, w.add_hour, "
        "w.add_minute",
        &kWordGroups,
        "INSERT INTO words (group_id, content, add_year, add_month, add_day, add_hour, "
        "add_minute) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
        "UPDATE words SET content = ?2, add_year = ?3, add_month = ?4, add_day = ?5, "
        "add_hour = ?6, add_minute = ?7 WHERE id = ?1",
        "DELETE FROM words WHERE id = ?1",
        "DELETE FROM words",
        bindWord,
        readWord,
        setWordIds};
    return table;
}

int readGroupWords(engine::Connection& db, int groupId, std::vector<CWord>& out) {
    return selectWords(db, "GroupID", groupId, out);
}

int selectWords(engine::Connection& db, const std::string& field, const FieldValue& value,
                std::vector<CWord>& out) {
    const SearchField* const f = findField(kFields, field, value);
    if (f == nullptr) {
        logRecordFailure("phrases", "no search field \"" + field + "\" of that type");
        return 0;
    }
    return findRecords(db, wordTable(), "words w", fieldQuery(*f, value), out);
}

int selectWords2Key(engine::Connection& db, const std::string& content, const std::string& group,
                    std::vector<CWord>& out) {
    return findRecords(db, wordTable(), "words w JOIN word_groups g ON g.id = w.group_id",
                       keysQuery({{{"w.content"}, content}, {{"g.name"}, group}}), out);
}

}  // namespace Dmg::local
