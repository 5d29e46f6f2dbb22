# The layers are the link graph. Every library names the folders whose headers it owns
# (hv_layer_dirs); hv_write_layer_manifest lists, for every file of every registered target,
# the folders its link closure reaches, and the hv_layer_check step of the build fails when a
# file includes a project header from any other folder, or a Qt header without linking Qt.

# hv_layer_dirs(<target> <folder>...): the source folders (relative to the source root) whose
# headers belong to <target>. A target registered with no folder (a program, a test binary)
# is still checked.
function(hv_layer_dirs target)
  set_property(TARGET ${target} APPEND PROPERTY HV_LAYER_DIRS ${ARGN})
  set_property(GLOBAL APPEND PROPERTY HV_LAYER_TARGETS ${target})
endfunction()

# The targets <target> links, itself included, directly or through others.
function(_hv_link_closure target out)
  set(seen ${${out}})
  if(${target} IN_LIST seen)
    return()
  endif()
  list(APPEND seen ${target})
  # Imported targets (Qt, GTest) are known only in the folder that found them: they are
  # named in the closure, and nothing below them is project code.
  if(NOT TARGET ${target})
    set(${out} ${seen} PARENT_SCOPE)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  set(links)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(direct ${target} LINK_LIBRARIES)
    if(direct)
      list(APPEND links ${direct})
    endif()
  endif()
  get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
  if(interface)
    list(APPEND links ${interface})
  endif()
  foreach(link ${links})
    _hv_link_closure(${link} seen)
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Writes the manifest and adds the check to the build (part of ALL) and to the tests.
function(hv_add_layer_check)
  get_property(targets GLOBAL PROPERTY HV_LAYER_TARGETS)
  set(manifest "")
  set(checked_files)
  foreach(target ${targets})
    set(closure)
    _hv_link_closure(${target} closure)
    set(allowed)
    set(qt no)
    foreach(linked ${closure})
      if(linked MATCHES "^Qt6::")
        set(qt yes)
      endif()
      if(TARGET ${linked})
        get_target_property(dirs ${linked} HV_LAYER_DIRS)
        if(dirs)
          list(APPEND allowed ${dirs})
        endif()
      endif()
    endforeach()
    # A target's own sources, and the headers of the folders it owns.
    get_target_property(source_dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(files)
    if(sources)
      foreach(source ${sources})
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} NORMALIZE)
        cmake_path(IS_PREFIX CMAKE_SOURCE_DIR ${source} NORMALIZE inside)
        if(inside)
          list(APPEND files ${source})
          cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE rel)
          cmake_path(GET rel PARENT_PATH rel_dir)
          list(APPEND allowed ${rel_dir})
        endif()
      endforeach()
    endif()
    get_target_property(own_dirs ${target} HV_LAYER_DIRS)
    if(own_dirs)
      foreach(dir ${own_dirs})
        file(GLOB headers ${CMAKE_SOURCE_DIR}/${dir}/*.h)
        list(APPEND files ${headers})
      endforeach()
    endif()
    list(REMOVE_DUPLICATES allowed)
    list(JOIN allowed "," allowed_text)
    foreach(file ${files})
      string(APPEND manifest "${file}|${qt}|${allowed_text}\n")
    endforeach()
    list(APPEND checked_files ${files})
  endforeach()
  set(manifest_file ${CMAKE_BINARY_DIR}/layers.manifest)
  file(WRITE ${manifest_file} "${manifest}")
  list(REMOVE_DUPLICATES checked_files)

  set(stamp ${CMAKE_BINARY_DIR}/layers.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest_file} -DSOURCE_ROOT=${CMAKE_SOURCE_DIR}
            -P ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${checked_files} ${manifest_file} ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake
    COMMENT "Checking that every layer includes only the headers of what it links"
    VERBATIM)
  add_custom_target(hv_layer_check ALL DEPENDS ${stamp})

  add_test(NAME layering.EveryIncludeIsLinked
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest_file} -DSOURCE_ROOT=${CMAKE_SOURCE_DIR}
            -P ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake)
  # The check itself must catch the breaks it is there for: a protocol file that includes a
  # ui header and a core file that includes Qt, though their manifest lines would allow it,
  # and a header that kept the guard of the folder it was moved from.
  set(fixture ${CMAKE_SOURCE_DIR}/cmake/layer_check_fixture)
  file(WRITE ${CMAKE_BINARY_DIR}/layers_fixture.manifest
    "${fixture}/client/protocol/uses_ui.cpp|no|client/protocol,client/ui\n"
    "${fixture}/core/uses_qt.cpp|yes|core\n"
    "${fixture}/client/views/uses_unlinked.cpp|no|client/views\n"
    "${fixture}/client/views/log/moved_guard.h|no|client/views/log\n")
  set(_expect_uses_ui "uses_ui.cpp: includes the ui header client/ui/window.h below the ui layer")
  set(_expect_uses_qt "uses_qt.cpp: includes the Qt header QString below the ui layer")
  set(_expect_uses_unlinked "uses_unlinked.cpp: includes client/shell/app/house_desk_app.h")
  set(_expect_moved_guard "moved_guard.h: include guard is not HV_CLIENT_VIEWS_LOG_MOVED_GUARD_H_")
  foreach(case uses_ui uses_qt uses_unlinked moved_guard)
    add_test(NAME layering.Refuses_${case}
      COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/layers_fixture.manifest
              -DSOURCE_ROOT=${fixture} -DONLY=${case} -P ${CMAKE_SOURCE_DIR}/cmake/check_layers.cmake)
    set_tests_properties(layering.Refuses_${case} PROPERTIES
      PASS_REGULAR_EXPRESSION "${_expect_${case}}" ENVIRONMENT "${HV_TEST_ENV}")
  endforeach()
  set_tests_properties(layering.EveryIncludeIsLinked PROPERTIES ENVIRONMENT "${HV_TEST_ENV}")
endfunction()
