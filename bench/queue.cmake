# Send queue and log mover throughput, with a raw SQLCipher baseline.
add_executable(bench_queue ${CMAKE_CURRENT_LIST_DIR}/queue_store_bench.cpp)
target_link_libraries(bench_queue PRIVATE smsdata smsdata_core benchmark::benchmark)
