# Record types of the data library that live outside the store groups.
target_sources(smsdata PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../CFriend.cpp)
