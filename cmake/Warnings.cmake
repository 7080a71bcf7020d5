# Warnings for the project's own targets.
add_library(flummel_warnings INTERFACE)
target_compile_options(flummel_warnings INTERFACE -Wall -Wextra -Wno-unused-parameter)

# flummel_layer(NAME DIR LIBS...): a static library of every source in DIR.
function(flummel_layer name)
  cmake_parse_arguments(L "" "" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _src)  # a layer of headers only
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${_src})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_LIBS} PRIVATE flummel_warnings)
endfunction()
