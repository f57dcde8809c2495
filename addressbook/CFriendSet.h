// The 19 contact fields under their Chinese labels: all of them in export
// order, those the user shows in the contact list, and those allowed as
// placeholders in personalised messages; plus the contact property each
// label maps to. The user's choices live in the main store ("database").
#pragma once

#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CFriendSetMsg.h"
#include "contracts/export.h"

class SMS_API CFriendSet {
public:
    // The process-wide instance, created on the first call and never
    // destroyed. Make the first call before a second thread asks.
    static CFriendSet* inistance();

    // Fills the label table and reads the stored choices.
    CFriendSet();

    // Reads the stored choices again and rebuilds the lists. A failed read
    // keeps the choices held before.
    void Init();
    // Takes and stores new choices, then rebuilds the lists; objects built
    // later read the new choices.
    void ChangeSet(const Dmg::CFriendSetMsg& settings);

    // Each replaces the contents of `out`; always 1.
    int getAllField(std::vector<std::string>& out) const;
    int getFriendShowField(std::vector<std::string>& out) const;
    int getPersonalField(std::vector<std::string>& out) const;

    static CFriendSet* ms_pInstance;

    // Label ("姓名") to Dmg::CFriend property name ("名字"). Filled by the
    // constructor and never changed afterwards, so any thread may read it.
    std::map<std::string, std::string> m_labelToProperty;

protected:
    // Rebuilds the three lists from m_settings.
    void InitData();

    Dmg::CFriendSetMsg m_settings;
    std::vector<std::string> m_allFields;
    std::vector<std::string> m_showFields;
    std::vector<std::string> m_personalFields;
};
