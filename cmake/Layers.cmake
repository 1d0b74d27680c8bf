# k71t_layer(NAME FOLDERS ... SOURCES ... [HEADERS ...] LINKS ...)
#
# A static library of one layer. Its files live in its own folders (FOLDERS,
# below the source root): a source or header elsewhere, or a folder another
# library has claimed, stops the configuration, so a file's path says which
# layer it is in (src/config/ holds the configuration logic, src/config/ui/
# its windows).
#
# The headers of the library (the header beside each source, plus HEADERS)
# are published through an include root of its own in the build tree, one
# symbolic link per header at its path below src/
# (layers/NAME/config/RegisterMap.h -> src/config/RegisterMap.h). A library
# sees its own root and the roots of the libraries it links, and no other:
# src/ itself is never on an include path. So "config/ui/DisplayPage.h"
# included from the config logic, or "context/AppContext.h" from the archive
# logic, fails to compile.
if(NOT DEFINED K71T_SOURCE_ROOT)
  set(K71T_SOURCE_ROOT "${PROJECT_SOURCE_DIR}")
endif()

# Stops the configuration unless every file is in one of the library's
# folders and no other library has claimed one of them.
function(k71t_check_layer_folders name folders files)
  foreach(folder ${folders})
    get_property(owner GLOBAL PROPERTY "K71T_FOLDER_OWNER_${folder}")
    if(owner AND NOT owner STREQUAL name)
      message(FATAL_ERROR "${folder} belongs to ${owner}, not to ${name}")
    endif()
    set_property(GLOBAL PROPERTY "K71T_FOLDER_OWNER_${folder}" "${name}")
  endforeach()
  foreach(file ${files})
    get_filename_component(folder "${file}" DIRECTORY)
    if(NOT folder IN_LIST folders)
      message(FATAL_ERROR "${file} is not in a folder of ${name} (${folders})")
    endif()
  endforeach()
endfunction()

function(k71t_layer name)
  cmake_parse_arguments(L "" "" "FOLDERS;SOURCES;HEADERS;LINKS" ${ARGN})
  set(headers ${L_HEADERS})
  foreach(source ${L_SOURCES})
    string(REGEX REPLACE "\\.cpp$" ".h" header "${source}")
    if(EXISTS "${K71T_SOURCE_ROOT}/${header}")
      list(APPEND headers "${header}")
    endif()
  endforeach()
  k71t_check_layer_folders(${name} "${L_FOLDERS}" "${L_SOURCES};${headers}")
  set(root "${CMAKE_BINARY_DIR}/layers/${name}")
  file(REMOVE_RECURSE "${root}")
  foreach(header ${headers})
    file(RELATIVE_PATH relative "${K71T_SOURCE_ROOT}/src" "${K71T_SOURCE_ROOT}/${header}")
    get_filename_component(folder "${root}/${relative}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(CREATE_LINK "${K71T_SOURCE_ROOT}/${header}" "${root}/${relative}" SYMBOLIC)
  endforeach()
  add_library(${name} STATIC ${L_SOURCES} ${headers})
  target_include_directories(${name} PUBLIC "${root}")
  target_link_libraries(${name} PUBLIC ${L_LINKS})
endfunction()
