# The one way to declare a library or program of the tree.
#
# zel_add_module(<Name> KIND SHARED|PLUGIN|STATIC|PROGRAM
#                [DIR <folder>]             module folder; default: the calling CMakeLists' folder
#                [SOURCES <file>...]        instead of every .cpp below <folder>/src
#                [LINKS <target>...]        private links
#                [PUBLIC_LINKS <target>...] links that a header of PublicInterfaces needs
#                [LOADS <target>...]        modules loaded by name at run time: built first, never linked
#                [OUTPUT_DIR <dir>])        keeps a test-only module out of the runtime tree
#
# <folder>/PublicInterfaces is the module's public include folder, <folder>/LocalInterfaces its private one;
# libraries get a generated <Name>Export.h defining ExportedBy<Name>. Everything under <folder>/CNext
# (resources/msgcatalog/*.CATNls|*.CATRsc, code/dictionary/*.dico, ...) is copied to the same place in the
# runtime tree, and the aggregate target zel_runtime depends on all of it.
include(GenerateExportHeader)

if(NOT TARGET zel_runtime)
  add_custom_target(zel_runtime ALL)
endif()

function(zel_add_module name)
  cmake_parse_arguments(M "" "KIND;DIR;OUTPUT_DIR" "SOURCES;LINKS;PUBLIC_LINKS;LOADS" ${ARGN})
  if(M_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zel_add_module(${name}): unknown arguments ${M_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT M_DIR)
    set(M_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  elseif(NOT IS_ABSOLUTE ${M_DIR})
    set(M_DIR ${CMAKE_CURRENT_SOURCE_DIR}/${M_DIR})
  endif()

  if(NOT M_SOURCES)
    if(NOT IS_DIRECTORY ${M_DIR}/src)
      message(FATAL_ERROR "zel_add_module(${name}): no source folder ${M_DIR}/src")
    endif()
    file(GLOB_RECURSE M_SOURCES CONFIGURE_DEPENDS ${M_DIR}/src/*.cpp)
    if(NOT M_SOURCES)
      message(FATAL_ERROR "zel_add_module(${name}): ${M_DIR}/src holds no .cpp file")
    endif()
  endif()

  if(M_KIND STREQUAL "SHARED")
    add_library(${name} SHARED ${M_SOURCES})
  elseif(M_KIND STREQUAL "PLUGIN")
    # Loaded through a dictionary by name; nothing may link it.
    add_library(${name} MODULE ${M_SOURCES})
  elseif(M_KIND STREQUAL "STATIC")
    add_library(${name} STATIC ${M_SOURCES})
  elseif(M_KIND STREQUAL "PROGRAM")
    add_executable(${name} ${M_SOURCES})
  else()
    message(FATAL_ERROR "zel_add_module(${name}): KIND must be SHARED, PLUGIN, STATIC or PROGRAM")
  endif()

  if(IS_DIRECTORY ${M_DIR}/PublicInterfaces)
    target_include_directories(${name} PUBLIC ${M_DIR}/PublicInterfaces)
  endif()
  if(IS_DIRECTORY ${M_DIR}/LocalInterfaces)
    target_include_directories(${name} PRIVATE ${M_DIR}/LocalInterfaces)
  endif()
  if(NOT M_KIND STREQUAL "PROGRAM")
    set(export_dir ${CMAKE_BINARY_DIR}/exports/${name})
    generate_export_header(${name} BASE_NAME ${name} EXPORT_MACRO_NAME ExportedBy${name}
                           EXPORT_FILE_NAME ${export_dir}/${name}Export.h)
    target_include_directories(${name} PUBLIC ${export_dir})
  endif()

  target_link_libraries(${name} PUBLIC ${M_PUBLIC_LINKS} PRIVATE ${M_LINKS})
  if(M_LOADS)
    add_dependencies(${name} ${M_LOADS})
  endif()
  if(M_OUTPUT_DIR)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${M_OUTPUT_DIR}
                                             LIBRARY_OUTPUT_DIRECTORY ${M_OUTPUT_DIR})
  endif()

  if(IS_DIRECTORY ${M_DIR}/CNext)
    file(GLOB_RECURSE files CONFIGURE_DEPENDS RELATIVE ${M_DIR}/CNext ${M_DIR}/CNext/*)
    set(outputs)
    foreach(file ${files})
      set(out ${ZEL_RUNTIME_ROOT}/${file})
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${M_DIR}/CNext/${file} ${out}
        DEPENDS ${M_DIR}/CNext/${file} VERBATIM)
      list(APPEND outputs ${out})
    endforeach()
    add_custom_target(${name}_runtime_files DEPENDS ${outputs})
    add_dependencies(${name} ${name}_runtime_files)
    add_dependencies(zel_runtime ${name}_runtime_files)
  endif()
  if(NOT M_OUTPUT_DIR)
    add_dependencies(zel_runtime ${name})
  endif()
endfunction()
