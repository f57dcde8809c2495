#include "addressbook/FriendSearch.h"

#include "contracts/base/StringConverter.h"
#include "library/ManagerCache.h"

namespace SMS::addressbook {
namespace {

enum class Kind { Int, Text, Bool, Birthday };

struct Label {
    const char* label;
    const char* column;  // the store's own names, spelling included
    Kind kind;
    const char* trueText;  // for Bool: the one value that means true
};

constexpr Label kLabels[] = {
    {"ID", "ID", Kind::Int, nullptr},
    {"名字", "Name", Kind::Text, nullptr},
    {"手机", "Mobile", Kind::Text, nullptr},
    {"电话", "Teliphone", Kind::Text, nullptr},
    {"邮箱", "Email", Kind::Text, nullptr},
    {"性别", "Sex", Kind::Bool, "男"},
    {"生日", "Birthday", Kind::Birthday, nullptr},
    {"婚否", "Marriage", Kind::Bool, "是"},
    {"公司", "Comportation", Kind::Text, nullptr},
    {"职业", "Career", Kind::Text, nullptr},
    {"地址", "Address", Kind::Text, nullptr},
    {"邮编", "Post", Kind::Text, nullptr},
    {"发送生日提醒", "SendBirthdayAlert", Kind::Bool, "是"},
    {"所属组ID", "GroupIDsCode", Kind::Int, nullptr},
    {"生日提醒", "BirthdayAlert", Kind::Bool, "是"},
    {"个性签名", "PersonalMessage", Kind::Bool, "是"},
    {"生日短语内容", "MessageContent", Kind::Text, nullptr},
    {"注释", "Comment", Kind::Text, nullptr},
    {"备用1", "ADD1", Kind::Text, nullptr},
    {"备用2", "ADD2", Kind::Text, nullptr},
    {"备用3", "ADD3", Kind::Text, nullptr},
    {"备用4", "ADD4", Kind::Text, nullptr},
    {"备用5", "ADD5", Kind::Text, nullptr},
    {"备用6", "ADD6", Kind::Text, nullptr},
};

const Label* findLabel(const std::string& label) {
    for (const Label& l : kLabels) {
        if (label == l.label) return &l;
    }
    return nullptr;
}

}  // namespace

int searchByLabel(Dmg::CLocalDataSerialize& store, const std::string& label,
                  const std::string& value, std::vector<Dmg::CFriend>& out) {
    const Label* const l = findLabel(label);
    if (l == nullptr) return 0;
    const std::string column = l->column;
    switch (l->kind) {
        case Kind::Int: {
            const int number = Base::StringConverter::toInt(value);
            return store.selectFriend(column, number, out);
        }
        case Kind::Bool: {
            const bool flag = value == l->trueText;
            return store.selectFriend(column, flag, out);
        }
        case Kind::Birthday:
            return store.selectFriend(column, library::dashTimeValue(value), out);
        case Kind::Text:
            break;
    }
    return store.selectFriend(column, value, out);
}

}  // namespace SMS::addressbook
