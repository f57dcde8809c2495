# Installs the library as a CMake package: headers under include/smslogic/,
# the shared objects under lib/, and lib/cmake/smslogic/ for
#   find_package(smslogic REQUIRED)
#   target_link_libraries(app PRIVATE smslogic::smslogic)
include(CMakePackageConfigHelpers)

set(SMS_INSTALL_INCLUDEDIR include/smslogic)
set(SMS_INSTALL_CMAKEDIR lib/cmake/smslogic)
set(SMS_INSTALLED_LIBS smslogic smsbase smsplatform smsdata smsfile smsnet)

# The headers a caller includes: every header of a library folder that
# declares an exported class, and the library headers those include in turn.
function(sms_public_headers out)
  set(pending)
  foreach(dir send queue phone addressbook library records)
    file(GLOB headers RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.h)
    foreach(header ${headers})
      file(STRINGS ${PROJECT_SOURCE_DIR}/${header} exported REGEX "SMS_API")
      if(exported)
        list(APPEND pending ${header})
      endif()
    endforeach()
  endforeach()
  set(found)
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST found)
      continue()
    endif()
    list(APPEND found ${header})
    file(STRINGS ${PROJECT_SOURCE_DIR}/${header} includes REGEX "^#include \"")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      if(NOT included MATCHES "^contracts/")
        list(APPEND pending ${included})
      endif()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

install(DIRECTORY contracts/ DESTINATION ${SMS_INSTALL_INCLUDEDIR}/contracts
  FILES_MATCHING PATTERN "*.h")
sms_public_headers(public_headers)
foreach(header ${public_headers})
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${SMS_INSTALL_INCLUDEDIR}/${dir})
endforeach()

target_include_directories(sms_contracts INTERFACE $<INSTALL_INTERFACE:${SMS_INSTALL_INCLUDEDIR}>)
# A caller of a sanitized build must link the sanitizer runtimes itself.
if(SMS_SANITIZE)
  target_link_options(sms_contracts INTERFACE $<INSTALL_INTERFACE:-fsanitize=${SMS_SANITIZE}>)
endif()

# Programs find the shared objects in lib/ beside bin/, and the shared objects
# each other in their own folder. The build tree has the same layout, so the
# paths serve there too and the installed files are plain copies.
set_target_properties(${SMS_INSTALLED_LIBS} PROPERTIES
  INSTALL_RPATH "$ORIGIN" BUILD_WITH_INSTALL_RPATH ON)
set_target_properties(smsctl PROPERTIES INSTALL_RPATH "$ORIGIN/../lib" BUILD_WITH_INSTALL_RPATH ON)

install(TARGETS ${SMS_INSTALLED_LIBS} sms_contracts
  EXPORT smslogicTargets
  LIBRARY DESTINATION lib)
install(EXPORT smslogicTargets NAMESPACE smslogic:: DESTINATION ${SMS_INSTALL_CMAKEDIR})

configure_package_config_file(cmake/smslogicConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/smslogicConfig.cmake
  INSTALL_DESTINATION ${SMS_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/smslogicConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/smslogicConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/smslogicConfigVersion.cmake
  DESTINATION ${SMS_INSTALL_CMAKEDIR})
