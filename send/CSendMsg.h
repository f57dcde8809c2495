// One message template and its expansion for a contact. A placeholder is
// "<", a personal field label ("姓名", ...) and ">"; the personal fields
// are the user's current choice (CFriendSet::getPersonalField), read afresh
// on every call, so a changed choice applies from the next call on. A label
// that is not a personal field is plain text. Labels become contact
// properties through the label table of the CFriendSet singleton.
//
// Placeholders are only ever found at GBK character boundaries. A template
// that is not valid GBK is read byte by byte where it is invalid: a byte
// that starts no complete double-byte character is a character of its own.
#pragma once

#include <string>
#include <vector>

#include "contracts/dmg/CFriend.h"
#include "contracts/export.h"

namespace SMS {

class SMS_API CSendMsg {
public:
    // Results of getMsg.
    static constexpr int kExpanded = 1;
    static constexpr int kNoFields = 0;
    static constexpr int kUnfilled = -1;

    CSendMsg();
    CSendMsg(const CSendMsg& other);
    CSendMsg& operator=(const CSendMsg& other);
    ~CSendMsg();

    // Stores `text` as the template. Returns 1.
    int setMsg(const std::string& text);

    // Expands the template for `contact` into `out`, one personal field at
    // a time in personal-field order; a value put in is searched again for
    // the placeholders of later fields, never for its own.
    //   kExpanded (1): every placeholder was filled.
    //   kUnfilled (-1): a placeholder could not be filled (its property
    //     cannot be read); `out` holds the text with that occurrence and the
    //     later ones of its field left as written. The recipient must not
    //     get this text: the composition marks it refused (check state -1).
    //   kNoFields (0): the personal field list could not be had; `out` is
    //     untouched.
    int getMsg(const Dmg::CFriend& contact, std::string& out) const;

    // Empties `values`, then appends, in personal-field order, the value of
    // each field whose placeholder occurs in the template: at most one per
    // field, none for a field whose value cannot be read. Returns 1; 0 when
    // the personal field list could not be had.
    int getPersonalInfo(const Dmg::CFriend& contact, std::vector<std::string>& values) const;

    // The template with every placeholder removed, also those that a cut
    // brings together ("a<<姓名>姓名>b" gives "ab"). Returns 1; 0 when the
    // personal field list could not be had (`out` untouched).
    int getPureMsg(std::string& out) const;

    // Characters of `text` as SMS length counts them: one per GBK character,
    // single- or double-byte (trail bytes 0x40..0x7E included); where the
    // text is not valid GBK, each byte that starts no complete double-byte
    // character counts one. Does not use the template.
    int getMsgWord(const std::string& text) const;

protected:
    // Byte index of the first occurrence of `needle` in `haystack` that
    // starts at a GBK character boundary, or -1; -1 at once when `needle` is
    // the longer. An empty needle is found at 0.
    int stringFind(const std::string& haystack, const std::string& needle) const;
    // Index of the smallest value, the first one on ties; -1 when empty.
    int minFind(std::vector<int> values) const;

private:
    std::string m_msg;
};

}  // namespace SMS
