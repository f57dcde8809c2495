# The main store on Main.dll ("database"): the address book, contact field settings and the
# send log; and the carrier prefixes of "userconfigfile".
target_sources(smsdata PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ContactTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FriendGroupTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalDataSerialize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalSendLog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UserConfigPrefixes.cpp)
# The send log stamps entries with the local time.
target_link_libraries(smsdata PRIVATE smsplatform)
