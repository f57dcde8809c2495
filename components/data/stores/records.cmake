# Record types of the data library that live outside the store groups.
target_sources(smsdata PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/../CAlertInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../CFriend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../CWord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../TimeText.cpp)
