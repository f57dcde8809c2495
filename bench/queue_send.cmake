# Sending thread and log mover throughput on real files, embedded gateway.
add_executable(bench_queue_send ${CMAKE_CURRENT_LIST_DIR}/queue_send_bench.cpp)
target_link_libraries(bench_queue_send PRIVATE smslogic smsnet benchmark::benchmark)
target_include_directories(bench_queue_send PRIVATE ${PROJECT_SOURCE_DIR})
