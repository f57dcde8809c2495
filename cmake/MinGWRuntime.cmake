# MinGW-w64's runtime DLLs go next to the executables of the build tree, so
# that tests run under wine (or on Windows) from bin/. They stay DLLs: the
# project's own DLLs pass std::string and exceptions to each other, which
# needs one libstdc++ for all. Copied at configure time, before any test
# executable is listed by gtest_discover_tests.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "MinGW runtime ${dll} not found by ${CMAKE_CXX_COMPILER}")
  endif()
  file(COPY "${path}" DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endforeach()
