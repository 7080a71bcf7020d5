# The LV2 adapter: its bundle loaded by lilv, driven through the LV2 interface, and run by the
# real hosts lv2info and lv2apply against the command-line renderer. Included from
# tests/CMakeLists.txt.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LILV REQUIRED IMPORTED_TARGET lilv-0)
# The system's LV2 directory, for the core vocabularies.
find_path(FLUMMEL_LV2_SYSTEM_DIR core.lv2/manifest.ttl
          PATHS /usr/lib/lv2 /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/lv2 /usr/local/lib/lv2 NO_DEFAULT_PATH)
set(_lv2_system_dir "${FLUMMEL_LV2_SYSTEM_DIR}")
find_program(LV2APPLY lv2apply REQUIRED)
find_program(LV2INFO lv2info REQUIRED)
find_program(LV2_VALIDATE lv2_validate REQUIRED)

# Hosts from outside the build load a sanitized plug-in only with the runtime preloaded.
set(_preload "")
if(FLUMMEL_SANITIZE OR FLUMMEL_TSAN)
  set(_runtimes asan ubsan)
  if(FLUMMEL_TSAN)
    set(_runtimes tsan)
  endif()
  foreach(_rt ${_runtimes})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${_rt}.so
                    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND _preload ${_path})
  endforeach()
  list(JOIN _preload ":" _preload)
endif()

# The build's bundle first; the system's LV2 directory for the core vocabularies.
flummel_test(test_lv2 lv2 LIBS flummel_lv2_core PkgConfig::LILV PkgConfig::SNDFILE
             ENVIRONMENT "LV2_PATH=${PROJECT_BINARY_DIR}/lv2:${_lv2_system_dir}")
set(_installed "${FLUMMEL_LV2_INSTALL_DIR}")
if(NOT IS_ABSOLUTE "${_installed}")
  set(_installed "${CMAKE_INSTALL_PREFIX}/${_installed}")
endif()
find_program(LV2LS lv2ls REQUIRED)
target_compile_definitions(test_lv2 PRIVATE
  FLUMMEL_CLI="$<TARGET_FILE:flummel>" LV2APPLY="${LV2APPLY}" LV2INFO="${LV2INFO}" LV2LS="${LV2LS}"
  LV2_VALIDATE="${LV2_VALIDATE}" FLUMMEL_PRESETS_DIR="${PROJECT_SOURCE_DIR}/resources/presets"
  FLUMMEL_SANITIZER_PRELOAD="${_preload}"
  CMAKE_COMMAND_PATH="${CMAKE_COMMAND}" FLUMMEL_BUILD_DIR="${PROJECT_BINARY_DIR}"
  FLUMMEL_LV2_INSTALLED_DIR="${_installed}" FLUMMEL_INSTALL_PREFIX="${CMAKE_INSTALL_PREFIX}")
add_dependencies(test_lv2 flummel_lv2_bundle flummel)
