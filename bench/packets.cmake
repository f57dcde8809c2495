add_executable(bench_packets packet_text_bench.cpp)
target_link_libraries(bench_packets PRIVATE smsnet benchmark::benchmark)
