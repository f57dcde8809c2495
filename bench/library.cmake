add_executable(bench_word_mag word_mag_bench.cpp)
target_link_libraries(bench_word_mag PRIVATE smslogic benchmark::benchmark)
target_include_directories(bench_word_mag PRIVATE ${PROJECT_SOURCE_DIR})
