# The reject-word, reject-phone and test-number stores.
target_sources(smsdata PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RejectListTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RejectWordsDataSerialize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RejectPhonesDataSerialize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestPhonesSerialize.cpp)
