# The fuzzers GCC builds: code whose literals are GBK. The sources under test
# are compiled into each fuzzer with the project's character-set flags and
# GCC's coverage (trace-pc, trace-cmp); the components they call (base,
# platform, data) are the project's own shared objects, built here with the
# same sanitizers. libFuzzer's engine comes from clang's runtime archive.
set(SMS_SANITIZE address,undefined)
set(SMS_BUILD_TESTS OFF)
set(SMS_BUILD_BENCH OFF)
add_subdirectory(${SMS_ROOT} smslogic EXCLUDE_FROM_ALL)
find_package(Boost 1.74 REQUIRED)

# The engine's archive answers trace-pc calls with an error; in a copy of it
# that symbol is weak, so that GccCoverage.cpp's definition is linked instead.
file(GLOB SMS_LIBFUZZER_FOUND /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a)
list(SORT SMS_LIBFUZZER_FOUND)
list(POP_BACK SMS_LIBFUZZER_FOUND SMS_LIBFUZZER_DEFAULT)
set(SMS_LIBFUZZER_ARCHIVE "${SMS_LIBFUZZER_DEFAULT}" CACHE FILEPATH "libclang_rt.fuzzer archive")
if(NOT EXISTS "${SMS_LIBFUZZER_ARCHIVE}")
  message(FATAL_ERROR "libFuzzer's archive not found: install libclang-rt-14-dev")
endif()
set(SMS_ENGINE ${CMAKE_BINARY_DIR}/libFuzzerEngine.a)
add_custom_command(OUTPUT ${SMS_ENGINE}
  COMMAND ${CMAKE_OBJCOPY} --weaken-symbol=__sanitizer_cov_trace_pc ${SMS_LIBFUZZER_ARCHIVE}
          ${SMS_ENGINE}
  DEPENDS ${SMS_LIBFUZZER_ARCHIVE}
  VERBATIM)
add_custom_target(sms_fuzz_engine DEPENDS ${SMS_ENGINE})

add_library(sms_fuzz_coverage OBJECT ${CMAKE_CURRENT_SOURCE_DIR}/GccCoverage.cpp)
target_compile_options(sms_fuzz_coverage PRIVATE -O2 -Wall -Wextra -Werror)

# sms_gcc_fuzzer(<name> SOURCES <files under the repository root> [LIBS ...])
function(sms_gcc_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  set(sources ${CMAKE_CURRENT_SOURCE_DIR}/${name}_fuzz.cpp)
  foreach(source IN LISTS F_SOURCES)
    list(APPEND sources ${SMS_ROOT}/${source})
  endforeach()
  add_executable(${name}_fuzz ${sources} $<TARGET_OBJECTS:sms_fuzz_coverage>)
  add_dependencies(${name}_fuzz sms_fuzz_engine)
  target_include_directories(${name}_fuzz PRIVATE ${SMS_ROOT})
  target_compile_definitions(${name}_fuzz PRIVATE SMS_BUILDING_LOGIC)
  target_compile_options(${name}_fuzz PRIVATE ${SMS_FUZZ_FLAGS} -finput-charset=UTF-8
                         -fexec-charset=GB18030 -fsanitize-coverage=trace-pc,trace-cmp)
  target_link_options(${name}_fuzz PRIVATE -fsanitize=address,undefined)
  target_link_libraries(${name}_fuzz PRIVATE ${SMS_ENGINE} sms_contracts Boost::headers ${F_LIBS})
endfunction()

sms_gcc_fuzzer(template
  SOURCES send/CSendMsg.cpp send/GbkText.cpp addressbook/CFriendSet.cpp
  LIBS smsdata smsbase smsplatform)

sms_gcc_fuzzer(segments
  SOURCES send/CSmsSendStartInstance.cpp send/CSendMsg.cpp send/GbkText.cpp
          addressbook/CFriendSet.cpp phone/CPhoneNumMag.cpp
  LIBS smsdata smsbase smsplatform)

sms_gcc_fuzzer(urldecode SOURCES send/CSmsMsgProcessorUrl.cpp)
