# The send pipeline end to end into a real SQu.dll, and its peak memory on a
# million recipients (a program of its own, run by hand).
add_executable(bench_pipeline pipeline_bench.cpp)
target_link_libraries(bench_pipeline PRIVATE smslogic sms_fakes benchmark::benchmark)

add_executable(bench_pipeline_memory pipeline_memory.cpp)
target_link_libraries(bench_pipeline_memory PRIVATE smslogic sms_fakes)
