add_executable(bench_send send_processor_bench.cpp)
target_link_libraries(bench_send PRIVATE smslogic sms_fakes benchmark::benchmark)
