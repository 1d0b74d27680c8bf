# k71t_layer(NAME SOURCES ... [HEADERS ...] LINKS ...)
#
# A static library of one layer. The headers of the library (the header beside
# each source, plus HEADERS) are published through an include root of its own
# in the build tree, one symbolic link per header at its path below src/
# (layers/NAME/config/RegisterMap.h -> src/config/RegisterMap.h). A library
# sees its own root and the roots of the libraries it links, and no other:
# src/ itself is never on an include path. So "config/Wyswietlanie.h"
# included from the config logic, or "context/AppContext.h" from the archive
# logic, fails to compile, whatever folder the file lives in.
function(k71t_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;HEADERS;LINKS" ${ARGN})
  set(headers ${L_HEADERS})
  foreach(source ${L_SOURCES})
    string(REGEX REPLACE "\\.cpp$" ".h" header "${source}")
    if(EXISTS "${PROJECT_SOURCE_DIR}/${header}")
      list(APPEND headers "${header}")
    endif()
  endforeach()
  set(root "${CMAKE_BINARY_DIR}/layers/${name}")
  file(REMOVE_RECURSE "${root}")
  foreach(header ${headers})
    file(RELATIVE_PATH relative "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/${header}")
    get_filename_component(folder "${root}/${relative}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${header}" "${root}/${relative}" SYMBOLIC)
  endforeach()
  add_library(${name} STATIC ${L_SOURCES} ${headers})
  target_include_directories(${name} PUBLIC "${root}")
  target_link_libraries(${name} PUBLIC ${L_LINKS})
endfunction()
