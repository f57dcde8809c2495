add_executable(bench_pack pack_bench.cpp)
target_link_libraries(bench_pack PRIVATE smslogic smsnet benchmark::benchmark)
