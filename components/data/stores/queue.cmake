# Send queue (SQu.dll), the log mover and the sent history (HLog.dll).
target_sources(smsdata PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QueueTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QueueStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryRead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HistoryStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LogMover.cpp)
# The local clock for history times.
target_link_libraries(smsdata PRIVATE smsplatform)
