# Cross build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64).
#   SMS_WIN_PREFIX=<prefix> cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake ...
# <prefix> holds the Windows dependencies, as scripts/build-windows-deps.sh
# builds them; libraries, headers, packages and .pc files come from there only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The -posix flavour: std::thread and std::mutex need winpthreads.
set(SMS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SMS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SMS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SMS_MINGW_TRIPLE}-windres)

# The prefix is remembered in the cache so that a later re-run of cmake
# (from the build tool, without the environment) still finds it; try_compile
# projects get it passed on.
if(NOT SMS_WIN_PREFIX)
  set(SMS_WIN_PREFIX "$ENV{SMS_WIN_PREFIX}")
endif()
if(NOT SMS_WIN_PREFIX)
  message(FATAL_ERROR "Set SMS_WIN_PREFIX to the prefix from scripts/build-windows-deps.sh")
endif()
set(SMS_WIN_PREFIX "${SMS_WIN_PREFIX}" CACHE PATH "Prefix of the Windows dependencies")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SMS_WIN_PREFIX)

set(CMAKE_FIND_ROOT_PATH ${SMS_WIN_PREFIX} /usr/${SMS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the prefix's .pc files, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${SMS_WIN_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# OpenSSL is a static library there; FindOpenSSL then adds ws2_32 and crypt32.
set(OPENSSL_USE_STATIC_LIBS TRUE)

# Test executables run under wine (gtest_discover_tests, ctest). Pass
# -DCMAKE_CROSSCOMPILING_EMULATOR= to build without running anything.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(_sms_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    "${_sms_root}/scripts/wine-run.sh;--default-prefix;${CMAKE_BINARY_DIR}/wine")
  unset(_sms_root)
endif()
