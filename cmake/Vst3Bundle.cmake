# tarvo_vst3_bundle(<target> NAME <Name>
#                   [SOURCES <file>...] [LIBRARIES <lib>...] [RESOURCES <file>...]
#                   [OUTPUT_DIRECTORY <dir>])
#
# Builds a VST 3 module in the bundle layout:
#   <dir>/<Name>.vst3/Contents/<uname -m>-linux/<Name>.so        (Linux)
#   <dir>/<Name>.vst3/Contents/x86_64-win/<Name>.vst3            (Windows: a DLL)
#   <dir>/<Name>.vst3/Contents/Resources/moduleinfo.json   (when the vst3moduleinfo tool is built)
#   <dir>/<Name>.vst3/Contents/Resources/<each RESOURCES file>
# <dir> defaults to the top of the build tree.
#
# The module gets framework/vst3's entry points (ModuleEntry and ModuleExit, or InitDll and ExitDll
# on Windows, and GetPluginFactory) and
# must define tarvo::vst3::DescribeModule (framework/vst3/ModuleEntry.h) in SOURCES or LIBRARIES.
# Only the three entry points are exported: everything is compiled with hidden visibility and
# linked with a version script; undefined symbols are link errors (-z defs) outside sanitizer
# builds.
#
# moduleinfo.json is written after each link by tools/vst3host's vst3moduleinfo, which loads the
# module the way a host does and dumps its factory, so it always agrees with the module.
# Properties set on <target>: TARVO_VST3_BUNDLE_DIR (the .vst3 folder).

include_guard(GLOBAL)

set(TARVO_VST3_EXPORTS_MAP "${CMAKE_CURRENT_LIST_DIR}/vst3-exports.map")

function(tarvo_vst3_bundle target)
  cmake_parse_arguments(ARG "" "NAME;OUTPUT_DIRECTORY" "SOURCES;LIBRARIES;RESOURCES" ${ARGN})
  if(NOT ARG_NAME)
    message(FATAL_ERROR "tarvo_vst3_bundle(${target}): NAME is required")
  endif()
  if(NOT TARGET tarvo_vst3_entry)
    message(FATAL_ERROR "tarvo_vst3_bundle(${target}): framework/vst3 must be added first")
  endif()
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
  endif()

  # Resolved here: the caller may sit in a directory that never saw this file's variables.
  set(TARVO_VST3_EXPORTS_MAP "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/vst3-exports.map")
  set(bundle "${ARG_OUTPUT_DIRECTORY}/${ARG_NAME}.vst3")
  if(WIN32)
    set(arch_dir "${bundle}/Contents/x86_64-win")
  else()
    set(arch_dir "${bundle}/Contents/${CMAKE_SYSTEM_PROCESSOR}-linux")
  endif()
  set(resources_dir "${bundle}/Contents/Resources")

  add_library(${target} MODULE ${ARG_SOURCES} $<TARGET_OBJECTS:tarvo_vst3_entry>)
  target_compile_options(${target} PRIVATE ${TARVO_WARNINGS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE tarvo_vst3 ${ARG_LIBRARIES})
  # The generator expression keeps multi-configuration generators from adding a config folder.
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME "${ARG_NAME}"
    LIBRARY_OUTPUT_DIRECTORY "$<1:${arch_dir}>"
    RUNTIME_OUTPUT_DIRECTORY "$<1:${arch_dir}>"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    TARVO_VST3_BUNDLE_DIR "${bundle}")
  if(WIN32)
    # A Windows module is a DLL named <Name>.vst3 exporting what the .def file lists.
    target_sources(${target} PRIVATE "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/vst3-exports.def")
    set_target_properties(${target} PROPERTIES SUFFIX ".vst3")
  else()
    set_target_properties(${target} PROPERTIES SUFFIX ".so" LINK_DEPENDS "${TARVO_VST3_EXPORTS_MAP}")
    target_link_options(${target} PRIVATE "LINKER:--version-script=${TARVO_VST3_EXPORTS_MAP}")
    # Sanitizer runtimes resolve their symbols from the host process, so a sanitized module keeps
    # undefined references by design.
    if(NOT TARVO_SANITIZE AND NOT TARVO_FUZZ AND NOT TARVO_TSAN)
      target_link_options(${target} PRIVATE "LINKER:-z,defs")
    endif()
  endif()

  add_custom_command(TARGET ${target} PRE_LINK
    COMMAND ${CMAKE_COMMAND} -E make_directory "${resources_dir}")
  foreach(res IN LISTS ARG_RESOURCES)
    get_filename_component(res_abs "${res}" ABSOLUTE)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different "${res_abs}" "${resources_dir}/")
  endforeach()

  # Same condition as the top level uses for adding tools/.
  if(TARVO_BUILD_TOOLS AND NOT TARVO_FUZZ
     AND EXISTS "${PROJECT_SOURCE_DIR}/tools/vst3host/CMakeLists.txt")
    add_dependencies(${target} vst3moduleinfo)
    if(WIN32)
      # The Windows module is loaded by the Windows vst3moduleinfo under Wine, in a prefix of its
      # own that lives only for this step.
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/wine.sh" once
          "${CMAKE_CURRENT_BINARY_DIR}/${target}-moduleinfo-prefix"
          "${CMAKE_CURRENT_BINARY_DIR}/${target}-moduleinfo.log"
          $<TARGET_FILE:vst3moduleinfo> "${bundle}" "${resources_dir}/moduleinfo.json"
        COMMENT "Writing ${ARG_NAME}.vst3/Contents/Resources/moduleinfo.json under Wine"
        VERBATIM)
    else()
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND $<TARGET_FILE:vst3moduleinfo> "${bundle}" "${resources_dir}/moduleinfo.json"
        COMMENT "Writing ${ARG_NAME}.vst3/Contents/Resources/moduleinfo.json"
        VERBATIM)
    endif()
  endif()
endfunction()
