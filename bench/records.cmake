# The sent history with a million records: the manager against a raw SELECT.
add_executable(bench_history history_bench.cpp ${PROJECT_SOURCE_DIR}/components/data/stores/HistoryTable.cpp)
target_link_libraries(bench_history PRIVATE smslogic smsdata_core benchmark::benchmark)
target_include_directories(bench_history PRIVATE ${PROJECT_SOURCE_DIR})
