# Compiler settings shared by every target.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

option(SMS_BUILD_TESTS "Build the tests" ON)
option(SMS_BUILD_BENCH "Build the benchmarks" ON)
set(SMS_SANITIZE "" CACHE STRING "Sanitizers: empty, address,undefined or thread")

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(FATAL_ERROR "GCC is required: the GBK execution character set needs -fexec-charset")
endif()

# Literals are written in UTF-8 and become GBK bytes; GB18030 rather than
# CP936 because fmt's headers hold \u escapes that CP936 cannot encode.
add_compile_options(-Wall -Wextra -Werror -finput-charset=UTF-8 -fexec-charset=GB18030)

if(SMS_SANITIZE)
  add_compile_options(-fsanitize=${SMS_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${SMS_SANITIZE})
endif()

# Shared libraries find each other next to the executables of the build tree.
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
# On Windows a DLL is a runtime output: it lands in bin/ beside the executables.
if(MINGW)
  include(${CMAKE_CURRENT_LIST_DIR}/MinGWRuntime.cmake)
endif()

# A component shared object: sms_component(<target> <BUILDING-macro> sources...)
function(sms_component target building)
  add_library(${target} SHARED ${ARGN})
  target_compile_definitions(${target} PRIVATE ${building})
  target_link_libraries(${target} PUBLIC sms_contracts)
endfunction()

# A library subsystem, compiled into the smslogic shared object.
function(sms_subsystem target)
  add_library(${target} OBJECT ${ARGN})
  target_compile_definitions(${target} PRIVATE SMS_BUILDING_LOGIC)
  target_link_libraries(${target} PUBLIC sms_contracts)
endfunction()
