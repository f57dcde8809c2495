# The fuzzers clang builds, with its own coverage (-fsanitize=fuzzer). Clang
# keeps literals as UTF-8 where the product has GBK, so every source listed
# here, and the header beside it, must hold only ASCII literals; configuring
# fails otherwise.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SQLCIPHER REQUIRED IMPORTED_TARGET sqlcipher)
find_package(OpenSSL REQUIRED)
find_package(spdlog REQUIRED)
find_package(Threads REQUIRED)

# sms_clang_fuzzer(<name> SOURCES <files under the repository root> [LIBS ...])
# builds <name>_fuzz from <name>_fuzz.cpp and the sources it tests.
function(sms_clang_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;DEFINES;LIBS" ${ARGN})
  set(sources ${CMAKE_CURRENT_SOURCE_DIR}/${name}_fuzz.cpp)
  set(checked ${sources})
  foreach(source IN LISTS F_SOURCES)
    list(APPEND sources ${SMS_ROOT}/${source})
    string(REGEX REPLACE "\\.cpp$" ".h" header ${SMS_ROOT}/${source})
    list(APPEND checked ${SMS_ROOT}/${source})
    if(EXISTS ${header})
      list(APPEND checked ${header})
    endif()
  endforeach()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C grep -lP "\"[^\"]*[^\\x00-\\x7F]" ${checked}
                  OUTPUT_VARIABLE literal_files RESULT_VARIABLE no_literal ERROR_QUIET)
  if(no_literal EQUAL 0)
    message(FATAL_ERROR "non-ASCII literals, which only GCC turns into GBK: ${literal_files}"
                        "build ${name} with the GCC harnesses (gcc.cmake)")
  endif()
  add_executable(${name}_fuzz ${sources})
  target_include_directories(${name}_fuzz PRIVATE ${SMS_ROOT})
  target_compile_definitions(${name}_fuzz PRIVATE ${F_DEFINES})
  target_compile_options(${name}_fuzz PRIVATE ${SMS_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
  target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name}_fuzz PRIVATE ${F_LIBS})
endfunction()

sms_clang_fuzzer(net_packets SOURCES
  components/net/NetPackets.cpp
  components/net/PacketCodec.cpp)

sms_clang_fuzzer(csv SOURCES
  components/file/CsvReader.cpp
  components/file/CsvWriter.cpp
  components/file/TextEncoding.cpp
  components/platform/posix/CodePage.cpp
  components/platform/common/GbkUserAreas.cpp)

sms_clang_fuzzer(codepage SOURCES components/platform/posix/CodePage.cpp
  components/platform/common/GbkUserAreas.cpp)

sms_clang_fuzzer(reject_words SOURCES components/data/filters/RejectWordMatcher.cpp)

sms_clang_fuzzer(store_search
  SOURCES
    components/data/stores/StoreSearch.cpp
    components/data/stores/HistoryText.cpp
    components/data/CSmsData.cpp
    components/data/engine/Connection.cpp
    components/platform/posix/FileIdentity.cpp
    components/platform/posix/FilePath.cpp
    components/data/engine/Key.cpp
    components/data/engine/Statement.cpp
    components/data/engine/WriteTransaction.cpp
    components/base/CLog.cpp
    components/base/RotatingFileSink.cpp
  DEFINES SQLITE_HAS_CODEC
  LIBS PkgConfig::SQLCIPHER OpenSSL::Crypto spdlog::spdlog Threads::Threads)
