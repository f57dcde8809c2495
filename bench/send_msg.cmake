add_executable(bench_send_msg send_msg_bench.cpp)
target_link_libraries(bench_send_msg PRIVATE smslogic benchmark::benchmark)
