#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "contracts/dmg/CLocalDataSerialize.h"
#include "tests/fakes/TempDir.h"

namespace {

using Dmg::CFriend;
using Dmg::CFriendGroup;
using Dmg::CSmsData;
using Ids = std::vector<int>;

class ContactStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(store.initialize(dir.file("Main.dll"), "Quenp19990812"), 1); }

    int add(const CFriend& c, int group = 1) {
        CFriend copy = c;
        int id = 0;
        return store.addFriend(copy, group, id) == 1 ? id : 0;
    }
    Ids all() {
        std::vector<CFriend> out;
        store.selectFriend("Mobile", std::string(), out);
        return idsOf(out);
    }
    Ids inGroup(int group) {
        std::vector<CFriend> out;
        return store.getGroupFriend(group, out) == 1 ? idsOf(out) : Ids{-1};
    }
    static Ids idsOf(const std::vector<CFriend>& cs) {
        Ids ids;
        for (const auto& c : cs) ids.push_back(c.getFirendStrut().id);
        return ids;
    }

    fakes::TempDir dir;
    Dmg::CLocalDataSerialize store;
};

CFriend named(const std::string& name, const std::string& mobile = "") {
    CFriend c;
    c.getFirendStrut().name = name;
    c.getFirendStrut().mobile = mobile;
    return c;
}

// Every field, length-prefixed, so that a lost byte or a swapped column shows.
std::string dump(const CFriend& c) {
    const auto& d = c.getFirendStrut();
    std::string out;
    for (const std::string* s :
         {&d.name, &d.mobile, &d.telephone, &d.email, &d.company, &d.career, &d.address,
          &d.postcode, &d.messageContent, &d.title, &d.comment, &d.spare1, &d.spare2, &d.spare3,
          &d.spare4, &d.spare5, &d.spare6}) {
        out += std::to_string(s->size()) + ":" + *s + "|";
    }
    for (const int i :
         {int{d.sex}, d.birthday.year, d.birthday.month, d.birthday.day, d.birthday.hour,
          d.birthday.minute, int{d.marriage}, int{d.sendBirthdayAlert}, d.groupIdsCode,
          int{d.birthdayAlert}, int{d.personalMessage}}) {
        out += std::to_string(i) + ",";
    }
    return out;
}

// A contact whose every text field is `tag` + its own name, and flags from
// the bits of `bits`.
CFriend everyField(const std::string& tag, unsigned bits, const CSmsData& birthday) {
    CFriend c;
    auto& d = c.getFirendStrut();
    d = {0,
         tag + "name",
         tag + "mob",
         tag + "tel",
         tag + "mail",
         (bits & 1) != 0,
         birthday,
         (bits & 2) != 0,
         tag + "co",
         tag + "job",
         tag + "addr",
         tag + "post",
         (bits & 4) != 0,
         static_cast<int>(bits),
         (bits & 8) != 0,
         (bits & 16) != 0,
         tag + "msg",
         tag + "title",
         tag + "note",
         tag + "s1",
         tag + "s2",
         tag + "s3",
         tag + "s4",
         tag + "s5",
         tag + "s6"};
    return c;
}

TEST_F(ContactStore, EveryFieldRoundTripsAndModifyRewritesIt) {
    const std::string odd("\0'\"\x81\xff;--", 8);  // NUL, quotes, a broken GBK pair, 0xFF
    const CFriend first = everyField(odd, 0x1f, CSmsData());
    const CFriend second = everyField("改" + odd, 0x0a, CSmsData(1980, 5, 17, 8, 30));
    const int id = add(first);
    ASSERT_GT(id, 0);
    CFriend back;
    ASSERT_EQ(store.getFriendInfo(id, back), 1);
    EXPECT_EQ(dump(back), dump(first));
    EXPECT_EQ(back.getFirendStrut().id, id);

    CFriend change = second;
    EXPECT_EQ(store.modifyFriend(id, change), 1);
    EXPECT_EQ(store.modifyFriend(id + 1, change), 0);
    store.close();
    ASSERT_EQ(store.initialize(dir.file("Main.dll"), "Quenp19990812"), 1);
    std::vector<CFriendGroup> groups;
    ASSERT_EQ(store.getFriendInfo(id, back, groups), 1);
    EXPECT_EQ(dump(back), dump(second));
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].name, "默认分组");
    EXPECT_EQ(store.getFriendInfo(id + 1, back), 0);
}

using Value = std::variant<int, std::string, bool, CSmsData>;

TEST_F(ContactStore, SearchMatchesByColumnKindAndCharacterBoundary) {
    // Mobile order differs from id order, so the index's order must not leak.
    const int a = add(everyField("A", 0x05, CSmsData(1980, 5, 17, 0, 0)));
    const int b = add(everyField("B", 0x1a, CSmsData()));
    CFriend c = named("中文' OR 1=1 --", "13900000000");
    c.getFirendStrut().comment = std::string("a\0b%", 4);
    c.getFirendStrut().telephone = "010-1234";
    c.getFirendStrut().postcode = "100080";
    const int cId = add(c);
    const int d = add(named("\xff\xff", "\xff\xff"));
    const int e = add(named("x", "139\xff\x01"));
    const int f = add(named("y", "13812345678"));
    const int g = add(named("z", "\xff"));
    ASSERT_TRUE(a && b && cId && d && e && f && g);
    const struct {
        const char* column;
        Value value;
        int result;
        Ids ids;
    } cases[] = {
        {"ID", b, 1, {b}},
        {"GroupIDsCode", 0x1a, 1, {b}},
        {"Mobile", std::string("13"), 1, {cId, e, f}},
        {"Mobile", std::string("3900"), 1, {}},  // prefix, not substring
        {"Mobile", std::string("\xff"), 1, {d, g}},
        {"Mobile", std::string("139\xff"), 1, {e}},
        {"Mobile", std::string("\xff\xff"), 1, {d}},
        {"Teliphone", std::string("010"), 1, {cId}},
        {"Teliphone", std::string("tel"), 1, {}},
        {"Post", std::string("1000"), 1, {cId}},
        {"Name", std::string("文"), 1, {cId}},
        {"Name", std::string("\xd0\xce"), 1, {}},  // tail of 中 + head of 文
        {"Name", std::string("' OR 1=1 --"), 1, {cId}},
        {"Name", std::string("Bna"), 1, {b}},
        {"Email", std::string("Amail"), 1, {a}},
        {"Comportation", std::string("Aco"), 1, {a}},
        {"Career", std::string("job"), 1, {a, b}},
        {"Address", std::string("Baddr"), 1, {b}},
        {"MessageContent", std::string("Amsg"), 1, {a}},
        {"Title", std::string("Btitle"), 1, {b}},
        {"Comment", std::string("a\0b", 3), 1, {cId}},
        {"Comment", std::string("%"), 1, {cId}},
        {"Comment", std::string("_"), 1, {}},
        {"ADD1", std::string("s1"), 1, {a, b}},
        {"ADD2", std::string("As2"), 1, {a}},
        {"ADD3", std::string("Bs3"), 1, {b}},
        {"ADD4", std::string("As4"), 1, {a}},
        {"ADD5", std::string("Bs5"), 1, {b}},
        {"ADD6", std::string("As6"), 1, {a}},
        {"ADD6", std::string("As5"), 1, {}},
        {"Sex", true, 1, {a}},
        {"Marriage", true, 1, {b}},
        {"SendBirthdayAlert", true, 1, {a}},
        {"BirthdayAlert", true, 1, {b}},
        {"PersonalMessage", true, 1, {b}},
        {"PersonalMessage", false, 1, {a, cId, d, e, f, g}},
        {"Birthday", CSmsData(1980, 5, 17, 0, 0), 1, {a}},
        {"Birthday", CSmsData(1980, 5, 17, 0, 1), 1, {}},
        {"Nmae", std::string("A"), 0, {-7}},
        {"name", std::string("A"), 0, {-7}},
        {"Mobile", 13, 0, {-7}},
        {"ID", std::string("1"), 0, {-7}},
        {"Sex", 1, 0, {-7}},
        {"Birthday", true, 0, {-7}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.column) + " #" + std::to_string(&row - cases));
        std::vector<CFriend> out{named("kept")};
        out[0].getFirendStrut().id = -7;
        const int result = std::visit(
            [&](const auto& v) { return store.selectFriend(row.column, v, out); }, row.value);
        EXPECT_EQ(result, row.result);
        Ids found = idsOf(out);
        found.erase(found.begin());
        EXPECT_EQ(row.result == 1 ? found : Ids{-7}, row.ids);
    }
}

TEST_F(ContactStore, GroupTreeDeletesSubtreesAndKeepsContacts) {
    int a = 0, b = 0, c = 0, top = 0;
    ASSERT_EQ(store.addRootFriendGroup("A", a), 1);
    ASSERT_EQ(store.addSubFriendGroup(a, "B", b), 1);
    ASSERT_EQ(store.addSubFriendGroup(b, "C", c), 1);
    EXPECT_EQ(store.addSubFriendGroup(c + 1, "none"), 0);
    EXPECT_EQ(store.addSubFriendGroup(0, "none"), 0);
    const int x = add(named("x"), a), y = add(named("y"), b), z = add(named("z"), c);
    ASSERT_EQ(store.addFriGroupRelation(z, 1), 1);
    EXPECT_EQ(store.addFriGroupRelation(z, 1), 1);
    EXPECT_EQ(store.addFriGroupRelation(z + 1, 1), 0);
    EXPECT_EQ(store.addFriGroupRelation(x, c + 1), 0);
    EXPECT_EQ(add(named("lost"), c + 1), 0);

    EXPECT_EQ(store.delFriendGroup(a), 1);
    EXPECT_EQ(store.delFriendGroup(a), 0);
    EXPECT_EQ(store.delFriendGroup(1), 0);
    EXPECT_EQ(store.renameFriendGroup(1, "新名"), 1);
    EXPECT_EQ(store.renameFriendGroup(c, "gone"), 0);
    ASSERT_EQ(store.addRootFriendGroup("D", top), 1);
    EXPECT_GT(top, c);  // ids are never reused
    std::vector<CFriendGroup> roots;
    ASSERT_EQ(store.getRootFriendGroup(roots), 1);
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0].name + roots[1].name, "新名D");
    for (const int g : {a, b, c}) EXPECT_EQ(store.getGroupFriendNum(g), 0) << g;
    EXPECT_EQ(all(), (Ids{x, y, z}));
    EXPECT_EQ(inGroup(1), Ids{z});

    EXPECT_EQ(store.delFriGroupRelation(z, 1), 1);
    EXPECT_EQ(store.delFriGroupRelation(z, 1), 0);
    ASSERT_EQ(store.addFriGroupRelation(x, top) + store.addFriGroupRelation(y, top), 2);
    EXPECT_EQ(store.delGroupFriends(top), 1);
    EXPECT_EQ(inGroup(top), Ids{});
    EXPECT_EQ(all(), (Ids{x, y, z}));
}

TEST_F(ContactStore, DeleteResultsAndIdsNeverReused) {
    const int x = add(named("x")), y = add(named("y"));
    EXPECT_EQ(store.delFriend(y), 2);
    EXPECT_EQ(store.delFriend(y), 1);
    EXPECT_EQ(store.delFriend(y + 100), 1);
    EXPECT_EQ(store.getGroupFriendNum(1), 1);
    EXPECT_GT(add(named("z")), y);
    EXPECT_EQ(store.delAllFriend(), 1);
    EXPECT_EQ(all(), Ids{});
    EXPECT_EQ(store.getGroupFriendNum(1), 0);
    EXPECT_GT(add(named("w")), y + 1);
    store.close();
    EXPECT_EQ(store.delFriend(x), 0);
}

TEST_F(ContactStore, ImportStoresAllOrNone) {
    int g = 0;
    ASSERT_EQ(store.addRootFriendGroup("G", g), 1);
    std::vector<CFriend> batch{named("a"), named("b"), named("c")};
    EXPECT_EQ(store.importFriends(batch, {g, g + 1}), 0);
    EXPECT_EQ(idsOf(batch), (Ids{0, 0, 0}));
    EXPECT_EQ(all(), Ids{});
    EXPECT_EQ(inGroup(g), Ids{});

    ASSERT_EQ(store.importFriends(batch, {1, g}), 1);
    const Ids ids = idsOf(batch);
    EXPECT_EQ(all(), ids);
    EXPECT_EQ(inGroup(1), ids);
    EXPECT_EQ(inGroup(g), ids);
    EXPECT_TRUE(ids[0] > 0 && ids[0] < ids[1] && ids[1] < ids[2]);
}

// Thousands of seeded operations against the store and a plain model.
TEST_F(ContactStore, RandomOperationsMatchAModel) {
    struct Contact {
        std::set<int> groups;
        bool uploaded = false;
        std::string name;
    };
    std::map<int, Contact> contacts;
    std::map<int, int> parent{{1, 0}};  // group -> parent
    std::mt19937 rng(20261206);
    const auto pick = [&](int below) { return static_cast<int>(rng() % below); };
    const auto anyGroup = [&] {
        auto it = parent.begin();
        std::advance(it, pick(static_cast<int>(parent.size())));
        return pick(10) == 0 ? 500 + pick(5) : it->first;
    };
    const auto anyContact = [&] {
        if (contacts.empty() || pick(10) == 0) return 9000 + pick(5);
        auto it = contacts.begin();
        std::advance(it, pick(static_cast<int>(contacts.size())));
        return it->first;
    };
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        const int g = anyGroup(), id = anyContact();
        const bool hasGroup = parent.count(g) > 0, hasContact = contacts.count(id) > 0;
        const std::string name = "n" + std::to_string(step);
        switch (pick(9)) {
            case 0:
            case 1: {
                const int newId = add(named(name), g);
                ASSERT_EQ(newId > 0, hasGroup);
                if (newId > 0) contacts[newId] = {{g}, false, name};
                break;
            }
            case 2:
                ASSERT_EQ(store.delFriend(id), hasContact ? 2 : 1);
                contacts.erase(id);
                break;
            case 3:
                ASSERT_EQ(store.addFriGroupRelation(id, g), hasContact && hasGroup ? 1 : 0);
                if (hasContact && hasGroup) contacts[id].groups.insert(g);
                break;
            case 4: {
                const bool related = hasContact && contacts[id].groups.erase(g) > 0;
                ASSERT_EQ(store.delFriGroupRelation(id, g), related ? 1 : 0);
                break;
            }
            case 5: {
                CFriend c = named(name);
                ASSERT_EQ(store.modifyFriend(id, c), hasContact ? 1 : 0);
                if (hasContact) contacts[id].uploaded = false, contacts[id].name = name;
                break;
            }
            case 6:
                ASSERT_EQ(store.modifyCommitStatus(id, 1), hasContact ? 1 : 0);
                if (hasContact) contacts[id].uploaded = true;
                break;
            case 7: {
                int sub = 0;
                ASSERT_EQ(store.addSubFriendGroup(g, name, sub), hasGroup ? 1 : 0);
                if (hasGroup) parent[sub] = g;
                break;
            }
            default: {
                ASSERT_EQ(store.delFriendGroup(g), hasGroup && g != 1 ? 1 : 0);
                if (!hasGroup || g == 1) break;
                std::set<int> gone{g};
                for (bool more = true; more;) {  // children have larger ids than parents
                    more = false;
                    for (const auto& [child, up] : parent)
                        if (gone.count(up) && gone.insert(child).second) more = true;
                }
                for (const int dead : gone) parent.erase(dead);
                for (auto& [cid, c] : contacts)
                    for (const int dead : gone) c.groups.erase(dead);
                break;
            }
        }
        if (step % 100 != 99) continue;
        Ids pending;
        for (const auto& [cid, c] : contacts)
            if (!c.uploaded) pending.push_back(cid);
        pending.resize(std::min<std::size_t>(pending.size(), 7));
        std::vector<CFriend> top;
        ASSERT_EQ(store.getTopXFriend(7, top), 1);
        EXPECT_EQ(idsOf(top), pending);
        for (const auto& [group, up] : parent) {
            Ids members;
            std::string names;
            for (const auto& [cid, c] : contacts)
                if (c.groups.count(group)) members.push_back(cid), names += c.name;
            std::vector<CFriend> firstTwo, every;
            ASSERT_EQ(store.getTopXGroupFriendNum(group, 2, firstTwo), 1);
            ASSERT_EQ(store.getGroupFriend(group, every), 1);
            EXPECT_EQ(store.getGroupFriendNum(group), static_cast<int>(members.size()));
            EXPECT_EQ(idsOf(every), members);
            std::string readNames;
            for (const auto& c : every) readNames += c.getFirendStrut().name;
            EXPECT_EQ(readNames, names);
            members.resize(std::min<std::size_t>(members.size(), 2));
            EXPECT_EQ(idsOf(firstTwo), members);
        }
    }
}

}  // namespace
