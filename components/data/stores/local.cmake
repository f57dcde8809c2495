# The main store on Main.dll ("database"): the address book, phrases, reminders, saved messages,
# received replies, contact field settings, the send log and timed messages; and the carrier
# prefixes of "userconfigfile".
target_sources(smsdata PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AlertTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ContactTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FriendGroupTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GroupTree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalAlerts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalDataSerialize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalReplies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalSendLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalSaveMsg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalTimerMsgs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalWords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplyTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SaveMsgTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StoreSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimerMsgTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UserConfigPrefixes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WordTable.cpp)
# The send log stamps entries with the local time.
target_link_libraries(smsdata PRIVATE smsplatform)
