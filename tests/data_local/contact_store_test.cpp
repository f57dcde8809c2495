#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "contracts/dmg/CLocalDataSerialize.h"
#include "tests/fakes/TempDir.h"

namespace {

using Dmg::CFriend;
using Dmg::CFriendGroup;
using Dmg::CSmsData;
using Data = CFriend::FriendData;
using Ids = std::vector<int>;

// Each text field and flag beside the search column that reads it.
// clang-format off
const std::pair<const char*, std::string Data::*> kTexts[] = {
    {"Name", &Data::name}, {"Mobile", &Data::mobile}, {"Teliphone", &Data::telephone},
    {"Email", &Data::email}, {"Comportation", &Data::company}, {"Career", &Data::career},
    {"Address", &Data::address}, {"Post", &Data::postcode}, {"Title", &Data::title},
    {"MessageContent", &Data::messageContent}, {"Comment", &Data::comment},
    {"ADD1", &Data::spare1}, {"ADD2", &Data::spare2}, {"ADD3", &Data::spare3},
    {"ADD4", &Data::spare4}, {"ADD5", &Data::spare5}, {"ADD6", &Data::spare6}};
const std::pair<const char*, bool Data::*> kFlags[] = {
    {"Sex", &Data::sex}, {"Marriage", &Data::marriage}, {"BirthdayAlert", &Data::birthdayAlert},
    {"SendBirthdayAlert", &Data::sendBirthdayAlert}, {"PersonalMessage", &Data::personalMessage}};
// The seeded contacts' tags and flag bits: each flag is set on a different
// subset; the third tag holds a quote, SQL, a NUL and a LIKE wildcard; the
// last four mobiles sort unlike their ids.
const char kHostile[] = "中文' OR 1=1 --\0%";
const std::pair<std::string, int> kSeeds[] = {
    {"A", 25}, {"B", 10}, {std::string(kHostile, sizeof kHostile - 1), 20},
    {"139", 0}, {"138", 0}, {"\xff\x01", 0}, {"\xff", 0}};
// clang-format on

// A contact whose text field i is `tag` + letter i, whose flag i is bit i of
// `bits` and whose date and code also come from `bits`.
CFriend everyField(const std::string& tag, int bits) {
    CFriend c;
    Data& d = c.getFirendStrut();
    for (std::size_t i = 0; i < std::size(kTexts); ++i) d.*kTexts[i].second = tag + char('a' + i);
    for (std::size_t i = 0; i < std::size(kFlags); ++i) d.*kFlags[i].second = (bits >> i & 1);
    d.birthday = CSmsData(1970 + bits, 1 + bits % 12, 1 + bits % 28, bits % 24, bits);
    d.groupIdsCode = bits;
    return c;
}

// Every field, length-prefixed, so that a lost byte or a swapped column shows.
std::string dump(const CFriend& c) {
    const Data& d = c.getFirendStrut();
    std::string out;
    for (const auto& [column, f] : kTexts) out += std::to_string((d.*f).size()) + ":" + d.*f;
    for (const auto& [column, flag] : kFlags) out += d.*flag ? '1' : '0';
    const CSmsData& b = d.birthday;
    for (const int i : {b.year, b.month, b.day, b.hour, b.minute, d.groupIdsCode})
        out += "," + std::to_string(i);
    return out;
}

Ids idsOf(const std::vector<CFriend>& cs) {
    Ids found;
    for (const auto& c : cs) found.push_back(c.getFirendStrut().id);
    return found;
}

class ContactStore : public ::testing::Test {
protected:
    void SetUp() override {
        open();
        for (const auto& [tag, bits] : kSeeds) {
            CFriend c = everyField(tag, bits);
            ASSERT_EQ(store.addFriend(c, 1, ids.emplace_back()), 1);
        }
        ASSERT_EQ(all(), ids);
    }
    void open() { ASSERT_EQ(store.initialize(dir.file("Main.dll"), "Quenp19990812"), 1); }
    Ids all() {
        std::vector<CFriend> out;
        store.selectFriend("Mobile", std::string(), out);
        return idsOf(out);
    }

    fakes::TempDir dir;
    Dmg::CLocalDataSerialize store;
    Ids ids;
};

TEST_F(ContactStore, EveryFieldRoundTripsAndModifyRewritesIt) {
    // NUL, quotes, a broken GBK pair, 0xFF
    CFriend odd = everyField(std::string("\0'\"\x81\xff;--", 8), 31);
    EXPECT_EQ(store.modifyFriend(ids[0], odd), 1);
    store.close();
    open();
    CFriend back;
    std::vector<CFriendGroup> groups;
    ASSERT_EQ(store.getFriendInfo(ids[0], back, groups), 1);
    EXPECT_EQ(dump(back), dump(odd));
    EXPECT_EQ(groups.size() == 1 ? groups[0].name : "", "默认分组");
    ASSERT_EQ(store.getFriendInfo(ids[2], back), 1);  // as added
    EXPECT_EQ(dump(back), dump(everyField(kSeeds[2].first, kSeeds[2].second)));
}

using Value = std::variant<int, std::string, bool, CSmsData>;

TEST_F(ContactStore, SearchMatchesByColumnKindAndCharacterBoundary) {
    // Column, value, result, ids found.
    std::vector<std::tuple<std::string, Value, int, Ids>> rows = {
        {"ID", ids[1], 1, {ids[1]}},
        {"GroupIDsCode", 20, 1, {ids[2]}},
        {"Birthday", CSmsData(1995, 2, 26, 1, 25), 1, {ids[0]}},
        {"Birthday", CSmsData(1995, 2, 26, 1, 26), 1, {}},
        {"PersonalMessage", false, 1, {ids[1], ids[3], ids[4], ids[5], ids[6]}},
        {"Sex", true, 1, {ids[0]}},
        {"Marriage", true, 1, {ids[1]}},
        {"BirthdayAlert", true, 1, {ids[2]}},
        {"SendBirthdayAlert", true, 1, {ids[0], ids[1]}},
        {"PersonalMessage", true, 1, {ids[0], ids[2]}},
        {"Mobile", std::string("13"), 1, {ids[3], ids[4]}},  // id order, not the index's
        {"Mobile", std::string("\xff"), 1, {ids[5], ids[6]}},
        {"Name", std::string("\xd0\xce"), 1, {}},  // tail of 中 + head of 文
        {"name", std::string("A"), 0, {}},
        {"Mobile", 13, 0, {}},
    };
    // Each seed's own text in each column.
    for (std::size_t s = 0; s < std::size(kSeeds); ++s)
        for (std::size_t f = 0; f < std::size(kTexts); ++f)
            rows.emplace_back(kTexts[f].first, kSeeds[s].first + char('a' + f), 1, Ids{ids[s]});
    for (const auto& [column, value, result, found] : rows) {
        SCOPED_TRACE(column + " finding " + testing::PrintToString(found));
        std::vector<CFriend> out;
        EXPECT_EQ(
            std::visit([&](const auto& v) { return store.selectFriend(column, v, out); }, value),
            result);
        EXPECT_EQ(idsOf(out), found);
    }
}

// Thousands of seeded operations against the store and a plain model.
TEST_F(ContactStore, RandomOperationsMatchAModel) {
    std::map<int, std::set<int>> contacts;  // contact -> its groups
    std::set<int> uploaded;
    std::map<int, int> parent{{1, 0}};            // group -> parent
    int lastContact = ids.back(), lastGroup = 1;  // ids are never handed out again
    ASSERT_EQ(store.delAllFriend(), 1);
    EXPECT_EQ(store.getGroupFriendNum(1), 0);  // relations go with their contacts
    std::mt19937 rng(20261206);
    const auto pick = [&](int below) { return static_cast<int>(rng() % below); };
    // A key of `model`, or now and then one that is not there.
    const auto anyKey = [&](const auto& model, int missing) {
        if (model.empty() || pick(10) == 0) return missing + pick(5);
        auto it = model.begin();
        std::advance(it, pick(static_cast<int>(model.size())));
        return it->first;
    };
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        const int g = anyKey(parent, 500), id = anyKey(contacts, 9000);
        const bool hasGroup = parent.count(g) > 0, hasContact = contacts.count(id) > 0;
        CFriend change = everyField("n" + std::to_string(step), step % 32);
        switch (pick(9)) {
            case 0: {  // all or none, also into the default group
                std::vector<CFriend> batch(3, change);
                ASSERT_EQ(store.importFriends(batch, {1, g}), hasGroup ? 1 : 0);
                for (const int newId : idsOf(batch)) {
                    ASSERT_EQ(newId > lastContact, hasGroup);
                    if (hasGroup) contacts[lastContact = newId] = {1, g};
                }
                break;
            }
            case 1:
                ASSERT_EQ(store.delFriend(id), contacts.erase(id) + 1);
                break;
            case 2:
                ASSERT_EQ(store.addFriGroupRelation(id, g), hasContact && hasGroup ? 1 : 0);
                if (hasContact && hasGroup) contacts[id].insert(g);
                break;
            case 3:
                ASSERT_EQ(store.delFriGroupRelation(id, g), hasContact && contacts[id].erase(g));
                break;
            case 4:
                ASSERT_EQ(store.modifyFriend(id, change), hasContact ? 1 : 0);
                uploaded.erase(id);
                break;
            case 5:
                ASSERT_EQ(store.modifyCommitStatus(id, 1), hasContact ? 1 : 0);
                if (hasContact) uploaded.insert(id);
                break;
            case 6: {
                int sub = 0;
                ASSERT_EQ(store.addSubFriendGroup(g, "sub", sub) == 1 && sub > lastGroup, hasGroup);
                if (hasGroup) parent[lastGroup = sub] = g;
                break;
            }
            case 7:
                ASSERT_EQ(store.delGroupFriends(g), hasGroup ? 1 : 0);
                for (auto& [cid, groups] : contacts) groups.erase(g);
                break;
            default: {
                ASSERT_EQ(store.delFriendGroup(g), hasGroup && g != 1 ? 1 : 0);
                if (!hasGroup || g == 1) break;
                std::set<int> gone{g};
                for (const auto& [child, up] : parent)  // children have larger ids than parents
                    if (gone.count(up)) gone.insert(child);
                for (const int dead : gone) {
                    parent.erase(dead);
                    for (auto& [cid, groups] : contacts) groups.erase(dead);
                    EXPECT_EQ(store.renameFriendGroup(dead, "") + store.getGroupFriendNum(dead), 0);
                }
                break;
            }
        }
        if (step % 100 != 99) continue;
        Ids every, pending;
        for (const auto& [cid, groups] : contacts) {
            every.push_back(cid);
            if (!uploaded.count(cid)) pending.push_back(cid);
        }
        EXPECT_EQ(all(), every);
        pending.resize(std::min<std::size_t>(pending.size(), 7));
        std::vector<CFriend> top;
        ASSERT_EQ(store.getTopXFriend(7, top), 1);
        EXPECT_EQ(idsOf(top), pending);
        for (const auto& [group, up] : parent) {
            Ids members, subIds, children;
            for (const auto& [cid, groups] : contacts)
                if (groups.count(group)) members.push_back(cid);
            std::vector<CFriend> firstTwo, whole;
            std::vector<CFriendGroup> subs;
            ASSERT_EQ(store.getTopXGroupFriendNum(group, 2, firstTwo), 1);
            ASSERT_EQ(store.getGroupFriend(group, whole), 1);
            ASSERT_EQ(store.getSubFriendGroup(group, subs), 1);
            EXPECT_EQ(store.getGroupFriendNum(group), static_cast<int>(members.size()));
            EXPECT_EQ(idsOf(whole), members);
            members.resize(std::min<std::size_t>(members.size(), 2));
            EXPECT_EQ(idsOf(firstTwo), members);
            for (const auto& s : subs) subIds.push_back(s.id);
            for (const auto& [child, above] : parent)
                if (above == group) children.push_back(child);
            EXPECT_EQ(subIds, children);
        }
    }
}

}  // namespace
